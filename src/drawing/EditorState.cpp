// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "drawing/EditorState.h"

QImage& EditorState::canvas() {
  if (canvasImage.isNull() && !canvasSize.isEmpty()) {
    canvasImage = QImage(canvasSize, QImage::Format_RGB32);
    canvasImage.fill(Qt::white);
  }
  return canvasImage;
}

void LayOutCanvas(EditorState& editor, QSize panel) {
  editor.canvasOffsetX = 7;
  editor.canvasOffsetY = 7;
  editor.canvasPanelWidth = panel.width() + 4;
  editor.canvasPanelHeight = panel.height() + 4;
  editor.canvasSize = panel;
}

void InitPalette(EditorState& editor) {
  static constexpr int kColours[72][3] = {
      {0, 0, 0},       {0, 0, 255},     {255, 0, 0},     {255, 0, 255},   {0, 255, 0},
      {0, 255, 255},   {255, 255, 0},   {255, 255, 255}, {32, 32, 32},    {0, 0, 96},
      {144, 64, 0},    {240, 192, 112}, {32, 128, 32},   {240, 128, 0},   {240, 0, 80},
      {0, 144, 240},   {255, 127, 0},   {127, 255, 0},   {0, 255, 127},   {0, 127, 255},
      {240, 160, 160}, {208, 128, 128}, {128, 64, 64},   {64, 0, 0},      {255, 255, 64},
      {255, 255, 128}, {192, 192, 0},   {192, 192, 64},  {32, 192, 32},   {64, 192, 64},
      {0, 128, 0},     {0, 64, 0},      {192, 255, 0},   {128, 255, 0},   {64, 255, 0},
      {64, 231, 0},    {255, 192, 0},   {255, 128, 0},   {255, 64, 0},    {128, 64, 0},
      {96, 0, 255},    {64, 0, 255},    {32, 0, 255},    {32, 0, 192},    {255, 0, 96},
      {255, 0, 64},    {255, 0, 32},    {192, 0, 32},    {255, 128, 255}, {255, 64, 255},
      {255, 32, 255},  {231, 32, 231},  {255, 192, 192}, {255, 128, 128}, {255, 64, 64},
      {208, 64, 64},   {128, 255, 255}, {64, 255, 255},  {32, 255, 255},  {32, 208, 208},
      {192, 255, 192}, {128, 255, 128}, {64, 255, 64},   {64, 208, 64},   {32, 32, 32},
      {64, 64, 64},    {96, 96, 96},    {128, 128, 128}, {160, 160, 160}, {192, 192, 192},
      {224, 224, 224}, {240, 240, 240}};
  for (size_t i = 0; i < editor.palette.size(); ++i)
    editor.palette[i] = qRgb(kColours[i][0], kColours[i][1], kColours[i][2]);
}
