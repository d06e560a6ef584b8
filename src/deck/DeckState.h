// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The deck of the story in hand: its folder, the card numbers in deck
// order, the current card and the strip's page, and the card as loaded (its
// picture, thumbnail and text). The strip surface is the one it shows.
// Arrays keep their fixed index ranges (cards 1..30; index 0 unused).

#include <QImage>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>

#include "platform/Notifier.h"

class SharedLock;

class DeckState : public Notifier {
  Q_OBJECT
 public:
  // The folder of the story whose deck this is, ending in "\".
  QString StoryFolder;
  std::array<int16_t, 31> CardNumbers{};
  int16_t CardCount = 0;
  int16_t CurrentCard = 0;
  QString CardFileBase;
  int16_t CardStripOffset = 0;

  QImage cardImage;       // the card's 800 x 600 picture as loaded or saved
  QImage thumbnailImage;  // its 90 x 64 thumbnail as saved
  QImage stripImage;      // the card strip
  QString cardText;       // the card's text, lines ended by CR LF
  QString loadedText;     // cardText as LoadCard read it from the card's file
  // The card's picture file is there but could not be read: cardImage is
  // blank paper standing in for it, and the file is kept unless the child
  // draws.
  bool pictureUnreadable = false;
  // The lock of the card open for drawing, while it is open (SharedDeck.h).
  std::shared_ptr<SharedLock> drawingLock;
};
