// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "drawing/CanvasView.h"

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

CanvasView::CanvasView(EditorState& editor, QWidget* parent)
    : PicturePanel(QStringLiteral("Picture2"), Qt::white, parent), editor_(editor) {
  setSurface(&editor_.canvasImage);
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
