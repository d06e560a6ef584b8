// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The stamps of 「はんこ」: pictures from the colour emoji font, each a
// code point sequence with a hiragana name, in categories with hiragana
// names. The table itself is StampTable.cpp; the font is looked up and the
// stamps are rendered here too.

#include <QImage>
#include <QString>
#include <span>

struct Stamp {
  const char* text;  // UTF-8: the code point sequence of the picture
  const char* name;  // its hiragana name, under its tile
};

struct StampCategory {
  const char* name;
  std::span<const Stamp> stamps;
};

// Every category, in the order of the stamp box's tabs.
std::span<const StampCategory> StampCategories();
int StampCount();

// The colour emoji font: the file named by $PIKORAMA_STAMP_FONT, else
// "Noto Color Emoji" as fontconfig finds it among the system's fonts. Its
// family, or empty when the file or the font is missing (then there is no
// stamp button).
QString StampFontFamily();

// The stamp drawn into a transparent `size` x `size` ARGB32 picture,
// centred, mirrored left to right when asked. Null when there is no font.
QImage RenderStamp(const Stamp& stamp, int size, bool mirrored);
