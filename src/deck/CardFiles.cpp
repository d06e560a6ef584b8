// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "deck/CardFiles.h"

#include <algorithm>

#include "deck/CardList.h"
#include "deck/CardStrip.h"
#include "deck/StoryFiles.h"
#include "deck/SharedDeck.h"
#include "platform/Disk.h"
#include "platform/Imaging.h"
#include "platform/TextCodec.h"

namespace {

QImage Blank(QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

// The thumbnail reduction: each thumbnail pixel combines its block of
// picture pixels with a bitwise AND, as a plain stretched copy of a
// picture does, so thin black lines stay visible in the small picture.
void Reduce(const QImage& picture, QImage& thumbnail, int width, int height) {
  const int sw = picture.width(), sh = picture.height();
  for (int ty = 0; ty < height; ++ty) {
    const int y0 = ty * sh / height, y1 = std::max(y0 + 1, (ty + 1) * sh / height);
    QRgb* out = reinterpret_cast<QRgb*>(thumbnail.scanLine(ty));
    for (int tx = 0; tx < width; ++tx) {
      const int x0 = tx * sw / width, x1 = std::max(x0 + 1, (tx + 1) * sw / width);
      QRgb value = 0xFFFFFFFF;
      for (int y = y0; y < y1; ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = x0; x < x1; ++x) value &= in[x];
      }
      out[tx] = value | 0xFF000000;
    }
  }
}

}  // namespace

bool IsNewCard(const DeckState& deck) { return deck.currentCard >= deck.cardCount() || deck.currentCard < 0; }

void LoadCard(DeckState& deck) {
  if (deck.currentCard < 0) return;
  QString text;
  deck.pictureUnreadable = false;
  if (IsNewCard(deck)) {
    deck.cardImage = Blank(imaging::kCardSize);
  } else {
    deck.cardStem = CardFileStem(deck, deck.cardNumbers[deck.currentCard]);
    // A card whose picture is missing or broken shows blank paper, never
    // the picture of the card shown before.
    const QString pictureFile = deck.cardStem + storyfiles::CardFileSuffix(storyfiles::CardFile::Picture);
    const auto picture = imaging::ReadCardPicture(pictureFile);
    deck.cardImage = picture.value_or(Blank(imaging::kCardSize));
    deck.pictureUnreadable = !picture && disk::FileExists(pictureFile);
    if (const auto lines = disk::ReadLines(deck.cardStem + storyfiles::CardFileSuffix(storyfiles::CardFile::Text))) {
      for (const QString& line : *lines) text += line + QStringLiteral("\r\n");
    }
  }
  deck.cardText = text;
  deck.loadedText = text;
  deck.notifyChanged();
}

void ShowCardAt(DeckState& deck, int position) {
  deck.currentCard = position;
  deck.stripStart = std::min(position / strip::kTiles * strip::kTiles, kMaxCards - strip::kTiles);
  DrawCardStrip(deck);
  LoadCard(deck);
}

void ShowFirstCard(DeckState& deck) { ShowCardAt(deck, 0); }

void SetCardPicture(DeckState& deck, const QImage& picture) {
  deck.cardImage = picture;
  deck.thumbnailImage = Blank(imaging::kThumbnailSize);
  Reduce(deck.cardImage, deck.thumbnailImage, 88, 62);
}

