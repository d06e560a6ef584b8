// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "drawing/ColourDialog.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <algorithm>

#include "platform/Fonts.h"
#include "platform/Numbers.h"
#include "drawing/EditorState.h"

namespace {

constexpr int kPitch = 66;
constexpr int kColumns = 8;
constexpr int kRows = 7;
const QColor kDialogFace(212, 208, 200);

// One coordinate to its column or row: rounded to a whole pixel, divided
// by the pitch with the remainder dropped, kept within 0..last.
int Cell(double v, int last) {
  const double bounded = std::clamp(v, -1e6, 1e6);  // far-off presses stay in range
  const long cell = RoundHalfEven(bounded) / kPitch;
  return int(std::clamp<long>(cell, 0, last));
}

}  // namespace

int PaletteIndexAt(double x, double y) {
  return kColumns * Cell(y, kRows - 1) + Cell(x, kColumns - 1);
}

void DrawPaletteGrid(QImage& surface, const std::array<QRgb, 72>& colours) {
  QPainter painter(&surface);
  for (int r = 0; r < kRows; ++r) {
    for (int c = 0; c < kColumns; ++c) {
      // Corners (66c + 2, 66r + 2) and (66c + 66, 66r + 66), both included;
      // the outermost pixels are the black outline.
      const QRect square(QPoint(kPitch * c + 2, kPitch * r + 2), QPoint(kPitch * c + 66, kPitch * r + 66));
      painter.fillRect(square, Qt::black);
      painter.fillRect(square.adjusted(1, 1, -1, -1), QColor(colours[size_t(kColumns * r + c)]));
    }
  }
}

ColourDialog::ColourDialog(EditorState& editor, QWidget* parent, double scale)
    : QDialog(parent), editor_(editor) {
  const auto scaled = [scale](QRect r) {
    return QRect(qRound(r.x() * scale), qRound(r.y() * scale), qRound(r.width() * scale), qRound(r.height() * scale));
  };
  setObjectName(QStringLiteral("Form3"));
  setWindowTitle(QStringLiteral("色をえらぶ"));
  setAccessibleName(windowTitle());
  setModal(true);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, kDialogFace);
  setPalette(pal);
  // The client area as designed.
  setFixedSize(scaled(Twips(0, 0, 8040, 7485)).size());

  cancelButton = new QPushButton(QStringLiteral("キャンセル"), this);
  cancelButton->setObjectName(QStringLiteral("Command1"));
  cancelButton->setAccessibleName(cancelButton->text());
  cancelButton->setGeometry(scaled(Twips(0, 0, 1455, 375)));
  cancelButton->setFont(Gothic(9, false, scale));
  connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);  // the colour stays

  grid = new PicturePanel(QStringLiteral("Picture1"), kDialogFace, this);
  const QRect gridPlace = Twips(0, 420, 7995, 7005);
  grid->setGeometry(scaled(gridPlace));
  grid->setScale(scale);
  grid_ = QImage(gridPlace.size(), QImage::Format_RGB32);
  grid_.fill(kDialogFace);
  DrawPaletteGrid(grid_, editor_.palette);
  ++gridDrawings_;
  grid->setSurface(&grid_);
  connect(grid, &PicturePanel::mousePressed, this,
          [this](Qt::MouseButton, Qt::KeyboardModifiers, QPointF at) { onGridPressed(at); });

  // Centred on the screen when first made; afterwards it keeps its place.
  if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
  }
}

void ColourDialog::onGridPressed(QPointF at) {
  editor_.fillColourIndex = PaletteIndexAt(at.x(), at.y());
  accept();
}
