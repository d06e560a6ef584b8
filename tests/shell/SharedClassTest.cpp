// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// One class folder used by two computers at once: this test and another
// process with its own runtime folder (and host name, as root).

#include <QElapsedTimer>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <cstdio>

#include "../library/StoryClass.h"
#include "shell/DataRoot.h"
#include "shell/Session.h"
#include "deck/CardFiles.h"
#include "deck/CardList.h"
#include "deck/CardOperations.h"
#include "deck/CardStrip.h"
#include "deck/SharedDeck.h"
#include "drawing/DrawingSession.h"
#include "exchange/ExchangeWindow.h"
#include "exchange/StoryExchange.h"
#include "shell/ClassExchange.h"
#include "platform/SharedLock.h"
#include "shell/ClassFolderWatch.h"
#include "drawing/StripClicks.h"
#include "support/OtherComputer.h"

// Class 1年1組 opened in a whole run as the child opens it: its button and はい.
void OpenClass11(Session& session) {
  InitClassNames(session.library);
  session.library.dataRoot = QStringLiteral("C:\\A_PIKORA\\");
  ScriptedDialogs& dialogs = static_cast<ScriptedDialogs&>(session.dialogs);
  dialogs.answers = {true};
  ChooseClass(session, 0);
  dialogs.asked.clear();
}

namespace {

// The class in a whole run, with the folder watch and the exchange window's view.
using SessionClass = StoryClassOf<Session>;

QImage Paper() {
  QImage image(800, 600, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

void Say(const QByteArray& line) {
  std::fputs((line + '\n').constData(), stdout);
  std::fflush(stdout);
}

void WaitForInputToClose() {
  char c;
  while (std::fread(&c, 1, 1, stdin) == 1) {
  }
}

bool Select(Session& session, const QString& story) {
  const int row = int(session.library.storyNames.indexOf(story));
  if (row >= 0) SelectStory(session.library, session.deck, row);
  return row >= 0;
}

// The other computer: class 1-1 chosen, then one piece of work from argv.
int RunAsOtherComputer(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = app.arguments().mid(2);
  ScriptedDialogs dialogs;
  Session session{dialogs};
  if (args.value(0) == u"lock") {
    const auto lock = SharedLock::Take(args.value(1), SharedLock::Duration(args.value(2).toInt()),
                                       SharedLock::Duration(0));
    Say(lock ? "held" : "busy");
    WaitForInputToClose();
    return 0;
  }
  InitClassNames(session.library);
  session.library.dataRoot = QStringLiteral("C:\\A_PIKORA\\");
  dialogs.answers = {true};
  ChooseClass(session, 0);
  const QString what = args.value(0);
  if (what == u"make") {
    Say(SaveStoryName(session.library, session.deck, dialogs, args.value(1)) == NameDialogStep::Close ? "ok" : "failed");
  } else if (what == u"rename") {
    dialogs.inputs = {args.value(2)};
    dialogs.answers = {true};
    Say(Select(session, args.value(1)) ? (RenameStory(session.library, session.deck, dialogs), "ok") : "missing");
  } else if (what == u"delete") {
    dialogs.answers = {true};
    Say(Select(session, args.value(1)) ? (DeleteStory(session.library, session.deck, dialogs), "ok") : "missing");
  } else if (what == u"add") {
    if (!Select(session, args.value(1))) return Say("missing"), 1;
    session.deck.currentCard = session.deck.cardCount();
    session.deck.cardText = args.value(2);
    Say(SaveCard(session.deck, Paper()) == CardSave::Saved ? "ok" : "failed");
  } else if (what == u"redraw") {
    // The card at deck position argv[2] drawn again in colour argv[4], with text argv[3].
    if (!Select(session, args.value(1))) return Say("missing"), 1;
    session.deck.currentCard = args.value(2).toInt();
    LoadCard(session.deck);
    session.deck.cardText = args.value(3);
    QImage picture = Paper();
    picture.fill(QColor(args.value(4)));
    Say(SaveCard(session.deck, picture) == CardSave::Saved ? "ok" : "failed");
  } else if (what == u"draw") {
    if (!Select(session, args.value(1))) return Say("missing"), 1;
    session.deck.currentCard = args.value(2).toInt();  // a deck position from 0
    Say(LockCardForDrawing(session.deck) == DrawingLock::Taken ? "held" : "busy");
    WaitForInputToClose();
  }
  return 0;
}

QStringList ListedNumbers(const SessionClass& c, const QString& story) {
  return QString::fromLatin1(ReadHostFile(c.host(story + QStringLiteral("/CardData.txt"))))
      .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)
      .replaceInStrings(QStringLiteral(" "), QString());
}

}  // namespace

class SharedClassTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void listsMergeAcrossComputers();
  void cardDrawnElsewhereIsRefused();
  void locksOfGoneComputersAreTakenOver();
  void windowFollowsFolder();
  void noWaitUnderTheListLock();
  void exchangeFollowsClassFolder();
};

