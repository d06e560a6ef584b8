// The card list file "CardData.txt" and the card file names.

#include <QFileInfo>
#include <QTest>

#include "deck/CardList.h"
#include "platform/Disk.h"
#include "shell/AppState.h"
#include "support/TestSupport.h"

namespace {

const QString kStory = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\story\\");
const QString kListHost = QStringLiteral("A_PIKORA/CLASS_11/story/CardData.txt");

AppState Story() {
  AppState s;
  s.StoryFolder = kStory;
  return s;
}

QList<int> Deck(const AppState& s) {
  QList<int> deck;
  for (int p = 1; p <= s.CardCount; ++p) deck.append(s.CardNumbers[p]);
  return deck;
}

}  // namespace

class CardListTest : public QObject {
  Q_OBJECT
 private slots:
  void writesNumberPrintingLines();
  void readsFields_data();
  void readsFields();
  void keepsAtMostThirtyCards();
  void leavesSlotsAboveTheCount();
  void failedWriteKeepsTheOldList();
  void namesCardFiles_data();
  void namesCardFiles();
  void namesTheFourFilesOfACard();
  void findsCardFilesWhateverTheirCase();
};

void CardListTest::writesNumberPrintingLines() {
  TempDrives drives;
  QVERIFY(disk::CreateFolder(QStringLiteral("C:\\A_PIKORA\\")));
  QVERIFY(disk::CreateFolder(QStringLiteral("C:\\A_PIKORA\\CLASS_11\\")));
  QVERIFY(disk::CreateFolder(kStory));

  AppState s = Story();
  s.CardCount = 3;
  s.CardNumbers[1] = 3, s.CardNumbers[2] = 1, s.CardNumbers[3] = 2;
  QVERIFY(WriteCardList(s));
  QCOMPARE(ReadHostFile(drives.c(kListHost)),
           QByteArray::fromHex("2033200d0a" "2031200d0a" "2032200d0a"));

  AppState back = Story();
  QVERIFY(ReadCardList(back));
  QCOMPARE(Deck(back), (QList<int>{3, 1, 2}));

  // Two-digit numbers keep the same form; an empty deck is an empty file
  // and reads back empty.
  s.CardCount = 1;
  s.CardNumbers[1] = 12;
  QVERIFY(WriteCardList(s));
  QCOMPARE(ReadHostFile(drives.c(kListHost)), QByteArray(" 12 \r\n"));
  s.CardCount = 0;
  QVERIFY(WriteCardList(s));
  QVERIFY(QFileInfo::exists(drives.c(kListHost)));
  QCOMPARE(ReadHostFile(drives.c(kListHost)).size(), 0);
  back.CardCount = 5;
  QVERIFY(ReadCardList(back));
  QCOMPARE(back.CardCount, int16_t(0));
}

void CardListTest::readsFields_data() {
  QTest::addColumn<QByteArray>("content");
  QTest::addColumn<QList<int>>("deck");
  QTest::newRow("number printing") << QByteArray(" 3 \r\n") << QList<int>{3};
  QTest::newRow("bare") << QByteArray("3\r\n") << QList<int>{3};
  QTest::newRow("leading space only") << QByteArray(" 3\r\n") << QList<int>{3};
  QTest::newRow("trailing comma") << QByteArray("3,\r\n 4 ,\r\n") << QList<int>{3, 4};
  QTest::newRow("two on a line") << QByteArray("1,2\r\n3\r\n") << QList<int>{1, 2, 3};
  QTest::newRow("empty field") << QByteArray("1,,2\r\n") << QList<int>{1, 0, 2};
  QTest::newRow("quoted") << QByteArray("\"5\"\r\n\" 6 \",7\r\n") << QList<int>{5, 6, 7};
  QTest::newRow("no line end at the end") << QByteArray(" 1 \r\n 2 ") << QList<int>{1, 2};
  QTest::newRow("LF and CR line ends") << QByteArray("1\n2\r3\r\n") << QList<int>{1, 2, 3};
  QTest::newRow("not a number") << QByteArray(" 1 \r\nabc\r\n 2 \r\n") << QList<int>{1, 0, 2};
  QTest::newRow("empty line") << QByteArray(" 1 \r\n\r\n 2 \r\n") << QList<int>{1, 0, 2};
  QTest::newRow("number then words") << QByteArray("7 cards\r\n") << QList<int>{7};
  QTest::newRow("halves to even") << QByteArray("2.5\r\n3.5\r\n1.4\r\n") << QList<int>{2, 4, 1};
  QTest::newRow("exponent") << QByteArray("1e1\r\n") << QList<int>{10};
  QTest::newRow("spaces inside") << QByteArray(" 1 2 \r\n") << QList<int>{12};
  QTest::newRow("beyond any card") << QByteArray("31\r\n-1\r\n123\r\n30\r\n")
                                   << QList<int>{0, 0, 0, 30};
  QTest::newRow("empty file") << QByteArray() << QList<int>{};
  QTest::newRow("blanks only") << QByteArray("   ") << QList<int>{};
}

