// The card strip drawn from the deck: which tiles show cards, thumbnails,
// buttons, the new-card tile and the current card's band, on every page.

#include <QSignalSpy>
#include <QTest>

#include "deck/CardDeck.h"
#include "platform/Imaging.h"
#include "shell/Shared.h"
#include "support/TestSupport.h"

namespace {

const QString kStory = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\story\\");
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kPink = qRgb(255, 200, 200);
const QRgb kBlue = qRgb(200, 255, 255);
const QRgb kNewCard = qRgb(200, 200, 255);
const QRgb kMarker = qRgb(255, 0, 0);
const QRgb kOld = qRgb(1, 2, 3);  // what the panel held before

// The colour of card n's thumbnail.
QRgb CardColour(int n) { return qRgb(8 * n, 100, 250 - 8 * n); }

int X(int tile) { return strip::TileLeft(tile); }

enum class Tile { Card, New, Empty };

class Fixture {
 public:
  explicit Fixture(QList<int> deck) : m(dialogs) {
    m.StoryFolder = kStory;
    m.CardCount = int16_t(deck.size());
    for (int p = 1; p <= deck.size(); ++p) {
      m.CardNumbers[p] = int16_t(deck[p - 1]);
      WriteThumbnail(deck[p - 1]);
    }
    m.CurrentCard = 1;
    m.Picture5Image = QImage(strip::kSize, QImage::Format_RGB32);
    m.Picture5Image.fill(kOld);
  }

  // Card n's thumbnail in its colour with a marker at (1, 1).
  void WriteThumbnail(int n) {
    QImage thumbnail(imaging::kThumbnailSize, QImage::Format_RGB32);
    thumbnail.fill(CardColour(n));
    thumbnail.setPixel(1, 1, kMarker);
    WriteHostFile(drives.c(QStringLiteral("A_PIKORA/CLASS_11/story/Card_%1.BMP")
                               .arg(n, 2, 10, QLatin1Char('0'))),
                  imaging::EncodeBmp(thumbnail));
  }

  QRgb At(int x, int y) const { return m.Picture5Image.pixel(x, y); }
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

  // Whether any pixel of the rectangle is dark (text drawn there).
  bool Inked(QRect r) const {
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x)
        if (qGray(At(x, y)) < 128) return true;
    return false;
  }
  // The first digit's cell of a tile's position number.
  bool TensInked(int tile) const { return Inked(QRect(X(tile) + 35, 7, 8, 14)); }
  QImage PageSwitch() const { return m.Picture5Image.copy(983, 3, 23, 83); }

  TempDrives drives;
  ScriptedDialogs dialogs;
  Shared m;
};

QList<int> Range(int from, int to) {
  QList<int> list;
  for (int n = from; n <= to; ++n) list.append(n);
  return list;
}

}  // namespace

class CardStripTest : public QObject {
  Q_OBJECT
 private slots:
  void emptyDeck();
  void tilesOfASmallDeck();
  void fullFirstPage();
  void laterPages_data();
  void laterPages();
  void onlyTheCurrentTileIsPink();
  void tileFrameAndThumbnailPlace();
  void cardsWithoutThumbnailsStayBlank();
};

void CardStripTest::emptyDeck() {
  Fixture f({});
  QSignalSpy changed(&f.m, &Shared::surfaceChanged);
  DrawCardStrip(f.m);
  QCOMPARE(changed.count(), 1);
  QCOMPARE(changed.at(0).at(0).value<Surface>(), Surface::Picture5);

  QCOMPARE(f.Kind(1), Tile::New);
  QCOMPARE(f.Band(1), kPink);
  for (int i = 2; i <= 10; ++i) {
    QCOMPARE(f.Kind(i), Tile::Empty);
    QCOMPARE(f.Band(i), kBlue);
    QCOMPARE(f.Body(i), kWhite);
  }
  // The labels at both ends; the gaps keep what the panel held.
  QCOMPARE(f.At(10, 10), qRgb(255, 255, 120));
  QCOMPARE(f.At(990, 80), qRgb(255, 255, 120));
  QCOMPARE(f.At(2, 2), kBlack);
  QCOMPARE(f.At(1006, 86), kBlack);
  QCOMPARE(f.At(28, 50), kOld);
  QCOMPARE(f.At(X(1) + 92, 50), kOld);
  QCOMPARE(f.At(500, 90), kOld);
  QVERIFY(f.Inked(QRect(7, 16, 16, 60)));  // "カ｜ド"

  // Drawing on a panel that has no surface yet makes one.
  f.m.Picture5Image = QImage();
  DrawCardStrip(f.m);
  QCOMPARE(f.m.Picture5Image.size(), strip::kSize);
  QCOMPARE(f.Kind(1), Tile::New);
}

