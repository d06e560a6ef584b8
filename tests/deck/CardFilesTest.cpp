// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// A card between its files and the editor: load, save with numbering, the
// thumbnail and the picture, the text file, "えをかく おわり", "はじめから",
// and saves that cannot be written.

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include "deck/CardDeck.h"
#include "deck/CardOperations.h"
#include "drawing/Canvas.h"
#include "platform/Disk.h"
#include "platform/Imaging.h"
#include "DeckStory.h"

namespace {

struct Story : DeckStory {
  using DeckStory::DeckStory;
  // Paints the picture area of the canvas in four coloured quarters.
  void paintQuarters() {
    QPainter painter(&session.editor.canvasImage);
    const int x = session.editor.canvasOffsetX, y = session.editor.canvasOffsetY;
    painter.fillRect(x, y, 400, 300, Qt::red);
    painter.fillRect(x + 400, y, 400, 300, Qt::green);
    painter.fillRect(x, y + 300, 400, 300, Qt::blue);
    painter.fillRect(x + 400, y + 300, 400, 300, Qt::black);
  }
  QImage pictureArea() const { return session.editor.canvasImage.copy(session.editor.canvasOffsetX, session.editor.canvasOffsetY, 800, 600); }
  // The picture area less its last column, which the frame covers.
  QImage shown() const { return session.editor.canvasImage.copy(session.editor.canvasOffsetX, session.editor.canvasOffsetY, 799, 600); }
  // The card at currentCard counts as open for drawing, with what the
  // canvas shows now.
  void openEditor() { session.editor.cardOpen = true; }
};

QImage Filled(QColor colour, int width = 800) {
  QImage image(width, 600, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

}  // namespace

class CardFilesTest : public QObject {
  Q_OBJECT
 private slots:
  void numbering_data();
  void numbering();
  void fullDiskKeepsEveryFile();
  void damagedListsLoseNoCard();
  void fullDeckTakesNoCard();
  void unreadablePictureIsKept();
  void pictureAndThumbnail();
  void textFile();
  void loadShowsBlankForMissingPicture();
  void endDrawing();
  void startOver();
  void failedSaveKeepsDeckConsistent();
};

void CardFilesTest::numbering_data() {
  QTest::addColumn<QList<int>>("deck");
  QTest::addColumn<int>("number");
  QTest::newRow("1 2 4") << QList<int>{1, 2, 4} << 3;
  QTest::newRow("1 2 3") << QList<int>{1, 2, 3} << 4;
  QTest::newRow("empty") << QList<int>{} << 1;
  QTest::newRow("2 3") << QList<int>{2, 3} << 1;
}

void CardFilesTest::numbering() {
  QFETCH(QList<int>, deck);
  QFETCH(int, number);
  Story story(deck);
  story.session.deck.currentCard = int(deck.size());
  QVERIFY(SaveDrawnCard(story.session.editor, story.session.deck, story.session.dialogs));
  QCOMPARE(story.deck(), deck + QList<int>{number});
  QCOMPARE(story.session.deck.currentCard, deck.size());
  const QString stem = QStringLiteral("Card_%1").arg(number, 2, 10, QLatin1Char('0'));
  QVERIFY(story.exists(stem + QStringLiteral(".PNG")));
  QVERIFY(story.exists(stem + QStringLiteral(".BMP")));
  QCOMPARE(story.session.deck.cardStem, kStory + stem);
}

void CardFilesTest::fullDiskKeepsEveryFile() {
  // Finishing a new card, finishing an old one and erasing a card on a full
  // disk: the child is told each time and no file changes.
  Story story({1, 2}, true);
  FullDisk full;
  CopyFolder(story.drives.root(u'C'), full.root());
  const QStringList before = Snapshot(full.root());
  full.WhileFull([&] {
    for (int card : {2, 0}) {
      story.session.deck.currentCard = card;
      story.openEditor();
      const QImage shown = story.session.deck.cardImage;
      story.paintQuarters();
      story.session.drawing.Finish();
      // The card buffer holds what is on disk, never the unsaved drawing.
      QVERIFY(story.session.deck.cardImage == shown);
    }
    story.dialogs.answers = {true};
    EraseCard(story.session.deck, story.session.dialogs);
    story.session.deck.currentCard = 0;
    MoveCardRight(story.session.deck, story.session.dialogs);
  });
  QCOMPARE(story.dialogs.asked.size(), 3);  // leave without saving? (twice), erase?
  QCOMPARE(story.dialogs.told, (QStringList{QStringLiteral("カードを けせませんでした。"),
                                            QStringLiteral("カードを うごかせませんでした。")}));
  QCOMPARE(Snapshot(full.root()), before);
  QCOMPARE(story.deck(), (QList<int>{1, 2}));
}

void CardFilesTest::damagedListsLoseNoCard() {
  // The list is gone: a new card takes a number no file on disk has.
  Story lost({1, 2, 3}, true);
  QFile::remove(lost.host(QStringLiteral("CardData.txt")));
  QVERIFY(!ReadCardList(lost.session.deck));
  lost.session.deck.currentCard = 0;
  QVERIFY(SaveDrawnCard(lost.session.editor, lost.session.deck, lost.session.dialogs));
  QCOMPARE(lost.deck(), QList<int>{4});
  for (int n : {1, 2, 3}) QCOMPARE(lost.bytes(DeckStory::Stem(n) + QStringLiteral(".PNG")), QByteArray::number(n));
}

void CardFilesTest::fullDeckTakesNoCard() {
  // Thirty cards whose numbers leave 30 free: a drawing on the page after
  // the last card is not saved as a thirty-first, and no file changes.
  QList<int> thirty;
  for (int n = 1; n <= 29; ++n) thirty.append(n);
  thirty.append(31);
  Story story(thirty, true);
  const QStringList before = Snapshot(story.host(QString()));
  story.session.deck.currentCard = 30;
  story.paintQuarters();
  QVERIFY(!SaveDrawnCard(story.session.editor, story.session.deck, story.session.dialogs));
  QCOMPARE(Snapshot(story.host(QString())), before);
  QCOMPARE(story.deck(), thirty);
}

void CardFilesTest::unreadablePictureIsKept() {
  // A picture that cannot be read ("1") is told when the card opens and
  // stays as it is unless the child draws.
  Story story({1}, true);
  story.session.deck.currentCard = 0;
  for (int drawn : {0, 1}) {
    story.session.drawing.Start();
    if (drawn) story.paintQuarters();
    story.session.drawing.Finish();
    QCOMPARE(story.dialogs.told.size(), 1 + drawn);
    if (!drawn) QCOMPARE(story.bytes(QStringLiteral("Card_01.PNG")), QByteArray("1"));
  }
  QCOMPARE(story.bytes(QStringLiteral("Card_01.txt")), QByteArray("1"));
  QCOMPARE(imaging::ReadCardPicture(kStory + QStringLiteral("Card_01.PNG"))->pixel(0, 0), qRgb(255, 0, 0));
}

void CardFilesTest::pictureAndThumbnail() {
  Story story;
  story.session.deck.currentCard = 0;
  story.paintQuarters();
  PaintCanvasFrame(story.session.editor);
  QVERIFY(SaveDrawnCard(story.session.editor, story.session.deck, story.session.dialogs));

  // The picture is the canvas's picture area, stored as 24-bit RGB.
  const QByteArray png = story.bytes(QStringLiteral("Card_01.PNG"));
  QCOMPARE(png.mid(24, 2), QByteArray::fromHex("0802"));  // 8 bits, colour type RGB
  const auto picture = imaging::ReadCardPicture(kStory + QStringLiteral("Card_01.PNG"));
  QVERIFY(picture);
  QCOMPARE(picture->convertToFormat(QImage::Format_RGB32), story.pictureArea());

  // The thumbnail holds the picture reduced to 88 x 62 in its top-left.
  const QByteArray bmp = story.bytes(QStringLiteral("Card_01.BMP"));
  QCOMPARE(bmp.left(2), QByteArray("BM"));
  QCOMPARE(int(uchar(bmp.at(28))), 24);
  const auto thumb = imaging::ReadThumbnail(kStory + QStringLiteral("Card_01.BMP"));
  QVERIFY(thumb);
  QCOMPARE(thumb->size(), QSize(90, 64));
  QCOMPARE(QColor(thumb->pixel(10, 10)), QColor(Qt::red));
  QCOMPARE(QColor(thumb->pixel(80, 10)), QColor(Qt::green));
  QCOMPARE(QColor(thumb->pixel(10, 55)), QColor(Qt::blue));
  QCOMPARE(QColor(thumb->pixel(80, 55)), QColor(Qt::black));
  QCOMPARE(QColor(thumb->pixel(87, 61)), QColor(Qt::black));
  for (int y = 0; y < 64; ++y) QCOMPARE(QColor(thumb->pixel(88, y)), QColor(Qt::white));
  for (int x = 0; x < 90; ++x) QCOMPARE(QColor(thumb->pixel(x, 63)), QColor(Qt::white));

  // A thin black line stays visible in the small picture.
  Story lined;
  lined.session.deck.currentCard = 0;
  QPainter(&lined.session.editor.canvasImage).fillRect(7 + 400, 7, 1, 600, Qt::black);
  QVERIFY(SaveDrawnCard(lined.session.editor, lined.session.deck, lined.session.dialogs));
  const auto lineThumb = imaging::ReadThumbnail(kStory + QStringLiteral("Card_01.BMP"));
  QCOMPARE(QColor(lineThumb->pixel(44, 30)), QColor(Qt::black));
}

void CardFilesTest::textFile() {
  Story story({5});
  story.session.deck.currentCard = 0;
  // Opening and finishing without typing leaves the file byte for byte.
  WriteHostFile(story.host(QStringLiteral("Card_05.TXT")), "abc\nd");
  LoadCard(story.session.deck);
  QCOMPARE(story.session.deck.cardText, QStringLiteral("abc\r\nd\r\n"));
  QVERIFY(SaveDrawnCard(story.session.editor, story.session.deck, story.session.dialogs));
  QVERIFY(SaveDrawnCard(story.session.editor, story.session.deck, story.session.dialogs));
  QCOMPARE(story.bytes(QStringLiteral("Card_05.TXT")), QByteArray("abc\nd"));

  // Shift_JIS with CR LF; an empty text box deletes the file.
  story.session.deck.cardText = QStringLiteral("ねこ\r\nｶﾞ");
  QVERIFY(SaveDrawnCard(story.session.editor, story.session.deck, story.session.dialogs));
  QCOMPARE(story.bytes(QStringLiteral("Card_05.TXT")), QByteArray::fromHex("82cb82b10d0ab6de0d0a"));
  story.session.deck.cardText.clear();
  QVERIFY(SaveDrawnCard(story.session.editor, story.session.deck, story.session.dialogs));
  QVERIFY(!story.exists(QStringLiteral("Card_05.TXT")));
  QVERIFY(!story.exists(QStringLiteral("Card_05.txt")));
  story.session.deck.cardText = QStringLiteral("x");
  LoadCard(story.session.deck);
  QCOMPARE(story.session.deck.cardText, QString());
}

void CardFilesTest::loadShowsBlankForMissingPicture() {
  Story story({1, 2});
  imaging::WriteCardPicture(kStory + QStringLiteral("Card_01.PNG"), Filled(Qt::red));
  WriteHostFile(story.host(QStringLiteral("Card_02.PNG")), "not a picture");
  story.session.deck.currentCard = 0;
  LoadCard(story.session.deck);
  QCOMPARE(story.session.deck.cardImage.convertToFormat(QImage::Format_RGB32), Filled(Qt::red));
  QCOMPARE(story.session.deck.cardStem, kStory + QStringLiteral("Card_01"));
  // Card 2's picture is broken: blank paper, not card 1's picture, also
  // on the canvas when it is opened for drawing.
  story.session.deck.currentCard = 1;
  LoadCard(story.session.deck);
  QCOMPARE(story.session.deck.cardImage.convertToFormat(QImage::Format_RGB32), Filled(Qt::white));
  story.paintQuarters();
  QVERIFY(story.session.drawing.Start());
  QCOMPARE(story.shown(), Filled(Qt::white, 799));
  // The frame is painted around the picture.
  QCOMPARE(QColor(story.session.editor.canvasImage.pixel(3, 3)), QColor(255, 255, 130));
  // No current card loads nothing.
  const QImage before = story.session.deck.cardImage.copy();
  story.session.deck.currentCard = -1;
  LoadCard(story.session.deck);
  QCOMPARE(story.session.deck.cardImage, before);
}

void CardFilesTest::endDrawing() {
  Story story({4, 5, 6});
  story.session.deck.currentCard = 2;
  story.session.deck.cardNumbers[1] = 6;  // an order only in memory
  story.session.deck.cardNumbers[2] = 5;
  story.session.editor.tool = Tool::MediumBrush;
  story.openEditor();
  QSignalSpy closed(&story.session.drawing, &DrawingSession::closed);
  story.session.drawing.Finish();
  // The card list changes only by the one change each operation makes:
  // a deck in memory is never written back whole over what other
  // computers wrote.
  QCOMPARE(story.bytes(QStringLiteral("CardData.txt")), QByteArray(" 4 \r\n 5 \r\n 6 \r\n"));
  QVERIFY(story.exists(QStringLiteral("Card_05.PNG")));
  QVERIFY(!story.session.drawing.IsOpen());
  QCOMPARE(closed.count(), 1);
  QCOMPARE(closed[0][0].toBool(), true);
  QVERIFY(story.session.editor.tool == Tool::None);
  QVERIFY(story.dialogs.told.isEmpty());
}

void CardFilesTest::startOver() {
  Story story({1});
  story.session.deck.currentCard = 0;
  imaging::WriteCardPicture(kStory + QStringLiteral("Card_01.PNG"), Filled(Qt::green));
  WriteHostFile(story.host(QStringLiteral("Card_01.txt")), "saved\r\n");
  LoadCard(story.session.deck);
  story.paintQuarters();
  story.session.deck.cardText = QStringLiteral("new text");
  QSignalSpy pictureWanted(&story.session.editor, &EditorState::pictureWanted);
  const QImage drawn = story.session.editor.canvasImage.copy();

  story.dialogs.answers = {false};
  story.session.drawing.StartOver();
  QCOMPARE(story.dialogs.asked, QStringList{QStringLiteral("はじめに、もどします。")});
  QCOMPARE(story.session.editor.canvasImage, drawn);
  QCOMPARE(story.session.deck.cardText, QStringLiteral("new text"));

  story.dialogs.answers = {true};
  story.session.drawing.StartOver();
  QCOMPARE(story.shown(), Filled(Qt::green, 799));
  QCOMPARE(story.session.deck.cardText, QStringLiteral("saved\r\n"));
  QCOMPARE(pictureWanted.count(), 1);  // the picture in view, not the text box
  // The drawing and its text can still be brought back with "もどす".
  Undo(story.session.editor);
  QCOMPARE(story.session.editor.canvasImage, drawn);
  QCOMPARE(story.session.deck.cardText, QStringLiteral("new text"));

  // A new card starts over on blank paper and no text.
  story.session.deck.currentCard = 1;
  story.paintQuarters();
  story.dialogs.answers = {true};
  story.session.drawing.StartOver();
  QCOMPARE(story.shown(), Filled(Qt::white, 799));
  QCOMPARE(story.session.deck.cardText, QString());
}

void CardFilesTest::failedSaveKeepsDeckConsistent() {
  // The class's folders have gone (the USB stick was pulled out).
  Story story({1, 2});
  const QByteArray list = story.bytes(QStringLiteral("CardData.txt"));
  story.session.deck.currentCard = 2;
  story.openEditor();
  story.paintQuarters();
  const QImage drawn = story.session.editor.canvasImage.copy();
  QDir(story.drives.c(QStringLiteral("A_PIKORA"))).removeRecursively();
  const QString leave = QStringLiteral("カードを ほぞんできませんでした。\nほぞんしないで「えをかく」を おわりますか？");
  QSignalSpy closed(&story.session.drawing, &DrawingSession::closed);
  story.dialogs.answers = {false};
  story.session.drawing.Finish();
  QCOMPARE(story.deck(), (QList<int>{1, 2}));
  QCOMPARE(story.session.deck.currentCard, 2);
  QCOMPARE(story.dialogs.asked, QStringList{leave});
  // いいえ: the editor stays open on the drawing.
  QVERIFY(story.session.drawing.IsOpen() && closed.isEmpty());
  QCOMPARE(story.session.editor.canvasImage, drawn);
  // はい: the child leaves without the drawing rather than being trapped.
  story.dialogs.answers = {true};
  story.session.drawing.Finish();
  QVERIFY(!story.session.drawing.IsOpen());
  QCOMPARE(closed.count(), 1);
  QCOMPARE(closed[0][0].toBool(), false);
  QCOMPARE(story.deck(), (QList<int>{1, 2}));

  // A story folder that is gone is not made again: no list names it.
  Story gone;
  gone.session.deck.currentCard = 0;
  QDir(gone.host(QString())).removeRecursively();
  QCOMPARE(SaveCard(gone.session.deck, gone.pictureArea()), CardSave::StoryGone);
  QVERIFY(!QFileInfo::exists(gone.host(QString())));

  // The list could be written but the picture could not: the list is put
  // back and no half card is left.
  Story full({1, 2});
  full.session.deck.currentCard = 2;
  QDir().mkpath(full.host(QStringLiteral("Card_03.PNG")));  // in the way
  QVERIFY(!SaveDrawnCard(full.session.editor, full.session.deck, full.session.dialogs));
  QCOMPARE(full.deck(), (QList<int>{1, 2}));
  QCOMPARE(full.bytes(QStringLiteral("CardData.txt")), list);
  QVERIFY(!full.exists(QStringLiteral("Card_03.BMP")));

  // A saved card whose picture cannot be replaced keeps its place.
  Story old({1});
  old.session.deck.currentCard = 0;
  QDir().mkpath(old.host(QStringLiteral("Card_01.PNG")));
  QVERIFY(!SaveDrawnCard(old.session.editor, old.session.deck, old.session.dialogs));
  QCOMPARE(old.deck(), QList<int>{1});
}

QTEST_MAIN(CardFilesTest)
#include "CardFilesTest.moc"
