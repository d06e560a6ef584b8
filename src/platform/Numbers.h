// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Number rules shared by the whole program.

#include <QRect>
#include <QString>
#include <cmath>

// Fractional to whole numbers: to the nearest integer, halves to the even one.
inline long RoundHalfEven(double v) { return std::lrint(v); }

// The windows are designed in twips, 15 to a pixel: a length or a place
// in twips to whole pixels, rounded as above.
inline int TwipsToPixels(int twips) { return int(RoundHalfEven(twips / 15.0)); }
inline QRect Twips(int left, int top, int width, int height) {
  return {TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height)};
}

// A number as number printing writes it: a blank in place of the sign of a
// non-negative number, then the digits (" 3", "-3", " 12").
inline QString SignedText(long n) {
  return n < 0 ? QString::number(n) : QStringLiteral(" ") + QString::number(n);
}
