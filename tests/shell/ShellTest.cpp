// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// Start-up, layouts, palette, data root, class selection and quitting, and
// the wiring between the parts: the screen following the editor, the story
// panel in the window, the exchange window's view of the class.

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTouchEvent>
#include <QTimer>
#include <cmath>

#include "cardtext/HiraganaKeyboard.h"
#include "drawing/Canvas.h"
#include "drawing/CanvasView.h"
#include "drawing/ColourDialog.h"
#include "drawing/DrawingTools.h"
#include "drawing/StripClicks.h"
#include "drawing/ToolActions.h"
#include "exchange/ExchangeWindow.h"
#include "exchange/StoryExchange.h"
#include "library/StoryNameDialog.h"
#include "pictureimport/PictureBrowser.h"
#include "drawing/ToolPanel.h"
#include "library/StoryPanel.h"
#include "platform/QtDialogs.h"
#include "platform/RemovableDrives.h"
#include "shell/ClassExchange.h"
#include "shell/ClassPanel.h"
#include "shell/DataRoot.h"
#include "shell/MainWindow.h"
#include "shell/DataFolderDialog.h"
#include "shell/Layout.h"
#include "shell/Session.h"
#include "shell/Startup.h"
#include "support/TestSupport.h"

namespace {

// A story folder of `cards` cards, each file holding its kind and `mark`.
void MakeStory(const QString& folder, int cards, const QByteArray& mark = "1") {
  QByteArray list;
  for (int n = 1; n <= cards; ++n) {
    const QString stem = folder + QStringLiteral("/Card_%1").arg(n, 2, 10, QLatin1Char('0'));
    for (const char* kind : {".PNG:png", ".BMP:bmp", ".txt:text", "_x.wav:wav"})
      WriteHostFile(stem + QString::fromLatin1(kind).section(u':', 0, 0), QByteArray(kind).split(':')[1] + mark);
    list += " " + QByteArray::number(n) + " \r\n";
  }
  WriteHostFile(folder + QStringLiteral("/CardData.txt"), list);
}

// Class 11 on drive C with one story, "neko", and its folder.
void MakeNekoClass(TempDrives& drives) {
  WriteHostFile(drives.c(QStringLiteral("A_PIKORA/CLASS_11/Menu.txt")), "neko\r\n");
  QDir().mkpath(drives.c(QStringLiteral("A_PIKORA/CLASS_11/neko")));
}

}  // namespace

Q_DECLARE_METATYPE(ScreenFacts)

class ShellTest : public QObject {
  Q_OBJECT
 private slots:
  void layoutFollowsScreenSize_data();
  void layoutFollowsScreenSize();
  void smallLayoutFitsTheWindow();
  void fingerTargetsOnEveryScreen_data();
  void fingerTargetsOnEveryScreen();
  void paletteAndClassNames();
  void startupCreatesDataRoot();
  void choosingAClassOpensIt();
  void decliningAClassChangesNothing();
  void driveDialogMovesDataRoot();
  void missingDriveGivesEmptyClass();
  void quitting();
  void controlsCarryTheirNames();
  void windowPassesClicksToEachPart();
  void screenFollowsTheEditor();
  void storyPanelInTheWindow();
  void classExchangeFollowsCopy();
  void messageBoxesBreakBetweenWords();
  void hiraganaKeysTypeTheWords();
};

void ShellTest::layoutFollowsScreenSize_data() {
  QTest::addColumn<ScreenFacts>("screen");
  QTest::addColumn<bool>("large");
  QTest::addColumn<bool>("touch");  // scaled up for fingers
  QTest::newRow("1024x768") << ScreenFacts({1024, 768}) << true << false;
  QTest::newRow("1023x768") << ScreenFacts({1023, 768}) << false << false;
  QTest::newRow("1024x767") << ScreenFacts({1024, 767}) << false << false;
  QTest::newRow("1920x1080") << ScreenFacts({1920, 1080}) << true << false;
  QTest::newRow("800x600") << ScreenFacts({800, 600}) << false << false;
  // A touch screen gets the larger layout only where there is room for it.
  QTest::newRow("touch 800x600") << ScreenFacts({800, 600}, {800, 570}, true) << false << false;
  QTest::newRow("touch 1024x768") << ScreenFacts({1024, 768}, {1024, 740}, true) << true << false;
  QTest::newRow("touch 1280x800") << ScreenFacts({1280, 800}, {1280, 770}, true) << true << false;
  QTest::newRow("touch 1920x1080") << ScreenFacts({1920, 1080}, {1920, 1048}, true) << true << true;
  QTest::newRow("touch 2560x1440") << ScreenFacts({2560, 1440}, {2560, 1400}, true) << true << true;
}

void ShellTest::layoutFollowsScreenSize() {
  QFETCH(ScreenFacts, screen);
  QFETCH(bool, large);
  QFETCH(bool, touch);
  TempDrives drives;
  ScriptedDialogs dialogs;
  Session session(dialogs);
  StartSession(session);
  LayOutSession(session, screen);
  const Layout& layout = session.layout;
  QCOMPARE(layout.large, large);
  QCOMPARE(layout.touch, touch);
  if (touch) {
    // Inside the available area, with room for the title bar; the list rows
    // reach a finger's 34 pixels, or the window fills the area one way.
    const QSize room = screen.available - QSize(0, kTitleBarRoom);
    QVERIFY(layout.window.width() <= room.width() && layout.window.height() <= room.height());
    QVERIFY(21 * layout.scale >= 34 - 1e-9 || layout.window.width() >= room.width() - 1 ||
            layout.window.height() >= room.height() - 1);
    QVERIFY(layout.scale <= 34.0 / 21 + 1e-9);  // no larger than the rows need
  } else {
    QCOMPARE(layout.window, large ? QSize(1024, 740) : QSize(800, 600));
  }
  // PIKORAMA_TOUCH says whether there is a touch screen, whatever the devices are.
  for (const char* forced : {"1", "0"}) {
    qputenv("PIKORAMA_TOUCH", forced);
    QCOMPARE(ThisScreen().touch, *forced == '1');
  }
  qunsetenv("PIKORAMA_TOUCH");
  // The canvas keeps its full size in both layouts, so a card is the same
  // card on any screen.
  QCOMPARE(session.editor.canvasPanelWidth, 822);
  QCOMPARE(session.editor.canvasPanelHeight, 622);
  // The canvas and the card's picture are made on first use, the canvas
  // at its full size: the class screen needs neither.
  QVERIFY(session.editor.canvasImage.isNull() && session.deck.cardImage.isNull());
  QCOMPARE(session.editor.canvas().size(), QSize(818, 618));
  QCOMPARE(session.layout.classPanel, QRect(203, 200, 617, 293));
}

