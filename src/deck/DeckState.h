// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The deck of the story in hand: its folder, the card numbers in deck
// order, the current card and the strip's page, and the card as loaded (its
// picture, thumbnail and text). The strip surface is the one it shows.
// Deck positions count from 0; the child sees them from 1.

#include <QHash>
#include <QImage>
#include <QList>
#include <QString>
#include <memory>

#include "platform/Disk.h"
#include "platform/Notifier.h"

class SharedLock;

class DeckState : public Notifier {
  Q_OBJECT
 public:
  // The folder of the story whose deck this is, ending in "\".
  QString storyFolder;
  // The card numbers (which name the card files) in deck order, at most 30.
  QList<int> cardNumbers;
  // The card the strip marks and the editor opens: a deck position;
  // cardCount() is the new card, not yet saved; -1 is none (the last card
  // was erased).
  int currentCard = -1;
  // The stem of the files of the card last loaded, saved, copied or erased
  // (CardFileStem).
  QString cardStem;
  // The deck position the strip's first tile shows: 0, 10 or 20.
  int stripStart = 0;

  int cardCount() const { return int(cardNumbers.size()); }
  // The number of the card at `position`; 0 where no card is (the new card,
  // none).
  int numberAt(int position) const {
    return position >= 0 && position < cardCount() ? cardNumbers[position] : 0;
  }

  QImage cardImage;       // the card's 800 x 600 picture as loaded or saved
  QImage thumbnailImage;  // its 90 x 64 thumbnail as saved
  QImage stripImage;      // the card strip
  QString cardText;       // the card's text, lines ended by CR LF
  QString loadedText;     // cardText as LoadCard read it from the card's file
  // The card's picture file is there but could not be read: cardImage is
  // blank paper standing in for it, and the file is kept unless the child
  // draws.
  bool pictureUnreadable = false;
  // What this computer last read of the story's card files, by file name
  // in upper case ("CARD_07.BMP"): each file's stamp (size and modification
  // time; the default stamp for a file that was missing) and the
  // thumbnails as read (a null image for one missing or unreadable). The
  // strip and the card shown follow what other computers save by them, and
  // a strip drawn again reads only the thumbnails that changed. They are of
  // the story in seenFolder only: another story starts afresh.
  QString seenFolder;
  QHash<QString, disk::FileStamp> seenStamps;
  QHash<QString, QImage> seenThumbnails;
  // Starts that record afresh when the story is another than it was for.
  void keepSeenForStory() {
    if (seenFolder == storyFolder) return;
    seenFolder = storyFolder;
    seenStamps.clear();
    seenThumbnails.clear();
  }
  // The lock of the card open for drawing, while it is open (SharedDeck.h).
  std::shared_ptr<SharedLock> drawingLock;
};