CardSave SaveCard(DeckState& deck, const QImage& picture) {
  // A story renamed or thrown away on another computer has moved its folder
  // away first: its drawing is not saved into a folder made again, which no
  // list would name. Where the class folder has gone with it (a stick
  // pulled out) the save simply fails, and may work once it is back.
  if (!disk::FolderExists(deck.storyFolder)) {
    const QString classFolder = deck.storyFolder.left(deck.storyFolder.chopped(1).lastIndexOf(u'\\') + 1);
    return disk::FolderExists(classFolder) ? CardSave::StoryGone : CardSave::Failed;
  }

  const int currentBefore = deck.currentCard;
  const bool isNew = IsNewCard(deck);
  // An old card is written only under its own lock: one taken over while
  // this computer slept is another computer's card now.
  std::unique_ptr<SharedLock> lockForWrite;
  if (!isNew && !CardStillOurs(deck, lockForWrite)) return CardSave::TakenOver;
  // A new card's number is chosen under the card list's lock, with the list
  // as it is now, and reserved by the card's lock; the list names the card
  // only once its picture is on disk.
  std::unique_ptr<SharedLock> reservation;
  if (isNew) {
    // The new card is the one right after the last card, and a deck holds
    // at most thirty: as the child sees it, and as the list now holds it.
    if (deck.cardCount() >= kMaxCards) return CardSave::DeckFull;
    bool full = false;
    int number = 0;
    const ListChange reserved = ChangeCardList(deck, [&](DeckState& d) {
      full = d.cardCount() >= kMaxCards;
      if (!full) number = ReserveCardNumber(d, reservation);
      return ListEdit::Leave;
    });
    if (reserved == ListChange::Left && full) return CardSave::DeckFull;
    if (reserved != ListChange::Left || number == 0) return CardSave::Failed;
    deck.currentCard = deck.cardCount();
    deck.cardNumbers.append(number);
  }
  deck.cardStem = CardFileStem(deck, deck.cardNumbers[deck.currentCard]);
  const QString pictureFile = deck.cardStem + storyfiles::CardFileSuffix(storyfiles::CardFile::Picture);
  const QString thumbnail = deck.cardStem + storyfiles::CardFileSuffix(storyfiles::CardFile::Thumbnail);

  // Without a picture the card's picture files stay as they are.
  const bool keepPicture = !isNew && picture.isNull();
  if (!keepPicture) {
    // The card as it was, for a write that fails: the card buffers never
    // hold a drawing that is not on disk.
    const QImage cardBefore = deck.cardImage, thumbnailBefore = deck.thumbnailImage;
    SetCardPicture(deck, picture);
    // The picture first: a thumbnail never shows a drawing the card lacks.
    // A new card's number has no files on disk, so a failed write leaves
    // nothing of another card to put back.
    const bool written = imaging::WriteCardPicture(pictureFile, deck.cardImage) &&
                         imaging::WriteThumbnail(thumbnail, deck.thumbnailImage);
    if (written) deck.pictureUnreadable = false;
    // The list names the new card only once its picture is on disk.
    bool listed = !isNew;
    if (written && isNew) {
      const int number = deck.cardNumbers.takeLast();
      listed = AddCardToList(deck, number) >= 0;
    }
    if (!written || !listed) {
      deck.cardImage = cardBefore;
      deck.thumbnailImage = thumbnailBefore;
      if (isNew) {
        disk::DeleteFile(pictureFile);
        disk::DeleteFile(thumbnail);
        // The deck is as the list file holds it, without the new card,
        // which is still the one being drawn.
        if (!written) deck.cardNumbers.removeLast();
        deck.currentCard = currentBefore < 0 ? currentBefore : deck.cardCount();
      }
      return CardSave::Failed;
    }
    // The card now holds its own lock while the editor stays open.
    if (isNew) deck.drawingLock = std::move(reservation);
  }

  const QString textFile = deck.cardStem + storyfiles::CardFileSuffix(storyfiles::CardFile::Text);
  // A text as it was loaded stays as its file holds it, byte for byte.
  if (!isNew && deck.cardText == deck.loadedText) return CardSave::Saved;
  if (deck.cardText.isEmpty()) {
    disk::DeleteFile(textFile);
  } else {
    // Every line ends with CR LF in the file, the last one too; a text that
    // already ends so gets no further empty line.
    QString stored = deck.cardText;
    if (!stored.endsWith(QStringLiteral("\r\n"))) stored += QStringLiteral("\r\n");
    const auto bytes = text::Encode(stored);
    if (!bytes || !disk::WriteBytes(textFile, *bytes)) return CardSave::TextNotSaved;
  }
  deck.loadedText = deck.cardText;
  return CardSave::Saved;
}
