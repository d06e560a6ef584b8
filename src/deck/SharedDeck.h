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
#include <functional>
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

// What reading the card list again found.
enum class ListRead { Same, Changed, Unreadable };
// Reads the card list again. The current card stays the same card where it
// still is in the deck (its position follows it), the new card stays the new
// card; a card gone from the list leaves the position it had, within the
// deck. A read that fails (a share reconnecting) is tried once more; when it
// fails again the deck stays as it was (Unreadable): a list that cannot be
// read is never taken for an empty deck. A story folder without a list is an
// empty deck.
ListRead ReadCardListAgain(DeckState& deck);
// The same; true when the deck changed.
bool RereadCardList(DeckState& deck);

// The same, and when the deck changed the strip is drawn again and, with
// `loadCard`, a current card that is now another card loaded.
bool RefreshCardList(DeckState& deck, bool loadCard);

// What a change of the card list made of the deck just read again.
enum class ListEdit {
  Write,  // the deck in memory is the list to write
  Leave,  // nothing to write: refused, or only looked at (a number reserved)
};
// How a change of the card list ended.
enum class CardListResult {
  Written,     // the change is in the file
  Left,        // the change wrote nothing (ListEdit::Leave)
  Busy,        // the list's lock could not be had, or the story folder is gone
  Unreadable,  // the list could not be read, twice
  LockLost,    // the lock was taken over before the write: nothing written
  NotWritten,  // the write failed; the old file stays
};

// The one way CardData.txt is changed: takes the list's lock (waiting up
// to SharedLock::kListWait), reads the list again (ReadCardListAgain),
// applies `change` to the deck just read, checks the lock is still this
// computer's and writes the list; `whileLocked` then runs, the lock still
// held (a card's files erased before another computer may reuse its
// number), and the lock is let go. When nothing is written the deck is the
// list as read, `change` undone. Nothing here waits for the child.
CardListResult ChangeCardList(DeckState& deck, const std::function<ListEdit(DeckState&)>& change,
                          const std::function<void()>& whileLocked = {});

// Under the list's lock (inside a ChangeCardList change): the
// lowest card number free in the list, on disk and among the reserved
// numbers, reserved by its card lock. 0 when every number is taken.
int ReserveCardNumber(const DeckState& deck, std::unique_ptr<SharedLock>& reservation);

// Puts card `number` at the end of the deck and into the file
// (ChangeCardList). The position it got, or -1 when the deck is full or the
// list cannot be had, read or written (the deck is then as the file holds
// it).
int AddCardToList(DeckState& deck, int number);

// Whether the card at currentCard may be written now: its drawing lock is
// still this computer's. Without a drawing lock (a card saved without the
// editor) the card's lock is taken for the write into `lockForWrite`; false
// when another computer holds it.
bool CardStillOurs(const DeckState& deck, std::unique_ptr<SharedLock>& lockForWrite);

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
