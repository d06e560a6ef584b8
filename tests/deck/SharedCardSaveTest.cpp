// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// "えをかく おわり" in a story other computers change: a card taken over by
// another computer while this one slept is not written over, and a story
// renamed or thrown away there gets no folder made again. What cannot be
// saved is kept in the recovery file and the child is told.

#include <QApplication>
#include <QCoreApplication>
#include <QDirIterator>
#include <QPainter>
#include <QTest>

#include <cstdio>

#include "DeckStory.h"
#include "deck/SharedDeck.h"
#include "platform/Imaging.h"
#include "recovery/DrawingRecovery.h"
#include "support/OtherComputer.h"

namespace {

const QString kSavedAsNewCard =
    QStringLiteral("この カードは ほかの コンピュータで かきかえられたので、あたらしい カードに しました。");
const QString kKeptDeckFull =
    QStringLiteral("カードが いっぱいなので ほぞんできませんでした。かいた えは この コンピュータに とっておきます。");
const QString kKeptStoryGone = QStringLiteral(
    "この おはなしは ほかの コンピュータで なくなったので、ほぞんできませんでした。かいた えは この コンピュータに "
    "とっておきます。");

// The other computer: takes the lock file argv[2] and holds it, renewed,
// until its input closes.
int RunAsOtherComputer(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const auto lock = SharedLock::Take(app.arguments().value(2), SharedLock::kCardStale, SharedLock::Duration(0));
  std::fputs(lock ? "held\n" : "busy\n", stdout);
  std::fflush(stdout);
  char c;
  while (std::fread(&c, 1, 1, stdin) == 1) {
  }
  return 0;
}

// Opens the card at `position` in the editor and draws on it.
void OpenAndDraw(DeckStory& story, int position) {
  Session& s = story.session;
  QVERIFY(s.drawing.OpenAt(position));
  QPainter(&s.editor.canvasImage)
      .fillRect(s.editor.canvasOffsetX, s.editor.canvasOffsetY, 400, 300, Qt::red);
  s.deck.cardText = QStringLiteral("ここで かいた\r\n");
}

// While this computer slept past the stale period, the other computer took
// card `number`'s lock over (its stale file moved away) and saved its own
// drawing of the card.
std::unique_ptr<OtherComputer> TakeOver(DeckStory& story, int number) {
  const QString stem = DeckStory::Stem(number);
  QFile::remove(story.host(stem + QStringLiteral(".~pikorama-lock")));
  auto other = std::make_unique<OtherComputer>(QStringLiteral("pc-b"),
                                               QStringList{CardLockFile(kStory, number)});
  if (other->readLine() != u"held") return nullptr;
  WriteHostFile(story.host(stem + QStringLiteral(".PNG")), "drawn on pc-b");
  WriteHostFile(story.host(stem + QStringLiteral(".txt")), "pc-b");
  WriteHostFile(story.host(stem + QStringLiteral("_x.wav")), "voice of pc-b");
  return other;
}

QStringList RecoveryFiles() {
  QStringList files;
  QDirIterator it(qEnvironmentVariable("XDG_DATA_HOME"), {QStringLiteral("*.recovery")}, QDir::Files,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) files << it.next();
  return files;
}

std::optional<DrawingSnapshot> KeptDrawing() {
  const QStringList files = RecoveryFiles();
  if (files.size() != 1) return std::nullopt;
  return DecodeSnapshot(ReadHostFile(files[0]));
}

}  // namespace

class SharedCardSaveTest : public QObject {
  Q_OBJECT
  QTemporaryDir stateHome_;
 private slots:
  void initTestCase() { qputenv("XDG_DATA_HOME", stateHome_.path().toUtf8()); }
  void init() {
    for (const QString& file : RecoveryFiles()) QFile::remove(file);
  }
  void cardTakenOverIsNotWrittenOver();
  void storyGoneElsewhereGetsNoFolder();
};

