// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// Clicks on the card strip: where they land, and open, copy, erase, move
// and page switch with the deck and the card files that follow.

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include "deck/CardDeck.h"
#include "deck/CardOperations.h"
#include "drawing/DrawingTools.h"
#include "drawing/ToolActions.h"
#include "drawing/ToolPanel.h"
#include "platform/Imaging.h"
#include "drawing/StripClicks.h"
#include "DeckStory.h"

Q_DECLARE_METATYPE(StripHit::Zone)

namespace {

struct Story : DeckStory {
  explicit Story(const QList<int>& deck) : DeckStory(deck, true) {
    session.deck.currentCard = 0;
  }
  void click(double x, double y) { CardStripMouseDown(session.drawing, session.editor, session.deck, session.dialogs, QPointF(x, y)); }
};

QByteArray ListBytes(const QList<int>& deck) {
  QByteArray bytes;
  for (int n : deck) bytes += ' ' + QByteArray::number(n) + " \r\n";
  return bytes;
}

}  // namespace

class CardOperationsTest : public QObject {
  Q_OBJECT
 private slots:
  void clickZones_data();
  void clickZones();
  void openACard();
  void openTheNewCard();
  void pageSwitch();
  void copy();
  void erase();
  void move();
  void refusedWhileDrawing();
  void editorOpensOnTheCurrentCard();
};

void CardOperationsTest::clickZones_data() {
  QTest::addColumn<QPointF>("at");
  QTest::addColumn<StripHit::Zone>("zone");
  QTest::addColumn<int>("position");  // counted from 0; -1 for none to check
  QTest::newRow("(130, 50) opens card 2") << QPointF(130, 50) << StripHit::Open << 1;
  QTest::newRow("(124.4, 50) opens card 1") << QPointF(124.4, 50) << StripHit::Open << 0;
  QTest::newRow("(124.5, 50) halves to even") << QPointF(124.5, 50) << StripHit::Open << 0;
  QTest::newRow("(40, 75) copy") << QPointF(40, 75) << StripHit::Copy << 0;
  QTest::newRow("(110, 75) erase") << QPointF(110, 75) << StripHit::Erase << 0;
  QTest::newRow("(40, 84) below the copy button") << QPointF(40, 84) << StripHit::Open << 0;
  QTest::newRow("(40, 10) no move left for the first") << QPointF(40, 10) << StripHit::None << 0;
  QTest::newRow("(135, 10) move left") << QPointF(135, 10) << StripHit::MoveLeft << 1;
  QTest::newRow("(110, 10) move right") << QPointF(110, 10) << StripHit::MoveRight << 0;
  QTest::newRow("(500, 10) nothing") << QPointF(500, 10) << StripHit::None << 4;
  QTest::newRow("(1000, 10) page") << QPointF(1000, 10) << StripHit::PageSwitch << -1;
  QTest::newRow("(30, 50) label") << QPointF(30, 50) << StripHit::Label << -1;
  QTest::newRow("(975, 50) clamps to tile 10") << QPointF(975, 50) << StripHit::Open << 9;
  QTest::newRow("(420, 75) copy of the new card tile") << QPointF(420, 75) << StripHit::Open << 4;
}

void CardOperationsTest::clickZones() {
  QFETCH(QPointF, at);
  QFETCH(StripHit::Zone, zone);
  QFETCH(int, position);
  Story story({1, 2, 3, 4});
  const StripHit hit = HitCardStrip(story.session.deck, at);
  QCOMPARE(hit.zone, zone);
  if (position >= 0) QCOMPARE(hit.position, position);

  // A press that reaches a tile but no button only sets the current card.
  if (zone == StripHit::None) {
    int draws = 0;
    for (Notifier* part : std::initializer_list<Notifier*>{&story.session.deck, &story.session.editor})
      connect(part, &Notifier::surfaceChanged, this, [&] { ++draws; });
    story.click(at.x(), at.y());
    QCOMPARE(story.session.deck.currentCard, position);
    QCOMPARE(draws, 0);
  }
}