// Run on a share (tests/support/samba_share.sh), the class is there: no
// share, nothing to test.
void SharedClassTest::initTestCase() {
  const QString missing = TestShare::FromEnvironment().missing;
  if (!missing.isEmpty()) QSKIP(qPrintable(missing));
}

// Both computers change one list; neither writes back a list it read before
// the other's change.
void SharedClassTest::listsMergeAcrossComputers() {
  SessionClass c({QStringLiteral("みんな"), QStringLiteral("うみ"), QStringLiteral("やま")});
  Session& session = c.session;
  // A new card is being drawn here while the other computer adds one.
  session.deck.currentCard = session.deck.cardCount();
  session.deck.cardText = QStringLiteral("ここ");
  {
    OtherComputer other(QStringLiteral("pc-b"), {QStringLiteral("add"), QStringLiteral("みんな"), QStringLiteral("あっち")});
    QCOMPARE(other.readLine(), QStringLiteral("ok"));
  }
  QCOMPARE(SaveCard(session.deck, Paper()), CardSave::Saved);
  ReleaseDrawingLock(session.deck);
  // Both new cards stay, each with its own number and files.
  QCOMPARE(ListedNumbers(c, QStringLiteral("みんな")), (QStringList{"1", "2", "3"}));
  QCOMPARE(session.deck.cardCount(), 3);
  QCOMPARE(session.deck.currentCard, 2);
  QCOMPARE(ReadHostFile(c.host(QStringLiteral("みんな/Card_02.txt"))), QByteArray(*text::Encode(QStringLiteral("あっち\r\n"))));
  QCOMPARE(ReadHostFile(c.host(QStringLiteral("みんな/Card_03.txt"))), QByteArray(*text::Encode(QStringLiteral("ここ\r\n"))));

  // Another computer throws うみ away; renaming やま here does not bring
  // it back, and a story made there stays when one is made here.
  {
    OtherComputer other(QStringLiteral("pc-b"), {QStringLiteral("delete"), QStringLiteral("うみ")});
    QCOMPARE(other.readLine(), QStringLiteral("ok"));
  }
  {
    OtherComputer other(QStringLiteral("pc-b"), {QStringLiteral("make"), QStringLiteral("そら")});
    QCOMPARE(other.readLine(), QStringLiteral("ok"));
  }
  session.library.selectedStory = 2;  // やま, as the panel here still shows it
  DrawStoryList(session.library, session.deck);
  c.dialogs.inputs = {QStringLiteral("かわ")};
  c.dialogs.answers = {true};
  RenameStory(session.library, session.deck, c.dialogs);
  QCOMPARE(c.dialogs.told, QStringList());
  QCOMPARE(SaveStoryName(session.library, session.deck, c.dialogs, QStringLiteral("ほし")), NameDialogStep::Close);
  QCOMPARE(c.listBytes(), Sjis({QStringLiteral("みんな"), QStringLiteral("かわ"), QStringLiteral("そら"), QStringLiteral("ほし")}));
  QCOMPARE(c.names(), (QStringList{QStringLiteral("みんな"), QStringLiteral("かわ"), QStringLiteral("そら"), QStringLiteral("ほし")}));
  QVERIFY(!c.hasFolder(QStringLiteral("うみ")) && c.hasFolder(QStringLiteral("かわ")));
  // No lock file is left, and none is ever listed.
  QCOMPARE(SharedLock::LockNamesIn(StoryClass::Folder()), QStringList());
  QCOMPARE(SharedLock::LockNamesIn(StoryClass::Folder() + QStringLiteral("みんな\\")), QStringList());
}

