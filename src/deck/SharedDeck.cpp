// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "deck/SharedDeck.h"

#include <QSet>
#include <chrono>
#include <thread>

#include "deck/CardFiles.h"
#include "deck/CardList.h"
#include "deck/CardStrip.h"
#include "platform/Disk.h"
#include "platform/HiddenNames.h"
#include "deck/StoryFiles.h"

namespace {

// The random part after the new card's prefix: seven of 36 characters,
// more names than a random 32-bit number gave.
constexpr int kNewCardNameLength = 7;

// The card at currentCard as a card number, 0 for the new card (or none).
int CurrentNumber(const DeckState& deck) { return deck.numberAt(deck.currentCard); }

// How long a failed read of the card list waits before it is tried again:
// a moment for a share that reconnects, too short to be felt in the window.
constexpr std::chrono::milliseconds kRereadPause{50};

// Reads the list into the deck; false when it cannot be read. A story folder
// without a list (a story whose first card is not saved yet) is an empty
// deck; a list that is there but cannot be read, or a folder that is gone,
// is no deck at all.
bool ReadListOnce(DeckState& deck) {
  if (ReadCardList(deck)) return true;
  return !disk::Exists(CardListFile(deck)) && disk::FolderExists(deck.storyFolder);
}

}  // namespace

std::unique_ptr<SharedLock> LockCardList(const QString& storyFolder) {
  return SharedLock::Take(SharedLock::LockFileFor(storyFolder, storyfiles::kCardList),
                          SharedLock::kListStale, SharedLock::kListWait);
}

QString CardLockFile(const QString& storyFolder, int number) {
  return SharedLock::LockFileFor(storyFolder, CardFileStem(QString(), number));
}

ListRead ReadCardListAgain(DeckState& deck) {
  const QList<int> numbers = deck.cardNumbers;
  const bool isNew = deck.currentCard == deck.cardCount();
  const int current = CurrentNumber(deck);
  bool read = ReadListOnce(deck);
  if (!read) {
    std::this_thread::sleep_for(kRereadPause);
    read = ReadListOnce(deck);
  }
  if (!read) {
    // Never an empty deck for a list that could not be read: the open card
    // would turn into a new one, and its next save into a card of its own.
    deck.cardNumbers = numbers;
    return ListRead::Unreadable;
  }
  if (deck.cardNumbers == numbers) return ListRead::Same;
  if (isNew) {
    deck.currentCard = deck.cardCount();
  } else if (const int at = current ? int(deck.cardNumbers.indexOf(current)) : -1; at >= 0) {
    deck.currentCard = at;
  } else if (deck.currentCard >= deck.cardCount()) {
    deck.currentCard = std::max(deck.cardCount() - 1, 0);
  }
  // The strip's second page only while it has something to show.
  if (deck.stripStart > 0 && deck.stripStart > deck.cardCount()) deck.stripStart = 0;
  return ListRead::Changed;
}

bool RereadCardList(DeckState& deck) { return ReadCardListAgain(deck) == ListRead::Changed; }

bool RefreshCardList(DeckState& deck, bool loadCard) {
  const int before = CurrentNumber(deck);
  if (!RereadCardList(deck)) return false;
  DrawCardStrip(deck);
  if (loadCard && CurrentNumber(deck) != before) LoadCard(deck);
  return true;
}

int ReserveCardNumber(const DeckState& deck, std::unique_ptr<SharedLock>& reservation) {
  // One listing of the folder, not a question per file: on a slow share
  // every question to the server counts.
  QSet<QString> present;
  for (const QString& name : disk::ListFiles(deck.storyFolder, storyfiles::kAnyCardFile))
    present.insert(name.toUpper());
  for (int n = 1; n <= kMaxCards; ++n) {
    if (deck.cardNumbers.contains(n)) continue;
    bool used = false;
    for (const storyfiles::CardFile kind : storyfiles::kCardFiles)
      used = used || present.contains(storyfiles::CardFileName(n, kind).toUpper());
    if (used) continue;
    reservation = SharedLock::Take(CardLockFile(deck.storyFolder, n), SharedLock::kCardStale, SharedLock::Duration(0));
    if (reservation) return n;
  }
  return 0;
}

