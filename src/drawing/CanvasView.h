// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The canvas panel: shows the canvas surface, scaled in the small
// layout, and reports pointer positions in canvas pixels.

#include "platform/Widgets.h"

class EditorState;

class CanvasView : public PicturePanel {
  Q_OBJECT
 public:
  CanvasView(EditorState& editor, QWidget* parent);

 private:
  EditorState& editor_;
};