void ShellTest::smallLayoutFitsTheWindow() {
  TempDrives drives;
  ScriptedDialogs dialogs;
  Session session(dialogs);
  MainWindow form(session, QSize(800, 600));
  QCOMPARE(form.size(), QSize(800, 600));
  const QRect window(QPoint(0, 0), form.size());
  for (QWidget* panel : {static_cast<QWidget*>(form.storyPanel), static_cast<QWidget*>(form.canvas),
                         static_cast<QWidget*>(form.classPanel), static_cast<QWidget*>(form.cardStrip),
                         static_cast<QWidget*>(form.toolPanel), static_cast<QWidget*>(form.cardText)}) {
    QVERIFY2(window.contains(panel->geometry()), qPrintable(panel->objectName()));
  }
  // The whole 800 x 600 picture area is on screen, and a press maps back
  // to the picture pixel under it.
  const double s = form.canvas->scale();
  QVERIFY(form.canvas->width() >= int(818 * s));
  QSignalSpy spy(form.canvas, &PicturePanel::mousePressed);
  form.canvas->show();
  QTest::mousePress(form.canvas, Qt::LeftButton, {}, QPoint(int(407 * s), int(307 * s)));
  QCOMPARE(spy.size(), 1);
  const QPointF at = spy.at(0).at(2).toPointF();
  QVERIFY(qAbs(at.x() - 407) < 1.5 && qAbs(at.y() - 307) < 1.5);

  // A double click is one press: its second press does not act again.
  QTest::mouseRelease(form.canvas, Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseClick(form.canvas, Qt::LeftButton, {}, QPoint(20, 20));
  QTest::mouseDClick(form.canvas, Qt::LeftButton, {}, QPoint(20, 20));
  QCOMPARE(spy.size(), 2);
}

// Every button shown on each screen, measured on the real widgets: inside
// the window, clear of the others but for the edge they share, and at
// least a finger's 34 pixels both ways in the touch layout; on 1024 x 740
// the ones there is no room for are listed. The list rows are measured by
// where presses pick them.
void ShellTest::fingerTargetsOnEveryScreen_data() {
  QTest::addColumn<ScreenFacts>("screen");
  QTest::addColumn<QString>("smaller");  // under 34 pixels one way or both
  QTest::addColumn<int>("smallest");     // the least side of any button of the window
  QTest::newRow("1024x768") << ScreenFacts({1024, 768})
                            << "Command1 Command13 Command16 Command23 Command24 Command3 Command5 Command6 Command9 "
                               "browserCommand1 browserCommand4_0 browserCommand4_1 browserCommand4_2 bubbleButton "
                               "colourCancel redoButton wordsSize0 wordsSize1 wordsSize2" << 31;
  QTest::newRow("touch 1920x1080") << ScreenFacts({1920, 1080}, {1920, 1048}, true) << "" << 34;
  QTest::newRow("touch 2560x1440") << ScreenFacts({2560, 1440}, {2560, 1400}, true) << "" << 34;
}

void ShellTest::fingerTargetsOnEveryScreen() {
  QFETCH(ScreenFacts, screen);
  QFETCH(QString, smaller);
  QFETCH(int, smallest);
  TempDrives drives;
  ScriptedDialogs dialogs;
  Session session(dialogs);
  WriteHostFile(drives.c(QStringLiteral("A_PIKORA/CLASS_11/Menu.txt")), "A\r\nB\r\nC\r\n");
  for (const char* name : {"A", "B", "C"}) QDir().mkpath(drives.c(QStringLiteral("A_PIKORA/CLASS_11/") + QLatin1String(name)));
  MainWindow form(session, screen);
  form.show();
  const double scale = session.layout.scale;
  const int edge = int(std::ceil(scale));  // a shared logical pixel on the screen
  QStringList small;
  int least = 1000;
  const auto measure = [&](const char* where) {
    QList<QRect> places;
    for (QAbstractButton* button : form.findChildren<QAbstractButton*>()) {
      if (!button->isVisible() || button->window() != &form) continue;
      const QRect place(button->mapTo(&form, QPoint(0, 0)), button->size());
      const QString name = QStringLiteral("%1: %2").arg(where, button->objectName());
      QVERIFY2(form.rect().contains(place), qPrintable(name));
      for (const QRect& other : places)
        QVERIFY2((place & other).isEmpty() || (place & other).width() <= edge || (place & other).height() <= edge,
                 qPrintable(name));
      places << place;
      least = std::min({least, place.width(), place.height()});
      if (std::min(place.width(), place.height()) < 34 && !small.contains(button->objectName()))
        small << button->objectName();
    }
    QVERIFY2(places.size() >= 8, where);
  };
  measure("class");
  dialogs.answers = {true};
  form.classPanel->classButtons[0]->click();
  measure("stories");
  // The screen pixels across which a press picks the second row.
  int rowPixels = 0;
  for (int y = int(183 * scale); y < int(246 * scale); ++y) {
    QTest::mouseClick(form.storyPanel, Qt::LeftButton, {}, QPoint(form.storyPanel->width() / 2, y));
    rowPixels += session.library.selectedStory == 1;
  }
  QVERIFY(std::abs(rowPixels - 21 * scale) <= 1);
  if (session.layout.touch) {
    QVERIFY(rowPixels >= 34 || form.height() + kTitleBarRoom >= screen.available.height() - 1);
    // The exchange window grows with the main one.
    ExchangeWindow* exchange = form.exchangeWindow();
    QCOMPARE(exchange->size(), QSize(qRound(499 * scale), qRound(515 * scale)));
    for (auto* list : exchange->findChildren<PicturePanel*>()) QCOMPARE(list->scale(), scale);
  }
  form.storyPanel->drawButton->click();
  ChooseTool(session.editor, dialogs, Tool::Words);  // its strip of sizes shows
  QVERIFY(session.screen.current() == Screen::Drawing);
  measure("drawing");
  ChooseTool(session.editor, dialogs, Tool::Text);
  QVERIFY(session.screen.current() == Screen::CardText);
  measure("card text");
  // The colour dialog and the picture browser grow with the window.
  const QPushButton* cancel = form.toolPanel->colourDialog()->cancelButton;
  if (std::min(cancel->width(), cancel->height()) < 34) small << QStringLiteral("colourCancel");
  form.toolPanel->loadFileButton->click();
  for (QAbstractButton* button : form.findChild<PictureBrowser*>()->findChildren<QAbstractButton*>())
    if (std::min(button->width(), button->height()) < 34) small << QStringLiteral("browser") + button->objectName();
  small.sort();
  QCOMPARE(small.join(u' '), smaller);
  QVERIFY2(least >= smallest, qPrintable(QString::number(least)));
}

void ShellTest::paletteAndClassNames() {
  EditorState s;
  LibraryState library;
  InitPalette(s);
  InitClassNames(library);
  QCOMPARE(s.palette[0], qRgb(0, 0, 0));
  QCOMPARE(s.palette[7], qRgb(255, 255, 255));
  QCOMPARE(s.palette[1], qRgb(0, 0, 255));
  QCOMPARE(s.palette[2], qRgb(255, 0, 0));
  QCOMPARE(s.palette[55], qRgb(208, 64, 64));
  QCOMPARE(s.palette[8], qRgb(32, 32, 32));
  for (int k = 0; k <= 6; ++k) QCOMPARE(s.palette[64 + k], qRgb(32 + 32 * k, 32 + 32 * k, 32 + 32 * k));
  QCOMPARE(s.palette[71], qRgb(240, 240, 240));
  QCOMPARE(s.paletteColour(72), qRgb(0, 0, 0));  // beyond the palette: black

  QCOMPARE(library.classNames[0], QStringLiteral("１年１組"));
  QCOMPARE(library.classNames[7], QStringLiteral("２年３組"));
  QCOMPARE(library.classNames[29], QStringLiteral("６年５組"));
  QCOMPARE(ClassFolderName(0), QStringLiteral("CLASS_11"));
  QCOMPARE(ClassFolderName(7), QStringLiteral("CLASS_23"));
  QCOMPARE(ClassFolderName(29), QStringLiteral("CLASS_65"));
}

void ShellTest::startupCreatesDataRoot() {
  {
    TempDrives drives;
    ScriptedDialogs dialogs;
    Session session(dialogs);
    StartSession(session);
    QCOMPARE(session.library.dataRoot, QStringLiteral("C:\\A_PIKORA\\"));
    QVERIFY(session.library.classFolder.isEmpty());
    QCOMPARE(PlacementCaption(session.editor.placement), QStringLiteral("じゆう"));
    QVERIFY(QFileInfo(drives.c(QStringLiteral("A_PIKORA"))).isDir());
  }
  // With no drive C the program still starts on the class panel.
  TempDrives drives;
  qputenv("PIKORAMA_DRIVE_C", QByteArray("/nonexistent/pikorama-c"));
  ScriptedDialogs dialogs;
  Session session(dialogs);
  MainWindow form(session, QSize(1024, 768));
  QCOMPARE(form.classPanel->dataRootLabel->text(), QStringLiteral("C:\\A_PIKORA\\"));
  QVERIFY(!form.classPanel->isHidden());
  QVERIFY(form.storyPanel->isHidden());
  QVERIFY(form.cardStrip->isHidden());
}

void ShellTest::choosingAClassOpensIt() {
  TempDrives drives;
  WriteHostFile(drives.c(QStringLiteral("A_PIKORA/CLASS_23/ねこ/CardData.txt")), " 1 \r\n");
  const QStringList existing = Snapshot(drives.c(QStringLiteral("A_PIKORA/CLASS_23")));
  ScriptedDialogs dialogs;
  Session session(dialogs);
  MainWindow form(session, QSize(1024, 768));

  dialogs.answers = {true};
  form.classPanel->classButtons[7]->click();
  QCOMPARE(dialogs.asked, QStringList{QStringLiteral("２年３組でよろしいですか")});
  QCOMPARE(session.library.classFolder, QStringLiteral("C:\\A_PIKORA\\CLASS_23\\"));
  QCOMPARE(session.library.selectedStory, 0);
  QCOMPARE(session.deck.currentCard, 0);
  QVERIFY(form.classPanel->isHidden());
  QVERIFY(!form.storyPanel->isHidden());
  QVERIFY(!form.cardStrip->isHidden());
  // An existing class folder is opened as it is.
  QCOMPARE(Snapshot(drives.c(QStringLiteral("A_PIKORA/CLASS_23"))), existing);

  // A new class folder is made on the data root.
  TempDrives other;
  ScriptedDialogs dialogs2;
  Session m2(dialogs2);
  StartSession(m2);
  dialogs2.answers = {true};
  ChooseClass(m2, 29);
  QVERIFY(QFileInfo(other.c(QStringLiteral("A_PIKORA/CLASS_65"))).isDir());
  QCOMPARE(m2.library.classFolder, QStringLiteral("C:\\A_PIKORA\\CLASS_65\\"));
  QVERIFY(m2.screen.current() == Screen::Stories);
}

void ShellTest::decliningAClassChangesNothing() {
  TempDrives drives;
  ScriptedDialogs dialogs;
  Session session(dialogs);
  MainWindow form(session, QSize(1024, 768));
  const QStringList before = Snapshot(drives.root(u'C'));
  dialogs.answers = {false};
  form.classPanel->classButtons[0]->click();
  QCOMPARE(dialogs.asked, QStringList{QStringLiteral("１年１組でよろしいですか")});
  QVERIFY(!form.classPanel->isHidden());
  QVERIFY(form.storyPanel->isHidden());
  QVERIFY(session.library.classFolder.isEmpty());
  QCOMPARE(session.library.selectedStory, -1);
  QCOMPARE(Snapshot(drives.root(u'C')), before);
}

void ShellTest::driveDialogMovesDataRoot() {
  TempDrives drives(QStringLiteral("CD"));
  ScriptedDialogs dialogs;
  Session session(dialogs);
  MainWindow form(session, QSize(1024, 768));
  DataFolderDialog* dialog = form.driveDialog();
  QCOMPARE(dialog->windowTitle(), QStringLiteral("ﾄﾞﾗｲﾌﾞ設定"));
  QCOMPARE(dialog->driveButtons[7]->text(), QStringLiteral("I"));
  QCOMPARE(dialog->driveButtons[0]->text(), QStringLiteral("Ａ"));

  // Closing the dialog without a drive button keeps the data root.
  dialog->show();
  dialog->reject();
  QCOMPARE(session.library.dataRoot, QStringLiteral("C:\\A_PIKORA\\"));

  // Another running copy on D: keeps this one where it is; then the lock
  // moves with the data root.
  session.dataRootLock = InstanceLock::Acquire(session.library.dataRoot);
  auto other = InstanceLock::Acquire(QStringLiteral("D:\\A_PIKORA\\"));
  dialog->show();
  dialog->driveButtons[2]->click();
  QVERIFY(dialog->isVisible() && session.library.dataRoot == QStringLiteral("C:\\A_PIKORA\\"));
  QCOMPARE(dialogs.told.size(), 1);
  other.reset();
  dialog->driveButtons[2]->click();
  QVERIFY(dialog->isHidden());
  QVERIFY(!InstanceLock::Acquire(QStringLiteral("D:\\A_PIKORA\\")));
  QVERIFY(InstanceLock::Acquire(QStringLiteral("C:\\A_PIKORA\\")));
  QCOMPARE(session.library.dataRoot, QStringLiteral("D:\\A_PIKORA\\"));
  QCOMPARE(session.dataRootDrive.letter(), QChar(u'D'));  // a stick there keeps the letter
  QCOMPARE(form.classPanel->dataRootLabel->text(), QStringLiteral("D:\\A_PIKORA\\"));
  QVERIFY(QFileInfo(drives.root(u'D') + QStringLiteral("/A_PIKORA")).isDir());
  // The dialog is kept, so it is the same window next time.
  QCOMPARE(form.driveDialog(), dialog);

  dialogs.answers = {true};
  ChooseClass(session, 0);
  QVERIFY(QFileInfo(drives.root(u'D') + QStringLiteral("/A_PIKORA/CLASS_11")).isDir());
  QVERIFY(!QFileInfo::exists(drives.c(QStringLiteral("A_PIKORA/CLASS_11"))));
}

void ShellTest::missingDriveGivesEmptyClass() {
  TempDrives drives;
  ScriptedDialogs dialogs;
  Session session(dialogs);
  StartSession(session);
  MoveDataRoot(session, 7);
  QCOMPARE(session.library.dataRoot, QStringLiteral("I:\\A_PIKORA\\"));
  dialogs.answers = {true};
  ChooseClass(session, 0);
  QCOMPARE(session.library.classFolder, QStringLiteral("I:\\A_PIKORA\\CLASS_11\\"));
  QCOMPARE(session.library.storyNames.size(), 0);
  QCOMPARE(session.library.selectedStory, 0);
  QVERIFY(session.screen.current() == Screen::Stories);
}

void ShellTest::quitting() {
  TempDrives drives;
  ScriptedDialogs dialogs;
  Session session(dialogs);
  MainWindow form(session, QSize(1024, 768));
  form.show();
  session.deck.cardNumbers = {1, 2, 3};

  // いいえ to the close request keeps everything as it was.
  dialogs.answers = {false};
  QVERIFY(!form.close());
  QVERIFY(form.isVisible());
  QVERIFY(!dialogs.ended);
  QCOMPARE(session.deck.cardCount(), 3);
  QCOMPARE(dialogs.asked, QStringList{QStringLiteral("「ぴこらまつくろ」をおわります。")});

  // The quit button asks the same; いいえ does nothing, はい ends.
  dialogs.answers = {false};
  QuitFromStoryPanel(session.dialogs);
  QVERIFY(!dialogs.ended);
  dialogs.answers = {true};
  QuitFromStoryPanel(session.dialogs);
  QVERIFY(dialogs.ended);
  dialogs.ended = false;
  dialogs.answers = {true};
  QVERIFY(form.close());
  QVERIFY(dialogs.ended);
}

void ShellTest::controlsCarryTheirNames() {
  TempDrives drives;
  ScriptedDialogs dialogs;
  Session session(dialogs);
  MainWindow form(session, QSize(1024, 768));
  QCOMPARE(form.windowTitle(), QStringLiteral("ぴこらまつくろ 2002.6.30"));
  QCOMPARE(form.size(), QSize(1024, 740));
  QCOMPARE(form.minimumSize(), form.maximumSize());
  QCOMPARE(form.palette().color(QPalette::Window), QColor(192, 255, 192));
  QCOMPARE(form.classPanel->geometry(), QRect(203, 200, 617, 293));

  auto* button = form.findChild<QPushButton*>(QStringLiteral("Command2_29"));
  QVERIFY(button);
  QCOMPARE(button->accessibleName(), QStringLiteral("６年５組"));
  QCOMPARE(button->geometry(), QRect(508, 236, 97, 37));
  QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("Command2_7"))->geometry(), QRect(108, 156, 97, 37));
  QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("Command17"))->accessibleName(),
           QStringLiteral("ﾄﾞﾗｲﾌﾞ変更"));
  QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Label2"))->text(),
           QStringLiteral("あなたのクラスをえらんでください。"));
  QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Label4"))->geometry(), QRect(308, 48, 73, 21));
  QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("Command4"))->accessibleName(),
           QStringLiteral("おわり"));
}

