// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "deck/CardOperations.h"

#include "deck/CardFiles.h"
#include "deck/CardList.h"
#include "deck/CardStrip.h"
#include "platform/Disk.h"
#include "platform/Numbers.h"

namespace {

const QString kStoryFull = QStringLiteral("カードは 30まいまでです。");
const QString kNotCopied = QStringLiteral("カードを コピーできませんでした。");
const QString kNotErased = QStringLiteral("カードを けせませんでした。");
const QString kNotMoved = QStringLiteral("カードを うごかせませんでした。");

// The files of a card, in the order they are copied.
const char* const kCardFiles[] = {".BMP", ".PNG", ".TXT", "_x.wav"};

}  // namespace

StripHit HitCardStrip(const DeckState& deck, QPointF at) {
  StripHit hit;
  const double x = at.x(), y = at.y();
  // The grid the strip is painted on: the page switch from the pixel
  // before its box, the label up to the first tile, then the tiles.
  if (x > strip::kPageSwitchLeft - 1) {
    hit.zone = StripHit::PageSwitch;
    return hit;
  }
  if (x <= strip::TileLeft(1)) {
    hit.zone = StripHit::Label;
    return hit;
  }
  const long k = RoundHalfEven(x - strip::TileLeft(1));
  hit.tile = std::clamp(int(k / strip::kPitch) + 1, 1, strip::kTiles);
  hit.position = hit.tile + deck.CardStripOffset;
  hit.offset = int(k % strip::kPitch);
  const int t = hit.offset, p = hit.position;
  const bool card = p <= deck.CardCount;
  if (y >= 20) {
    if (t > 2 && t < 35 && y > 67 && y < 84 && card)
      hit.zone = StripHit::Copy;
    else if (t > 50 && t < 85 && y > 67 && y < 84 && card)
      hit.zone = StripHit::Erase;
    else
      hit.zone = StripHit::Open;
  } else if (t > 5 && t < 30 && p > 1 && card) {
    hit.zone = StripHit::MoveLeft;
  } else if (t > 60 && t < 90 && p < deck.CardCount) {
    hit.zone = StripHit::MoveRight;
  }
  return hit;
}

void CopyCard(DeckState& deck, Dialogs& dialogs) {
  if (deck.CardCount >= kMaxCards) {
    dialogs.Tell(kStoryFull);
    return;
  }
  if (!dialogs.Ask(QStringLiteral("このカードをコピーします。"))) return;
  deck.CardFileBase = CardFileStem(deck, deck.CardNumbers[deck.CurrentCard]);
  const int16_t number = AssignCardNumber(deck, 0);
  const QString target = CardFileStem(deck, number);
  // The files first, the list after them: the list never names a card
  // whose files are not all there. The number has no files on disk, so a
  // half copy can be taken away whole.
  bool copied = number != 0;
  for (const char* ext : kCardFiles) {
    // A file the card does not have is simply not copied.
    const QString from = deck.CardFileBase + QLatin1String(ext);
    if (copied && disk::FileExists(from)) copied = disk::CopyFile(from, target + QLatin1String(ext));
  }
  if (copied) {
    deck.CardCount = int16_t(deck.CardCount + 1);
    deck.CardNumbers[deck.CardCount] = number;
    if (!WriteCardList(deck)) {
      deck.CardCount = int16_t(deck.CardCount - 1);
      copied = false;
    }
  }
  if (!copied) {
    if (number != 0)
      for (const char* ext : kCardFiles) disk::DeleteFile(target + QLatin1String(ext));
    dialogs.Tell(kNotCopied);
  }
  DrawCardStrip(deck);
  LoadCard(deck);
}

void EraseCard(DeckState& deck, Dialogs& dialogs) {
  if (!dialogs.Ask(QStringLiteral("このカードを消します。"))) return;
  deck.CardFileBase = CardFileStem(deck, deck.CardNumbers[deck.CurrentCard]);
  const auto numbersBefore = deck.CardNumbers;
  const int16_t count = deck.CardCount;
  for (int q = deck.CurrentCard; q < deck.CardCount; ++q) deck.CardNumbers[q] = deck.CardNumbers[q + 1];
  deck.CardCount = int16_t(deck.CardCount - 1);
  // The list goes first: a card is thrown away only once the list no
  // longer names it.
  if (!WriteCardList(deck)) {
    deck.CardNumbers = numbersBefore;
    deck.CardCount = count;
    dialogs.Tell(kNotErased);
    return;
  }
  for (const char* ext : kCardFiles) disk::DeleteFile(deck.CardFileBase + QLatin1String(ext));
  if (deck.CardCount < deck.CurrentCard) deck.CurrentCard = deck.CardCount;
  DrawCardStrip(deck);
  LoadCard(deck);
  if (deck.CurrentCard == 0) {
    // The only card is gone: its text must not stay either.
    deck.cardText.clear();
    deck.notifyChanged();
  }
}

namespace {

// Swaps the cards at two neighbouring positions. The new order is written
// at once, so it is not lost when the child leaves the story without
// drawing; when it cannot be written the deck keeps its old order.
void SwapCards(DeckState& deck, Dialogs& dialogs, int left) {
  std::swap(deck.CardNumbers[left], deck.CardNumbers[left + 1]);
  if (!WriteCardList(deck)) {
    std::swap(deck.CardNumbers[left], deck.CardNumbers[left + 1]);
    dialogs.Tell(kNotMoved);
    return;
  }
  DrawCardStrip(deck);
  LoadCard(deck);
}

}  // namespace

void MoveCardLeft(DeckState& deck, Dialogs& dialogs) { SwapCards(deck, dialogs, deck.CurrentCard - 1); }

void MoveCardRight(DeckState& deck, Dialogs& dialogs) { SwapCards(deck, dialogs, deck.CurrentCard); }
