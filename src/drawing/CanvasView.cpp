// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "drawing/CanvasView.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPointingDevice>
#include <QTabletEvent>
#include <QTouchEvent>
#include <algorithm>
#include <set>

#include "drawing/DrawingTools.h"
#include "drawing/EditorState.h"

namespace {

// Mouse buttons as the drawing tools count them: left 1, right 2, middle 4.
int ButtonValue(Qt::MouseButtons buttons) {
  int value = 0;
  if (buttons & Qt::LeftButton) value |= kLeftButton;
  if (buttons & Qt::RightButton) value |= kRightButton;
  if (buttons & Qt::MiddleButton) value |= kMiddleButton;
  // Any other button is "not the left one" for a press.
  if (value == 0 && buttons != Qt::NoButton) value = 8;
  return value;
}

}  // namespace

CanvasView::CanvasView(EditorState& editor, QWidget* parent, Dialogs* dialogs)
    : PicturePanel(QStringLiteral("Picture2"), Qt::white, parent), editor_(editor), dialogs_(dialogs) {
  setSurface(&editor_.canvasImage);
  // The words tool types here; a click on the canvas brings the keyboard.
  setFocusPolicy(Qt::ClickFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  // Shape outlines follow the pointer with no button held.
  setMouseTracking(true);
  // Fingers are taken as touches here; elsewhere Qt makes mouse clicks of them.
  setAttribute(Qt::WA_AcceptTouchEvents);
  qApp->installEventFilter(this);
  connect(this, &PicturePanel::mousePressed, this, [this](Qt::MouseButton button, Qt::KeyboardModifiers, QPointF at) {
    CanvasMouseDown(editor_, ButtonValue(button), float(at.x()), float(at.y()));
  });
  connect(this, &PicturePanel::mouseMoved, this, [this](Qt::MouseButtons buttons, Qt::KeyboardModifiers, QPointF at) {
    CanvasMouseMove(editor_, ButtonValue(buttons), float(at.x()), float(at.y()));
  });
  connect(this, &PicturePanel::mouseReleased, this, [this](Qt::MouseButton button, Qt::KeyboardModifiers, QPointF at) {
    CanvasMouseUp(editor_, ButtonValue(button), float(at.x()), float(at.y()));
  });
}

void CanvasView::paintEvent(QPaintEvent* event) {
  PicturePanel::paintEvent(event);
  if (editor_.wordsEditing) {
    QPainter painter(this);
    painter.scale(scale(), scale());
    painter.setClipRect(PictureArea(editor_));
    PaintWords(painter, editor_, true);
  }
  if (editor_.tool != Tool::Stamp || !editor_.stampPreviewAt) return;
  const QImage stamp = ChosenStampImage(editor_);
  if (stamp.isNull()) return;
  QPainter painter(this);
  painter.scale(scale(), scale());
  painter.setClipRect(PictureArea(editor_));
  // A little see-through: it is not on the picture until the click.
  painter.setOpacity(0.7);
  painter.drawImage(StampRect(editor_, *editor_.stampPreviewAt).topLeft(), stamp);
}

void CanvasView::leaveEvent(QEvent* event) {
  HideStampPreview(editor_);
  PicturePanel::leaveEvent(event);
}

void CanvasView::penNear(bool near) {
  penNear_ = near;
  if (!near) endEraserEnd();
}

void CanvasView::endEraserEnd() {
  if (!toolBeforeEraserEnd_ || penDown_) return;
  editor_.tool = toolBeforeEraserEnd_->first;
  editor_.litTool = toolBeforeEraserEnd_->second;
  toolBeforeEraserEnd_.reset();
  editor_.notifyChanged();
}

bool CanvasView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::TabletEnterProximity) penNear(true);
  if (event->type() == QEvent::TabletLeaveProximity) penNear(false);
  return PicturePanel::eventFilter(watched, event);
}

void CanvasView::tabletEvent(QTabletEvent* event) {
  event->accept();  // no mouse events made from it
  const QPointF at = event->position() / scale();
  const float x = float(at.x()), y = float(at.y());
  switch (event->type()) {
    case QEvent::TabletPress: {
      if (event->button() != Qt::LeftButton || penDown_) return;
      penDown_ = true;
      penNear_ = true;
      if (event->pointerType() == QPointingDevice::PointerType::Eraser) {
        // The eraser end: the eraser chosen, or the small one, while it is used.
        if (!toolBeforeEraserEnd_) toolBeforeEraserEnd_ = {editor_.tool, editor_.litTool};
        if (InfoOf(editor_.tool).kind != ToolKind::Eraser) editor_.tool = Tool::SmallEraser;
        editor_.litTool = editor_.tool;
        CancelShape(editor_);
        editor_.notifyChanged();
      }
      penDrawing_ = PointerDown(editor_, kPenPointer, x, y, event->pressure());
      if (!penDrawing_) CanvasMouseDown(editor_, kLeftButton, x, y);
      return;
    }
    case QEvent::TabletMove:
      if (penDrawing_) {
        PointerMove(editor_, kPenPointer, x, y, event->pressure());
      } else {
        CanvasMouseMove(editor_, penDown_ ? kLeftButton : 0, x, y);
      }
      return;
    case QEvent::TabletRelease:
      if (!penDown_ || event->button() != Qt::LeftButton) return;
      if (penDrawing_) {
        PointerUp(editor_, kPenPointer);
      } else {
        CanvasMouseUp(editor_, kLeftButton, x, y);
      }
      penDown_ = penDrawing_ = false;
      endEraserEnd();
      return;
    default:
      return;
  }
}