void CardStripTest::tilesOfASmallDeck() {
  Fixture f({1, 2, 3});
  DrawCardStrip(f.m);
  for (int i = 1; i <= 3; ++i) {
    QCOMPARE(f.Kind(i), Tile::Card);
    QCOMPARE(f.Body(i), CardColour(i));
    QVERIFY(!f.TensInked(i));  // " 1": a space, then the digit
    QVERIFY(f.Inked(QRect(X(i) + 43, 7, 8, 14)));
    QVERIFY(f.Inked(QRect(X(i) + 4, 70, 30, 13)));   // "ｺﾋﾟｰ"
    QVERIFY(f.Inked(QRect(X(i) + 54, 70, 28, 13)));  // "けす"
  }
  QVERIFY(!f.HasLeft(1));
  QVERIFY(f.HasLeft(2));
  QVERIFY(f.HasLeft(3));
  QVERIFY(f.HasRight(1));
  QVERIFY(f.HasRight(2));
  QVERIFY(!f.HasRight(3));
  QCOMPARE(f.Kind(4), Tile::New);
  QVERIFY(f.Inked(QRect(X(4) + 6, 36, 75, 35)));  // "あたらしい" "　カード"
  for (int i = 5; i <= 10; ++i) QCOMPARE(f.Kind(i), Tile::Empty);

  // Tiles show the deck in its order, whatever the card numbers.
  f.m.CardNumbers[1] = 3, f.m.CardNumbers[3] = 1;
  DrawCardStrip(f.m);
  QCOMPARE(f.Body(1), CardColour(3));
  QCOMPARE(f.Body(2), CardColour(2));
  QCOMPARE(f.Body(3), CardColour(1));
}

void CardStripTest::fullFirstPage() {
  Fixture f(Range(1, 10));
  DrawCardStrip(f.m);
  for (int i = 1; i <= 10; ++i) {
    QCOMPARE(f.Kind(i), Tile::Card);
    QCOMPARE(f.Body(i), CardColour(i));
    QCOMPARE(f.HasLeft(i), i > 1);
    QCOMPARE(f.HasRight(i), i < 10);
  }
  QVERIFY(f.TensInked(10));
  QVERIFY(!f.TensInked(9));
}

void CardStripTest::laterPages_data() {
  QTest::addColumn<int>("cards");
  QTest::addColumn<int>("offset");
  QTest::addColumn<bool>("onward");  // the page switch reads "つぎへ"
  QTest::newRow("15 cards, page 2") << 15 << 10 << false;
  QTest::newRow("20 cards, page 2") << 20 << 10 << true;
  QTest::newRow("25 cards, page 2") << 25 << 10 << true;
  QTest::newRow("25 cards, page 3") << 25 << 20 << false;
  QTest::newRow("30 cards, page 3") << 30 << 20 << false;
}

void CardStripTest::laterPages() {
  QFETCH(int, cards);
  QFETCH(int, offset);
  QFETCH(bool, onward);
  // Card numbers in reverse, so that position and number differ.
  QList<int> deck = Range(1, cards);
  std::reverse(deck.begin(), deck.end());
  Fixture f(deck);
  DrawCardStrip(f.m);
  const QImage firstPageSwitch = f.PageSwitch();

  f.m.CardStripOffset = int16_t(offset);
  f.m.CurrentCard = int16_t(offset + 1);
  DrawCardStrip(f.m);
  const int shown = std::min(cards - offset, 10);
  for (int i = 1; i <= 10; ++i) {
    const int p = offset + i;
    if (i <= shown) {
      QCOMPARE(f.Kind(i), Tile::Card);
      QCOMPARE(f.Body(i), CardColour(deck[p - 1]));
      QVERIFY(f.TensInked(i));  // two-digit positions
      QCOMPARE(f.HasLeft(i), i > 1);
      QCOMPARE(f.HasRight(i), p < cards);
    } else {
      QCOMPARE(f.Kind(i), i == shown + 1 && p <= 30 ? Tile::New : Tile::Empty);
    }
  }
  QCOMPARE(f.Band(1), kPink);
  QCOMPARE(f.PageSwitch() == firstPageSwitch, onward);
  QCOMPARE(NextCardStripOffset(f.m), int16_t(onward ? offset + 10 : 0));
}

