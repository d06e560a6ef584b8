#pragma once
// Clicks on the card strip: open a card (or the new card) for drawing,
// copy a card to the end of the deck, erase a card, move a card one place
// left or right, and turn the strip's page.

#include <QPointF>

class Shared;

// Where a click on the strip lands.
struct StripHit {
  enum Zone { None, PageSwitch, Label, Copy, Erase, Open, MoveLeft, MoveRight };
  Zone zone = None;
  int tile = 0;      // 1..10
  int position = 0;  // deck position shown by the tile
  int offset = 0;    // 0..94 across the tile
};

// The zone of a click at `at` (strip pixels) for the deck as it is.
StripHit HitCardStrip(const Shared& m, QPointF at);

// The strip's mouse press (any button).
void CardStripMouseDown(Shared& m, QPointF at);

// The single operations, on the card at CurrentCard.
void CopyCard(Shared& m);
void EraseCard(Shared& m);
void OpenCard(Shared& m);
void MoveCardLeft(Shared& m);
void MoveCardRight(Shared& m);
