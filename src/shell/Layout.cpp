// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/Layout.h"

#include <algorithm>

Layout ChooseLayout(QSize screen) {
  Layout layout;
  // The class panel is centred without rounding: (1024 - 617) / 2 = 203.5 keeps
  // the left edge of a pixel grid at 203.
  layout.classPanel = QRect((1024 - 617) / 2, 200, 617, 293);
  if (screen.width() < 1024 || screen.height() < 768) {
    layout.large = false;
    layout.window = QSize(800, 600);
    layout.scale = std::min(800.0 / 1024.0, 600.0 / 740.0);
  }
  return layout;
}