// A card open for drawing on another computer: not drawn here, not erased,
// its story neither renamed nor thrown away; its other cards stay free.
void SharedClassTest::cardDrawnElsewhereIsRefused() {
  SessionClass c({QStringLiteral("みんな")});
  Session& session = c.session;
  for (const char* text : {"いち", "に"}) {
    session.deck.currentCard = session.deck.cardCount();
    session.deck.cardText = QString::fromUtf8(text);
    QCOMPARE(SaveCard(session.deck, Paper()), CardSave::Saved);
  }
  ReleaseDrawingLock(session.deck);
  QCOMPARE(session.deck.cardCount(), 3);
  ShowFirstCard(session.deck);

  OtherComputer other(QStringLiteral("pc-b"), {QStringLiteral("draw"), QStringLiteral("みんな"), QStringLiteral("1")});
  QCOMPARE(other.readLine(), QStringLiteral("held"));
  // The card is named in the strip's lock listing nowhere the child sees.
  QVERIFY(!disk::ListFiles(StoryClass::Folder() + QStringLiteral("みんな\\"), QStringLiteral("*.*")).join(u' ').contains(QStringLiteral("lock")));

  // Opening card 2 (the second tile's body) for drawing is refused; it is shown.
  CardStripMouseDown(session.drawing, session.editor, session.deck, c.dialogs, QPointF(130, 50));
  QCOMPARE(c.dialogs.told, QStringList{kCardInUse});
  QVERIFY(!session.drawing.IsOpen());
  QCOMPARE(session.deck.currentCard, 1);
  session.drawing.Start();
  QCOMPARE(c.dialogs.told, (QStringList{kCardInUse, kCardInUse}));
  QVERIFY(!session.drawing.IsOpen());
  c.dialogs.told.clear();

  // Erasing it is refused; the story can be neither renamed nor deleted.
  c.dialogs.answers = {true};
  EraseCard(session.deck, c.dialogs);
  QCOMPARE(c.dialogs.told, QStringList{kCardInUse});
  QCOMPARE(ListedNumbers(c, QStringLiteral("みんな")), (QStringList{"1", "2", "3"}));
  c.dialogs.told.clear();
  c.dialogs.answers = {true};
  DeleteStory(session.library, session.deck, c.dialogs);
  c.dialogs.inputs = {QStringLiteral("ねこ")};
  c.dialogs.answers = {true};
  RenameStory(session.library, session.deck, c.dialogs);
  QCOMPARE(c.dialogs.told, (QStringList{kStoryInUse, kStoryInUse}));
  QVERIFY(c.hasFolder(QStringLiteral("みんな")));
  QCOMPARE(c.names(), QStringList{QStringLiteral("みんな")});
  c.dialogs.told.clear();

  // Its other cards: copied, moved, erased, drawn.
  session.deck.currentCard = 2;
  c.dialogs.answers = {true};
  CopyCard(session.deck, c.dialogs);
  MoveCardLeft(session.deck, c.dialogs);  // card 3 before card 2
  QCOMPARE(ListedNumbers(c, QStringLiteral("みんな")), (QStringList{"1", "3", "2", "4"}));
  session.deck.currentCard = 3;
  c.dialogs.answers = {true};
  EraseCard(session.deck, c.dialogs);
  QCOMPARE(ListedNumbers(c, QStringLiteral("みんな")), (QStringList{"1", "3", "2"}));
  QCOMPARE(c.dialogs.told, QStringList());
  CardStripMouseDown(session.drawing, session.editor, session.deck, c.dialogs, QPointF(40, 50));
  QVERIFY(session.drawing.IsOpen());
  QVERIFY(session.drawing.Finish());

  // Once the other computer lets it go the card opens here.
  other.closeInput();
  QCOMPARE(other.wait(), 0);
  CardStripMouseDown(session.drawing, session.editor, session.deck, c.dialogs, QPointF(225, 50));  // the third tile: card 2
  QVERIFY(session.drawing.IsOpen());
  QCOMPARE(c.dialogs.told, QStringList());
}

