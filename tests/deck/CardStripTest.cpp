// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The card strip drawn from the deck: which tiles show cards, thumbnails,
// buttons, the new-card tile and the current card's band, on every page.

#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>

#include "deck/CardDeck.h"
#include "platform/Imaging.h"
#include "deck/DeckState.h"
#include "support/TestSupport.h"

namespace {

const QRgb kWhite = qRgb(255, 255, 255), kBlack = qRgb(0, 0, 0), kPink = qRgb(255, 200, 200),
           kBlue = qRgb(200, 255, 255), kNewCard = qRgb(200, 200, 255), kMarker = qRgb(255, 0, 0),
           kOld = qRgb(1, 2, 3);  // what the panel held before

// The colour of card n's thumbnail.
QRgb CardColour(int n) { return qRgb(8 * n, 100, 250 - 8 * n); }
int X(int tile) { return strip::TileLeft(tile); }

enum class Tile { Card, New, Empty };

// A story whose cards, numbered in reverse of their positions, have
// thumbnails in their colour with a marker at (1, 1).
struct Fixture {
  explicit Fixture(int cards) {
    deck.storyFolder = QStringLiteral("C:\\story\\");
    for (int p = 0; p < cards; ++p) {
      deck.cardNumbers.append(cards - p);
      QImage thumbnail(imaging::kThumbnailSize, QImage::Format_RGB32);
      thumbnail.fill(CardColour(deck.cardNumbers[p]));
      thumbnail.setPixel(1, 1, kMarker);
      WriteHostFile(
          drives.c(QStringLiteral("story/Card_%1.BMP").arg(deck.cardNumbers[p], 2, 10, QChar(u'0'))),
          imaging::EncodeBmp(thumbnail));
    }
    deck.currentCard = 0;
    deck.stripImage = QImage(strip::kSize, QImage::Format_RGB32);
    deck.stripImage.fill(kOld);
  }

  QRgb At(int x, int y) const { return deck.stripImage.pixel(x, y); }
  QRgb Band(int tile) const { return At(X(tile) + 5, 10); }
  QRgb Body(int tile) const { return At(X(tile) + 45, 45); }
  bool HasLeft(int tile) const { return At(X(tile) + 10, 4) == kBlack; }
  bool HasRight(int tile) const { return At(X(tile) + 63, 4) == kBlack; }
  Tile Kind(int tile) const {
    const int x = X(tile);
    if (At(x + 85, 80) == kNewCard) return Tile::New;
    // The right edge of "ｺﾋﾟｰ" and the left edge of "けす".
    if (At(x + 38, 76) == kBlack && At(x + 50, 76) == kBlack) return Tile::Card;
    return Tile::Empty;
  }
  // Whether the tens' cell of a tile's position number holds a digit.
  bool HasTens(int tile) const {
    for (int y = 7; y < 21; ++y)
      for (int x = X(tile) + 35; x < X(tile) + 43; ++x)
        if (qGray(At(x, y)) < 128) return true;
    return false;
  }
  QImage PageSwitch() const { return deck.stripImage.copy(983, 3, 23, 83); }

  TempDrives drives;
  DeckState deck;
};

}  // namespace

class CardStripTest : public QObject {
  Q_OBJECT
 private slots:
  void emptyDeck();
  void firstPage_data();
  void firstPage();
  void laterPages_data();
  void laterPages();
  void onlyTheCurrentTileIsPink();
  void cardsWithoutThumbnailsStayBlank();
  void followsCardsSavedElsewhere();
};

void CardStripTest::emptyDeck() {
  Fixture f(0);
  QSignalSpy changed(&f.deck, &DeckState::surfaceChanged);
  DrawCardStrip(f.deck);
  QCOMPARE(changed.count(), 1);
  QCOMPARE(changed.at(0).at(0).toRect(), QRect());  // the whole strip
  QCOMPARE(f.Kind(0), Tile::New);
  QCOMPARE(f.Band(0), kPink);
  for (int i = 1; i < 10; ++i) {
    QCOMPARE(f.Kind(i), Tile::Empty);
    QCOMPARE(f.Band(i), kBlue);
    QCOMPARE(f.Body(i), kWhite);
  }
  // Both labels; the gaps keep what the panel held.
  QCOMPARE(f.At(10, 10), qRgb(255, 255, 120));
  QCOMPARE(f.At(1006, 86), kBlack);
  QCOMPARE(f.At(28, 50), kOld);
  QCOMPARE(f.At(X(0) + 91, 50), kOld);
  QCOMPARE(f.At(500, 88), kOld);
}

