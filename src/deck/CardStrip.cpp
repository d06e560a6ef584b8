// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "deck/CardStrip.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "deck/CardList.h"
#include "deck/DeckState.h"
#include "deck/StoryFiles.h"
#include "platform/Disk.h"
#include "platform/Imaging.h"
#include "platform/Fonts.h"
#include "platform/Numbers.h"

namespace {

// Drawing with the panel's rules: boxes include both corners, text is
// placed by the top-left corner of its line, black and without background.
class StripPainter {
 public:
  explicit StripPainter(QImage& surface)
      : painter_(&surface),
        large_(Gothic(12, true)),
        medium_(Gothic(11, true)),
        small_(Gothic(10, true)) {
    painter_.setPen(Qt::black);
    for (const QFont* font : {&small_, &medium_, &large_})
      ascents_.push_back(QFontMetricsF(*font).ascent());
  }

  void Fill(int x1, int y1, int x2, int y2, const QColor& colour) {
    painter_.fillRect(QRect(QPoint(x1, y1), QPoint(x2, y2)), colour);
  }

  void Outline(int x1, int y1, int x2, int y2) {
    Fill(x1, y1, x2, y1, Qt::black);
    Fill(x1, y2, x2, y2, Qt::black);
    Fill(x1, y1, x1, y2, Qt::black);
    Fill(x2, y1, x2, y2, Qt::black);
  }

  // A filled box drawn again as a black outline.
  void Box(int x1, int y1, int x2, int y2, const QColor& colour) {
    Fill(x1, y1, x2, y2, colour);
    Outline(x1, y1, x2, y2);
  }

  // A horizontal line without its end point.
  void HLine(int x1, int x2, int y) { Fill(x1, y, x2 - 1, y, Qt::black); }

  enum Size { Small, Medium, Large };
  void Text(int x, int y, const QString& text, Size size) {
    painter_.setFont(size == Large ? large_ : size == Medium ? medium_ : small_);
    painter_.drawText(QPointF(x, y + ascents_[size]), text);
  }

  // Copies at most w x h pixels of `image`'s top-left to (x, y).
  void Blit(int x, int y, const QImage& image, int w, int h) {
    painter_.drawImage(QPoint(x, y), image, QRect(0, 0, w, h).intersected(image.rect()));
  }

 private:
  QPainter painter_;
  QFont large_, medium_, small_;
  std::vector<qreal> ascents_;  // by Size
};

using Thumbnails = std::array<std::optional<QImage>, strip::kTiles>;

void PaintStrip(QImage& surface, const DeckState& s, const Thumbnails& thumbnails) {
  using namespace strip;
  StripPainter paint(surface);

  // The label: "カ｜ド" written downward.
  paint.Box(kLabelLeft, 2, kLabelRight, 86, kLabel);
  paint.Text(7, 16, QStringLiteral("カ"), StripPainter::Large);
  paint.Text(7, 36, QStringLiteral("｜"), StripPainter::Large);
  paint.Text(7, 56, QStringLiteral("ド"), StripPainter::Large);

  // The page switch: "つぎへ" while it leads on, "まえへ" when it goes back.
  paint.Box(kPageSwitchLeft, 2, kPageSwitchRight, 86, kLabel);
  const bool onward = s.stripStart == 0 || NextStripStart(s) > s.stripStart;
  const QString page = onward ? QStringLiteral("つぎへ") : QStringLiteral("まえへ");
  for (int k = 0; k < 3; ++k) paint.Text(987, 16 + 20 * k, page.mid(k, 1), StripPainter::Large);

  for (int i = 0; i < kTiles; ++i) {
    const int p = s.stripStart + i;
    const int x = TileLeft(i);
    paint.Fill(x, 2, x + 90, 86, kBody);
    paint.Fill(x, 2, x + 90, 22, p == s.currentCard ? kCurrentBand : kBand);

    if (p < s.cardCount()) {
      // The child counts the cards from 1.
      paint.Text(x + 35, 6, SignedText(p + 1).right(2), StripPainter::Large);
      // A card without a readable thumbnail keeps its blank body.
      if (thumbnails[i]) paint.Blit(x + 1, 23, *thumbnails[i], 90, 64);
      paint.Box(x + 2, 68, x + 38, 84, kBody);
      paint.Text(x + 4, 70, QStringLiteral("ｺﾋﾟｰ"), StripPainter::Small);
      paint.Box(x + 50, 68, x + 86, 84, kBody);
      paint.Text(x + 54, 70, QStringLiteral("けす"), StripPainter::Small);
      if (i > 0) {
        paint.Box(x + 10, 4, x + 27, 21, kBody);
        paint.Text(x + 11, 4, QStringLiteral("<"), StripPainter::Large);
      }
      if (p < s.cardCount() - 1) {
        paint.Box(x + 63, 4, x + 80, 21, kBody);
        paint.Text(x + 65, 4, QStringLiteral(">"), StripPainter::Large);
      }
    } else if (p == s.cardCount()) {
      paint.Box(x + 2, 25, x + 88, 84, kNewCard);
      paint.Text(x + 6, 36, QStringLiteral("あたらしい"), StripPainter::Medium);
      paint.Text(x + 6, 56, QStringLiteral("　カード"), StripPainter::Medium);
    }

    paint.Outline(x, 2, x + 90, 86);
    paint.HLine(x, x + 90, 23);
  }
}

// A tile's thumbnail: read again, or kept as last read.
struct ThumbnailRead {
  bool read = false;
  bool found = false;  // by the name as this program spells it
  disk::FileStamp stamp;
  QImage image;  // null when unreadable
};

// The thumbnail `name` unless its stamp is still `seen`, in one question
// to the file system; a missing file that was missing before stays so.
ThumbnailRead ReadThumbnailOf(const disk::HeldFiles& folder, const QString& name,
                              std::optional<disk::FileStamp> seen) {
  ThumbnailRead thumbnail;
  if (seen && folder.Stamp(name).value_or(disk::FileStamp()) == *seen) return thumbnail;
  thumbnail.read = true;
  const auto bytes = folder.Read(name, &thumbnail.stamp);
  thumbnail.found = bytes.has_value();
  if (bytes) thumbnail.image = imaging::Decode(*bytes).value_or(QImage());
  return thumbnail;
}

}  // namespace

