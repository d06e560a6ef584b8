// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "deck/SharedDeck.h"

#include <QRandomGenerator>
#include <QSet>

#include "deck/CardFiles.h"
#include "deck/CardList.h"
#include "deck/CardStrip.h"
#include "platform/Disk.h"

namespace {

// Long enough for thirty computers changing one list, and for a lock left by
// a computer that went off to turn stale.
constexpr SharedLock::Duration kListWait{15000};

const QString kNewCardPrefix = QStringLiteral("NewCard-");

// The card at CurrentCard as a card number, 0 for the new card (or none).
int CurrentNumber(const DeckState& deck) {
  return deck.CurrentCard >= 1 && deck.CurrentCard <= deck.CardCount ? deck.CardNumbers[deck.CurrentCard] : 0;
}

int PositionOf(const DeckState& deck, int number) {
  for (int p = 1; p <= deck.CardCount; ++p)
    if (deck.CardNumbers[p] == number) return p;
  return 0;
}

}  // namespace

std::unique_ptr<SharedLock> LockCardList(const QString& storyFolder) {
  return SharedLock::Take(SharedLock::LockFileFor(storyFolder, QStringLiteral("CardData.txt")),
                          SharedLock::kListStale, kListWait);
}

QString CardLockFile(const QString& storyFolder, int number) {
  return SharedLock::LockFileFor(storyFolder, CardFileStem(QString(), number));
}

bool RereadCardList(DeckState& deck) {
  const auto numbers = deck.CardNumbers;
  const int16_t count = deck.CardCount;
  const bool isNew = deck.CurrentCard == count + 1;
  const int current = CurrentNumber(deck);
  ReadCardList(deck);
  bool changed = count != deck.CardCount;
  for (int p = 1; p <= deck.CardCount && !changed; ++p) changed = numbers[p] != deck.CardNumbers[p];
  if (!changed) return false;
  if (isNew) {
    deck.CurrentCard = int16_t(deck.CardCount + 1);
  } else if (const int at = current ? PositionOf(deck, current) : 0) {
    deck.CurrentCard = int16_t(at);
  } else if (deck.CurrentCard > deck.CardCount) {
    deck.CurrentCard = std::max<int16_t>(deck.CardCount, 1);
  }
  // The strip's second page only while it has something to show.
  if (deck.CardStripOffset > 0 && deck.CardStripOffset >= deck.CardCount + 1) deck.CardStripOffset = 0;
  return true;
}

bool RefreshCardList(DeckState& deck, bool loadCard) {
  const int before = CurrentNumber(deck);
  if (!RereadCardList(deck)) return false;
  DrawCardStrip(deck);
  if (loadCard && CurrentNumber(deck) != before) LoadCard(deck);
  return true;
}

int16_t ReserveCardNumber(const DeckState& deck, std::unique_ptr<SharedLock>& reservation) {
  // One listing of the folder, not a question per file: on a slow share
  // every question to the server counts.
  QSet<QString> present;
  for (const QString& name : disk::ListFiles(deck.StoryFolder, QStringLiteral("Card_*")))
    present.insert(name.toUpper());
  QSet<int> inList;
  for (int p = 1; p <= deck.CardCount; ++p) inList.insert(deck.CardNumbers[p]);
  for (int16_t n = 1; n <= kMaxCards; ++n) {
    if (inList.contains(n)) continue;
    const QString stem = CardFileStem(QString(), n).toUpper();
    bool used = false;
    for (const char* ext : {".PNG", ".BMP", ".TXT", "_X.WAV"}) used = used || present.contains(stem + QLatin1String(ext));
    if (used) continue;
    reservation = SharedLock::Take(CardLockFile(deck.StoryFolder, n), SharedLock::kCardStale, SharedLock::Duration(0));
    if (reservation) return n;
  }
  return 0;
}

int AddCardToList(DeckState& deck, int number) {
  const auto listLock = LockCardList(deck.StoryFolder);
  if (!listLock) return 0;
  RereadCardList(deck);
  if (deck.CardCount >= kMaxCards || PositionOf(deck, number)) return 0;
  const bool isNew = deck.CurrentCard == deck.CardCount + 1;
  deck.CardCount = int16_t(deck.CardCount + 1);
  deck.CardNumbers[deck.CardCount] = int16_t(number);
  if (isNew) deck.CurrentCard = deck.CardCount;
  if (!WriteCardList(deck)) {
    deck.CardCount = int16_t(deck.CardCount - 1);
    if (isNew) deck.CurrentCard = int16_t(deck.CardCount + 1);
    return 0;
  }
  return deck.CardCount;
}

DrawingLock LockCardForDrawing(DeckState& deck) {
  deck.drawingLock.reset();
  if (deck.CurrentCard < 1 || deck.CurrentCard > deck.CardCount) {
    // A new card has no number yet; its lock tells other computers that the
    // story is in use. A folder that cannot hold it does not stop drawing.
    deck.drawingLock = SharedLock::Take(
        SharedLock::LockFileFor(deck.StoryFolder,
                                kNewCardPrefix + QString::number(QRandomGenerator::global()->generate(), 36)),
        SharedLock::kCardStale, SharedLock::Duration(0));
    return DrawingLock::Taken;
  }
  const int number = CurrentNumber(deck);
  // Under the list's lock: a card erased elsewhere is not opened, and an
  // erase elsewhere waits for this.
  const auto listLock = LockCardList(deck.StoryFolder);
  auto lock = SharedLock::Take(CardLockFile(deck.StoryFolder, number), SharedLock::kCardStale,
                               SharedLock::Duration(0));
  // Taking it over once stale is part of taking it.
  if (!lock) return DrawingLock::InUse;
  RereadCardList(deck);
  if (!PositionOf(deck, number)) return DrawingLock::Gone;
  deck.drawingLock = std::move(lock);
  return DrawingLock::Taken;
}

void ReleaseDrawingLock(DeckState& deck) { deck.drawingLock.reset(); }

bool StoryInUseElsewhere(const QString& storyFolder) {
  for (const QString& name : SharedLock::LockNamesIn(storyFolder)) {
    if (!name.startsWith(QStringLiteral("Card_"), Qt::CaseInsensitive) && !name.startsWith(kNewCardPrefix)) continue;
    if (name.contains(QStringLiteral("-lock-"))) continue;  // a takeover passing through
    if (SharedLock::Inspect(storyFolder + name, SharedLock::kCardStale) == SharedLock::State::HeldElsewhere)
      return true;
  }
  return false;
}

void RemoveLockFiles(const QString& storyFolder, const QString& except) {
  for (const QString& name : SharedLock::LockNamesIn(storyFolder))
    if (storyFolder + name != except) disk::DeleteFile(storyFolder + name);
}