// The main window hands each click to the parts it concerns: a class opens
// its first story, "えをかく" opens the editor on its first card, the strip
// refuses presses while drawing, and "えをかく おわり" saves the card.
void ShellTest::windowPassesClicksToEachPart() {
  TempDrives drives;
  MakeNekoClass(drives);
  ScriptedDialogs dialogs;
  Session session(dialogs);
  MainWindow form(session, QSize(1024, 768));
  dialogs.answers = {true};
  form.findChild<QPushButton*>(QStringLiteral("Command2_0"))->click();
  QCOMPARE(session.deck.storyFolder, QStringLiteral("C:\\A_PIKORA\\CLASS_11\\neko\\"));
  QVERIFY(!form.storyPanel->isHidden());

  form.findChild<QPushButton*>(QStringLiteral("Command3"))->click();
  QVERIFY(form.storyPanel->isHidden());
  QVERIFY(!form.toolPanel->isHidden());
  QVERIFY(!form.canvas->isHidden());
  QCOMPARE(session.deck.currentCard, 0);

  QTest::mouseClick(form.cardStrip, Qt::LeftButton, {}, QPoint(100, 50));
  QCOMPARE(dialogs.told, QStringList{QStringLiteral("「えをかく」をおわってください。")});

  session.editor.canvasImage.setPixel(400, 300, qRgb(255, 0, 0));
  form.findChild<QPushButton*>(QStringLiteral("Command10"))->click();
  QVERIFY(!form.storyPanel->isHidden());
  QVERIFY(form.toolPanel->isHidden());
  QCOMPARE(session.deck.cardCount(), 1);
  QCOMPARE(session.deck.cardImage.pixel(393, 293), qRgb(255, 0, 0));
  QVERIFY(QFileInfo::exists(drives.c(QStringLiteral("A_PIKORA/CLASS_11/neko/Card_01.PNG"))));

  // The next run's first card opened for drawing is the saved one, on a
  // canvas made for it.
  ScriptedDialogs nextDialogs;
  Session next(nextDialogs);
  MainWindow nextForm(next, QSize(1024, 768));
  nextDialogs.answers = {true};
  nextForm.findChild<QPushButton*>(QStringLiteral("Command2_0"))->click();
  nextForm.findChild<QPushButton*>(QStringLiteral("Command3"))->click();
  QVERIFY(next.drawing.IsOpen());
  QCOMPARE(next.editor.canvasImage.pixel(400, 300), qRgb(255, 0, 0));
  QCOMPARE(next.editor.canvasImage.pixel(401, 300), qRgb(255, 255, 255));
}