void CardOperationsTest::openACard() {
  Story story({1, 2, 3});
  imaging::WriteCardPicture(kStory + QStringLiteral("Card_02.PNG"), QImage());  // no picture
  const QStringList files = story.files();
  story.session.editor.placement = Placement::Fixed;
  story.click(130, 50);
  QCOMPARE(story.session.deck.currentCard, 1);
  QCOMPARE(story.session.deck.cardStem, kStory + QStringLiteral("Card_02"));
  QCOMPARE(story.session.deck.cardText, QStringLiteral("2\r\n"));
  QVERIFY(story.session.drawing.IsOpen());
  // The medium brush in force and lit, the swatch blue, free placement.
  QVERIFY(story.session.editor.tool == Tool::MediumBrush);
  QCOMPARE(ToolButtonFace(story.session.editor, 2), QColor(0, 255, 16));
  QCOMPARE(ToolButtonFace(story.session.editor, 0), QColor(192, 255, 192));
  QCOMPARE(FillSwatchFace(story.session.editor), QColor(0, 0, 255));
  QCOMPARE(PlacementCaption(story.session.editor.placement), QStringLiteral("じゆう"));
  QCOMPARE(story.files(), files);  // opening writes nothing
  QVERIFY(story.dialogs.asked.isEmpty());
}

void CardOperationsTest::openTheNewCard() {
  Story story({1, 2});
  story.session.deck.cardText = QStringLiteral("の こり");
  const QStringList files = story.files();
  story.click(230, 75);  // the new-card tile, also where a copy button would be
  QCOMPARE(story.session.deck.currentCard, 2);
  QVERIFY(story.session.drawing.IsOpen());
  QCOMPARE(story.session.deck.cardText, QString());
  for (int y = 7; y < 607; y += 50)
    for (int x = 7; x < 806; x += 50) QCOMPARE(QColor(story.session.editor.canvasImage.pixel(x, y)), QColor(Qt::white));
  QCOMPARE(story.files(), files);
  QVERIFY(story.dialogs.asked.isEmpty());

  // A tile beyond the new-card tile is empty and does nothing.
  Story gap({1, 2});
  gap.click(420, 50);
  QCOMPARE(gap.session.deck.currentCard, 0);
  QVERIFY(!gap.session.drawing.IsOpen());
}

void CardOperationsTest::pageSwitch() {
  QList<int> twelve, ten, nine, twentyFive;
  for (int n = 1; n <= 25; ++n) {
    if (n <= 9) nine.append(n);
    if (n <= 10) ten.append(n);
    if (n <= 12) twelve.append(n);
    twentyFive.append(n);
  }
  Story story(twelve);
  story.click(1000, 50);
  QCOMPARE(story.session.deck.stripStart, 10);
  story.click(1000, 50);
  QCOMPARE(story.session.deck.stripStart, 0);

  // With ten cards the new card on the second page can be reached.
  Story full(ten);
  full.click(1000, 50);
  QCOMPARE(full.session.deck.stripStart, 10);
  full.click(40, 50);
  QCOMPARE(full.session.deck.currentCard, 10);
  QVERIFY(full.session.drawing.IsOpen());

  Story few(nine);
  few.click(1000, 50);
  QCOMPARE(few.session.deck.stripStart, 0);

  // Every card can be seen: 25 cards take three pages.
  Story many(twentyFive);
  many.click(1000, 50);
  many.click(1000, 50);
  QCOMPARE(many.session.deck.stripStart, 20);
  many.click(460, 50);
  QCOMPARE(many.session.deck.currentCard, 24);

  // A card shown from elsewhere (the show's last card, a drawing brought
  // back) turns the strip to the page that holds it: the eleventh card
  // begins the second page, the new card after 25 is on the third.
  for (const auto& [position, start] :
       std::initializer_list<std::pair<int, int>>{{9, 0}, {10, 10}, {19, 10}, {20, 20}, {25, 20}}) {
    ShowCardAt(many.session.deck, position);
    QCOMPARE(many.session.deck.currentCard, position);
    QCOMPARE(many.session.deck.stripStart, start);
  }
}