// A lock whose computer stopped is taken over once stale, a renewed one
// never; a lock of a process gone on this computer at once.
void SharedClassTest::locksOfGoneComputersAreTakenOver() {
  TempDrives drives;
  const QString file = QStringLiteral("C:\\Menu.txt.~pikorama-lock");
  const SharedLock::Duration stale(700);
  OtherComputer holder(QStringLiteral("pc-c"), {QStringLiteral("lock"), file, QString::number(stale.count())});
  QCOMPARE(holder.readLine(), QStringLiteral("held"));
  // Renewed: not taken in three stale periods.
  QVERIFY(!SharedLock::Take(file, stale, SharedLock::Duration(2100)));
  QCOMPARE(SharedLock::Inspect(file, stale), SharedLock::State::HeldElsewhere);

  holder.kill();
  QElapsedTimer clock;
  clock.start();
  if (OtherComputer::OwnHostNames()) {
    // Another computer's lock: stale once not renewed for its period.
    QVERIFY(!SharedLock::Take(file, stale, SharedLock::Duration(0)));
    const auto lock = SharedLock::Take(file, stale, SharedLock::Duration(5000));
    QVERIFY(lock);
    // Its last renewal came up to a fifth of the period before the kill.
    QVERIFY(clock.elapsed() >= stale.count() / 2);
    QVERIFY(lock->stillHeld());
  } else {
    // This computer's: its process is gone.
    QVERIFY(SharedLock::Take(file, stale, SharedLock::Duration(0)));
  }
  QCOMPARE(SharedLock::LockNamesIn(QStringLiteral("C:\\")), QStringList());
  QCOMPARE(SharedLock::Inspect(file, stale), SharedLock::State::Free);
}

// The window follows the class folder: a story made elsewhere appears within
// the idle period, a card added there appears on the strip, a card drawn
// again there shows anew, the story in hand thrown away there is closed
// with a message.
void SharedClassTest::windowFollowsFolder() {
  SessionClass c({QStringLiteral("みんな"), QStringLiteral("うみ")});
  Session& session = c.session;
  QWidget window;
  ClassFolderWatch watch(session, &window, [] { return false; });
  const int within = ClassFolderWatch::kIdleMs + 2000;

  OtherComputer(QStringLiteral("pc-b"), {QStringLiteral("make"), QStringLiteral("そら")}).readLine();
  QTRY_VERIFY_WITH_TIMEOUT(c.names().contains(QStringLiteral("そら")), within);
  QCOMPARE(session.library.selectedStory, 0);

  OtherComputer(QStringLiteral("pc-b"), {QStringLiteral("add"), QStringLiteral("みんな"), QStringLiteral("x")}).readLine();
  QTRY_COMPARE_WITH_TIMEOUT(session.deck.cardCount(), 2, within);
  QCOMPARE(session.deck.currentCard, 0);

  // The card shown here drawn again there: its new thumbnail on the strip,
  // and its picture and text loaded again.
  OtherComputer(QStringLiteral("pc-b"), {QStringLiteral("redraw"), QStringLiteral("みんな"), QStringLiteral("0"),
                                         QStringLiteral("あお"), QStringLiteral("#0000ff")}).readLine();
  QTRY_COMPARE_WITH_TIMEOUT(session.deck.cardImage.pixel(400, 300), qRgb(0, 0, 255), within);
  QCOMPARE(session.deck.cardText, QStringLiteral("あお\r\n"));
  QCOMPARE(session.deck.stripImage.pixel(strip::TileLeft(0) + 45, 45), qRgb(0, 0, 255));

  // Renamed there: told as a rename, and the story stays in hand with its
  // cards under the new name.
  OtherComputer(QStringLiteral("pc-b"), {QStringLiteral("rename"), QStringLiteral("みんな"), QStringLiteral("なかま")}).readLine();
  QTRY_COMPARE_WITH_TIMEOUT(c.dialogs.told, QStringList{kStoryRenamedElsewhere}, within);
  QCOMPARE(c.names(), (QStringList{QStringLiteral("なかま"), QStringLiteral("うみ"), QStringLiteral("そら")}));
  QCOMPARE(session.library.selectedStory, 0);
  QCOMPARE(session.deck.storyFolder, StoryClass::Folder() + QStringLiteral("なかま\\"));
  QCOMPARE(session.deck.cardCount(), 2);
  c.dialogs.told.clear();

  OtherComputer(QStringLiteral("pc-b"), {QStringLiteral("delete"), QStringLiteral("なかま")}).readLine();
  QTRY_COMPARE_WITH_TIMEOUT(c.dialogs.told, QStringList{QStringLiteral("この おはなしは ほかの コンピュータで すてられました。")}, within);
  QCOMPARE(c.names(), (QStringList{QStringLiteral("うみ"), QStringLiteral("そら")}));
  QCOMPARE(session.deck.storyFolder, StoryClass::Folder() + QStringLiteral("うみ\\"));
}

