// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The card list file "CardData.txt", read again while other computers
// change it, and the card file names.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <memory>

#include "deck/CardList.h"
#include "deck/SharedDeck.h"
#include "deck/StoryFiles.h"
#include "platform/Disk.h"
#include "deck/DeckState.h"
#include "support/TestSupport.h"

namespace {

const QString kStory = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\story\\");
const QString kList = QStringLiteral("A_PIKORA/CLASS_11/story/CardData.txt");

std::unique_ptr<DeckState> Story(QList<int> deck = {}) {
  auto story = std::make_unique<DeckState>();
  DeckState& s = *story;
  s.storyFolder = kStory;
  s.cardNumbers = deck;
  return story;
}

QList<int> Deck(const DeckState& s) { return s.cardNumbers; }

}  // namespace

class CardListTest : public QObject {
  Q_OBJECT
 private slots:
  void writesAndReadsBack();
  void readsFields_data();
  void readsFields();
  void keepsThirtyAndLeavesTheRest();
  void failedWriteKeepsTheOldList();
  void rereadKeepsTheCurrentCard();
  void listNotReadOrNotOursChangesNothing();
  void namesCardFiles();
};

void CardListTest::writesAndReadsBack() {
  TempDrives drives;
  WriteHostFile(drives.c(kList), "old");
  QVERIFY(WriteCardList(*Story({3, 1, 2})));
  QCOMPARE(ReadHostFile(drives.c(kList)), QByteArray::fromHex("2033200d0a2031200d0a2032200d0a"));
  const auto story = Story();
  DeckState& s = *story;
  QVERIFY(ReadCardList(s));
  QCOMPARE(Deck(s), (QList<int>{3, 1, 2}));

  // An empty deck is an empty file, which reads as an empty deck.
  QVERIFY(WriteCardList(*Story()));
  QVERIFY(QFileInfo::exists(drives.c(kList)));
  QCOMPARE(ReadHostFile(drives.c(kList)).size(), 0);
  QVERIFY(ReadCardList(s));
  QCOMPARE(s.cardCount(), 0);
}

void CardListTest::readsFields_data() {
  QTest::addColumn<QByteArray>("content");
  QTest::addColumn<QList<int>>("deck");
  QTest::newRow("spacing") << QByteArray(" 3 \r\n4\r\n 5\r\n6,\r\n") << QList<int>{3, 4, 5, 6};
  // A card named twice is one card: its files belong to one position only.
  QTest::newRow("named twice") << QByteArray(" 1 \r\n 2 \r\n 1 \r\n 2.0\r\n") << QList<int>{1, 2};
  QTest::newRow("two on a line") << QByteArray("1,2\r\n3") << QList<int>{1, 2, 3};
  QTest::newRow("quoted") << QByteArray("\"5\"\r\n\" 6 \",7\r\n") << QList<int>{5, 6, 7};
  QTest::newRow("LF and CR") << QByteArray("1\n2\r3\r\n") << QList<int>{1, 2, 3};
  QTest::newRow("no number") << QByteArray(" 1 \r\nabc\r\n\r\n,2\r\n") << QList<int>{1, 2};
  QTest::newRow("leading number") << QByteArray("7 cards\r\n 1 2 \r\n1e1") << QList<int>{7, 12, 10};
  QTest::newRow("halves to even") << QByteArray("2.5\r\n3.5\r\n") << QList<int>{2, 4};
  QTest::newRow("beyond any card")
      << QByteArray("31\r\n-1\r\n123\r\n0\r\n30") << QList<int>{30};
  QTest::newRow("empty file") << QByteArray() << QList<int>{};
}

void CardListTest::readsFields() {
  QFETCH(QByteArray, content);
  QFETCH(QList<int>, deck);
  TempDrives drives;
  WriteHostFile(drives.c(kList), content);
  const auto story = Story();
  DeckState& s = *story;
  QVERIFY(ReadCardList(s));
  QCOMPARE(Deck(s), deck);
}

void CardListTest::keepsThirtyAndLeavesTheRest() {
  TempDrives drives;
  QByteArray content;
  for (int n = 1; n <= 31; ++n) content += " " + QByteArray::number(n) + " \r\n";
  WriteHostFile(drives.c(kList), content);
  const auto story = Story();
  DeckState& s = *story;
  QVERIFY(ReadCardList(s));
  QCOMPARE(s.cardCount(), 30);
  QCOMPARE(s.cardNumbers[29], 30);

  // The current card and the page stay as they were.
  s.currentCard = 3;
  s.stripStart = 10;
  WriteHostFile(drives.c(kList), " 2 \r\n 1 \r\n");
  QVERIFY(ReadCardList(s));
  QCOMPARE(Deck(s), (QList<int>{2, 1}));
  QCOMPARE(s.currentCard, 3);
  QCOMPARE(s.stripStart, 10);

  // A story without a list is an empty deck.
  s.storyFolder = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\other\\");
  QVERIFY(!ReadCardList(s));
  QCOMPARE(s.cardCount(), 0);
}

void CardListTest::failedWriteKeepsTheOldList() {
  FullDisk full;
  const QString list = full.root() + u'/' + kList;
  WriteHostFile(list, " 1 \r\n 2 \r\n");
  const auto story = Story({2, 1, 3});
  DeckState& s = *story;
  full.WhileFull([&] { QVERIFY(!WriteCardList(s)); });
  QCOMPARE(ReadHostFile(list), QByteArray(" 1 \r\n 2 \r\n"));
  s.storyFolder = QStringLiteral("Q:\\story\\");  // a drive that is not there
  QVERIFY(!WriteCardList(s));
}