void CardListTest::readsFields() {
  QFETCH(QByteArray, content);
  QFETCH(QList<int>, deck);
  TempDrives drives;
  WriteHostFile(drives.c(kListHost), content);
  AppState s = Story();
  QVERIFY(ReadCardList(s));
  QCOMPARE(Deck(s), deck);
}

void CardListTest::keepsAtMostThirtyCards() {
  TempDrives drives;
  QByteArray content;
  for (int n = 1; n <= 31; ++n) content += " " + QByteArray::number(n) + " \r\n";
  WriteHostFile(drives.c(kListHost), content);
  AppState s = Story();
  s.CardNumbers.fill(-7);
  QVERIFY(ReadCardList(s));
  QCOMPARE(s.CardCount, int16_t(30));
  QCOMPARE(s.CardNumbers[30], int16_t(30));
  QCOMPARE(s.CardNumbers[0], int16_t(-7));  // index 0 is never used
}

void CardListTest::leavesSlotsAboveTheCount() {
  TempDrives drives;
  AppState s = Story();
  for (int p = 0; p <= 30; ++p) s.CardNumbers[p] = int16_t(100 + p);
  s.CurrentCard = 4;
  s.CardStripOffset = 10;

  WriteHostFile(drives.c(kListHost), " 2 \r\n 1 \r\n");
  QVERIFY(ReadCardList(s));
  QCOMPARE(Deck(s), (QList<int>{2, 1}));
  for (int p = 3; p <= 30; ++p) QCOMPARE(s.CardNumbers[p], int16_t(100 + p));
  QCOMPARE(s.CurrentCard, int16_t(4));
  QCOMPARE(s.CardStripOffset, int16_t(10));

  // A story without a list is an empty deck; nothing else changes.
  s.StoryFolder = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\other\\");
  QVERIFY(!ReadCardList(s));
  QCOMPARE(s.CardCount, int16_t(0));
  QCOMPARE(s.CardNumbers[1], int16_t(2));
  QCOMPARE(s.CardNumbers[3], int16_t(103));
}

void CardListTest::failedWriteKeepsTheOldList() {
  TempDrives drives;
  WriteHostFile(drives.c(kListHost), " 1 \r\n 2 \r\n");
  AppState s = Story();
  s.CardCount = 3;
  s.CardNumbers[1] = 2, s.CardNumbers[2] = 1, s.CardNumbers[3] = 3;
  disk::testing::FailWritesAfter(6);
  QVERIFY(!WriteCardList(s));
  disk::testing::FailWritesAfter(-1);
  QCOMPARE(ReadHostFile(drives.c(kListHost)), QByteArray(" 1 \r\n 2 \r\n"));

  // A story folder that is gone.
  s.StoryFolder = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\gone\\");
  QVERIFY(!WriteCardList(s));
  s.StoryFolder = QStringLiteral("Q:\\story\\");  // a drive that is not there
  QVERIFY(!WriteCardList(s));
  QCOMPARE(s.CardCount, int16_t(3));
}

void CardListTest::namesCardFiles_data() {
  QTest::addColumn<int>("number");
  QTest::addColumn<QString>("stem");
  QTest::newRow("1") << 1 << QStringLiteral("Card_01");
  QTest::newRow("9") << 9 << QStringLiteral("Card_09");
  QTest::newRow("10") << 10 << QStringLiteral("Card_10");
  QTest::newRow("30") << 30 << QStringLiteral("Card_30");
  QTest::newRow("0") << 0 << QStringLiteral("Card_00");
}

void CardListTest::namesCardFiles() {
  QFETCH(int, number);
  QFETCH(QString, stem);
  const AppState s = Story();
  QCOMPARE(CardFileStem(s, number), kStory + stem);
}

void CardListTest::namesTheFourFilesOfACard() {
  const AppState s = Story();
  const QString card7 = CardFileStem(s, 7);
  QCOMPARE(card7 + ".PNG", kStory + "Card_07.PNG");
  QCOMPARE(card7 + ".BMP", kStory + "Card_07.BMP");
  QCOMPARE(card7 + ".txt", kStory + "Card_07.txt");
  QCOMPARE(card7 + "_x.wav", kStory + "Card_07_x.wav");
  QCOMPARE(CardFileStem(s, 12) + ".PNG", kStory + "Card_12.PNG");
  QCOMPARE(CardListFile(s), kStory + "CardData.txt");
}

void CardListTest::findsCardFilesWhateverTheirCase() {
  TempDrives drives;
  WriteHostFile(drives.c(QStringLiteral("A_PIKORA/CLASS_11/story/Card_05.TXT")), "abc\r\n");
  WriteHostFile(drives.c(QStringLiteral("A_PIKORA/CLASS_11/story/carddata.TXT")), " 5 \r\n");
  AppState s = Story();
  QVERIFY(ReadCardList(s));
  QCOMPARE(Deck(s), QList<int>{5});
  const auto text = disk::ReadLines(CardFileStem(s, s.CardNumbers[1]) + ".txt");
  QVERIFY(text);
  QCOMPARE(*text, QStringList{QStringLiteral("abc")});
}

QTEST_GUILESS_MAIN(CardListTest)
#include "tst_card_list.moc"
