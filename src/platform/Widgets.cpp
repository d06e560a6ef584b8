// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/Widgets.h"

#include <QMouseEvent>
#include <QPainter>

#include "platform/Fonts.h"

FaceButton::FaceButton(const QString& objectName, const QString& caption, QColor face,
                       QWidget* parent)
    : QPushButton(caption, parent) {
  setObjectName(objectName);
  setAccessibleName(caption);
  setFocusPolicy(Qt::TabFocus);
  setFace(face);
}

void FaceButton::setFace(QColor face) {
  face_ = face;
  setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: black;"
                               " border-style: solid; border-width: 2px;"
                               " border-color: #ffffff #404040 #404040 #ffffff; padding: 0px; }"
                               " QPushButton:pressed { border-color: #404040 #ffffff #ffffff #404040; }"
                               " QPushButton:disabled { color: #808080; }")
                    .arg(face.name()));
}

void FaceButton::setCaption(const QString& caption) {
  setText(caption);
  setAccessibleName(caption);
}

QLabel* MakeLabel(const QString& objectName, const QString& caption, QWidget* parent) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(objectName);
  label->setAccessibleName(caption);
  return label;
}

void Placements::add(QWidget* widget, QRect logical, double points, bool bold) {
  entries_.push_back({widget, logical, points, bold});
}

void Placements::apply(double scale) {
  for (const auto& e : entries_) {
    if (!e.widget) continue;
    const QRectF r(e.logical.x() * scale, e.logical.y() * scale, e.logical.width() * scale,
                   e.logical.height() * scale);
    e.widget->setGeometry(r.toRect());
    if (e.points > 0) e.widget->setFont(Gothic(e.points, e.bold, scale));
  }
}

PicturePanel::PicturePanel(const QString& objectName, QColor background, QWidget* parent)
    : QWidget(parent), background_(background) {
  setObjectName(objectName);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PicturePanel::setSurface(const QImage* surface) {
  surface_ = surface;
  update();
}

void PicturePanel::showSurface(const QRect& logical) {
  if (logical.isEmpty()) {
    update();
    return;
  }
  const QRectF r(logical.x() * scale_, logical.y() * scale_, logical.width() * scale_,
                 logical.height() * scale_);
  update(r.toAlignedRect().adjusted(-1, -1, 1, 1));
}

void PicturePanel::setScale(double scale) {
  scale_ = scale;
  controls_.apply(scale);
  update();
}

void PicturePanel::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(event->rect(), background_);
  if (!surface_ || surface_->isNull()) return;
  if (scale_ == 1.0) {
    painter.drawImage(event->rect().topLeft(), *surface_, event->rect());
  } else {
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(0, 0, surface_->width() * scale_, surface_->height() * scale_), *surface_);
  }
}

void PicturePanel::mousePressEvent(QMouseEvent* event) {
  emit mousePressed(event->button(), event->modifiers(), logical(event->position()));
}

void PicturePanel::mouseMoveEvent(QMouseEvent* event) {
  emit mouseMoved(event->buttons(), event->modifiers(), logical(event->position()));
}

// The second press of a double click is not a press of its own: a child's
// double click on a card opens it once, and a shape keeps its first point.
void PicturePanel::mouseDoubleClickEvent(QMouseEvent* event) { event->accept(); }

void PicturePanel::mouseReleaseEvent(QMouseEvent* event) {
  emit mouseReleased(event->button(), event->modifiers(), logical(event->position()));
}
