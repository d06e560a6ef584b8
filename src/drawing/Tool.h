// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What each drawing tool is, one row of kTools: its kind (what it does with
// the mouse, drawing/DrawingTools.cpp), the width of its strokes, the disc a
// press leaves and its button on the tool panel. A new tool is a value of
// Tool and a row here; a new kind also needs its function in the drawing
// tools.

#include <QPoint>
#include <QPointF>
#include <array>
#include <cstddef>
#include <optional>

enum class Tool {
  None,  // the canvas ignores the mouse until a tool is chosen
  ThinPen,
  SmallBrush,
  MediumBrush,
  LargeBrush,
  Line,
  Box,
  Circle,
  Ellipse,
  Fill,
  Text,   // "文記入": switches between the canvas and the card text box
  Paste,  // "はりつけ": places the clipboard picture when chosen
  SmallEraser,
  LargeEraser,
  Stamp,  // "はんこ": places the stamp chosen in the stamp box
  Words,  // "もじ": words typed on the picture
};

enum class ToolKind { None, Pen, Eraser, Line, Box, Circle, Ellipse, Fill, Text, Paste, Stamp, Words };

inline constexpr int kNoSlot = -1;
// The tool panel's tool buttons, slots 0..14; four of them are never shown.
inline constexpr int kToolSlots = 15;

struct ToolInfo {
  Tool tool;
  ToolKind kind;
  int width;  // pens and erasers: the width of a stroke
  int dot;    // pens and erasers: the radius of the disc a press leaves (0: one pixel)
  int slot;   // its tool button, or kNoSlot
};

inline constexpr std::array<ToolInfo, 16> kTools = {{
    {Tool::None, ToolKind::None, 0, 0, kNoSlot},
    {Tool::ThinPen, ToolKind::Pen, 1, 0, 0},
    {Tool::SmallBrush, ToolKind::Pen, 11, 5, 1},
    {Tool::MediumBrush, ToolKind::Pen, 20, 9, 2},
    {Tool::LargeBrush, ToolKind::Pen, 33, 17, 3},
    {Tool::Line, ToolKind::Line, 1, 0, 4},
    {Tool::Box, ToolKind::Box, 1, 0, 5},
    {Tool::Circle, ToolKind::Circle, 1, 0, 7},
    {Tool::Ellipse, ToolKind::Ellipse, 1, 0, 9},
    {Tool::Fill, ToolKind::Fill, 0, 0, 11},
    {Tool::Text, ToolKind::Text, 0, 0, 12},
    {Tool::Paste, ToolKind::Paste, 0, 0, 13},
    {Tool::SmallEraser, ToolKind::Eraser, 11, 7, kNoSlot},
    {Tool::LargeEraser, ToolKind::Eraser, 25, 15, kNoSlot},
    {Tool::Stamp, ToolKind::Stamp, 0, 0, kNoSlot},  // its own button, beside the recorder
    {Tool::Words, ToolKind::Words, 0, 0, kNoSlot},  // its own button, beside 「はんこ」
}};

constexpr bool ToolsInOrder() {
  for (size_t i = 0; i < kTools.size(); ++i)
    if (size_t(kTools[i].tool) != i) return false;
  return true;
}
static_assert(ToolsInOrder(), "kTools has one row per Tool, in the order of Tool");

constexpr const ToolInfo& InfoOf(Tool tool) { return kTools[size_t(tool)]; }

// The tool of a tool button; none for the buttons that are never shown.
constexpr std::optional<Tool> ToolInSlot(int slot) {
  for (const ToolInfo& info : kTools)
    if (slot != kNoSlot && info.slot == slot) return info.tool;
  return std::nullopt;
}

// The shape being drawn. Only the drawing tools change it
// (drawing/DrawingTools.h); the tool buttons and the card steps end it
// through them.
struct ShapeInProgress {
  int clicks = 0;       // points placed: 1 from a shape's first click (or while an eraser drags)
  QPointF anchor;       // a shape's first point, or where a stroke has reached
  QPointF second;       // a shape's second click
  std::optional<QPoint> outlineEnd;  // the end of the outline on the canvas now, if one is shown
};