// The screen follows the editor: a card opened shows the canvas, "文記入"
// swaps the text box and the picture each time, another tool, "はくし" and
// "はじめから" bring the picture back, the swatch and the erasers leave it
// as it is, and drawing ended shows the stories again.
void ShellTest::screenFollowsTheEditor() {
  TempDrives drives;
  MakeNekoClass(drives);
  ScriptedDialogs dialogs;
  Session session(dialogs);
  StartSession(session);
  LayOutSession(session, QSize(1024, 768));
  dialogs.answers = {true};
  ChooseClass(session, 0);
  const auto shown = [&] { return session.screen.current(); };
  QVERIFY(shown() == Screen::Stories);
  QVERIFY(session.drawing.Start());
  QVERIFY(shown() == Screen::Drawing);
  ChooseTool(session.editor, dialogs, Tool::Text);
  QVERIFY(shown() == Screen::CardText);
  ChooseTool(session.editor, dialogs, Tool::Text);
  QVERIFY(shown() == Screen::Drawing);
  ChooseTool(session.editor, dialogs, Tool::Text);
  ChooseEraser(session.editor, Tool::SmallEraser);
  ChooseFillColour(session.editor, [] {});
  QVERIFY(shown() == Screen::CardText);
  ChooseTool(session.editor, dialogs, Tool::MediumBrush);
  QVERIFY(shown() == Screen::Drawing);
  ChooseTool(session.editor, dialogs, Tool::Text);
  dialogs.answers = {true};
  BlankPaper(session.editor, session.deck, dialogs);
  QVERIFY(shown() == Screen::Drawing);
  ChooseTool(session.editor, dialogs, Tool::Text);
  dialogs.answers = {true};
  QVERIFY(session.drawing.StartOver());
  QVERIFY(shown() == Screen::Drawing);
  QVERIFY(session.drawing.Finish());
  QVERIFY(shown() == Screen::Stories);
  // A card opened from the strip, the one just saved.
  CardStripMouseDown(session.drawing, session.editor, session.deck, dialogs, QPointF(60, 50));
  QVERIFY(session.drawing.IsOpen());
  QVERIFY(shown() == Screen::Drawing);
}

