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

// A card's picture and text as read from its files, with their stamps.
struct CardRead {
  std::optional<QImage> picture;
  bool pictureThere = false;  // the picture file is there, read or not
  disk::FileStamp pictureStamp, textStamp;
  std::optional<QByteArray> text;
};

QString Key(const QString& name) { return name.toUpper(); }
QString PictureName(const QString& stem) { return stem + storyfiles::CardFileSuffix(storyfiles::CardFile::Picture); }
QString TextName(const QString& stem) { return stem + storyfiles::CardFileSuffix(storyfiles::CardFile::Text); }

// Reads the picture and the text of the card whose files are named from
// `stem` ("Card_07") in the held story folder: both at the same time, each
// in one question by the spelling this program saves, and a file not found
// so by the spelling one listing of the folder finds (".TXT" as a card
// copy on a school PC spells it).
CardRead ReadCardFiles(const disk::HeldFiles& folder, const QString& stem) {
  CardRead card;
  std::optional<QByteArray> pictureBytes;
  disk::AskTogether({[&] { pictureBytes = folder.Read(PictureName(stem), &card.pictureStamp); },
                     [&] { card.text = folder.Read(TextName(stem), &card.textStamp); }});
  if (!pictureBytes || !card.text) {
    for (const QString& name : folder.Names(stem + QStringLiteral(".*")).value_or(QStringList())) {
      if (!pictureBytes && Key(name) == Key(PictureName(stem))) {
        card.pictureThere = true;
        pictureBytes = folder.Read(name, &card.pictureStamp);
      } else if (!card.text && Key(name) == Key(TextName(stem))) {
        card.text = folder.Read(name, &card.textStamp);
      }
    }
  }
  if (pictureBytes) {
    card.pictureThere = true;
    if (const auto image = imaging::Decode(*pictureBytes)) card.picture = imaging::ToCardPicture(*image);
  }
  return card;
}

// Puts a card read into the deck as its current card, and records the
// stamps of the files it came from.
void TakeCardRead(DeckState& deck, const CardRead& card) {
  const QString stem = storyfiles::CardStem(deck.cardNumbers[deck.currentCard]);
  deck.cardStem = CardFileStem(deck, deck.cardNumbers[deck.currentCard]);
  // A card whose picture is missing or broken shows blank paper, never
  // the picture of the card shown before.
  deck.cardImage = card.picture.value_or(Blank(imaging::kCardSize));
  deck.pictureUnreadable = !card.picture && card.pictureThere;
  QString text;
  if (card.text) {
    for (const QString& line : text::SplitLines(text::Decode(*card.text))) text += line + QStringLiteral("\r\n");
  }
  deck.cardText = text;
  deck.loadedText = text;
  deck.keepSeenForStory();
  deck.seenStamps.insert(Key(PictureName(stem)), card.pictureStamp);
  deck.seenStamps.insert(Key(TextName(stem)), card.textStamp);
  deck.notifyChanged();
}

void ForgetSeenCard(DeckState& deck) {
  const QString stem = storyfiles::CardStem(deck.cardNumbers[deck.currentCard]);
  for (const QString& name : {PictureName(stem), TextName(stem),
                              stem + storyfiles::CardFileSuffix(storyfiles::CardFile::Thumbnail)}) {
    deck.seenStamps.remove(Key(name));
    deck.seenThumbnails.remove(Key(name));
  }
}

// Loads the current card through the held story folder.
void LoadCardFrom(DeckState& deck, const disk::HeldFiles& folder) {
  TakeCardRead(deck, ReadCardFiles(folder, storyfiles::CardStem(deck.cardNumbers[deck.currentCard])));
}

void LoadNewCard(DeckState& deck) {
  deck.pictureUnreadable = false;
  deck.cardImage = Blank(imaging::kCardSize);
  deck.cardText.clear();
  deck.loadedText.clear();
  deck.notifyChanged();
}

}  // namespace

