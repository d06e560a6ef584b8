// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The stamp box of 「はんこ」: the categories as tabs along the top, the
// stamps of the tab shown as tiles with their names, and below them the
// sizes 「ちいさい」「ふつう」「おおきい」 and 「はんてん」 (mirrored). It is
// drawn onto an image surface from the editor state; the window only shows
// that surface and passes presses to StampBoxPress. Choosing a tile closes
// the box.

#include <QImage>
#include <QRect>
#include <QSize>

#include "drawing/EditorState.h"
#include "platform/Widgets.h"

inline constexpr QSize kStampBoxSize{688, 662};
inline constexpr int kStampTileColumns = 8;
inline constexpr int kStampTileRows = 7;

QRect StampBoxTab(int category);
QRect StampBoxTile(int index);  // in the tab shown, row by row
QRect StampBoxSizeButton(int size);  // 0..2, as kStampSizes
QRect StampBoxMirrorButton();

// Draws the whole box as the editor state says.
void DrawStampBox(QImage& surface, const EditorState& editor);

// A press at `at`: a tab shows its stamps, a size or 「はんてん」 is
// chosen, a tile chooses its stamp (ChooseStamp). True when a stamp was
// chosen.
bool StampBoxPress(EditorState& editor, QPoint at);

class StampBox : public PicturePanel {
  Q_OBJECT
 public:
  StampBox(EditorState& editor, QWidget* parent);
  // Draws the box afresh (the editor's choice may have changed) and shows it.
  void open();

 private:
  void redraw();

  EditorState& editor_;
  QImage surface_;
};
