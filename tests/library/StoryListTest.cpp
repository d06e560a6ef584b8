// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The class's list file and the story operations: what is read, what the
// child is asked and told, and what is on disk afterwards.

#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

#include "StoryClass.h"
#include "deck/CardDeck.h"
#include "deck/CardOperations.h"
#include "deck/StoryFiles.h"
#include "library/ClassList.h"
#include "platform/Imaging.h"

namespace {

const QString kClass = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\");

// One story operation on the class as the disk holds it.
void OneOperation(int op) {
  LibraryState library;
  DeckState deck;
  ScriptedDialogs dialogs;
  dialogs.answers = {true, true};
  library.classFolder = kClass;
  ReadStoryList(library);
  library.selectedStory = op / 5 % 2;
  DrawStoryList(library, deck);
  ReadCardList(deck);
  deck.currentCard = op % 5 == 1 ? deck.cardCount() : op % 5 == 3 ? deck.cardCount() - 1 : 0;
  if (op % 5 < 2 && deck.cardCount() < 6) SaveCard(deck, QImage(800, 600, QImage::Format_RGB32));
  if (op % 5 == 2 && deck.cardCount() < 6) CopyCard(deck, dialogs);
  if (op % 5 == 3 && deck.cardCount() > 1) EraseCard(deck, dialogs);
  if (op % 5 == 4) {
    const QString name = library.currentStoryName;
    dialogs.inputs = {name.endsWith(u'2') ? name.chopped(1) : name + u'2'};
    RenameStory(library, deck, dialogs);
  }
}

}  // namespace

class StoryListTest : public QObject {
  Q_OBJECT

 private slots:
  void readList_data();
  void readList();
  void makeAndCancel();
  void refusals_data();
  void refusals();
  void listFull();
  void listFileCannotBeAppended();
  void rename();
  void renameStopped();
  void interruptedRewriteKeepsOldList();
  void readOnlyFoldersAreNotInUse();
  void lockTakenOverWritesNothing();
  void deleteStories();
  void killedAtRandomLosesNothing();
  void killedDeletionIsWholeOrNothing();
  void longAndDamagedListsKeptWhole();
  void deleteKeepsWhatOthersUse();
  void unsafeNameFromFile();
};

void StoryListTest::readList_data() {
  QTest::addColumn<QByteArray>("file");
  QTest::addColumn<bool>("exists");
  QTest::addColumn<QStringList>("expected");
  QByteArray lines120;
  QStringList first100;
  for (int i = 1; i <= 120; ++i) lines120 += "s" + QByteArray::number(i) + "\r\n";
  for (int i = 1; i <= 100; ++i) first100.append(QStringLiteral("s%1").arg(i));

  QTest::newRow("missing") << QByteArray() << false << QStringList();
  QTest::newRow("0 bytes") << QByteArray() << true << QStringList();
  QTest::newRow("120 lines") << lines120 << true << first100;
  QTest::newRow("trailing empty line") << QByteArray("A\r\nB\r\n\r\n") << true << QStringList{"A", "B", ""};
  QTest::newRow("LF, no last ending") << QByteArray("A\n\nB") << true << QStringList{"A", "", "B"};
  // Written on a Windows PC: kanji, half-width kana, a circled digit.
  QTest::newRow("windows names") << QByteArray("\x87\x40\x8b\x9b\r\n\xb6\xb4\xd9\r\n") << true
                                 << QStringList{QStringLiteral("①魚"), QStringLiteral("ｶｴﾙ")};
}

void StoryListTest::readList() {
  QFETCH(QByteArray, file);
  QFETCH(bool, exists);
  QFETCH(QStringList, expected);
  TempDrives drives;
  ScriptedDialogs dialogs;
  LibraryParts session(dialogs);
  if (exists) WriteHostFile(drives.c(QStringLiteral("A_PIKORA/CLASS_11/Menu.txt")), file);
  session.library.storyNames = QStringList(100, QStringLiteral("old"));  // a list read before leaves nothing behind
  session.library.classFolder = StoryClass::Folder();  // the class folder, once chosen
  ReadStoryList(session.library);
  QCOMPARE(session.library.storyNames, expected.mid(0, 100));
}

