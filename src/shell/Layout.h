// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The main window's two layouts. Every panel has one logical geometry, the
// one a screen of 1024 x 768 or more shows at full size. A smaller screen
// gets an 800 x 600 window in which the whole arrangement is shown scaled
// down, so every panel fits and a card drawn there is the same 800 x 600
// card, pixel for pixel.

#include <QRect>
#include <QSize>

#include "drawing/EditorState.h"

struct Layout {
  bool large = true;
  QSize window{1024, 740};  // window size in screen pixels
  double scale = 1.0;       // screen pixels per logical pixel
  QRect storyPanel{2, 1, 190, 618};
  QRect canvas{QPoint(196, 1), kCanvasPanelSize};
  QRect classPanel{203, 200, 617, 293};
  QRect cardStrip{1, 620, 1012, 92};
  QRect toolPanel{2, 1, 190, 618};
  QRect cardText{196, 1, 818, 618};
};

// The layout for a screen of the given size in pixels.
Layout ChooseLayout(QSize screen);
