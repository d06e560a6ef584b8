// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The card strip: ten card tiles of the current story side by side along
// the bottom of the main window, a label on the left and the page switch on
// the right. Tile i (0..9) shows deck position stripStart + i; stripStart is
// 0, 10 or 20.

#include <QColor>
#include <QSize>

class DeckState;
namespace disk {
class HeldFiles;
}

namespace strip {
inline constexpr QSize kSize{1012, 92};
inline constexpr int kTiles = 10;
inline constexpr int kPitch = 95;
// Left edge of tile i (0..9).
constexpr int TileLeft(int i) { return 30 + kPitch * i; }
// The label's and the page switch's boxes span x = 2..26 and 982..1006.
inline constexpr int kLabelLeft = 2;
inline constexpr int kLabelRight = 26;
inline constexpr int kPageSwitchLeft = 982;
inline constexpr int kPageSwitchRight = 1006;
inline const QColor kBackground{212, 208, 200};
inline const QColor kLabel{255, 255, 120};
inline const QColor kBody{255, 255, 255};
inline const QColor kCurrentBand{255, 200, 200};
inline const QColor kBand{200, 255, 255};
inline const QColor kNewCard{200, 200, 255};
}  // namespace strip

// The strip's surface at `size` (the layout's card strip) in its background
// colour, and the white thumbnail buffer.
void LayOutStrip(DeckState& deck, QSize size);

// The stripStart the page switch turns to: the next page while it has a card
// or the new-card tile to show, otherwise back to the first page.
int NextStripStart(const DeckState& s);

// Draws the whole strip on the strip surface from the deck in memory. The
// thumbnails come from each card's ".BMP"; a card without a readable one
// shows a blank body. A thumbnail whose file has the stamp it had when
// last read (DeckState's seenStamps) is not read again.
void DrawCardStrip(DeckState& deck);
// The same through the story folder already held (`folder`).
void DrawCardStrip(DeckState& deck, const disk::HeldFiles& folder);
