// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// "えをかく おわり" in a story other computers change: a card taken over by
// another computer while this one slept is not written over, and a story
// renamed or thrown away there gets no folder made again. What cannot be
// saved stays in the recovery file and the child is told. A story is in use
// elsewhere by its card locks alone.

#include <QApplication>
#include <QDirIterator>
#include <QPainter>
#include <QTest>
#include <cstdio>

#include "deck/DeckStory.h"
#include "shell/Session.h"
#include "deck/SharedDeck.h"
#include "platform/Imaging.h"
#include "recovery/DrawingRecovery.h"
#include "support/OtherComputer.h"

namespace {

// The story in a whole run: the recovery file follows the editor as the
// program wires it.
using SessionStory = StoryOf<Session>;

// The other computer: holds the card lock file argv[2] until its input closes.
int RunAsOtherComputer(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const auto lock = SharedLock::Take(app.arguments().value(2), SharedLock::kCardStale, SharedLock::Duration(0));
  std::fputs(lock ? "held\n" : "busy\n", stdout), std::fflush(stdout);
  while (std::fgetc(stdin) != EOF) {
  }
  return 0;
}

void OpenAndDraw(SessionStory& story, int position) {
  Session& s = story.session;
  QVERIFY(s.drawing.OpenAt(position));
  QPainter(&s.editor.canvasImage).fillRect(s.editor.canvasOffsetX, s.editor.canvasOffsetY, 400, 300, Qt::red);
  s.deck.cardText = QStringLiteral("ここで かいた\r\n");
}

// While this computer slept past the stale period, the other computer moved
// its stale lock file of card 1 away, took the lock and saved its own card 1.
std::unique_ptr<OtherComputer> TakeOverCard1(SessionStory& story) {
  QFile::remove(story.host(QStringLiteral("Card_01.~pikorama-lock")));
  auto other = std::make_unique<OtherComputer>(QStringLiteral("pc-b"), QStringList{CardLockFile(kStory, 1)});
  if (other->readLine() != u"held") return nullptr;
  for (const char* ext : {".PNG", ".txt", "_x.wav"}) WriteHostFile(story.host(QStringLiteral("Card_01") + ext), "pc-b");
  return other;
}

// The one recovery file, decoded.
std::optional<DrawingSnapshot> KeptDrawing(bool remove = false) {
  QStringList files;
  for (QDirIterator it(qEnvironmentVariable("XDG_DATA_HOME"), {QStringLiteral("*.recovery")}, QDir::Files,
                       QDirIterator::Subdirectories);
       it.hasNext();)
    files << it.next();
  const auto kept = files.size() == 1 ? DecodeSnapshot(ReadHostFile(files[0])) : std::nullopt;
  if (remove) for (const QString& file : files) QFile::remove(file);
  return kept;
}

}  // namespace

class SharedCardSaveTest : public QObject {
  Q_OBJECT
  QTemporaryDir stateHome_;
 private slots:
  void initTestCase() { qputenv("XDG_DATA_HOME", stateHome_.path().toUtf8()); }
  void cardTakenOverIsNotWrittenOver();
  void storyGoneElsewhereGetsNoFolder();
  void storyInUseByItsCardLocksAlone();
};