// The story panel's buttons in the main window act on the row picked with
// the mouse; "つくる" opens the one name dialog modally.
void ShellTest::storyPanelInTheWindow() {
  TempDrives drives;
  ScriptedDialogs dialogs;
  Session session(dialogs);
  WriteHostFile(drives.c(QStringLiteral("A_PIKORA/CLASS_11/Menu.txt")), "A\r\nB\r\nC\r\n");
  for (const char* name : {"A", "B", "C"})
    WriteHostFile(drives.c(QStringLiteral("A_PIKORA/CLASS_11/%1/CardData.txt").arg(QLatin1String(name))), "");
  MainWindow form(session, QSize(1024, 768));
  form.show();
  dialogs.answers = {true};
  form.classPanel->classButtons[0]->click();
  QVERIFY(form.storyPanel->isVisible());

  // A press on row 2 picks it; the buttons act on it.
  QTest::mouseClick(form.storyPanel, Qt::LeftButton, {}, QPoint(60, 215));
  QCOMPARE(session.library.selectedStory, 1);
  dialogs.inputs = {QStringLiteral("Z")};
  dialogs.answers = {true};
  form.storyPanel->renameButton->click();
  QCOMPARE(session.library.storyNames[1], QStringLiteral("Z"));
  dialogs.answers = {true};
  form.storyPanel->deleteButton->click();
  QCOMPARE(session.library.storyNames.size(), 2);
  QCOMPARE(ReadHostFile(drives.c(QStringLiteral("A_PIKORA/CLASS_11/Menu.txt"))), QByteArray("A\r\nC\r\n"));

  // "つくる"
  QTimer::singleShot(0, this, [&] {
    StoryNameDialog* d = form.nameDialog();
    d->nameBox->setText(QStringLiteral("いぬ"));
    d->saveButton->click();
    if (d->isVisible()) d->reject();
  });
  form.storyPanel->makeButton->click();
  QCOMPARE(session.library.storyNames.size(), 3);
  QCOMPARE(session.library.currentStoryName, QStringLiteral("いぬ"));
  QCOMPARE(form.nameDialog()->nameBox->text(), QStringLiteral("いぬ"));
}