bool CanvasView::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::TabletEnterProximity:
      penNear(true);
      return true;
    case QEvent::TabletLeaveProximity:
      penNear(false);
      return true;
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
      touch(static_cast<QTouchEvent*>(event));
      return true;
    default:
      return PicturePanel::event(event);
  }
}

QWidget* CanvasView::touchControlAt(QPointF at) const {
  for (QWidget* w = childAt(at.toPoint()); w && w != this; w = w->parentWidget())
    if (w->isVisible() && w->testAttribute(Qt::WA_AcceptTouchEvents)) return w;
  return nullptr;
}

void CanvasView::touch(QTouchEvent* event) {
  event->accept();
  const bool cancelled = event->type() == QEvent::TouchCancel;
  if (event->type() == QEvent::TouchBegin) {
    // The first finger of a new touch: one whose release never came (a
    // message opened while it was down) is no longer the click.
    clickingFinger_ = -1;
    handedOn_.clear();
  }
  // While a finger is on the canvas, Qt gives the canvas every new finger
  // near it, also one landing on a control lying over it: such fingers are
  // handed on to that control, by their places on the screen.
  std::map<QWidget*, QList<QEventPoint>> handOn;
  std::set<QWidget*> touchedBefore;  // controls with fingers handed on before this event
  for (const auto& [id, control] : handedOn_) touchedBefore.insert(control);
  for (const QEventPoint& point : event->points()) {
    const int id = point.id();
    // Placed by the screen, so that points passed on by a control lying
    // over the canvas (which carry no place on it) are found too.
    const QPointF onView = mapFromGlobal(point.globalPosition());
    if (point.state() == QEventPoint::State::Pressed) {
      handedOn_.erase(id);
      if (QWidget* control = touchControlAt(onView)) handedOn_[id] = control;
    }
    if (const auto handed = handedOn_.find(id); handed != handedOn_.end()) {
      if (handed->second)
        handOn[handed->second].append(
            QEventPoint(id, cancelled ? QEventPoint::State::Released : point.state(), point.scenePosition(),
                        point.globalPosition()));
      if (cancelled || point.state() == QEventPoint::State::Released) handedOn_.erase(handed);
      continue;
    }
    const QPointF at = onView / scale();
    const float x = float(at.x()), y = float(at.y());
    const bool released = cancelled || point.state() == QEventPoint::State::Released;
    if (released) {
      if (id == clickingFinger_) {
        CanvasMouseUp(editor_, kLeftButton, x, y);
        clickingFinger_ = -1;
      }
      PointerUp(editor_, id);
      continue;
    }
    // A palm resting while the pen is near or drawing starts nothing.
    if (point.state() == QEventPoint::State::Pressed) {
      if (penNear_ || penDown_) continue;
      if (PointerDown(editor_, id, x, y, kNoPressure)) continue;
      // Shapes, the fill and the stamp: the first finger is the mouse.
      if (clickingFinger_ < 0 && editor_.strokes.empty()) {
        clickingFinger_ = id;
        CanvasMouseDown(editor_, kLeftButton, x, y);
      }
    } else if (point.state() == QEventPoint::State::Updated) {
      if (id == clickingFinger_) {
        CanvasMouseMove(editor_, kLeftButton, x, y);
      } else {
        PointerMove(editor_, id, x, y, kNoPressure);
      }
    }
  }
  // A cancelled touch is cancelled for every control with fingers handed
  // on, also those it does not name: none of them is a tap.
  if (cancelled) {
    for (const auto& [id, control] : handedOn_)
      if (control) handOn[control];
    handedOn_.clear();
  }
  // Each control gets its fingers as Qt would give them: the first one
  // down begins its touch (which it must take), the last one up ends it.
  for (auto& [control, points] : handOn) {
    const bool stillTouched =
        std::any_of(handedOn_.begin(), handedOn_.end(), [&](const auto& handed) { return handed.second == control; });
    const QEvent::Type type = cancelled                       ? QEvent::TouchCancel
                              : !touchedBefore.count(control) ? QEvent::TouchBegin
                              : stillTouched                  ? QEvent::TouchUpdate
                                                              : QEvent::TouchEnd;
    QTouchEvent handed(type, event->pointingDevice(), event->modifiers(), points);
    QCoreApplication::sendEvent(control, &handed);
  }
}

void CanvasView::type(const QString& typed) {
  if (dialogs_) TypeWords(editor_, *dialogs_, typed);
}

void CanvasView::keyPressEvent(QKeyEvent* event) {
  if (!editor_.wordsEditing || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
    PicturePanel::keyPressEvent(event);
    return;
  }
  switch (event->key()) {
    case Qt::Key_Backspace:
      EraseLastCharacter(editor_);
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      type(QStringLiteral("\n"));
      break;
    case Qt::Key_Escape:
      FinishWords(editor_);
      break;
    default:
      // Control characters are no words; a character outside the basic
      // plane comes as a surrogate pair and is judged by TypeWords.
      if (event->text().isEmpty() || event->text().at(0).category() == QChar::Other_Control) {
        PicturePanel::keyPressEvent(event);
        return;
      }
      type(event->text());
  }
  event->accept();
}

void CanvasView::inputMethodEvent(QInputMethodEvent* event) {
  if (editor_.wordsEditing && !event->commitString().isEmpty()) {
    type(event->commitString());
  }
  event->accept();
}

QVariant CanvasView::inputMethodQuery(Qt::InputMethodQuery query) const {
  // The input method's candidates open beside the words.
  if (query == Qt::ImCursorRectangle && editor_.wordsEditing) {
    const QRect words = WordsRect(editor_);
    return QRectF(words.right() * scale(), words.top() * scale(), 1, words.height() * scale());
  }
  if (query == Qt::ImEnabled) return editor_.tool == Tool::Words;
  return PicturePanel::inputMethodQuery(query);
}
