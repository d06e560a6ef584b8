// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The canvas panel: shows the canvas surface, scaled in the small
// layout, and reports pointer positions in canvas pixels.

#include "platform/Widgets.h"

class Dialogs;
class EditorState;

class CanvasView : public PicturePanel {
  Q_OBJECT
 public:
  // `dialogs` beeps at characters the words tool refuses; without it the
  // words tool takes no typing.
  CanvasView(EditorState& editor, QWidget* parent, Dialogs* dialogs = nullptr);

 protected:
  // The stamp tool's preview is painted over the surface, never into it.
  void paintEvent(QPaintEvent* event) override;
  void leaveEvent(QEvent* event) override;
  // The words tool's typing: keys and input method commit strings.
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

 private:
  void type(const QString& typed);
  EditorState& editor_;
  Dialogs* dialogs_;
};
