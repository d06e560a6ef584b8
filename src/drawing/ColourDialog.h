// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The colour dialog "色をえらぶ": 56 squares of the palette, 8 across and 7
// down at a pitch of 66 pixels; one press chooses the fill colour and
// closes the dialog, "キャンセル" closes it keeping the colour. It is made on
// first use and then only hidden and shown again, so the grid is drawn once.

#include <QDialog>
#include <QImage>
#include <QPushButton>
#include <QRgb>
#include <array>

#include "platform/Widgets.h"

class EditorState;

// The palette entry (0..55) that a press at (x, y) on the grid chooses: the
// 66-pixel pitch decides, so a press in the gap right of a square chooses
// the next square, and a press beyond the grid the nearest square of the
// last row or column.
int PaletteIndexAt(double x, double y);

// Draws the grid of entries 0..55 onto `surface`.
void DrawPaletteGrid(QImage& surface, const std::array<QRgb, 72>& colours);

class ColourDialog : public QDialog {
  Q_OBJECT
 public:
  // `scale`: screen pixels per logical pixel, above 1 when the main window
  // is scaled up for fingers.
  ColourDialog(EditorState& editor, QWidget* parent, double scale = 1.0);

  QPushButton* cancelButton;  // "キャンセル"
  PicturePanel* grid;         // the grid
  // The grid's persistent surface and how often it was drawn.
  const QImage& gridImage() const { return grid_; }
  int gridDrawings() const { return gridDrawings_; }

 private:
  void onGridPressed(QPointF at);

  EditorState& editor_;
  QImage grid_;
  int gridDrawings_ = 0;
};