void CardListTest::rereadKeepsTheCurrentCard() {
  TempDrives drives;
  const auto story = Story({1, 2, 3, 4});
  DeckState& s = *story;
  const auto reread = [&](const QByteArray& list) {
    WriteHostFile(drives.c(kList), list);
    return RereadCardList(s);
  };
  // Card 4 is current; another computer moves it to the front, then erases
  // cards 1 and 2: the current card is followed to its new position.
  s.currentCard = 3;
  QVERIFY(!reread(" 1 \r\n 2 \r\n 3 \r\n 4 \r\n"));
  QVERIFY(reread(" 4 \r\n 1 \r\n 2 \r\n 3 \r\n"));
  QCOMPARE(s.currentCard, 0);
  QVERIFY(reread(" 3 \r\n 4 \r\n"));
  QCOMPARE(s.currentCard, 1);
  // The current card erased there: the position stays within the deck,
  // on the last card, and is the new card once no card is left.
  QVERIFY(reread(" 3 \r\n"));
  QCOMPARE(s.currentCard, 0);
  QVERIFY(reread(""));
  QCOMPARE(s.currentCard, 0);
  // The new card stays the new card however the deck grows, and a strip
  // page with nothing left to show goes back to the first.
  s.currentCard = s.cardCount();
  QVERIFY(reread(" 5 \r\n 6 \r\n"));
  QCOMPARE(s.currentCard, 2);
  s.stripStart = 10;
  QVERIFY(reread(" 5 \r\n"));
  QCOMPARE(s.stripStart, 0);
}

void CardListTest::listNotReadOrNotOursChangesNothing() {
  TempDrives drives;
  const auto story = Story({1, 2, 3});
  DeckState& s = *story;
  s.currentCard = 1;
  const auto eraseFirst = [](DeckState& d) {
    d.cardNumbers.removeFirst();
    return ListEdit::Write;
  };
  // The list is there but cannot be read (a share reconnecting): the deck
  // stays, card 2 stays the card open rather than becoming a new card, and
  // no change is made.
  QDir().mkpath(drives.c(kList));
  QVERIFY(!RereadCardList(s));
  QCOMPARE(Deck(s), (QList<int>{1, 2, 3}));
  QCOMPARE(s.currentCard, 1);
  QCOMPARE(ChangeCardList(s, eraseFirst), CardListResult::Unreadable);
  QCOMPARE(AddCardToList(s, 4), -1);
  QCOMPARE(Deck(s), (QList<int>{1, 2, 3}));

  // The list's lock taken over while the change was made (this computer
  // slept): nothing is written, the other's lock stays, the deck is the
  // list as read.
  QDir().rmdir(drives.c(kList));
  WriteHostFile(drives.c(kList), " 3 \r\n 1 \r\n 2 \r\n");
  const QString lock = drives.c(kList + QStringLiteral(".~pikorama-lock"));
  const QByteArray others = "pikorama pc-b 4242 AbCdEfGhIjKl 0000000001\n";
  const auto takenOver = [&](DeckState& d) {
    QFile::remove(lock);
    WriteHostFile(lock, others);
    return eraseFirst(d);
  };
  QCOMPARE(ChangeCardList(s, takenOver), CardListResult::LockLost);
  QCOMPARE(ReadHostFile(drives.c(kList)), QByteArray(" 3 \r\n 1 \r\n 2 \r\n"));
  QCOMPARE(ReadHostFile(lock), others);
  QCOMPARE(Deck(s), (QList<int>{3, 1, 2}));
  QCOMPARE(s.currentCard, 2);
}

void CardListTest::namesCardFiles() {
  const auto story = Story();
  const DeckState& s = *story;
  const QString card7 = CardFileStem(s, 7);
  QCOMPARE(card7 + ".PNG", kStory + "Card_07.PNG");
  QCOMPARE(card7 + ".BMP", kStory + "Card_07.BMP");
  QCOMPARE(card7 + ".txt", kStory + "Card_07.txt");
  QCOMPARE(card7 + "_x.wav", kStory + "Card_07_x.wav");
  QCOMPARE(CardFileStem(s, 12), kStory + "Card_12");
  QCOMPARE(CardFileStem(s, 30), kStory + "Card_30");
  QCOMPARE(CardFileStem(s, 0), kStory + "Card_00");
  // The listing patterns a story folder is searched with.
  QCOMPARE(storyfiles::CardFilePattern(storyfiles::CardFile::Thumbnail), QStringLiteral("Card_*.BMP"));
  QCOMPARE(storyfiles::kAnyCardFile, QStringLiteral("Card_*"));
  QCOMPARE(storyfiles::kStoryWorkPattern, QStringLiteral("Card_*.*;CardData.txt"));

  // Files made on a PC with other spellings are found.
  TempDrives drives;
  WriteHostFile(drives.c(QStringLiteral("A_PIKORA/CLASS_11/story/Card_05.TXT")), "abc\r\n");
  const auto text = disk::ReadLines(CardFileStem(s, 5) + ".txt");
  QVERIFY(text);
  QCOMPARE(*text, QStringList{QStringLiteral("abc")});
}

QTEST_GUILESS_MAIN(CardListTest)
#include "CardListTest.moc"