CardListResult ChangeCardList(DeckState& deck, const std::function<ListEdit(DeckState&)>& change,
                          const std::function<void()>& whileLocked) {
  const auto lock = LockCardList(deck.storyFolder);
  if (!lock) return CardListResult::Busy;
  if (ReadCardListAgain(deck) == ListRead::Unreadable) return CardListResult::Unreadable;
  const QList<int> numbers = deck.cardNumbers;
  const int current = deck.currentCard;
  const auto undo = [&] {
    deck.cardNumbers = numbers;
    deck.currentCard = current;
  };
  if (change(deck) == ListEdit::Leave) {
    undo();
    return CardListResult::Left;
  }
  // A computer that slept past the lock's stale period lost it: another
  // computer may have written the list since it was read.
  if (!lock->stillHeld()) {
    undo();
    return CardListResult::LockLost;
  }
  if (!WriteCardList(deck)) {
    undo();
    return CardListResult::NotWritten;
  }
  if (whileLocked) whileLocked();
  return CardListResult::Written;
}

int AddCardToList(DeckState& deck, int number) {
  int position = -1;
  const CardListResult outcome = ChangeCardList(deck, [&](DeckState& d) {
    if (d.cardCount() >= kMaxCards || d.cardNumbers.contains(number)) return ListEdit::Leave;
    // The new card, being drawn, becomes the card just added.
    const bool isNew = d.currentCard == d.cardCount();
    d.cardNumbers.append(number);
    position = d.cardCount() - 1;
    if (isNew) d.currentCard = position;
    return ListEdit::Write;
  });
  return outcome == CardListResult::Written ? position : -1;
}

bool CardStillOurs(const DeckState& deck, std::unique_ptr<SharedLock>& lockForWrite) {
  const QString lockFile = CardLockFile(deck.storyFolder, CurrentNumber(deck));
  if (deck.drawingLock && deck.drawingLock->file() == lockFile) return deck.drawingLock->stillHeld();
  lockForWrite = SharedLock::Take(lockFile, SharedLock::kCardStale, SharedLock::Duration(0));
  // A folder that cannot hold the lock file (a full disk) fails the write
  // itself; only a lock another computer holds keeps the card from it.
  return lockForWrite ||
         SharedLock::Inspect(lockFile, SharedLock::kCardStale) != SharedLock::State::HeldElsewhere;
}

DrawingLock LockCardForDrawing(DeckState& deck) {
  deck.drawingLock.reset();
  if (deck.currentCard < 0 || deck.currentCard >= deck.cardCount()) {
    // A new card has no number yet; its lock tells other computers that the
    // story is in use. A folder that cannot hold it does not stop drawing.
    deck.drawingLock = SharedLock::Take(
        SharedLock::LockFileFor(deck.storyFolder,
                                storyfiles::kNewCardPrefix + disk::RandomNamePart(kNewCardNameLength)),
        SharedLock::kCardStale, SharedLock::Duration(0));
    return DrawingLock::Taken;
  }
  const int number = CurrentNumber(deck);
  // The card's lock first, then the list read again, without the list's
  // lock: an erase holds the card's lock from before it writes the list
  // until the card's files are gone (EraseCard), so a card whose lock is
  // taken here and that the list still names after it is not erased, nor
  // can be while the lock holds. Taking it over once stale is part of
  // taking it.
  auto lock = SharedLock::Take(CardLockFile(deck.storyFolder, number), SharedLock::kCardStale,
                               SharedLock::Duration(0));
  RereadCardList(deck);
  if (!deck.cardNumbers.contains(number)) return DrawingLock::Gone;
  if (!lock) return DrawingLock::InUse;
  deck.drawingLock = std::move(lock);
  return DrawingLock::Taken;
}

void ReleaseDrawingLock(DeckState& deck) { deck.drawingLock.reset(); }

bool StoryInUseElsewhere(const QString& storyFolder) {
  for (const QString& name : SharedLock::LockNamesIn(storyFolder)) {
    if (!storyfiles::IsCardName(name) && !name.startsWith(storyfiles::kNewCardPrefix)) continue;
    if (SharedLock::IsTakeoverName(name)) continue;
    if (SharedLock::Inspect(storyFolder + name, SharedLock::kCardStale) == SharedLock::State::HeldElsewhere)
      return true;
  }
  return false;
}

void RemoveLockFiles(const QString& storyFolder, const QString& except) {
  for (const QString& name : SharedLock::LockNamesIn(storyFolder))
    if (storyFolder + name != except) disk::DeleteFile(storyFolder + name);
}