// A message up on one computer holds no list lock: the other computer makes
// a story meanwhile, well within the wait for the lock.
void SharedClassTest::noWaitUnderTheListLock() {
  SessionClass c({QStringLiteral("みんな"), QStringLiteral("うみ")});
  Session& session = c.session;
  QStringList madeElsewhere;
  int made = 0;
  c.dialogs.whenTold = [&](const QString&) {
    QElapsedTimer clock;
    clock.start();
    const QString story = QStringLiteral("ほし%1").arg(++made);
    const QString said = OtherComputer(QStringLiteral("pc-b"), {QStringLiteral("make"), story}).readLine();
    if (said == u"ok" && clock.elapsed() < SharedLock::kListWait.count() / 3) madeElsewhere.append(story);
  };
  // The duplicate-name notice of つくる, and that of 名前変更.
  QCOMPARE(SaveStoryName(session.library, session.deck, c.dialogs, QStringLiteral("うみ")), NameDialogStep::StayOpen);
  c.dialogs.inputs = {QStringLiteral("ほし1")};
  c.dialogs.answers = {true};
  RenameStory(session.library, session.deck, c.dialogs);
  c.dialogs.whenTold = nullptr;
  QCOMPARE(c.dialogs.told, (QStringList{QStringLiteral("おなじ なまえの ぴこらまが もう あります。"),
                                        QStringLiteral("おなじ なまえの ぴこらまが もう あります。")}));
  QCOMPARE(madeElsewhere, (QStringList{QStringLiteral("ほし1"), QStringLiteral("ほし2")}));
  QCOMPARE(c.listBytes(), Sjis({QStringLiteral("みんな"), QStringLiteral("うみ"), QStringLiteral("ほし1"), QStringLiteral("ほし2")}));
}