void CardStripTest::firstPage_data() {
  QTest::addColumn<int>("cards");
  QTest::newRow("3 cards") << 3;
  QTest::newRow("10 cards") << 10;
}

void CardStripTest::firstPage() {
  QFETCH(int, cards);
  Fixture f(cards);
  DrawCardStrip(f.deck);
  for (int i = 0; i < 10; ++i) {
    if (i < cards) {
      QCOMPARE(f.Kind(i), Tile::Card);
      QCOMPARE(f.Body(i), CardColour(f.deck.cardNumbers[i]));
      QCOMPARE(f.HasTens(i), i == 9);  // " 1" .. " 9", "10"
      QCOMPARE(f.HasLeft(i), i > 0);
      QCOMPARE(f.HasRight(i), i < cards - 1);
    } else {
      QCOMPARE(f.Kind(i), i == cards ? Tile::New : Tile::Empty);
    }
  }
  // The tile's frame, the line under its band, and the thumbnail placed at
  // (x + 1, 23): its marker at (1, 1) shows at (x + 2, 24).
  const int x = X(1);
  QCOMPARE(f.At(x, 2), kBlack);
  QCOMPARE(f.At(x + 90, 86), kBlack);
  QCOMPARE(f.At(x + 45, 23), kBlack);
  QCOMPARE(f.At(x + 2, 24), kMarker);
  QCOMPARE(f.At(x + 1, 24), f.Body(1));
  QCOMPARE(f.At(x + 89, 60), f.Body(1));
  QCOMPARE(f.At(x + 37, 69), kWhite);  // inside "ｺﾋﾟｰ"
}

void CardStripTest::laterPages_data() {
  QTest::addColumn<int>("cards");
  QTest::addColumn<int>("start");
  QTest::addColumn<bool>("onward");  // the page switch reads "つぎへ" as on page 1
  QTest::newRow("15 cards, page 2") << 15 << 10 << false;
  QTest::newRow("25 cards, page 2") << 25 << 10 << true;
  QTest::newRow("25 cards, page 3") << 25 << 20 << false;
  QTest::newRow("30 cards, page 3") << 30 << 20 << false;
}

void CardStripTest::laterPages() {
  QFETCH(int, cards);
  QFETCH(int, start);
  QFETCH(bool, onward);
  Fixture f(cards);
  DrawCardStrip(f.deck);
  const QImage firstPageSwitch = f.PageSwitch();
  f.deck.stripStart = start;
  f.deck.currentCard = start;
  DrawCardStrip(f.deck);
  const int shown = std::min(cards - start, 10);
  for (int i = 0; i < 10; ++i) {
    const int p = start + i;
    if (i < shown) {
      QCOMPARE(f.Kind(i), Tile::Card);
      QCOMPARE(f.Body(i), CardColour(f.deck.cardNumbers[p]));
      QVERIFY(f.HasTens(i));
      QCOMPARE(f.HasLeft(i), i > 0);
      QCOMPARE(f.HasRight(i), p < cards - 1);
    } else {
      QCOMPARE(f.Kind(i), i == shown ? Tile::New : Tile::Empty);
    }
  }
  QCOMPARE(f.Band(0), kPink);
  QCOMPARE(f.PageSwitch() == firstPageSwitch, onward);
  QCOMPARE(NextStripStart(f.deck), onward ? start + 10 : 0);
}

void CardStripTest::onlyTheCurrentTileIsPink() {
  Fixture f(12);
  const auto pinkTiles = [&f](int current, int start) {
    f.deck.currentCard = current;
    f.deck.stripStart = start;
    DrawCardStrip(f.deck);
    QList<int> tiles;  // a band of neither colour counts as -1 - i
    for (int i = 0; i < 10; ++i) {
      if (f.Band(i) == kPink)
        tiles.append(i);
      else if (f.Band(i) != kBlue)
        tiles.append(-1 - i);
    }
    return tiles;
  };
  QCOMPARE(pinkTiles(1, 0), QList<int>{1});
  QCOMPARE(pinkTiles(9, 0), QList<int>{9});
  QCOMPARE(pinkTiles(11, 0), QList<int>{});
  QCOMPARE(pinkTiles(11, 10), QList<int>{1});
  QCOMPARE(pinkTiles(12, 10), QList<int>{2});  // a new card being drawn
}