void CardOperationsTest::copy() {
  Story story({1, 2, 3});
  story.session.deck.currentCard = 1;
  story.dialogs.answers = {false};
  story.click(135, 75);
  QCOMPARE(story.dialogs.asked, QStringList{QStringLiteral("このカードをコピーします。")});
  QCOMPARE(story.deck(), (QList<int>{1, 2, 3}));

  story.dialogs.answers = {true};
  story.click(135, 75);
  QCOMPARE(story.deck(), (QList<int>{1, 2, 3, 4}));
  QCOMPARE(story.list(), ListBytes({1, 2, 3, 4}));
  QCOMPARE(story.session.deck.currentCard, 1);
  for (const char* ext : {".BMP", ".PNG", ".TXT", "_x.wav"})
    QCOMPARE(ReadHostFile(story.host(QStringLiteral("Card_04") + QLatin1String(ext))), QByteArray("2"));

  Story gap({2, 3});
  gap.dialogs.answers = {true};
  gap.click(40, 75);
  QCOMPARE(gap.deck(), (QList<int>{2, 3, 1}));
  QCOMPARE(ReadHostFile(gap.host(QStringLiteral("Card_01.PNG"))), QByteArray("2"));

  // A full story takes no copy.
  QList<int> thirty;
  for (int n = 1; n <= 30; ++n) thirty.append(n);
  Story full(thirty);
  full.dialogs.answers = {true};
  full.click(40, 75);
  QCOMPARE(full.deck(), thirty);
  QCOMPARE(full.dialogs.told, QStringList{QStringLiteral("カードは 30まいまでです。")});
}

void CardOperationsTest::erase() {
  Story story({5, 7, 9});
  story.dialogs.answers = {true};
  story.click(205, 75);
  QCOMPARE(story.dialogs.asked, QStringList{QStringLiteral("このカードを消します。")});
  QCOMPARE(story.deck(), (QList<int>{5, 9}));
  QCOMPARE(story.list(), ListBytes({5, 9}));
  QCOMPARE(story.session.deck.currentCard, 1);
  QCOMPARE(story.session.deck.cardStem, kStory + QStringLiteral("Card_09"));
  for (const QString& name : story.files()) QVERIFY2(!name.startsWith(QStringLiteral("Card_07")), qPrintable(name));

  Story last({5, 7});
  last.dialogs.answers = {true};
  last.click(205, 75);
  QCOMPARE(last.deck(), QList<int>{5});
  QCOMPARE(last.session.deck.currentCard, 0);

  Story only({3});
  only.dialogs.answers = {true};
  only.click(110, 75);
  QCOMPARE(only.deck(), QList<int>{});
  QCOMPARE(only.session.deck.currentCard, -1);
  QCOMPARE(only.list(), QByteArray());
  QCOMPARE(only.files(), QStringList{QStringLiteral("CardData.txt")});

  // いいえ keeps everything.
  Story kept({1, 2});
  const QStringList files = kept.files();
  kept.click(110, 75);
  QCOMPARE(kept.deck(), (QList<int>{1, 2}));
  QCOMPARE(kept.files(), files);
}

