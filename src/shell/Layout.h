// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The main window's three layouts. Every panel has one logical geometry, the
// one a screen of 1024 x 768 or more shows at full size. A smaller screen
// gets an 800 x 600 window in which the whole arrangement is shown scaled
// down, so every panel fits. A touch screen with room to spare gets the
// whole arrangement scaled up, so that a finger can hit every button and
// every row of the lists. Whatever the layout, a card drawn there is the
// same 800 x 600 card, pixel for pixel.

#include <QRect>
#include <QSize>

#include "drawing/EditorState.h"

// What a layout is chosen for: the screen's size, the part of it a window
// may take (without the desktop's own panels), and whether a touch screen
// is attached.
struct ScreenFacts {
  ScreenFacts() = default;
  // A screen of this size, all of it available, with no touch screen.
  ScreenFacts(QSize screen) : size(screen), available(screen) {}  // NOLINT: stands for a plain screen size
  ScreenFacts(QSize screen, QSize availableArea, bool touchScreen)
      : size(screen), available(availableArea), touch(touchScreen) {}
  QSize size{1024, 768};
  QSize available{1024, 768};
  bool touch = false;
};

// A finger's target: about 9 mm, in pixels at 96 dpi.
constexpr int kFingerPixels = 34;
// The smallest target of the logical arrangement: the rows of the story
// list and of the exchange window's lists (every button is larger).
constexpr int kSmallestTarget = 21;
// Room left under the window for its title bar, as the 1024 x 740 window
// leaves on a 1024 x 768 screen.
constexpr int kTitleBarRoom = 28;

struct Layout {
  bool large = true;
  bool touch = false;       // scaled up for fingers
  QSize window{1024, 740};  // window size in screen pixels
  double scale = 1.0;       // screen pixels per logical pixel
  QRect storyPanel{2, 1, 190, 618};
  QRect canvas{QPoint(196, 1), kCanvasPanelSize};
  QRect classPanel{203, 200, 617, 293};
  QRect cardStrip{1, 620, 1012, 92};
  QRect toolPanel{2, 1, 190, 618};
  QRect cardText{196, 1, 818, 618};
};

// The layout for a screen.
Layout ChooseLayout(const ScreenFacts& screen);

// The primary screen as it is now: its size, its available area and
// whether a touch screen is attached. PIKORAMA_TOUCH=1 or 0 says whether
// there is one, whatever the devices say.
ScreenFacts ThisScreen();