void StoryListTest::makeAndCancel() {
  StoryClass c({QStringLiteral("A")});
  c.session.deck.currentCard = 2;
  const QString name = QStringLiteral("ｶｴﾙの①たび");
  QCOMPARE(SaveStoryName(c.session.library, c.session.deck, c.session.dialogs, name), NameDialogStep::Close);
  QVERIFY(c.hasFolder(name));
  QCOMPARE(c.listBytes(), Sjis({QStringLiteral("A"), name}));
  QCOMPARE(c.session.library.selectedStory, 1);
  QCOMPARE(c.session.deck.storyFolder, StoryClass::Folder() + name + u'\\');
  QCOMPARE(c.session.library.currentStoryName, name);
  QCOMPARE(c.session.deck.cardCount(), 0);
  // The new story opens on its new first card, not on the card number of
  // the story shown before.
  QCOMPARE(c.session.deck.currentCard, 0);
  QVERIFY(c.dialogs.told.isEmpty());

  // An empty text changes nothing.
  const QStringList before = c.snapshot();
  QCOMPARE(SaveStoryName(c.session.library, c.session.deck, c.session.dialogs, QString()), NameDialogStep::StayOpen);
  QCOMPARE(c.snapshot(), before);
  QCOMPARE(c.session.library.storyNames.size(), 2);

  // A folder left behind with cards in it is taken over with its deck, so
  // the next save does not replace its first card.
  WriteHostFile(c.host(QStringLiteral("のこり/CardData.txt")), " 2 \r\n 1 \r\n");
  QCOMPARE(SaveStoryName(c.session.library, c.session.deck, c.session.dialogs, QStringLiteral("のこり")), NameDialogStep::Close);
  QCOMPARE(c.session.deck.cardCount(), 2);
  QCOMPARE(c.session.deck.cardNumbers[0], 2);

  // The first story of a class makes the list file.
  StoryClass empty;
  SaveStoryName(empty.session.library, empty.session.deck, empty.session.dialogs, QStringLiteral("いぬ"));
  QCOMPARE(empty.listBytes(), Sjis({QStringLiteral("いぬ")}));
}

void StoryListTest::refusals_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<bool>("driveGone");
  for (const char* name : {"a\\b", "..\\x", "a/b", "a:b", "*", "なに?", "a\"b", "<a>", "a|b", "a\tb", ".",
                           "..", "いぬ.", "いぬ ", "  　", "con", "COM1.txt", "menu.TXT", "なみ〜", "ねこ😀",
                           "b" /* another row, other case */, "memo.txt" /* a file */,
                           ".pikorama-deleted-abcd1234" /* the program's own working name */})
    QTest::newRow(name) << QString::fromUtf8(name) << false;
  QTest::newRow("drive gone") << QStringLiteral("Z") << true;
}