void SharedCardSaveTest::cardTakenOverIsNotWrittenOver() {
  {
    DeckStory story({1, 2});
    OpenAndDraw(story, 0);
    const auto other = TakeOver(story, 1);
    QVERIFY(other);
    QVERIFY(story.session.drawing.Finish());
    // The other computer's card stays as it saved it, its lock its own; the
    // drawing and its text are a new card.
    QCOMPARE(story.dialogs.told, QStringList{kSavedAsNewCard});
    QCOMPARE(story.bytes(QStringLiteral("Card_01.PNG")), QByteArray("drawn on pc-b"));
    QCOMPARE(story.bytes(QStringLiteral("Card_01.txt")), QByteArray("pc-b"));
    QCOMPARE(story.bytes(QStringLiteral("Card_01_x.wav")), QByteArray("voice of pc-b"));
    QCOMPARE(SharedLock::Inspect(CardLockFile(kStory, 1), SharedLock::kCardStale),
             SharedLock::State::HeldElsewhere);
    QCOMPARE(story.list(), QByteArray(" 1 \r\n 2 \r\n 3 \r\n"));
    const auto saved = imaging::ReadCardPicture(kStory + QStringLiteral("Card_03.PNG"));
    QVERIFY(saved && saved->pixel(10, 10) == qRgb(255, 0, 0));
    QCOMPARE(story.bytes(QStringLiteral("Card_03.txt")), QByteArray("\x82\xb1\x82\xb1\x82\xc5 \x82\xa9\x82\xa2\x82\xbd\r\n"));
    QVERIFY(!story.session.drawing.IsOpen());
    QCOMPARE(RecoveryFiles(), QStringList());
  }
  // A deck of thirty has no room for it: nothing in the story changes, the
  // drawing waits in the recovery file as a new card, and the editor closes.
  QList<int> thirty;
  for (int n = 1; n <= kMaxCards; ++n) thirty.append(n);
  DeckStory story(thirty);
  OpenAndDraw(story, 0);
  const auto other = TakeOver(story, 1);
  QVERIFY(other);
  const QStringList before = Snapshot(story.host(QString()));
  QVERIFY(!story.session.drawing.Finish());
  QCOMPARE(story.dialogs.told, QStringList{kKeptDeckFull});
  QVERIFY(!story.session.drawing.IsOpen());
  QCOMPARE(Snapshot(story.host(QString())), before);
  QCOMPARE(story.bytes(QStringLiteral("Card_01.PNG")), QByteArray("drawn on pc-b"));
  const auto kept = KeptDrawing();
  QVERIFY(kept);
  QCOMPARE(kept->storyName, QStringLiteral("ねこ"));
  QCOMPARE(kept->cardNumber, 0);
  QCOMPARE(kept->picture.pixel(10, 10), qRgb(255, 0, 0));
  QCOMPARE(kept->text, QStringLiteral("ここで かいた\r\n"));
  // Another card drawn and saved afterwards leaves it as it is.
  QVERIFY(story.session.drawing.OpenAt(1));
  story.session.editor.canvasImage.fill(Qt::blue);
  story.session.recovery.WriteNow();
  story.session.recovery.WaitForWrites();
  QVERIFY(story.session.drawing.Finish());
  QVERIFY(KeptDrawing() && KeptDrawing()->picture.pixel(10, 10) == qRgb(255, 0, 0));
}

void SharedCardSaveTest::storyGoneElsewhereGetsNoFolder() {
  // A new card in a story renamed elsewhere, an old card in one thrown away
  // there (its folder moved to the hidden deleted name first).
  for (const bool renamed : {true, false}) {
    DeckStory story({1});
    OpenAndDraw(story, renamed ? 1 : 0);
    const QString moved = story.drives.c(renamed ? QStringLiteral("A_PIKORA/CLASS_11/とら")
                                                 : QStringLiteral("A_PIKORA/CLASS_11/.pikorama-deleted-x1y2z3w4"));
    QVERIFY(QDir().rename(story.host(QString()), moved));
    const QStringList before = Snapshot(moved);
    QVERIFY(!story.session.drawing.Finish());
    QCOMPARE(story.dialogs.told, QStringList{kKeptStoryGone});
    QVERIFY(story.dialogs.asked.isEmpty());
    QVERIFY(!story.session.drawing.IsOpen());
    QVERIFY(!QFileInfo::exists(story.host(QString())));  // no folder made again
    QCOMPARE(Snapshot(moved), before);
    const auto kept = KeptDrawing();
    QVERIFY(kept);
    QCOMPARE(kept->storyName, QStringLiteral("ねこ"));
    QCOMPARE(kept->cardNumber, renamed ? 0 : 1);
    QCOMPARE(kept->picture.pixel(10, 10), qRgb(255, 0, 0));
    for (const QString& file : RecoveryFiles()) QFile::remove(file);
  }
}

int main(int argc, char** argv) {
  if (IsOtherComputer(argc, argv)) return RunAsOtherComputer(argc, argv);
  QApplication app(argc, argv);
  SharedCardSaveTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "SharedCardSaveTest.moc"