void CardStripTest::onlyTheCurrentTileIsPink() {
  Fixture f(Range(1, 12));
  // The pink tiles; a tile with a band of neither colour counts as -i.
  const auto pinkTiles = [&f] {
    QList<int> tiles;
    for (int i = 1; i <= 10; ++i) {
      if (f.Band(i) == kPink) tiles.append(i);
      else if (f.Band(i) != kBlue) tiles.append(-i);
    }
    return tiles;
  };
  f.m.CurrentCard = 2;
  DrawCardStrip(f.m);
  QCOMPARE(pinkTiles(), QList<int>{2});
  f.m.CurrentCard = 10;
  DrawCardStrip(f.m);
  QCOMPARE(pinkTiles(), QList<int>{10});
  // The current card on the other page: no tile of this one.
  f.m.CurrentCard = 12;
  DrawCardStrip(f.m);
  QCOMPARE(pinkTiles(), QList<int>{});
  f.m.CardStripOffset = 10;
  DrawCardStrip(f.m);
  QCOMPARE(pinkTiles(), QList<int>{2});
  // A new card being drawn.
  f.m.CurrentCard = 13;
  DrawCardStrip(f.m);
  QCOMPARE(pinkTiles(), QList<int>{3});
  QCOMPARE(f.Kind(3), Tile::New);
}

void CardStripTest::tileFrameAndThumbnailPlace() {
  Fixture f({4, 5});
  DrawCardStrip(f.m);
  for (int i : {1, 2, 3}) {
    const int x = X(i);
    QCOMPARE(f.At(x, 2), kBlack);
    QCOMPARE(f.At(x + 90, 86), kBlack);
    QCOMPARE(f.At(x + 45, 23), kBlack);  // the line under the band
    QCOMPARE(f.At(x + 91, 50), kOld);
    QCOMPARE(f.At(x + 45, 1), kOld);
    QCOMPARE(f.At(x + 45, 87), kOld);
  }
  // The thumbnail's (0, 0) lies at (x + 1, 23), under the line; its marker
  // at (1, 1) therefore shows at (x + 2, 24).
  QCOMPARE(f.At(X(1) + 2, 24), kMarker);
  QCOMPARE(f.At(X(1) + 1, 24), CardColour(4));
  QCOMPARE(f.At(X(2) + 2, 24), kMarker);
  QCOMPARE(f.At(X(1) + 89, 60), CardColour(4));
  // Buttons are white boxes over the thumbnail.
  QCOMPARE(f.At(X(1) + 37, 69), kWhite);
  QCOMPARE(f.At(X(1) + 44, 76), CardColour(4));
}

void CardStripTest::cardsWithoutThumbnailsStayBlank() {
  Fixture f({1, 2, 3, 4});
  // Card 2's thumbnail is missing, card 3's is broken, card 4's is a
  // smaller picture.
  QFile::remove(f.drives.c(QStringLiteral("A_PIKORA/CLASS_11/story/Card_02.BMP")));
  WriteHostFile(f.drives.c(QStringLiteral("A_PIKORA/CLASS_11/story/Card_03.BMP")), "BM broken");
  QImage small(30, 20, QImage::Format_RGB32);
  small.fill(CardColour(4));
  WriteHostFile(f.drives.c(QStringLiteral("A_PIKORA/CLASS_11/story/Card_04.BMP")),
                imaging::EncodeBmp(small));
  DrawCardStrip(f.m);
  QCOMPARE(f.Body(1), CardColour(1));
  QCOMPARE(f.Body(2), kWhite);
  QCOMPARE(f.Body(3), kWhite);
  QCOMPARE(f.At(X(4) + 20, 30), CardColour(4));
  QCOMPARE(f.Body(4), kWhite);
  for (int i = 1; i <= 4; ++i) QCOMPARE(f.Kind(i), Tile::Card);

  // A later draw after the file came back shows it.
  f.WriteThumbnail(2);
  DrawCardStrip(f.m);
  QCOMPARE(f.Body(2), CardColour(2));
}

QTEST_MAIN(CardStripTest)
#include "tst_card_strip.moc"