bool IsNewCard(const DeckState& deck) { return deck.currentCard >= deck.cardCount() || deck.currentCard < 0; }

void LoadCard(DeckState& deck) {
  if (deck.currentCard < 0) return;
  if (IsNewCard(deck)) return LoadNewCard(deck);
  LoadCardFrom(deck, disk::HeldFiles(deck.storyFolder));
}

void ShowCardAt(DeckState& deck, int position) {
  deck.currentCard = position;
  deck.stripStart = std::min(position / strip::kTiles * strip::kTiles, kMaxCards - strip::kTiles);
  // One hold of the story folder for the strip and the card, and the card's
  // files read while the strip reads its thumbnails.
  const disk::HeldFiles folder(deck.storyFolder);
  if (position < 0 || IsNewCard(deck)) {
    DrawCardStrip(deck, folder);
    if (position >= 0) LoadNewCard(deck);
    return;
  }
  // The strip is drawn on this thread, as the deck is only changed here.
  CardRead card;
  const QString stem = storyfiles::CardStem(deck.cardNumbers[position]);
  disk::AskTogether({[&] { DrawCardStrip(deck, folder); }, [&] { card = ReadCardFiles(folder, stem); }});
  TakeCardRead(deck, card);
}

bool RefreshCardFiles(DeckState& deck, bool loadCard) {
  // Nothing seen of this story yet: its next drawing reads everything.
  if (deck.seenFolder != deck.storyFolder || deck.storyFolder.isEmpty()) return false;
  QStringList names;
  for (int i = 0; i < strip::kTiles; ++i)
    if (const int number = deck.numberAt(deck.stripStart + i))
      names.append(storyfiles::CardFileName(number, storyfiles::CardFile::Thumbnail));
  const int thumbnails = int(names.size());
  // The card shown, when it is the one last loaded (a press on a tile's
  // header makes a card current without loading it).
  const int number = deck.numberAt(deck.currentCard);
  const QString stem = storyfiles::CardStem(number);
  const bool cardShown = loadCard && number != 0 && deck.cardStem == CardFileStem(deck, number);
  if (cardShown) names << PictureName(stem) << TextName(stem);
  if (names.isEmpty()) return false;

  // One listing of the story folder, with sizes and times.
  const disk::HeldFiles folder(deck.storyFolder);
  const auto listed = folder.ListNamed(names);
  if (!listed) return false;  // a folder that cannot be read now tells nothing
  QHash<QString, disk::FileStamp> now;
  for (const disk::StampedFile& file : *listed) now.insert(Key(file.name), file.stamp);
  // A file not seen yet counts as changed: a card saved here is read once
  // more after its save.
  const auto changed = [&](const QString& name) {
    const auto seen = deck.seenStamps.constFind(Key(name));
    return seen == deck.seenStamps.cend() || *seen != now.value(Key(name));
  };
  const bool stripChanged = std::any_of(names.cbegin(), names.cbegin() + thumbnails, changed);
  const bool cardChanged = cardShown && std::any_of(names.cbegin() + thumbnails, names.cend(), changed);
  if (stripChanged) DrawCardStrip(deck, folder);
  if (cardChanged) LoadCardFrom(deck, folder);
  return stripChanged || cardChanged;
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
    const CardListResult reserved = ChangeCardList(deck, [&](DeckState& d) {
      full = d.cardCount() >= kMaxCards;
      if (!full) number = ReserveCardNumber(d, reservation);
      return ListEdit::Leave;
    });
    if (reserved == CardListResult::Left && full) return CardSave::DeckFull;
    if (reserved != CardListResult::Left || number == 0) return CardSave::Failed;
    deck.currentCard = deck.cardCount();
    deck.cardNumbers.append(number);
  }
  deck.cardStem = CardFileStem(deck, deck.cardNumbers[deck.currentCard]);
  // Written here: the strip and the card shown read these files once more.
  ForgetSeenCard(deck);
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
