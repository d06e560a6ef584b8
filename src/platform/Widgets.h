// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Building blocks of the windows: buttons with coloured faces, picture
// panels that show a persistent drawing surface, and the placing of
// controls at their logical geometry for the window's scale.

#include <QColor>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QWidget>
#include <vector>

// A graphical button: a coloured face and a caption, which is also its
// accessible name.
class FaceButton : public QPushButton {
  Q_OBJECT
 public:
  FaceButton(const QString& objectName, const QString& caption, QColor face, QWidget* parent);
  void setFace(QColor face);
  QColor face() const { return face_; }
  void setCaption(const QString& caption);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor face_;
};

// A label whose caption is also its accessible name.
QLabel* MakeLabel(const QString& objectName, const QString& caption, QWidget* parent);

// Controls at logical geometry and font sizes, placed for a scale.
class Placements {
 public:
  void add(QWidget* widget, QRect logical, double points = 0, bool bold = false);
  void apply(double scale);

 private:
  struct Entry {
    QPointer<QWidget> widget;
    QRect logical;
    double points;
    bool bold;
  };
  std::vector<Entry> entries_;
};

// A picture panel: a background colour, an optional persistent surface that
// the panel shows (drawn by the procedures, not by the panel), and child
// controls. Mouse positions are reported in the panel's logical pixels.
class PicturePanel : public QWidget {
  Q_OBJECT
 public:
  PicturePanel(const QString& objectName, QColor background, QWidget* parent);

  void setSurface(const QImage* surface);
  // Repaints the part of the surface that changed (all of it when empty).
  void showSurface(const QRect& logical = {});
  void setScale(double scale);
  double scale() const { return scale_; }
  Placements& controls() { return controls_; }

 signals:
  void mousePressed(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPointF at);
  void mouseMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, QPointF at);
  void mouseReleased(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPointF at);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  QPointF logical(QPointF p) const { return p / scale_; }
  QColor background_;
  const QImage* surface_ = nullptr;
  double scale_ = 1.0;
  Placements controls_;
};