void ShellTest::classExchangeFollowsCopy() {
  // The program's own host: the class's story panel and the deck on show
  // follow a copy into the class.
  TempDrives drives(QStringLiteral("CD"));
  disk::testing::SetMountTable([] { return QByteArray(); }, {QStringLiteral("/nowhere")});
  const QString cls = drives.c(QStringLiteral("A_PIKORA/CLASS_11/"));
  WriteHostFile(cls + QStringLiteral("Menu.txt"), "kaeru\r\n");
  MakeStory(cls + QStringLiteral("kaeru"), 1, "old");
  MakeStory(drives.root(u'D') + QStringLiteral("/kaeru"), 3, "new");
  MakeStory(drives.root(u'D') + QStringLiteral("/kame"), 1);
  WriteHostFile(drives.root(u'D') + QStringLiteral("/Menu.txt"), "kame\r\nkaeru\r\n");
  ScriptedDialogs dialogs;
  Session session(dialogs);
  InitClassNames(session.library);
  session.library.dataRoot = QStringLiteral("C:\\A_PIKORA\\");
  dialogs.answers = {true};
  ChooseClass(session, 0);
  QCOMPARE(session.deck.cardCount(), 1);
  const QImage panelBefore = session.library.storyListImage.copy();
  QSignalSpy redrawn(&session.library, &Notifier::surfaceChanged);

  ClassExchange host(session.library, session.deck, dialogs);
  StoryExchange x(host);
  x.Load();
  QCOMPARE(x.CopyToClass(), ExchangeOutcome::Copied);  // "kame", a new story
  QCOMPARE(session.library.storyNames.size(), 2);
  QCOMPARE(session.library.storyNames[1], QStringLiteral("kame"));
  QVERIFY(redrawn.count() > 0);
  QVERIFY(session.library.storyListImage != panelBefore);
  QCOMPARE(session.deck.cardCount(), 1);  // the story on show is still kaeru

  // The story on show is replaced: its deck is read again.
  x.PressList(StoryExchange::DriveSide, 3 + 21 + 5);
  dialogs.answers = {true};
  QCOMPARE(x.CopyToClass(), ExchangeOutcome::Copied);
  QCOMPARE(session.library.currentStoryName, QStringLiteral("kaeru"));
  QCOMPARE(session.deck.cardCount(), 3);
  QCOMPARE(session.deck.cardText, QStringLiteral("textnew\r\n"));
  disk::testing::SetMountTable({});
}

// The longest messages in real boxes over the small layout's window: every
// line ends between two words or at a sentence's end (or after the 、 of a
// word wider than a line: つかえないので、コピーしませんでした。), Qt wraps
// nothing itself, and no line is wider than the box's text. Each box is
// answered with Return: はい for a question.
void ShellTest::messageBoxesBreakBetweenWords() {
  const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
  if (ChooseLayout(screen).large) QSKIP("the screen is large enough for the large layout");
  TempDrives drives;
  ScriptedDialogs scripted;
  Session session(scripted);
  MainWindow form(session, screen);
  form.show();
  QtDialogs dialogs;
  dialogs.SetParent(&form);
  QStringList faults, buttons;
  const auto answerWithReturn = [&](const QString& text) {
    QTimer::singleShot(0, [&, text] {
      QWidget* box = QApplication::activeModalWidget();
      auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
      if (!label) label = box->findChild<QLabel*>();
      const auto words = [](QString s) {
        static const QRegularExpression breaks(QStringLiteral("\\s+|(?<=[。、])"));
        return s.split(breaks, Qt::SkipEmptyParts);
      };
      if (words(label->text()) != words(text)) faults << QStringLiteral("broken in a word: ") + label->text();
      if (label->wordWrap()) faults << QStringLiteral("wrapped by Qt: ") + text;
      const int room = label->contentsRect().width() - std::max(0, label->indent());
      for (const QString& line : label->text().split(u'\n'))
        if (label->fontMetrics().horizontalAdvance(line) > room)
          faults << QStringLiteral("wider than %1: %2").arg(room).arg(line);
      if (box->frameGeometry().width() > screen.width()) faults << QStringLiteral("box too wide: ") + text;
      buttons.clear();
      for (auto* button : box->findChildren<QPushButton*>()) buttons << button->text();
      buttons.sort();
      QTest::keyClick(box, Qt::Key_Return);
    });
  };
  for (const QString& text :
       {QStringLiteral("この カードの えが よみこめませんでした。\nえを かかなければ、いまの ファイルは そのまま のこります。"),
        QStringLiteral("この ぴこらまは なまえに つかえない もじが あるので、かえたり すてたり できません。"),
        QStringLiteral("コピーできなかった ファイルが あります。USBメモリが いっぱいでないか、ぬけていないか たしかめてください。"),
        QStringLiteral("「ねこと いぬと うさぎの ながい おはなし」の フォルダは つかえないので、コピーしませんでした。"),
        QStringLiteral("3まいめの え が ありません。\n3まいめの こえ が よめません。\nどうがが できました。")}) {
    answerWithReturn(text);
    dialogs.Tell(text);
    QCOMPARE(buttons, QStringList{QStringLiteral("OK")});
  }
  const QString question = QStringLiteral("カードを ほぞんできませんでした。\nほぞんしないで「えをかく」を おわりますか？");
  answerWithReturn(question);
  QVERIFY(dialogs.Ask(question));
  QCOMPARE(buttons, (QStringList{QStringLiteral("いいえ"), QStringLiteral("はい")}));
  const QString prompt = QStringLiteral("この おはなしの あたらしい なまえを いれて ください。なまえは みじかく してね。");
  answerWithReturn(prompt);
  QCOMPARE(dialogs.Input(prompt), std::optional<QString>(QString()));
  QCOMPARE(buttons, (QStringList{QStringLiteral("OK"), QStringLiteral("キャンセル")}));
  QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
}

