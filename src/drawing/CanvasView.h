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

 protected:
  // The stamp tool's preview is painted over the surface, never into it.
  void paintEvent(QPaintEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  EditorState& editor_;
};