void CardOperationsTest::move() {
  Story story({4, 5, 6});
  story.click(230, 10);  // "<" of position 3
  QCOMPARE(story.deck(), (QList<int>{4, 6, 5}));
  QCOMPARE(story.session.deck.currentCard, 2);
  QCOMPARE(story.session.deck.cardStem, kStory + QStringLiteral("Card_05"));
  QCOMPARE(story.list(), ListBytes({4, 6, 5}));  // kept even if the child leaves the story now

  story.click(110, 10);  // ">" of position 1
  QCOMPARE(story.deck(), (QList<int>{6, 4, 5}));
  QCOMPARE(story.list(), ListBytes({6, 4, 5}));
  // No ">" on the last card.
  story.click(300, 10);
  QCOMPARE(story.deck(), (QList<int>{6, 4, 5}));

  // The first tile of the second page draws no "<", and a press there
  // moves nothing either.
  Story longer({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  longer.click(1000, 50);  // the second page
  QCOMPARE(longer.session.deck.stripStart, 10);
  longer.click(40, 10);
  QCOMPARE(longer.deck(), (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  longer.click(135, 10);  // "<" of the second tile there
  QCOMPARE(longer.deck(), (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 11}));
}

void CardOperationsTest::refusedWhileDrawing() {
  Story story({1, 2, 3});
  story.click(130, 50);
  QVERIFY(story.session.drawing.IsOpen());
  const QByteArray list = story.list();
  story.dialogs.answers = {true};
  story.click(40, 75);
  story.click(1000, 50);
  QCOMPARE(story.dialogs.beeps, 2);
  // The first notice is the opened card's picture file, which is no picture.
  QCOMPARE(story.dialogs.told.mid(1),
           QStringList(2, QStringLiteral("「えをかく」をおわってください。")));
  QCOMPARE(story.session.deck.currentCard, 1);
  QCOMPARE(story.deck(), (QList<int>{1, 2, 3}));
  QCOMPARE(story.list(), list);
}

void CardOperationsTest::editorOpensOnTheCurrentCard() {
  // No story selected: the strip opens nothing.
  Story none({});
  none.session.deck.storyFolder = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\\\");
  none.click(40, 50);
  QCOMPARE(none.dialogs.beeps, 1);
  QVERIFY(!none.session.drawing.IsOpen());

  // A press on a header that misses "<" and ">" makes card 3 current
  // without loading it; "えをかく" then opens card 3, not the canvas of
  // card 1, so card 3 is not overwritten.
  Story header({1, 2, 3});
  LoadCard(header.session.deck);
  header.click(240 + 40, 10);
  QCOMPARE(header.session.deck.currentCard, 2);
  header.session.drawing.Start();
  QCOMPARE(header.session.deck.cardText, QStringLiteral("3\r\n"));
  QCOMPARE(header.session.deck.cardStem, kStory + QStringLiteral("Card_03"));

  // After the only card is erased the canvas is blank, and what is drawn
  // next becomes card 1 of the deck.
  Story only({4});
  only.session.editor.canvasImage.fill(Qt::red);
  only.dialogs.answers = {true};
  only.click(110, 75);
  QCOMPARE(QColor(only.session.editor.canvasImage.pixel(400, 300)), QColor(Qt::white));
  QCOMPARE(only.session.deck.cardText, QString());
  only.session.drawing.Start();
  QCOMPARE(only.session.deck.currentCard, 0);
  only.session.drawing.Finish();
  QCOMPARE(only.list(), ListBytes({1}));
  QVERIFY(QFileInfo::exists(only.host(QStringLiteral("Card_01.PNG"))));
  QVERIFY(!QFileInfo::exists(only.host(QStringLiteral("Card_00.PNG"))));

  // A copy that cannot be written leaves no half card in the deck.
  Story blocked({1, 2, 3});
  QDir().mkpath(blocked.host(QStringLiteral("Card_04.PNG")));
  blocked.dialogs.answers = {true};
  blocked.click(40, 75);
  QCOMPARE(blocked.deck(), (QList<int>{1, 2, 3}));
  QCOMPARE(blocked.list(), ListBytes({1, 2, 3}));
  QVERIFY(!QFileInfo::exists(blocked.host(QStringLiteral("Card_04.BMP"))));
  QCOMPARE(blocked.dialogs.told, QStringList{QStringLiteral("カードを コピーできませんでした。")});

  // A half-drawn rectangle's outline is neither saved nor left behind by
  // "もどす".
  Story shape({1});
  QFile::remove(shape.host(QStringLiteral("Card_01.PNG")));  // a picture to make, not one to keep
  shape.click(40, 50);
  ChooseTool(shape.session.editor, shape.session.dialogs, Tool::Box);
  CanvasMouseDown(shape.session.editor, 1, 100, 100);
  CanvasMouseUp(shape.session.editor, 1, 100, 100);
  CanvasMouseMove(shape.session.editor, 0, 300, 200);
  QCOMPARE(QColor(shape.session.editor.canvasImage.pixel(200, 100)), QColor(Qt::black));
  Undo(shape.session.editor);
  CanvasMouseMove(shape.session.editor, 0, 250, 250);
  QCOMPARE(QColor(shape.session.editor.canvasImage.pixel(280, 100)), QColor(Qt::white));
  QCOMPARE(QColor(shape.session.editor.canvasImage.pixel(300, 150)), QColor(Qt::white));
  shape.session.drawing.Finish();
  const auto saved = imaging::ReadCardPicture(kStory + QStringLiteral("Card_01.PNG"));
  QVERIFY(saved);
  QCOMPARE(QColor(saved->pixel(193, 93)), QColor(Qt::white));
  QCOMPARE(QColor(saved->pixel(150, 243)), QColor(Qt::white));
}

QTEST_MAIN(CardOperationsTest)
#include "CardOperationsTest.moc"