// The hiragana keys of the card text box type the words of 「もじ」: shown
// over the canvas, away from the words, only while they are typed; a key,
// a press between the keys or a finger on a key never takes the focus
// from the canvas nor finishes the words; the words finished are one step.
void ShellTest::hiraganaKeysTypeTheWords() {
  TempDrives drives;
  MakeNekoClass(drives);
  ScriptedDialogs dialogs;
  Session session(dialogs);
  MainWindow form(session, QSize(1024, 768));
  form.show();
  QVERIFY(QTest::qWaitForWindowActive(&form));
  dialogs.answers = {true};
  form.findChild<QPushButton*>(QStringLiteral("Command2_0"))->click();
  form.findChild<QPushButton*>(QStringLiteral("Command3"))->click();
  EditorState& editor = session.editor;
  CanvasView* canvas = form.canvas;
  auto* keyboard = canvas->findChild<HiraganaKeyboard*>();
  QVERIFY(keyboard && !keyboard->isVisible());
  QTest::mouseClick(form.toolPanel->wordsButton, Qt::LeftButton);
  QVERIFY(!keyboard->isVisible());  // no words yet
  const auto click = [&](const QString& caption) {
    QPushButton* key = keyboard->key(caption);
    QVERIFY2(key && key->isVisible(), qPrintable(caption));
    QTest::mouseClick(key, Qt::LeftButton);
  };
  // The keys clear of the words (the canvas panel at scale 1 here) and big
  // enough for a finger.
  const auto clear = [&] {
    return !keyboard->geometry().intersects(WordsRect(editor)) && keyboard->key(QStringLiteral("あ"))->height() >= 34;
  };

  // Words in the lower half: the keys along the top.
  QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(200, 450));
  QVERIFY(canvas->hasFocus() && keyboard->isVisible());
  QCOMPARE(keyboard->y(), 0);
  QVERIFY(clear());
  const QImage paper = editor.canvasImage.copy();
  const int steps = editor.history.StepsDone();
  for (const char* k : {"か", "゛", "き", "き", "けす", "かいぎょう", "い"}) click(QString::fromUtf8(k));
  QTest::mouseClick(keyboard, Qt::LeftButton, {}, QPoint(1, 1));  // between the keys
  QPointingDevice* finger = QTest::createTouchDevice();
  const QPoint onKey = keyboard->key(QStringLiteral("ぬ"))->geometry().center() + keyboard->pos();
  QTest::touchEvent(canvas, finger).press(0, onKey);
  QTest::touchEvent(canvas, finger).release(0, onKey);
  QCOMPARE(editor.wordsEditing->text, QStringLiteral("がき\nいぬ"));
  QCOMPARE(editor.wordsEditing->at, QPoint(200, 450));
  QVERIFY(canvas->hasFocus());
  QTest::keyClick(canvas, Qt::Key_Backspace);  // the physical keys go on working
  QCOMPARE(editor.wordsEditing->text, QStringLiteral("がき\nい"));
  // Shown at once on the canvas panel, not yet in the picture.
  const QRect words = WordsRect(editor);
  QVERIFY(words.height() > 2 * 36);
  const QImage shown = canvas->grab(words).toImage();
  int inked = 0;
  for (int y = 0; y < shown.height(); ++y)
    for (int x = 0; x < shown.width(); ++x) inked += shown.pixel(x, y) == qRgb(0, 0, 0);
  QVERIFY2(inked > 50, qPrintable(QString::number(inked)));
  QCOMPARE(editor.canvasImage, paper);
  click(QStringLiteral("゜"));  // い takes no mark
  QCOMPARE(dialogs.beeps, 1);
  QTest::keyClick(canvas, Qt::Key_Escape);
  QVERIFY(!keyboard->isVisible());
  QCOMPARE(editor.history.StepsDone(), steps + 1);
  QVERIFY(editor.canvasImage.copy(words) != paper.copy(words));

  // Words in the upper half: the keys along the bottom; a click elsewhere
  // starts new words and the keys stay, smaller when the words are near
  // the middle; another tool hides them.
  QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(300, 120));
  QVERIFY(keyboard->isVisible());
  QCOMPARE(keyboard->geometry().bottom(), canvas->height() - 1);
  QVERIFY(clear());
  click(QStringLiteral("そ"));
  QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(500, 280));
  QVERIFY(keyboard->isVisible() && clear());
  QCOMPARE(editor.history.StepsDone(), steps + 2);
  click(QStringLiteral("ら"));

  // Fingers, sent to the window as a touch screen does: one resting on the
  // words while others tap keys, two of them rolling (the second down before
  // the first is up): every letter, in the order pressed.
  QPointingDevice* fingers = QTest::createTouchDevice();
  const auto keyAt = [&](const char* caption) {
    QPushButton* key = keyboard->key(QString::fromUtf8(caption));
    return key->mapTo(&form, key->rect().center());
  };
  const QPoint resting = canvas->mapTo(&form, WordsRect(editor).center());
  QTest::touchEvent(&form, fingers).press(1, resting);
  QTest::touchEvent(&form, fingers).stationary(1).press(2, keyAt("ぬ"));
  QTest::touchEvent(&form, fingers).stationary(1).release(2, keyAt("ぬ"));
  QTest::touchEvent(&form, fingers).stationary(1).press(3, keyAt("こ"));
  QTest::touchEvent(&form, fingers).stationary(1).stationary(3).press(4, keyAt("ね"));
  QTest::touchEvent(&form, fingers).stationary(1).release(3, keyAt("こ")).stationary(4);
  QTest::touchEvent(&form, fingers).stationary(1).release(4, keyAt("ね"));
  QTest::touchEvent(&form, fingers).release(1, resting);
  QCOMPARE(editor.wordsEditing->text, QStringLiteral("らぬこね"));
  // A finger held on a key: Qt gives a tap on the canvas to the keyboard,
  // which passes it on; it starts new words there, and the key types into
  // them when its finger lifts.
  const QPoint heldOn = keyAt("ぬ");
  const QPoint newWords(100, keyboard->y() == 0 ? canvas->height() - 60 : 40);
  const QPoint tapAt = canvas->mapTo(&form, newWords);
  QTest::touchEvent(&form, fingers).press(5, heldOn);
  QTest::touchEvent(&form, fingers).stationary(5).press(6, tapAt);
  QTest::touchEvent(&form, fingers).stationary(5).release(6, tapAt);
  QCOMPARE(editor.wordsEditing->at, newWords);
  QTest::touchEvent(&form, fingers).release(5, heldOn);
  QCOMPARE(editor.wordsEditing->text, QStringLiteral("ぬ"));
  // A touch cancelled (the system took it) while a finger is handed on to
  // a key types nothing.
  const QPoint onWords = canvas->mapTo(&form, WordsRect(editor).center());
  QTest::touchEvent(&form, fingers).press(7, onWords);
  QTest::touchEvent(&form, fingers).stationary(7).press(8, keyAt("こ"));
  QTouchEvent cancel(QEvent::TouchCancel, fingers, Qt::NoModifier,
                     {QEventPoint(7, QEventPoint::State::Stationary, canvas->mapFrom(&form, onWords),
                                  QPointF(form.mapToGlobal(onWords))),
                      QEventPoint(8, QEventPoint::State::Stationary, canvas->mapFrom(&form, keyAt("こ")),
                                  QPointF(form.mapToGlobal(keyAt("こ"))))});
  QCoreApplication::sendEvent(canvas, &cancel);
  QTest::touchEvent(&form, fingers).release(7, onWords).release(8, keyAt("こ"));
  QCOMPARE(editor.wordsEditing->text, QStringLiteral("ぬ"));

  QTest::mouseClick(form.toolPanel->toolButtons[0], Qt::LeftButton);
  QVERIFY(!keyboard->isVisible());
  QCOMPARE(editor.history.StepsDone(), steps + 4);  // らぬこね and ぬ

  // Words that grow after the keys were placed (new lines, a larger size, a
  // bubble) move the keys out of their way, or fold them to their bar when
  // no edge has room for keys a finger can hit; so do words near the middle
  // of the small layout's scaled canvas.
  const auto clearOf = [](const EditorState& words, CanvasView* view, HiraganaKeyboard* keys) {
    const double s = view->scale();
    const QRect w = WordsRect(words);
    const QRect shown(int(w.x() * s), int(w.y() * s), int(std::ceil(w.width() * s)), int(std::ceil(w.height() * s)));
    if (!keys->isVisible() || keys->geometry().intersects(shown)) return false;
    QPushButton* a = keys->key(QStringLiteral("あ"));
    return a->isVisible() ? a->height() >= 28 : keys->cramped() && keys->showHideButton()->isVisible();
  };
  QTest::mouseClick(form.toolPanel->wordsButton, Qt::LeftButton);
  QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(300, 200));
  for (const char* k : {"あ", "かいぎょう", "あ", "かいぎょう", "あ", "かいぎょう", "あ"}) click(QString::fromUtf8(k));
  QVERIFY(clearOf(editor, canvas, keyboard) && keyboard->key(QStringLiteral("あ"))->isVisible());
  form.toolPanel->wordsSizeButtons[2]->click();
  QVERIFY(clearOf(editor, canvas, keyboard));
  QVERIFY(keyboard->cramped());  // four lines of the largest size leave no room for keys
  form.toolPanel->wordsSizeButtons[0]->click();
  QVERIFY(clearOf(editor, canvas, keyboard) && !keyboard->cramped());  // room again: the keys are back
  form.toolPanel->bubbleButton->click();
  QVERIFY(clearOf(editor, canvas, keyboard));
  QTest::keyClick(canvas, Qt::Key_Escape);

  Session small(dialogs);
  MainWindow smallForm(small, ScreenFacts(QSize(800, 600)));
  smallForm.show();
  QVERIFY(QTest::qWaitForWindowExposed(&smallForm));
  dialogs.answers = {true};
  smallForm.findChild<QPushButton*>(QStringLiteral("Command2_0"))->click();
  smallForm.findChild<QPushButton*>(QStringLiteral("Command3"))->click();
  CanvasView* smallCanvas = smallForm.canvas;
  auto* smallKeys = smallCanvas->findChild<HiraganaKeyboard*>();
  QTest::mouseClick(smallForm.toolPanel->wordsButton, Qt::LeftButton);
  const double s = smallCanvas->scale();
  for (const QPoint at : {QPoint(400, 300), QPoint(150, 280), QPoint(600, 330)}) {
    QTest::keyClick(smallCanvas, Qt::Key_Escape);  // the words before are finished, their keys gone
    QTest::mouseClick(smallCanvas, Qt::LeftButton, {}, QPoint(int(at.x() * s), int(at.y() * s)));
    QVERIFY((small.editor.wordsEditing->at - at).manhattanLength() <= 2);
    QTest::mouseClick(smallKeys->key(QStringLiteral("あ")), Qt::LeftButton);
    QVERIFY2(clearOf(small.editor, smallCanvas, smallKeys) && smallKeys->key(QStringLiteral("あ"))->isVisible(),
             qPrintable(QString::number(at.y())));
  }
}

QTEST_MAIN(ShellTest)
#include "ShellTest.moc"
