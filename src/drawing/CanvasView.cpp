// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "drawing/CanvasView.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPainter>

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