void SharedCardSaveTest::cardTakenOverIsNotWrittenOver() {
  {
    SessionStory story({1, 2});
    OpenAndDraw(story, 0);
    const auto other = TakeOverCard1(story);
    QVERIFY(other);
    QVERIFY(story.session.drawing.Finish());
    // The other computer's card and lock stay; the drawing and its text are
    // a new card.
    QCOMPARE(story.dialogs.told, QStringList{kSavedAsNewCard});
    for (const char* ext : {".PNG", ".txt", "_x.wav"}) QCOMPARE(story.bytes(QStringLiteral("Card_01") + ext), QByteArray("pc-b"));
    QCOMPARE(SharedLock::Inspect(CardLockFile(kStory, 1), SharedLock::kCardStale), SharedLock::State::HeldElsewhere);
    QCOMPARE(story.list(), QByteArray(" 1 \r\n 2 \r\n 3 \r\n"));
    QCOMPARE(imaging::ReadCardPicture(kStory + QStringLiteral("Card_03.PNG"))->pixel(10, 10), qRgb(255, 0, 0));
    QCOMPARE(story.bytes(QStringLiteral("Card_03.txt")), QByteArray("\x82\xb1\x82\xb1\x82\xc5 \x82\xa9\x82\xa2\x82\xbd\r\n"));
    QVERIFY(!story.session.drawing.IsOpen() && !KeptDrawing());
  }
  // A deck of thirty has no room for it: nothing in the story changes, the
  // editor closes, and the drawing waits in the recovery file as a new card,
  // also after another card is drawn and saved.
  QList<int> thirty;
  for (int n = 1; n <= kMaxCards; ++n) thirty.append(n);
  SessionStory story(thirty);
  OpenAndDraw(story, 0);
  const auto other = TakeOverCard1(story);
  QVERIFY(other);
  const QStringList before = Snapshot(story.host(QString()));
  QVERIFY(!story.session.drawing.Finish());
  QCOMPARE(story.dialogs.told, QStringList{kKeptDeckFull});
  QVERIFY(!story.session.drawing.IsOpen());
  QCOMPARE(Snapshot(story.host(QString())), before);
  QVERIFY(story.session.drawing.OpenAt(1));
  story.session.editor.canvasImage.fill(Qt::blue);
  story.session.recovery.WriteNow();
  QVERIFY(story.session.drawing.Finish());
  const auto kept = KeptDrawing(true);
  QVERIFY(kept && kept->storyName == QStringLiteral("ねこ") && kept->cardNumber == 0);
  QCOMPARE(kept->picture.pixel(10, 10), qRgb(255, 0, 0));
  QCOMPARE(kept->text, QStringLiteral("ここで かいた\r\n"));
}

void SharedCardSaveTest::storyGoneElsewhereGetsNoFolder() {
  // A new card in a story renamed elsewhere, an old card in one thrown away
  // there (its folder first moved to the hidden deleted name).
  for (const bool renamed : {true, false}) {
    {
      SessionStory story({1});
      OpenAndDraw(story, renamed ? 1 : 0);
      const QString moved = story.drives.c(QStringLiteral("A_PIKORA/CLASS_11/") +
                                           (renamed ? QStringLiteral("とら") : QStringLiteral(".pikorama-deleted-x1y2z3w4")));
      QVERIFY(QDir().rename(story.host(QString()), moved));
      const QStringList before = Snapshot(moved);
      QVERIFY(!story.session.drawing.Finish());
      QCOMPARE(story.dialogs.told, QStringList{kKeptStoryGone});
      QVERIFY(story.dialogs.asked.isEmpty() && !story.session.drawing.IsOpen());
      QVERIFY(!QFileInfo::exists(story.host(QString())));  // no folder made again
      QCOMPARE(Snapshot(moved), before);
    }
    const auto kept = KeptDrawing(true);  // also once the program has ended
    QVERIFY(kept && kept->storyName == QStringLiteral("ねこ") && kept->cardNumber == (renamed ? 0 : 1));
    QCOMPARE(kept->picture.pixel(10, 10), qRgb(255, 0, 0));
  }
}

// Another computer's lock of a card, of a new card or of a card number held
// in reserve makes the story in use; its card list's lock and a lock on its
// way through a takeover do not.
void SharedCardSaveTest::storyInUseByItsCardLocksAlone() {
  DeckStory story({1, 2});
  const QByteArray elsewhere = "pikorama pc-x/y/z 123 abcdefghijkl 0000000001\n";
  const auto inUseWith = [&](const char* lockName) {
    WriteHostFile(story.host(QLatin1String(lockName)), elsewhere);
    const bool inUse = StoryInUseElsewhere(kStory);
    QFile::remove(story.host(QLatin1String(lockName)));
    return inUse;
  };
  QVERIFY(!StoryInUseElsewhere(kStory));
  for (const char* name : {"Card_01.~pikorama-lock", "CARD_05.~pikorama-lock", "NewCard-1x2y3z.~pikorama-lock"})
    QVERIFY2(inUseWith(name), name);
  for (const char* name : {"CardData.txt.~pikorama-lock", "Card_01.~pikorama-lock-Ab12Cd"})
    QVERIFY2(!inUseWith(name), name);
}

int main(int argc, char** argv) {
  if (IsOtherComputer(argc, argv)) return RunAsOtherComputer(argc, argv);
  QApplication app(argc, argv);
  SharedCardSaveTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "SharedCardSaveTest.moc"
