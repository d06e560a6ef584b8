// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Fonts and language of the windows. The program's faces are named
// "ＭＳ ゴシック" and "ＭＳ Ｐゴシック" as on the PCs it was designed for; they map
// to IPAGothic and IPAPGothic here. Sizes are in points at 96 dots per
// inch, so text has the same pixel size on every screen.

#include <QFont>

class QApplication;

// Font substitutions, the application font and Japanese standard buttons.
void InstallJapanese(QApplication& app);

// "ＭＳ ゴシック" at `points`, scaled by `scale` screen pixels per pixel.
QFont Gothic(double points, bool bold = false, double scale = 1.0);
QFont PGothic(double points, bool bold = false, double scale = 1.0);
