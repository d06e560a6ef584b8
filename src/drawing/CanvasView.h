// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The canvas panel: shows the canvas surface, scaled in the small
// layout, and reports pointer positions in canvas pixels.

#include <QPointer>
#include <map>
#include <optional>

#include "drawing/Tool.h"
#include "platform/Widgets.h"

class Dialogs;
class EditorState;
class QTabletEvent;
class QTouchEvent;

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
  // A pen draws with pressure; its eraser end erases. Fingers each draw
  // their own stroke; a hand resting while the pen is near draws nothing.
  void tabletEvent(QTabletEvent* event) override;
  bool event(QEvent* event) override;
  // The pen coming near and going away reaches the application, not us.
  bool eventFilter(QObject* watched, QEvent* event) override;
  // The words tool's typing: keys and input method commit strings.
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

 private:
  void touch(QTouchEvent* event);
  // The control lying over the canvas (the hiragana keyboard) that takes
  // its own fingers at `at`, or nullptr.
  QWidget* touchControlAt(QPointF at) const;
  void penNear(bool near);
  void endEraserEnd();
  void type(const QString& typed);

  EditorState& editor_;
  Dialogs* dialogs_;
  bool penNear_ = false;
  bool penDown_ = false;
  bool penDrawing_ = false;  // the pen's press began a stroke, not a click
  // While the pen's eraser end is used: the child's tool and lit tool.
  std::optional<std::pair<Tool, Tool>> toolBeforeEraserEnd_;
  int clickingFinger_ = -1;  // the finger acting as a click (shapes), or -1
  // Fingers that came down on a control over the canvas: Qt gives them to
  // the canvas while another finger is on it, and they are handed on.
  std::map<int, QPointer<QWidget>> handedOn_;
};