// The exchange window follows the class folder: a story made elsewhere
// after it opened is an existing story for ＜＜＜, with the newer-work
// question; a story with a card drawn elsewhere is not copied over.
void SharedClassTest::exchangeFollowsClassFolder() {
  SessionClass c({QStringLiteral("みんな")}, QStringLiteral("CD"));
  const QString stick = c.drives.root(u'D');
  WriteHostFile(stick + QStringLiteral("/Menu.txt"), Sjis({QStringLiteral("そら"), QStringLiteral("みんな")}));
  const QDateTime old = QDateTime::currentDateTime().addDays(-3);
  for (const QString& story : {QStringLiteral("そら"), QStringLiteral("みんな")}) {
    for (const QString& file : {QStringLiteral("CardData.txt"), QStringLiteral("Card_01.txt")}) {
      WriteHostFile(stick + u'/' + story + u'/' + file, file == u"CardData.txt" ? " 1 \r\n" : "stick\r\n");
      QFile f(stick + u'/' + story + u'/' + file);
      QVERIFY(f.open(QIODevice::ReadWrite) && f.setFileTime(old, QFileDevice::FileModificationTime));
    }
  }
  ClassExchange host(c.session.library, c.session.deck, c.dialogs);
  ExchangeWindow window(host, nullptr);
  StoryExchange& x = window.exchange();

  // そら is made on another computer, with a card, while the window is open:
  // the window's list shows it within the refresh period.
  QStringList said;
  bool shown = false;
  QTimer::singleShot(0, &window, [&] {
    said.append(OtherComputer(QStringLiteral("pc-b"), {QStringLiteral("make"), QStringLiteral("そら")}).readLine());
    said.append(OtherComputer(QStringLiteral("pc-b"), {QStringLiteral("add"), QStringLiteral("そら"), QStringLiteral("あたらしい")}).readLine());
    shown = QTest::qWaitFor([&] { return x.Count(StoryExchange::ClassSide) == 2; }, StoryExchange::kRefreshMs + 2000);
    window.hide();
  });
  window.Open();
  QCOMPARE(said, (QStringList{QStringLiteral("ok"), QStringLiteral("ok")}));
  QVERIFY(shown);
  const QByteArray newer = ReadHostFile(c.host(QStringLiteral("そら/Card_01.txt")));
  c.dialogs.answers = {false};
  QCOMPARE(x.CopyToClass(), ExchangeOutcome::Declined);
  QCOMPARE(c.dialogs.asked, QStringList{QStringLiteral("クラスのほうが あたらしいです。うわがきしますか？")});
  QCOMPARE(ReadHostFile(c.host(QStringLiteral("そら/Card_01.txt"))), newer);
  QCOMPARE(c.dialogs.told, QStringList());

  // A card of みんな is being drawn on another computer: not copied over.
  OtherComputer drawing(QStringLiteral("pc-b"), {QStringLiteral("draw"), QStringLiteral("みんな"), QStringLiteral("0")});
  QCOMPARE(drawing.readLine(), QStringLiteral("held"));
  const QByteArray cardList = ReadHostFile(c.host(QStringLiteral("みんな/CardData.txt")));
  x.PressList(StoryExchange::DriveSide, StoryExchange::kListTop + 21 + 5);
  QCOMPARE(x.Name(StoryExchange::DriveSide, x.SelectedRow(StoryExchange::DriveSide)), QStringLiteral("みんな"));
  QCOMPARE(x.CopyToClass(), ExchangeOutcome::Refused);
  QCOMPARE(c.dialogs.told, QStringList{kStoryInUse});
  QVERIFY(!QFileInfo::exists(c.host(QStringLiteral("みんな/Card_01.txt"))));
  QCOMPARE(ReadHostFile(c.host(QStringLiteral("みんな/CardData.txt"))), cardList);
  // Once it is let go, the copy goes in under the card list's lock.
  drawing.closeInput();
  QCOMPARE(drawing.wait(), 0);
  c.dialogs.answers = {true};
  QCOMPARE(x.CopyToClass(), ExchangeOutcome::Copied);
  QCOMPARE(ReadHostFile(c.host(QStringLiteral("みんな/Card_01.txt"))), QByteArray("stick\r\n"));
  QCOMPARE(SharedLock::LockNamesIn(StoryClass::Folder() + QStringLiteral("みんな\\")), QStringList());
}

int main(int argc, char** argv) {
  if (IsOtherComputer(argc, argv)) return RunAsOtherComputer(argc, argv);
  QApplication app(argc, argv);
  SharedClassTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "SharedClassTest.moc"
