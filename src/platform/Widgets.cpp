// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/Widgets.h"

#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>

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
  if (face == face_) return;
  face_ = face;
  update();
}

void FaceButton::paintEvent(QPaintEvent*) {
  // Painted here rather than through a style sheet: a sheet of its own per
  // button costs start-up a parse and a style for each of the hundred.
  QPainter p(this);
  const QRectF r = rect();
  p.fillRect(r, face_);
  // A raised edge two pixels wide, sunk while pressed; the corners meet
  // on the diagonal.
  const QColor light(0xff, 0xff, 0xff), dark(0x40, 0x40, 0x40);
  const bool down = isDown();
  const qreal w = r.width(), h = r.height(), e = 2;
  p.setPen(Qt::NoPen);
  p.setBrush(down ? dark : light);
  p.drawPolygon(QPolygonF{{0, 0}, {w, 0}, {w - e, e}, {e, e}, {e, h - e}, {0, h}});
  p.setBrush(down ? light : dark);
  p.drawPolygon(QPolygonF{{w, 0}, {w, h}, {0, h}, {e, h - e}, {w - e, h - e}, {w - e, e}});

  const QRect inside = rect().adjusted(2, 2, -2, -2);
  p.setPen(isEnabled() ? QColor(Qt::black) : QColor(0x80, 0x80, 0x80));
  p.setFont(font());
  const QIcon picture = icon();
  if (picture.isNull()) {
    p.drawText(inside, Qt::AlignCenter | Qt::TextShowMnemonic, text());
    return;
  }
  // The icon before the caption, the two centred together.
  const QSize size = iconSize();
  const int gap = text().isEmpty() ? 0 : 4;
  const int textWidth = fontMetrics().horizontalAdvance(text());
  const int left = inside.left() + (inside.width() - size.width() - gap - textWidth) / 2;
  p.drawPixmap(QPoint(left, inside.top() + (inside.height() - size.height()) / 2),
               picture.pixmap(size, devicePixelRatioF(), isEnabled() ? QIcon::Normal : QIcon::Disabled));
  p.drawText(QRect(left + size.width() + gap, inside.top(), textWidth + 1, inside.height()),
             Qt::AlignVCenter | Qt::AlignLeft | Qt::TextShowMnemonic, text());
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