void CardStripTest::cardsWithoutThumbnailsStayBlank() {
  Fixture f(4);  // cards 4, 3, 2, 1
  QFile::remove(f.drives.c(QStringLiteral("story/Card_03.BMP")));
  WriteHostFile(f.drives.c(QStringLiteral("story/Card_02.BMP")), "BM broken");
  QImage small(30, 20, QImage::Format_RGB32);
  small.fill(CardColour(1));
  WriteHostFile(f.drives.c(QStringLiteral("story/Card_01.BMP")), imaging::EncodeBmp(small));
  DrawCardStrip(f.deck);
  QCOMPARE(f.Body(0), CardColour(4));
  QCOMPARE(f.Body(1), kWhite);  // not card 4's thumbnail
  QCOMPARE(f.Body(2), kWhite);
  QCOMPARE(f.At(X(3) + 20, 30), CardColour(1));
  QCOMPARE(f.Body(3), kWhite);
  for (int i = 0; i < 4; ++i) QCOMPARE(f.Kind(i), Tile::Card);
}

// Cards saved again on another computer: the next re-reading of the card
// files shows the new thumbnail and loads the card shown again (not while
// it is open for drawing here); files with the stamps they had are never
// read again, neither by the re-reading nor by a strip drawn again.
void CardStripTest::followsCardsSavedElsewhere() {
  Fixture f(3);  // cards 3, 2, 1
  const auto path = [&f](const char* name) { return f.drives.c(QStringLiteral("story/") + QLatin1String(name)); };
  const auto png = [](QRgb colour) {
    QImage picture(imaging::kCardSize, QImage::Format_RGB32);
    picture.fill(colour);
    return imaging::EncodePng(picture);
  };
  const auto bmp = [](QRgb colour) {
    QImage thumbnail(imaging::kThumbnailSize, QImage::Format_RGB32);
    thumbnail.fill(colour);
    return imaging::EncodeBmp(thumbnail);
  };
  // Writes `bytes` and gives the file the time it had (`seconds` = 0) or a later one.
  const auto rewrite = [&path](const char* name, const QByteArray& bytes, int seconds) {
    const QByteArray file = QFile::encodeName(path(name));
    struct stat st {};
    QCOMPARE(::stat(file.constData(), &st), 0);
    WriteHostFile(path(name), bytes);
    timespec times[2] = {st.st_atim, st.st_mtim};
    times[1].tv_sec += seconds;
    QCOMPARE(::utimensat(AT_FDCWD, file.constData(), times, 0), 0);
  };
  WriteHostFile(path("Card_03.PNG"), png(CardColour(3)));
  WriteHostFile(path("Card_03.txt"), "ab\r\n");
  ShowFirstCard(f.deck);
  QCOMPARE(f.Body(1), CardColour(2));
  QCOMPARE(f.deck.cardImage.pixel(400, 300), CardColour(3));

  // Other bytes behind the same size and time: taken as unchanged, so
  // nothing is read (these bytes would show blank paper).
  rewrite("Card_02.BMP", QByteArray(bmp(0).size(), 'x'), 0);
  rewrite("Card_03.PNG", QByteArray(png(CardColour(3)).size(), 'x'), 0);
  QSignalSpy drawn(&f.deck, &DeckState::surfaceChanged), loaded(&f.deck, &DeckState::changed);
  QVERIFY(!RefreshCardFiles(f.deck, true));
  QCOMPARE(drawn.count() + loaded.count(), 0);
  DrawCardStrip(f.deck);
  QCOMPARE(f.Body(1), CardColour(2));

  // Saved elsewhere: the thumbnail of card 2 and the picture and text of
  // card 3, the card shown.
  rewrite("Card_02.BMP", bmp(kMarker), 2);
  rewrite("Card_03.PNG", png(kMarker), 2);
  rewrite("Card_03.txt", "xyz\r\n", 2);
  QVERIFY(RefreshCardFiles(f.deck, true));
  QCOMPARE(f.Body(1), kMarker);
  QCOMPARE(f.Body(0), CardColour(3));
  QCOMPARE(f.deck.cardImage.pixel(400, 300), kMarker);
  QCOMPARE(f.deck.cardText, QStringLiteral("xyz\r\n"));
  QVERIFY(!RefreshCardFiles(f.deck, true));

  // Open for drawing here: the strip follows, the card stays as drawn.
  rewrite("Card_02.BMP", bmp(kWhite), 2);
  rewrite("Card_03.PNG", png(kWhite), 2);
  QVERIFY(RefreshCardFiles(f.deck, false));
  QCOMPARE(f.Body(1), kWhite);
  QCOMPARE(f.deck.cardImage.pixel(400, 300), kMarker);
}

QTEST_MAIN(CardStripTest)
#include "CardStripTest.moc"
