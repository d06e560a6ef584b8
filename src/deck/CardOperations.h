// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The card strip's operations on the deck: where a click lands, copy a
// card to the end of the deck, erase a card, move a card one place left or
// right. Each works on the card at currentCard.

#include <QPointF>

#include "deck/DeckState.h"
#include "platform/Dialogs.h"

// Where a click on the strip lands.
struct StripHit {
  enum Zone { None, PageSwitch, Label, Copy, Erase, Open, MoveLeft, MoveRight };
  Zone zone = None;
  int tile = -1;      // 0..9; -1 off the tiles
  int position = -1;  // deck position shown by the tile, counted from 0
  int offset = 0;     // 0..94 across the tile
};

// The zone of a click at `at` (strip pixels) for the deck as it is.
StripHit HitCardStrip(const DeckState& deck, QPointF at);

// After the child agrees, copies the card's files to a new card at the end
// of the deck; a full deck is refused with a message.
void CopyCard(DeckState& deck, Dialogs& dialogs);
// After the child agrees, takes the card out of the deck and deletes its
// files. When the last card goes, currentCard is -1 and the text empty.
void EraseCard(DeckState& deck, Dialogs& dialogs);
void MoveCardLeft(DeckState& deck, Dialogs& dialogs);
void MoveCardRight(DeckState& deck, Dialogs& dialogs);
