// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "deck/CardOperations.h"

#include "deck/CardFiles.h"
#include "deck/CardList.h"
#include "deck/CardStrip.h"
#include "deck/StoryFiles.h"
#include "deck/SharedDeck.h"
#include "platform/Disk.h"
#include "platform/Numbers.h"

namespace {

const QString kStoryFull = QStringLiteral("カードは 30まいまでです。");
const QString kNotCopied = QStringLiteral("カードを コピーできませんでした。");
const QString kNotErased = QStringLiteral("カードを けせませんでした。");
const QString kNotMoved = QStringLiteral("カードを うごかせませんでした。");

// What follows a card's stem, in the order its files are copied.
QString Suffix(storyfiles::CardFile kind) {
  return storyfiles::CardFileSuffix(kind, storyfiles::Spelling::Copied);
}

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
  if (x <= strip::TileLeft(0)) {
    hit.zone = StripHit::Label;
    return hit;
  }
  const long k = RoundHalfEven(x - strip::TileLeft(0));
  hit.tile = std::clamp(int(k / strip::kPitch), 0, strip::kTiles - 1);
  hit.position = deck.stripStart + hit.tile;
  hit.offset = int(k % strip::kPitch);
  const int t = hit.offset, p = hit.position;
  const bool card = p < deck.cardCount();
  if (y >= 20) {
    if (t > 2 && t < 35 && y > 67 && y < 84 && card)
      hit.zone = StripHit::Copy;
    else if (t > 50 && t < 85 && y > 67 && y < 84 && card)
      hit.zone = StripHit::Erase;
    else
      hit.zone = StripHit::Open;
  } else if (t > 5 && t < 30 && hit.tile > 0 && card) {
    // Only where the strip draws a "<": the first tile of a page has none.
    hit.zone = StripHit::MoveLeft;
  } else if (t > 60 && t < 90 && p < deck.cardCount() - 1) {
    hit.zone = StripHit::MoveRight;
  }
  return hit;
}

void CopyCard(DeckState& deck, Dialogs& dialogs) {
  if (deck.cardCount() >= kMaxCards) {
    dialogs.Tell(kStoryFull);
    return;
  }
  if (!dialogs.Ask(QStringLiteral("このカードをコピーします。"))) return;
  // The card the child chose, in the list as it is now: other computers
  // may have changed the story since the strip was drawn.
  const int source = deck.numberAt(deck.currentCard);
  std::unique_ptr<SharedLock> reservation;
  int number = 0;
  bool full = false;
  // The new number is reserved before the list lock goes; the copying
  // itself, the slow part, holds no lock other computers wait for.
  ChangeCardList(deck, [&](DeckState& d) {
    full = d.cardCount() >= kMaxCards;
    if (!full && d.numberAt(d.currentCard) == source && d.currentCard < d.cardCount())
      number = ReserveCardNumber(d, reservation);
    return ListEdit::Leave;
  });
  deck.cardStem = CardFileStem(deck, source);
  const QString target = CardFileStem(deck, number);
  // The files first, the list after them: the list never names a card
  // whose files are not all there. The number has no files on disk, so a
  // half copy can be taken away whole.
  bool copied = number != 0;
  for (const storyfiles::CardFile kind : storyfiles::kCardFiles) {
    // A file the card does not have is simply not copied.
    const QString from = deck.cardStem + Suffix(kind);
    if (copied && disk::FileExists(from)) copied = disk::CopyFile(from, target + Suffix(kind));
  }
  if (copied) copied = AddCardToList(deck, number) >= 0;
  if (!copied) {
    if (number != 0)
      for (const storyfiles::CardFile kind : storyfiles::kCardFiles) disk::DeleteFile(target + Suffix(kind));
    dialogs.Tell(full ? kStoryFull : kNotCopied);
  }
  reservation.reset();
  DrawCardStrip(deck);
  LoadCard(deck);
}

void EraseCard(DeckState& deck, Dialogs& dialogs) {
  if (!dialogs.Ask(QStringLiteral("このカードを消します。"))) return;
  const int number = deck.numberAt(deck.currentCard);
  enum class Found { Erasable, Gone, InUse } found = Found::Gone;
  std::unique_ptr<SharedLock> cardLock;
  // The list goes first: a card is thrown away only once the list no
  // longer names it. Its files go while the list is still locked, so no
  // other computer gives their number to a new card before they are gone.
  const CardListResult outcome = ChangeCardList(
      deck,
      [&](DeckState& d) {
        // Erased on another computer already: the child sees the strip as it is.
        if (number == 0 || d.numberAt(d.currentCard) != number) return ListEdit::Leave;
        // A card being drawn on another computer stays.
        cardLock = SharedLock::Take(CardLockFile(d.storyFolder, number), SharedLock::kCardStale,
                                    SharedLock::Duration(0));
        found = cardLock ? Found::Erasable : Found::InUse;
        if (!cardLock) return ListEdit::Leave;
        d.cardNumbers.removeAt(d.currentCard);
        return ListEdit::Write;
      },
      [&] {
        deck.cardStem = CardFileStem(deck, number);
        for (const storyfiles::CardFile kind : storyfiles::kCardFiles) disk::DeleteFile(deck.cardStem + Suffix(kind));
      });
  cardLock.reset();
  if (outcome == CardListResult::Left && found == Found::InUse) {
    DrawCardStrip(deck);
    dialogs.Tell(kCardInUse);
    return;
  }
  if (outcome != CardListResult::Written && outcome != CardListResult::Left) {
    dialogs.Tell(kNotErased);
    return;
  }
  if (deck.currentCard >= deck.cardCount()) deck.currentCard = deck.cardCount() - 1;
  DrawCardStrip(deck);
  LoadCard(deck);
  if (deck.currentCard < 0) {
    // The only card is gone: its text must not stay either.
    deck.cardText.clear();
    deck.notifyChanged();
  }
}

namespace {

// Moves the current card one place (-1 left, +1 right) in the list as it is
// now, written at once, so it is not lost when the child leaves the story
// without drawing; when it cannot be written the deck keeps its old order.
// The current position stays: it now shows the neighbouring card.
void MoveCard(DeckState& deck, Dialogs& dialogs, int step) {
  const CardListResult outcome = ChangeCardList(deck, [&](DeckState& d) {
    const int left = step < 0 ? d.currentCard - 1 : d.currentCard;
    if (left < 0 || left + 1 >= d.cardCount()) return ListEdit::Leave;
    d.cardNumbers.swapItemsAt(left, left + 1);
    return ListEdit::Write;
  });
  if (outcome != CardListResult::Written && outcome != CardListResult::Left) {
    dialogs.Tell(kNotMoved);
    return;
  }
  DrawCardStrip(deck);
  LoadCard(deck);
}

}  // namespace

void MoveCardLeft(DeckState& deck, Dialogs& dialogs) { MoveCard(deck, dialogs, -1); }

void MoveCardRight(DeckState& deck, Dialogs& dialogs) { MoveCard(deck, dialogs, +1); }