// Make and rename refuse with a message and leave memory and disk as they
// were.
void StoryListTest::refusals() {
  QFETCH(QString, name);
  QFETCH(bool, driveGone);
  for (const bool make : {true, false}) {
    StoryClass c({QStringLiteral("A"), QStringLiteral("B")});
    WriteHostFile(c.host(QStringLiteral("memo.txt")), "x");
    const QStringList before = c.snapshot();
    const QByteArray hostC = qgetenv("PIKORAMA_DRIVE_C");
    if (driveGone) qputenv("PIKORAMA_DRIVE_C", hostC + "/gone");
    if (make) {
      QCOMPARE(SaveStoryName(c.session.library, c.session.deck, c.session.dialogs, name), NameDialogStep::StayOpen);
    } else {
      c.dialogs.inputs = {name};
      c.dialogs.answers = {true};
      RenameStory(c.session.library, c.session.deck, c.session.dialogs);
    }
    qputenv("PIKORAMA_DRIVE_C", hostC);
    QCOMPARE(c.dialogs.told.size(), 1);
    QCOMPARE(c.snapshot(), before);
    QCOMPARE(c.names(), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
    QCOMPARE(c.session.deck.storyFolder, StoryClass::Folder() + QStringLiteral("A\\"));
  }
}

void StoryListTest::listFull() {
  QStringList names;
  for (int i = 1; i <= 100; ++i) names.append(QStringLiteral("s%1").arg(i));
  StoryClass c(names);
  const QStringList before = c.snapshot();
  QVERIFY(!StoryListHasRoom(c.session.library, c.session.dialogs));
  QCOMPARE(SaveStoryName(c.session.library, c.session.deck, c.session.dialogs, QStringLiteral("new")), NameDialogStep::StayOpen);
  QCOMPARE(c.dialogs.told.size(), 2);
  QCOMPARE(c.session.library.storyNames.size(), 100);
  QCOMPARE(c.snapshot(), before);
}

void StoryListTest::listFileCannotBeAppended() {
  // The name goes into the story's own folder instead, and the child is told.
  StoryClass c({QStringLiteral("A")});
  QFile::remove(c.host(QStringLiteral("Menu.txt")));
  QDir().mkpath(c.host(QStringLiteral("Menu.txt")));  // a folder in the way
  QCOMPARE(SaveStoryName(c.session.library, c.session.deck, c.session.dialogs, QStringLiteral("ねこ")), NameDialogStep::Close);
  QCOMPARE(ReadHostFile(c.host(QStringLiteral("ねこ/Menu.txt"))), Sjis({QStringLiteral("ねこ")}));
  QCOMPARE(c.dialogs.told.size(), 1);
  QCOMPARE(c.session.library.selectedStory, 1);  // selected in memory as on screen
  QCOMPARE(c.session.deck.storyFolder, StoryClass::Folder() + QStringLiteral("ねこ\\"));

  // Neither file can be written (a full disk): the story is not made and
  // nothing on disk changes.
  StoryClass full({QStringLiteral("A")});
  FullDisk disk;
  CopyFolder(full.drives.root(u'C'), disk.root());
  const QStringList before = Snapshot(disk.root());
  disk.WhileFull([&] {
    QCOMPARE(SaveStoryName(full.session.library, full.session.deck, full.session.dialogs, QStringLiteral("ねこ")),
             NameDialogStep::StayOpen);
  });
  // Not even the list's lock can be written: the class's list is named.
  QCOMPARE(full.dialogs.told, QStringList{StoryClass::Folder() + QStringLiteral("menu.txt がほぞんできません。")});
  QCOMPARE(Snapshot(disk.root()), before);
  QCOMPARE(full.names(), QStringList{QStringLiteral("A")});
}

void StoryListTest::rename() {
  StoryClass c({QStringLiteral("A"), QStringLiteral("b"), QStringLiteral("C")});
  c.session.library.selectedStory = 1;
  DrawStoryList(c.session.library, c.session.deck);
  c.session.deck.currentCard = 4;
  const QString name = QStringLiteral("ﾈｺ①");
  c.dialogs.inputs = {name};
  c.dialogs.answers = {true};
  RenameStory(c.session.library, c.session.deck, c.session.dialogs);
  QCOMPARE(c.dialogs.asked, (QStringList{QStringLiteral("名前は？"), name + QStringLiteral("でいいですか？")}));
  QVERIFY(!c.hasFolder(QStringLiteral("b")));
  QCOMPARE(ReadHostFile(c.host(name + QStringLiteral("/CardData.txt"))), QByteArray(" 1 \r\n"));
  QCOMPARE(c.listBytes(), Sjis({QStringLiteral("A"), name, QStringLiteral("C")}));
  QCOMPARE(c.session.deck.storyFolder, StoryClass::Folder() + name + u'\\');
  QCOMPARE(c.session.deck.currentCard, 0);

  // The same name, and the same name in other letter case.
  c.dialogs.inputs = {name, QStringLiteral("c")};
  c.dialogs.answers = {true, true};
  const QStringList before = c.snapshot();
  RenameStory(c.session.library, c.session.deck, c.session.dialogs);
  QCOMPARE(c.snapshot(), before);
  c.session.library.selectedStory = 2;
  DrawStoryList(c.session.library, c.session.deck);
  RenameStory(c.session.library, c.session.deck, c.session.dialogs);
  QVERIFY(c.dialogs.told.isEmpty());
  QVERIFY(QDir(c.host(QString())).entryList(QDir::Dirs).contains(QStringLiteral("c")));
  QCOMPARE(c.listBytes(), Sjis({QStringLiteral("A"), name, QStringLiteral("c")}));
}

void StoryListTest::renameStopped() {
  StoryClass c({QStringLiteral("A")});
  QDir().mkpath(c.host(QStringLiteral("other")));
  const QStringList before = c.snapshot();
  c.dialogs.inputs = {std::nullopt, QString(), QStringLiteral("Z"), QStringLiteral("Other")};
  c.dialogs.answers = {false, true};
  for (int i = 0; i < 4; ++i) RenameStory(c.session.library, c.session.deck, c.session.dialogs);  // cancel, empty, いいえ, a folder in no list
  QCOMPARE(c.dialogs.told.size(), 1);
  QCOMPARE(c.snapshot(), before);
  QCOMPARE(c.names(), QStringList{QStringLiteral("A")});

  // With no story selected nothing is asked.
  StoryClass empty;
  QVERIFY(empty.session.deck.storyFolder.endsWith(QStringLiteral("\\\\")));
  RenameStory(empty.session.library, empty.session.deck, empty.session.dialogs);
  DeleteStory(empty.session.library, empty.session.deck, empty.session.dialogs);
  QVERIFY(empty.dialogs.asked.isEmpty());
}

void StoryListTest::interruptedRewriteKeepsOldList() {
  StoryClass c({QStringLiteral("A"), QStringLiteral("B")});
  FullDisk disk;
  CopyFolder(c.drives.root(u'C'), disk.root());
  const QStringList before = Snapshot(disk.root());
  c.dialogs.inputs = {QStringLiteral("Z")};
  c.dialogs.answers = {true, true};
  disk.WhileFull([&] {
    RenameStory(c.session.library, c.session.deck, c.session.dialogs);
    DeleteStory(c.session.library, c.session.deck, c.session.dialogs);  // the list cannot be rewritten: nothing is thrown away
  });
  QCOMPARE(Snapshot(disk.root()), before);
  QCOMPARE(c.names(), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
  QCOMPARE(c.dialogs.told.size(), 2);
  // The deletion stops before anything is moved: not even the list's lock
  // can be written.
  QCOMPARE(c.dialogs.told.last(), QStringLiteral("C:\\A_PIKORA\\CLASS_11\\menu.txt がほぞんできません。"));
}

// Folders that cannot be written are told as not saved, never as a story in
// use on another computer. Root writes anywhere, so as root the operations
// run as an unprivileged user.
void StoryListTest::readOnlyFoldersAreNotInUse() {
  StoryClass c({QStringLiteral("A"), QStringLiteral("B")});
  const bool root = geteuid() == 0;
  if (root)
    QCOMPARE(QProcess::execute(QStringLiteral("chown"), {QStringLiteral("-R"), QStringLiteral("65534"), c.drives.root(u'C')}), 0);
  const QStringList before = c.snapshot();
  const QString notSaved = kClass + QStringLiteral("menu.txt がほぞんできません。");
  const QStringList expected{QStringLiteral("なまえを かえられませんでした。"),
                             QStringLiteral("ぴこらまを すてられませんでした。"), notSaved, notSaved, notSaved};
  const auto attempt = [&] {
    // A's folder read-only in a class folder that may be written: its card
    // list's lock cannot be made, which is not a lock held elsewhere.
    QFile::setPermissions(c.host(QStringLiteral("A")), QFile::ReadOwner | QFile::ExeOwner);
    c.dialogs.inputs = {QStringLiteral("Z")};
    c.dialogs.answers = {true, true};
    RenameStory(c.session.library, c.session.deck, c.dialogs);
    DeleteStory(c.session.library, c.session.deck, c.dialogs);
    // The whole class folder read-only: not even the list's lock.
    QFile::setPermissions(c.host(QString()), QFile::ReadOwner | QFile::ExeOwner);
    SaveStoryName(c.session.library, c.session.deck, c.dialogs, QStringLiteral("Y"));
    c.dialogs.inputs = {QStringLiteral("Z")};
    c.dialogs.answers = {true, true};
    RenameStory(c.session.library, c.session.deck, c.dialogs);
    DeleteStory(c.session.library, c.session.deck, c.dialogs);
    if (c.dialogs.told != expected) qWarning() << c.dialogs.told;
    return c.dialogs.told == expected;
  };
  QVERIFY(AsUnprivilegedUser(attempt));
  const auto writable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
  QFile::setPermissions(c.host(QString()), writable);
  QFile::setPermissions(c.host(QStringLiteral("A")), writable);
  QCOMPARE(c.snapshot(), before);
}

// A computer whose list lock was taken over while it worked (it slept past
// the stale period) writes nothing under it.
void StoryListTest::lockTakenOverWritesNothing() {
  StoryClass c({QStringLiteral("A"), QStringLiteral("B")});
  const QByteArray before = c.listBytes();
  const QString lockFile = c.host(QStringLiteral("Menu.txt.~pikorama-lock"));
  bool settled = false;
  const ClassListResult result = ChangeClassList(
      kClass, {[&](ClassListLines& list) {
                 WriteHostFile(lockFile, "pc-b 4242 takenoverxxxx 0\n");
                 list.Append(QStringLiteral("C"));
                 return ClassListEdit::Write;
               },
               [&](ClassListResult written) { settled = written == ClassListResult::LockLost; }});
  QCOMPARE(result, ClassListResult::LockLost);
  QVERIFY(settled);
  QCOMPARE(c.listBytes(), before);
  // The other computer's lock stays its own.
  QCOMPARE(ReadHostFile(lockFile), QByteArray("pc-b 4242 takenoverxxxx 0\n"));
  QFile::remove(lockFile);
}

void StoryListTest::longAndDamagedListsKeptWhole() {
  // 150 names, the second not windows-31j: rename and delete change only
  // their own row, every other line stays byte for byte.
  QStringList names;
  for (int i = 1; i <= 150; ++i) names.append(QStringLiteral("s%1").arg(i));
  StoryClass c(names);
  QList<QByteArray> lines = Sjis(names).split('\r');  // "s1", "\ns2", ..., "\n"
  lines.replace(1, "\n\x82\xff");
  WriteHostFile(c.host(QStringLiteral("Menu.txt")), lines.join('\r'));
  ReadStoryList(c.session.library);
  c.dialogs.inputs = {QStringLiteral("ねこ")};
  c.dialogs.answers = {true, true};
  RenameStory(c.session.library, c.session.deck, c.session.dialogs);  // s1
  DeleteStory(c.session.library, c.session.deck, c.session.dialogs);  // ねこ
  QCOMPARE(c.listBytes(), lines.mid(1).join('\r').mid(1));
  QVERIFY(c.dialogs.told.isEmpty());
}

// A child process saves, adds, copies, erases and renames over and over
// until SIGKILL; after each kill the class reads back whole, as at the next
// start.
void StoryListTest::killedAtRandomLosesNothing() {
  TempDrives drives;
  const QString classHost = drives.c(QStringLiteral("A_PIKORA/CLASS_11"));
  for (const QString& name : {QStringLiteral("A"), QStringLiteral("B")}) {
    QDir().mkpath(classHost + u'/' + name);
    disk::AppendLine(kClass + QStringLiteral("Menu.txt"), name);
  }
  for (int op : {1, 1, 6, 6}) OneOperation(op);  // two cards in each story
  RunKillRounds(120, [] { static int op = int(getpid()); OneOperation(op++); }, [&](int) {
    LibraryState library;
    library.classFolder = kClass;
    ReadStoryList(library);  // finishes or undoes a rename cut short
    QStringList listed, holding;
    for (int i = 0; i < library.storyNames.size(); ++i) {
      listed.append(library.storyNames[i]);
      DeckState deck;
      deck.storyFolder = kClass + library.storyNames[i] + u'\\';
      QVERIFY(ReadCardList(deck) && deck.cardCount() >= 1);
      for (const int number : deck.cardNumbers) {
        const QString stem = deck.storyFolder + QStringLiteral("Card_%1").arg(number, 2, 10, QLatin1Char('0'));
        QVERIFY2(imaging::ReadCardPicture(stem + QStringLiteral(".PNG")), qPrintable(stem));
        QVERIFY2(imaging::ReadThumbnail(stem + QStringLiteral(".BMP")), qPrintable(stem));
      }
    }
    // Menu.txt names exactly the folders holding cards.
    for (const QString& folder : QDir(classHost).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
      if (!QDir(classHost + u'/' + folder).entryList({QStringLiteral("Card_*.PNG")}, QDir::Files).isEmpty())
        holding.append(folder);
    listed.sort();
    holding.sort();
    QCOMPARE(listed, holding);
  });
}

void StoryListTest::killedDeletionIsWholeOrNothing() {
  TempDrives drives;
  const QString classHost = drives.c(QStringLiteral("A_PIKORA/CLASS_11"));
  const auto makeStories = [&] {
    WriteHostFile(classHost + QStringLiteral("/Menu.txt"), Sjis({QStringLiteral("ねこ"), QStringLiteral("いぬ")}));
    QByteArray list;
    for (int n = 1; n <= 30; ++n) {
      for (const storyfiles::CardFile kind : storyfiles::kCardFiles)
        WriteHostFile(classHost + QStringLiteral("/ねこ/") + storyfiles::CardFileName(n, kind), QByteArray(2048, 'c'));
      list += " " + QByteArray::number(n) + " \r\n";
    }
    WriteHostFile(classHost + QStringLiteral("/ねこ/CardData.txt"), list);
    WriteHostFile(classHost + QStringLiteral("/いぬ/CardData.txt"), " 1 \r\n");
  };
  // Without the temporary files of a write the kill cut short, which no
  // listing shows and a later write takes away, and the locks the killed
  // process held, which go once stale.
  const auto onDisk = [&] {
    static const QRegularExpression temp(QStringLiteral("/\\.pikorama-[a-z0-9]{8}\\.tmp |\\.~pikorama-lock"));
    QStringList entries = Snapshot(classHost);
    entries.removeIf([](const QString& e) { return temp.match(e).hasMatch(); });
    return entries;
  };
  const auto deleteFirst = [] {
    LibraryState library;
    DeckState deck;
    ScriptedDialogs dialogs;
    dialogs.answers = {true};
    library.classFolder = kClass;
    ReadStoryList(library);
    library.selectedStory = 0;
    DrawStoryList(library, deck);
    DeleteStory(library, deck, dialogs);
  };
  // The kills fall anywhere in about two deletions.
  makeStories();
  QElapsedTimer timer;
  timer.start();
  deleteFirst();
  const int window = int(std::clamp<qint64>(2 * timer.nsecsElapsed() / 1000, 2000, 500000));
  makeStories();
  const QStringList whole = onDisk();
  int gone = 0;
  RunKillRounds(
      30,
      [&] {
        static bool done = false;
        if (done) return void(usleep(1000));
        done = true;
        deleteFirst();
      },
      [&](int round) {
        // The next start: the class is read again. ねこ is there whole, or
        // gone without a trace, never partly, and never unlisted.
        LibraryState library;
        library.classFolder = kClass;
        ReadStoryList(library);
        const QString what = QStringLiteral("round %1").arg(round);
        if (library.storyNames.size() == 2) {
          QVERIFY2(onDisk() == whole, qPrintable(what));
        } else {
          ++gone;
          QCOMPARE(library.storyNames.size(), 1);
          QCOMPARE(library.storyNames[0], QStringLiteral("いぬ"));
          QVERIFY2(!onDisk().join(u' ').contains(QStringLiteral("ねこ")), qPrintable(what));
          QVERIFY2(!onDisk().join(u' ').contains(QStringLiteral("deleted")), qPrintable(what));
        }
        makeStories();
      },
      window);
  qDebug("deletions finished or finished at the next start: %d of 30", gone);
}

void StoryListTest::deleteStories() {
  StoryClass c({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
  WriteHostFile(c.host(QStringLiteral("B/Card_01_x.wav")), "wav");
  c.session.library.selectedStory = 1;
  DrawStoryList(c.session.library, c.session.deck);
  c.dialogs.answers = {false, true};
  DeleteStory(c.session.library, c.session.deck, c.session.dialogs);  // いいえ
  QVERIFY(c.hasFolder(QStringLiteral("B")));
  DeleteStory(c.session.library, c.session.deck, c.session.dialogs);
  QCOMPARE(c.dialogs.asked.last(), QStringLiteral("えらばれているぴこらまをすてます。"));
  QVERIFY(!c.hasFolder(QStringLiteral("B")));
  QVERIFY(c.hasFolder(QStringLiteral("A")) && c.hasFolder(QStringLiteral("C")));
  QCOMPARE(c.listBytes(), Sjis({QStringLiteral("A"), QStringLiteral("C")}));
  QCOMPARE(c.session.deck.storyFolder, StoryClass::Folder() + QStringLiteral("A\\"));

  // The only story: folder and list file go, and nothing is selected.
  StoryClass one({QStringLiteral("ひとつ")});
  one.dialogs.answers = {true};
  DeleteStory(one.session.library, one.session.deck, one.session.dialogs);
  QVERIFY(!one.hasFolder(QStringLiteral("ひとつ")));
  QVERIFY(!one.hasListFile());
  QCOMPARE(one.session.library.storyNames.size(), 0);
  QCOMPARE(one.session.deck.storyFolder, StoryClass::Folder() + u'\\');
  one.dialogs.asked.clear();
  DeleteStory(one.session.library, one.session.deck, one.session.dialogs);
  RenameStory(one.session.library, one.session.deck, one.session.dialogs);
  QVERIFY(one.dialogs.asked.isEmpty());
}

void StoryListTest::deleteKeepsWhatOthersUse() {
  // Sub-folders are not visited: the folder stays with them, the row goes.
  StoryClass c({QStringLiteral("A"), QStringLiteral("B")});
  WriteHostFile(c.host(QStringLiteral("A/sub/keep.txt")), "keep");
  c.dialogs.answers = {true};
  DeleteStory(c.session.library, c.session.deck, c.session.dialogs);
  QVERIFY(!QFileInfo::exists(c.host(QStringLiteral("A/CardData.txt"))));
  QVERIFY(QFileInfo::exists(c.host(QStringLiteral("A/sub/keep.txt"))));
  QCOMPARE(c.listBytes(), Sjis({QStringLiteral("B")}));

  // Two rows on one folder, from an old list: deleting one keeps the
  // folder, renaming one is refused.
  StoryClass twice({QStringLiteral("A"), QStringLiteral("A")});
  twice.dialogs.inputs = {QStringLiteral("Z")};
  RenameStory(twice.session.library, twice.session.deck, twice.session.dialogs);
  QCOMPARE(twice.dialogs.told.size(), 1);
  twice.dialogs.answers = {true};
  DeleteStory(twice.session.library, twice.session.deck, twice.session.dialogs);
  QVERIFY(QFileInfo::exists(twice.host(QStringLiteral("A/CardData.txt"))));
  QCOMPARE(twice.listBytes(), Sjis({QStringLiteral("A")}));
}

void StoryListTest::unsafeNameFromFile() {
  // Shown in the list, never acted on.
  StoryClass c({QStringLiteral("..\\x"), QStringLiteral("ok"), QStringLiteral("..")});
  WriteHostFile(c.drives.c(QStringLiteral("A_PIKORA/x/precious.txt")), "mine");
  const QStringList before = c.snapshot();
  QCOMPARE(c.session.library.currentStoryName, QStringLiteral("..\\x"));
  for (int row : {1, 3}) {
    c.session.library.selectedStory = row - 1;
    DrawStoryList(c.session.library, c.session.deck);
    c.dialogs.told.clear();
    c.dialogs.answers = {true, true};
    c.dialogs.inputs = {QStringLiteral("y")};
    DeleteStory(c.session.library, c.session.deck, c.session.dialogs);
    RenameStory(c.session.library, c.session.deck, c.session.dialogs);
    QCOMPARE(c.dialogs.told.size(), 2);
    QVERIFY(c.dialogs.asked.isEmpty());
    QCOMPARE(c.snapshot(), before);
    QCOMPARE(c.session.library.storyNames.size(), 3);
  }
}

QTEST_MAIN(StoryListTest)
#include "StoryListTest.moc"
