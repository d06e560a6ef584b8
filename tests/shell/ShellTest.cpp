// Start-up, layouts, palette, data root, class selection and quitting.

#include <QCloseEvent>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include "editor/CanvasView.h"
#include "editor/ToolPanel.h"
#include "library/StoryPanel.h"
#include "shell/ClassPanel.h"
#include "shell/DataRoot.h"
#include "shell/Form1.h"
#include "shell/Form8.h"
#include "shell/Shared.h"
#include "shell/Startup.h"
#include "support/TestSupport.h"

class ShellTest : public QObject {
  Q_OBJECT
 private slots:
  void layoutFollowsScreenSize_data();
  void layoutFollowsScreenSize();
  void smallLayoutFitsTheWindow();
  void paletteAndClassNames();
  void startupCreatesDataRoot();
  void choosingAClassOpensIt();
  void decliningAClassChangesNothing();
  void driveDialogMovesDataRoot();
  void missingDriveGivesEmptyClass();
  void quitting();
  void controlsCarryTheirNames();
};

void ShellTest::layoutFollowsScreenSize_data() {
  QTest::addColumn<QSize>("screen");
  QTest::addColumn<bool>("large");
  QTest::newRow("1024x768") << QSize(1024, 768) << true;
  QTest::newRow("1023x768") << QSize(1023, 768) << false;
  QTest::newRow("1024x767") << QSize(1024, 767) << false;
  QTest::newRow("1920x1080") << QSize(1920, 1080) << true;
  QTest::newRow("800x600") << QSize(800, 600) << false;
}

void ShellTest::layoutFollowsScreenSize() {
  QFETCH(QSize, screen);
  QFETCH(bool, large);
  TempDrives drives;
  ScriptedDialogs dialogs;
  Shared m(dialogs);
  Initialise(m);
  LoadStep(m, screen);
  QCOMPARE(m.layout.large, large);
  QCOMPARE(m.layout.window, large ? QSize(1024, 740) : QSize(800, 600));
  // The canvas keeps its full size in both layouts, so a card is the same
  // card on any screen.
  QCOMPARE(m.CanvasPanelWidth, int16_t(822));
  QCOMPARE(m.CanvasPanelHeight, int16_t(622));
  QCOMPARE(m.Picture2Image.size(), QSize(818, 618));
  QCOMPARE(m.Picture8Image.size(), QSize(827, 627));
  QCOMPARE(m.layout.Picture3, QRect(203, 200, 617, 293));
}

