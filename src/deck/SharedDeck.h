// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A story's deck shared by many computers: a class often makes one story
// together, each child drawing a card on a computer of its own, all in one
// story folder on the school's file server.
//
// - Every change to "CardData.txt" is made under the list's lock
//   ("CardData.txt.~pikorama-lock", SharedLock.h): the list is read again,
//   the one change the child made is applied to it (a card added, copied,
//   erased, moved) and it is written, so no computer writes back a deck it
//   read before another computer's change.
// - A new card's number is chosen under that lock and reserved by the card's
//   own lock before the list lock is let go, so two computers never take one
//   number.
// - A card open for drawing holds its card lock ("Card_07.~pikorama-lock"),
//   renewed while the editor is open; a new card not yet saved holds a lock
//   of its own ("NewCard-XXXXXX.~pikorama-lock"). Another computer may look
//   at such a card and play the story, but not draw it, erase it, or rename
//   or delete its story.
//
// Lock order, the same everywhere: the class's Menu.txt lock, a story's
// CardData.txt lock, then card locks (taken without waiting).

#include <QString>
#include <memory>

#include "deck/DeckState.h"
#include "platform/SharedLock.h"

// What the child is told.
inline const QString kCardInUse = QStringLiteral("この カードは いま ほかの コンピュータで かいています。");
inline const QString kStoryInUse = QStringLiteral("この おはなしは いま ほかの コンピュータで つかっています。");

// The lock of the story's card list; nothing when it cannot be had within a
// few seconds or the story folder is gone.
std::unique_ptr<SharedLock> LockCardList(const QString& storyFolder);

// The lock file of card `number` in `storyFolder`.
QString CardLockFile(const QString& storyFolder, int number);

// Reads the card list again. The current card stays the same card where it
// still is in the deck (its position follows it), the new card stays the new
// card; a card gone from the list leaves the position it had, within the
// deck. True when the deck changed.
bool RereadCardList(DeckState& deck);

// The same, and when the deck changed the strip is drawn again and, with
// `loadCard`, a current card that is now another card loaded.
bool RefreshCardList(DeckState& deck, bool loadCard);

// Under the list's lock (held by the caller, the deck just read again): the
// lowest card number free in the list, on disk and among the reserved
// numbers, reserved by its card lock. 0 when every number is taken.
int ReserveCardNumber(const DeckState& deck, std::unique_ptr<SharedLock>& reservation);

// Under the list's lock: reads the list again and puts card `number` at the
// end of the deck and into the file. The position it got, or -1 when the deck
// is full or the list cannot be had or written (the deck is then as the
// file holds it).
int AddCardToList(DeckState& deck, int number);

enum class DrawingLock { Taken, InUse, Gone };
// Before the card at currentCard opens for drawing: its lock (for the new
// card a lock of its own), kept in the deck until ReleaseDrawingLock. InUse
// when another computer draws it; Gone when another computer has erased it
// (the deck is read again).
DrawingLock LockCardForDrawing(DeckState& deck);
// At "えをかく おわり": another computer may draw the card again.
void ReleaseDrawingLock(DeckState& deck);

// Whether a card of the story in `storyFolder` is open for drawing (or a
// card number reserved) on another computer. Stale locks there are removed.
bool StoryInUseElsewhere(const QString& storyFolder);
// Removes every lock file left in `storyFolder` but `except` (a lock this
// computer holds), before the folder itself goes.
void RemoveLockFiles(const QString& storyFolder, const QString& except);