void LayOutStrip(DeckState& deck, QSize size) {
  deck.stripImage = QImage(size, QImage::Format_RGB32);
  deck.stripImage.fill(strip::kBackground);
  deck.thumbnailImage = QImage(QSize(90, 64), QImage::Format_RGB32);
  deck.thumbnailImage.fill(Qt::white);
}

int NextStripStart(const DeckState& s) {
  const int next = s.stripStart + strip::kTiles;
  // Position next is a card or the new-card tile.
  if (next < kMaxCards && s.cardCount() >= next) return next;
  return 0;
}

void DrawCardStrip(DeckState& deck) { DrawCardStrip(deck, disk::HeldFiles(deck.storyFolder)); }

void DrawCardStrip(DeckState& deck, const disk::HeldFiles& folder) {
  using namespace strip;
  if (deck.stripImage.isNull()) {
    deck.stripImage = QImage(kSize, QImage::Format_RGB32);
    deck.stripImage.fill(kBackground);
  }
  deck.keepSeenForStory();

  // The page's thumbnails, each file asked for once, all at the same time:
  // on a file server ten questions one after the other wait ten times as
  // long. A thumbnail unchanged since it was read is not read again.
  std::array<QString, kTiles> names;
  std::array<ThumbnailRead, kTiles> reads;
  std::vector<std::function<void()>> questions;
  for (int i = 0; i < kTiles; ++i) {
    const int number = deck.numberAt(deck.stripStart + i);
    if (number == 0) continue;
    names[i] = storyfiles::CardFileName(number, storyfiles::CardFile::Thumbnail);
    std::optional<disk::FileStamp> seen;
    if (const auto it = deck.seenStamps.constFind(names[i].toUpper()); it != deck.seenStamps.cend()) seen = *it;
    questions.push_back([&folder, &names, &reads, i, seen] { reads[i] = ReadThumbnailOf(folder, names[i], seen); });
  }
  disk::AskTogether(questions);
  std::optional<QStringList> listed;  // for thumbnails spelled another way
  Thumbnails thumbnails;
  for (int i = 0; i < kTiles; ++i) {
    if (names[i].isEmpty()) continue;
    ThumbnailRead& thumbnail = reads[i];
    const QString key = names[i].toUpper();
    if (thumbnail.read && !thumbnail.found) {
      if (!listed) listed = folder.Names(storyfiles::CardFilePattern(storyfiles::CardFile::Thumbnail)).value_or(QStringList());
      for (const QString& name : *listed)
        if (name.toUpper() == key)
          if (const auto bytes = folder.Read(name, &thumbnail.stamp))
            thumbnail.image = imaging::Decode(*bytes).value_or(QImage());
    }
    if (thumbnail.read) {
      deck.seenStamps.insert(key, thumbnail.stamp);
      deck.seenThumbnails.insert(key, thumbnail.image);
    }
    const QImage image = deck.seenThumbnails.value(key);
    if (!image.isNull()) thumbnails[i] = image;
  }

  PaintStrip(deck.stripImage, deck, thumbnails);

  deck.notifySurface();
}