void ShellTest::smallLayoutFitsTheWindow() {
  TempDrives drives;
  ScriptedDialogs dialogs;
  Shared m(dialogs);
  Form1 form(m, QSize(800, 600));
  QCOMPARE(form.size(), QSize(800, 600));
  const QRect window(QPoint(0, 0), form.size());
  for (QWidget* panel : {static_cast<QWidget*>(form.Picture1), static_cast<QWidget*>(form.Picture2),
                         static_cast<QWidget*>(form.Picture3), static_cast<QWidget*>(form.Picture5),
                         static_cast<QWidget*>(form.Picture6), static_cast<QWidget*>(form.Text1)}) {
    QVERIFY2(window.contains(panel->geometry()), qPrintable(panel->objectName()));
  }
  // The whole 800 x 600 picture area is on screen, and a press maps back
  // to the picture pixel under it.
  const double s = form.Picture2->scale();
  QVERIFY(form.Picture2->width() >= int(818 * s));
  QSignalSpy spy(form.Picture2, &PicturePanel::mousePressed);
  form.Picture2->show();
  QTest::mousePress(form.Picture2, Qt::LeftButton, {}, QPoint(int(407 * s), int(307 * s)));
  QCOMPARE(spy.size(), 1);
  const QPointF at = spy.at(0).at(2).toPointF();
  QVERIFY(qAbs(at.x() - 407) < 1.5 && qAbs(at.y() - 307) < 1.5);

  // A double click is one press: its second press does not act again.
  QTest::mouseRelease(form.Picture2, Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseClick(form.Picture2, Qt::LeftButton, {}, QPoint(20, 20));
  QTest::mouseDClick(form.Picture2, Qt::LeftButton, {}, QPoint(20, 20));
  QCOMPARE(spy.size(), 2);
}

void ShellTest::paletteAndClassNames() {
  AppState s;
  InitPalette(s);
  InitClassNames(s);
  QCOMPARE(s.PaletteColors[0], Rgb(0, 0, 0));
  QCOMPARE(s.PaletteColors[7], Rgb(255, 255, 255));
  QCOMPARE(s.PaletteColors[7], 0x00FFFFFF);
  QCOMPARE(s.PaletteColors[1], 0x00FF0000);  // blue: red in the low byte
  QCOMPARE(s.PaletteColors[55], Rgb(208, 64, 64));
  QCOMPARE(s.PaletteColors[8], Rgb(32, 32, 32));
  for (int k = 0; k <= 6; ++k) QCOMPARE(s.PaletteColors[64 + k], Rgb(32 + 32 * k, 32 + 32 * k, 32 + 32 * k));
  QCOMPARE(s.PaletteColors[71], Rgb(240, 240, 240));
  for (int i = 72; i <= 128; ++i) QCOMPARE(s.PaletteColors[i], 0);

  QCOMPARE(s.ClassNames[1], QStringLiteral("１年１組"));
  QCOMPARE(s.ClassNames[8], QStringLiteral("２年３組"));
  QCOMPARE(s.ClassNames[30], QStringLiteral("６年５組"));
  QCOMPARE(ClassFolderName(0), QStringLiteral("CLASS_11"));
  QCOMPARE(ClassFolderName(7), QStringLiteral("CLASS_23"));
  QCOMPARE(ClassFolderName(29), QStringLiteral("CLASS_65"));
}

void ShellTest::startupCreatesDataRoot() {
  {
    TempDrives drives;
    ScriptedDialogs dialogs;
    Shared m(dialogs);
    Initialise(m);
    QCOMPARE(m.BaseFolder, QStringLiteral("C:\\A_PIKORA\\"));
    QCOMPARE(m.ui.Label4Caption, QStringLiteral("C:\\A_PIKORA\\"));
    QCOMPARE(m.ExchangeDrive, QStringLiteral("D:\\"));
    QCOMPARE(m.ui.Command9Caption, QStringLiteral("じゆう"));
    QCOMPARE(m.ui.Timer1Interval, 100);
    QVERIFY(!m.ui.Timer1Enabled);
    QVERIFY(QFileInfo(drives.c(QStringLiteral("A_PIKORA"))).isDir());
  }
  // With no drive C the program still starts on the class panel.
  TempDrives drives;
  qputenv("PIKORAMA_DRIVE_C", QByteArray("/nonexistent/pikorama-c"));
  ScriptedDialogs dialogs;
  Shared m(dialogs);
  Form1 form(m, QSize(1024, 768));
  QCOMPARE(form.Picture3->Label4->text(), QStringLiteral("C:\\A_PIKORA\\"));
  QVERIFY(!form.Picture3->isHidden());
  QVERIFY(form.Picture1->isHidden());
  QVERIFY(form.Picture5->isHidden());
}

void ShellTest::choosingAClassOpensIt() {
  TempDrives drives;
  WriteHostFile(drives.c(QStringLiteral("A_PIKORA/CLASS_23/ねこ/CardData.txt")), " 1 \r\n");
  const QStringList existing = Snapshot(drives.c(QStringLiteral("A_PIKORA/CLASS_23")));
  ScriptedDialogs dialogs;
  Shared m(dialogs);
  Form1 form(m, QSize(1024, 768));

  dialogs.answers = {true};
  form.Picture3->Command2[7]->click();
  QCOMPARE(dialogs.asked, QStringList{QStringLiteral("２年３組でよろしいですか")});
  QCOMPARE(m.BaseFolder, QStringLiteral("C:\\A_PIKORA\\CLASS_23\\"));
  QCOMPARE(m.CurrentStoryIndex, int16_t(1));
  QCOMPARE(m.CurrentCard, int16_t(1));
  QVERIFY(form.Picture3->isHidden());
  QVERIFY(!form.Picture1->isHidden());
  QVERIFY(!form.Picture5->isHidden());
  // An existing class folder is opened as it is.
  QCOMPARE(Snapshot(drives.c(QStringLiteral("A_PIKORA/CLASS_23"))), existing);

  // A new class folder is made on the data root.
  TempDrives other;
  ScriptedDialogs dialogs2;
  Shared m2(dialogs2);
  Initialise(m2);
  dialogs2.answers = {true};
  ChooseClass(m2, 29);
  QVERIFY(QFileInfo(other.c(QStringLiteral("A_PIKORA/CLASS_65"))).isDir());
  QCOMPARE(m2.BaseFolder, QStringLiteral("C:\\A_PIKORA\\CLASS_65\\"));
  QVERIFY(!m2.ui.Picture3Visible);
}

void ShellTest::decliningAClassChangesNothing() {
  TempDrives drives;
  ScriptedDialogs dialogs;
  Shared m(dialogs);
  Form1 form(m, QSize(1024, 768));
  const QStringList before = Snapshot(drives.root(u'C'));
  dialogs.answers = {false};
  form.Picture3->Command2[0]->click();
  QCOMPARE(dialogs.asked, QStringList{QStringLiteral("１年１組でよろしいですか")});
  QVERIFY(!form.Picture3->isHidden());
  QVERIFY(form.Picture1->isHidden());
  QCOMPARE(m.BaseFolder, QStringLiteral("C:\\A_PIKORA\\"));
  QCOMPARE(m.CurrentStoryIndex, int16_t(0));
  QCOMPARE(Snapshot(drives.root(u'C')), before);
}

void ShellTest::driveDialogMovesDataRoot() {
  TempDrives drives(QStringLiteral("CD"));
  ScriptedDialogs dialogs;
  Shared m(dialogs);
  Form1 form(m, QSize(1024, 768));
  Form8* dialog = form.DriveDialog();
  QCOMPARE(dialog->windowTitle(), QStringLiteral("ﾄﾞﾗｲﾌﾞ設定"));
  QCOMPARE(dialog->Command1[7]->text(), QStringLiteral("I"));
  QCOMPARE(dialog->Command1[0]->text(), QStringLiteral("Ａ"));

  // Closing the dialog without a drive button keeps the data root.
  dialog->show();
  dialog->reject();
  QCOMPARE(m.BaseFolder, QStringLiteral("C:\\A_PIKORA\\"));

  dialog->show();
  dialog->Command1[2]->click();
  QVERIFY(dialog->isHidden());
  QCOMPARE(m.BaseFolder, QStringLiteral("D:\\A_PIKORA\\"));
  QCOMPARE(form.Picture3->Label4->text(), QStringLiteral("D:\\A_PIKORA\\"));
  QVERIFY(QFileInfo(drives.root(u'D') + QStringLiteral("/A_PIKORA")).isDir());
  // The dialog is kept, so it is the same window next time.
  QCOMPARE(form.DriveDialog(), dialog);

  dialogs.answers = {true};
  ChooseClass(m, 0);
  QVERIFY(QFileInfo(drives.root(u'D') + QStringLiteral("/A_PIKORA/CLASS_11")).isDir());
  QVERIFY(!QFileInfo::exists(drives.c(QStringLiteral("A_PIKORA/CLASS_11"))));
}

void ShellTest::missingDriveGivesEmptyClass() {
  TempDrives drives;
  ScriptedDialogs dialogs;
  Shared m(dialogs);
  Initialise(m);
  SelectDrive(m, 7);
  QCOMPARE(m.ui.Label4Caption, QStringLiteral("I:\\A_PIKORA\\"));
  dialogs.answers = {true};
  ChooseClass(m, 0);
  QCOMPARE(m.BaseFolder, QStringLiteral("I:\\A_PIKORA\\CLASS_11\\"));
  QCOMPARE(m.StoryCount, int16_t(0));
  QCOMPARE(m.CurrentStoryIndex, int16_t(1));
  QVERIFY(!m.ui.Picture3Visible);
}

void ShellTest::quitting() {
  TempDrives drives;
  ScriptedDialogs dialogs;
  Shared m(dialogs);
  Form1 form(m, QSize(1024, 768));
  form.show();
  m.CardCount = 3;

  // いいえ to the close request keeps everything as it was.
  dialogs.answers = {false};
  QVERIFY(!form.close());
  QVERIFY(form.isVisible());
  QVERIFY(!dialogs.ended);
  QCOMPARE(m.CardCount, int16_t(3));
  QCOMPARE(dialogs.asked, QStringList{QStringLiteral("「ぴこらまつくろ」をおわります。")});

  // The quit button asks the same; いいえ does nothing, はい ends.
  dialogs.answers = {false};
  Command4_Click(m);
  QVERIFY(!dialogs.ended);
  dialogs.answers = {true};
  Command4_Click(m);
  QVERIFY(dialogs.ended);
  dialogs.ended = false;
  dialogs.answers = {true};
  QVERIFY(form.close());
  QVERIFY(dialogs.ended);
}

void ShellTest::controlsCarryTheirNames() {
  TempDrives drives;
  ScriptedDialogs dialogs;
  Shared m(dialogs);
  Form1 form(m, QSize(1024, 768));
  QCOMPARE(form.windowTitle(), QStringLiteral("ぴこらまつくろ 2002.6.30"));
  QCOMPARE(form.size(), QSize(1024, 740));
  QCOMPARE(form.minimumSize(), form.maximumSize());
  QCOMPARE(form.palette().color(QPalette::Window), QColor(192, 255, 192));
  QCOMPARE(form.Picture3->geometry(), QRect(203, 200, 617, 293));

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

QTEST_MAIN(ShellTest)
#include "ShellTest.moc"
