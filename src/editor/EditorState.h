// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The picture editor: the canvas and its geometry, the tool in force, pens,
// palette and shape points, the undo image, and what the tool panel shows.
// Colours are 32-bit values with red in the low byte (0x00BBGGRR). The
// canvas is the surface it shows.

#include <QImage>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "platform/Notifier.h"

// RGB triple of a palette value (red in the low byte).
constexpr int32_t Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

class EditorState;
void InitPalette(EditorState& editor);

class EditorState : public Notifier {
  Q_OBJECT
 public:
  // The state a run starts with: no tool, the palette, free placement.
  EditorState() { InitPalette(*this); }

  int16_t CanvasOffsetX = 7;
  int16_t CanvasOffsetY = 7;
  int16_t CanvasPanelWidth = 0;
  int16_t CanvasPanelHeight = 0;
  int16_t CurrentTool = 0;
  int16_t PenWidth = 1;
  int16_t PenColorIndex = 0;
  int16_t FillColorIndex = 0;
  std::array<int32_t, 129> PaletteColors{};
  int16_t FixMode = 0;
  int16_t SnapStep = 0;
  int16_t ShapeClickCount = 0;
  std::array<float, 11> ShapePointsX{};
  std::array<float, 11> ShapePointsY{};
  int16_t LastPointX = 0;
  int16_t LastPointY = 0;

  QImage canvasImage;  // the canvas, the picture area inside a frame
  QImage undoImage;    // one copy of the whole canvas
  // The card text "はくし" took away, while its blank paper is the last
  // step "もどす" undoes.
  std::optional<QString> undoText;

  // A card is open for drawing; only DrawingSession opens and closes one.
  bool cardOpen = false;
  // Tool button faces (0..14), button 0 lit as designed, and the fill
  // colour swatch, black at first.
  std::array<int32_t, 15> toolFaces = [] {
    std::array<int32_t, 15> faces;
    faces.fill(Rgb(192, 255, 192));
    faces[0] = Rgb(0, 255, 16);
    return faces;
  }();
  int32_t fillSwatchFace = Rgb(0, 0, 0);
  QString fixModeCaption = QStringLiteral("じゆう");  // or "こてい"

  // "もどす" brings back the card text along with the picture.
  void notifyTextRestored(const QString& text) { emit textRestored(text); }
  // "文記入" was chosen: the card text box and the picture trade places.
  void notifyTextToolChosen() { emit textToolChosen(); }
  // Another tool, "はくし" or "はじめから": the picture is to be in view.
  void notifyPictureWanted() { emit pictureWanted(); }

 signals:
  void textRestored(const QString& text);
  void textToolChosen();
  void pictureWanted();
};

// InitPalette: fills PaletteColors(0..71); entries 72..128 stay 0.
