// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The recorder and the player as the main window joins them to the cards.
#include <QApplication>
#include <QDir>
#include <QTest>

#include "deck/CardStrip.h"
#include "narration/SoundServer.h"
#include "player/PlayerWindow.h"
#include "shell/MainWindow.h"
#include "shell/Session.h"
#include "support/TestSupport.h"

static const QString kStory = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\neko\\");
static void Click(QWidget* window, const char* name) { window->findChild<QPushButton*>(QLatin1String(name))->click(); }
// A press on the body of the first page's tile for deck `position`.
static void PressTile(MainWindow& form, int position) {
  QTest::mouseClick(form.cardStrip, Qt::LeftButton, {}, QPoint(strip::TileLeft(position) + 45, 50));
}
// Some sound recorded: the microphone starts on a thread of its own, later
// on a busy machine.
static void WaitForSound(const Recorder& recorder) {
  QTRY_VERIFY_WITH_TIMEOUT(recorder.RecordPosition() > 0, 5000);
  QTest::qWait(300);
}
static QRgb CanvasCentre(const Session& session) {
  return session.editor.canvasImage.pixel(session.editor.canvasOffsetX + 400, session.editor.canvasOffsetY + 300);
}

class RecorderAndPlayerTest : public QObject {
  Q_OBJECT
  std::unique_ptr<TempDrives> drives_;
  std::unique_ptr<ScriptedDialogs> dialogs_;
  std::unique_ptr<Session> session_;
  std::unique_ptr<MainWindow> form_;
 private slots:
  void init() {  // class 1-1 with the empty story "neko" chosen
    drives_ = std::make_unique<TempDrives>();
    WriteHostFile(drives_->c(QStringLiteral("A_PIKORA/CLASS_11/Menu.txt")), "neko\r\n");
    QDir().mkpath(drives_->c(QStringLiteral("A_PIKORA/CLASS_11/neko")));
    dialogs_ = std::make_unique<ScriptedDialogs>();
    session_ = std::make_unique<Session>(*dialogs_);
    form_ = std::make_unique<MainWindow>(*session_, QSize(1024, 768));
    dialogs_->answers = {true};
    Click(form_.get(), "Command2_0");
  }
  void cleanup() { form_.reset(), session_.reset(), dialogs_.reset(), drives_.reset(); }

  void recorderFollowsTheOpenCard() {
    const Recorder& recorder = session_->narration.recorder;
    Click(form_.get(), "Command3");  // a new card: its recording waits for its number
    QVERIFY(!recorder.NarrationFile());
    const bool sound = SoundServer::Running();
    if (sound) {
      Click(form_.get(), "Command22"), WaitForSound(recorder), Click(form_.get(), "Command21"), Click(form_.get(), "Command19");
      QVERIFY(recorder.HasPendingNarration());
    }
    Click(form_.get(), "Command10");
    QCOMPARE(recorder.NarrationFile(), kStory + QStringLiteral("Card_01_x.wav"));
    if (sound) QVERIFY(ReadHostFile(drives_->c(QStringLiteral("A_PIKORA/CLASS_11/neko/Card_01_x.wav"))).startsWith("RIFF"));
    Click(form_.get(), "Command3"), Click(form_.get(), "Command10");  // back, then the new-card tile
    PressTile(*form_, 1);
    QVERIFY(!recorder.NarrationFile());
    if (!sound) QSKIP(qPrintable(SoundServer::Problem()));
    // A recording left without "保存" is offered at "えをかく おわり".
    Click(form_.get(), "Command22"), WaitForSound(recorder);
    dialogs_->answers = {true}, dialogs_->asked.clear();
    Click(form_.get(), "Command10");
    QCOMPARE(dialogs_->asked.value(0), QStringLiteral("ろくおんした こえを ほぞんしますか？"));
    QVERIFY(ReadHostFile(drives_->c(QStringLiteral("A_PIKORA/CLASS_11/neko/Card_02_x.wav"))).startsWith("RIFF"));
  }

  // A narration kept for a new card whose file cannot be written at
  // "えをかく おわり" (a full disk) is told and stays: the editor stays open
  // with it, and the next "えをかく おわり" writes it.
  void keptNarrationOutlivesAFullDisk() {
    if (!SoundServer::Running()) QSKIP(qPrintable(SoundServer::Problem()));
    FullDisk disk;
    CopyFolder(drives_->root(u'C'), disk.root());
    const QString wave = disk.root() + QStringLiteral("/A_PIKORA/CLASS_11/neko/Card_01_x.wav");
    const Recorder& recorder = session_->narration.recorder;
    Click(form_.get(), "Command3");
    Click(form_.get(), "Command22"), QTest::qWait(2000), Click(form_.get(), "Command21"), Click(form_.get(), "Command19");
    QVERIFY(recorder.HasPendingNarration());
    dialogs_->answers = {false}, dialogs_->asked.clear();
    disk.WhileFull([&] { Click(form_.get(), "Command10"); }, 48 * 1024);
    QVERIFY(QFile::exists(disk.root() + QStringLiteral("/A_PIKORA/CLASS_11/neko/Card_01.PNG")));
    QVERIFY(!QFile::exists(wave));
    QCOMPARE(dialogs_->told, QStringList{QStringLiteral("こえを ほぞんできませんでした。")});
    QCOMPARE(dialogs_->asked, QStringList{QStringLiteral("こえを ほぞんしないで「えをかく」を おわりますか？")});
    QVERIFY(session_->drawing.IsOpen() && recorder.HasPendingNarration());
    Click(form_.get(), "Command10");
    QVERIFY(!session_->drawing.IsOpen());
    const QByteArray written = ReadHostFile(wave);
    QVERIFY(written.startsWith("RIFF") && written.size() > 44 + 2 * kNarrationRate);  // over a second

    // A saved card's new take that cannot be written gets the same choice:
    // いいえ keeps the card open with the take, the old narration stays, and
    // the next "えをかく おわり" writes the take.
    Click(form_.get(), "Command3");
    QCOMPARE(recorder.NarrationFile(), kStory + QStringLiteral("Card_01_x.wav"));
    Click(form_.get(), "Command22"), QTest::qWait(3000), Click(form_.get(), "Command21");
    dialogs_->answers = {true, false}, dialogs_->asked.clear(), dialogs_->told.clear();
    disk.WhileFull([&] { Click(form_.get(), "Command10"); }, 48 * 1024);
    QCOMPARE(dialogs_->asked, (QStringList{QStringLiteral("ろくおんした こえを ほぞんしますか？"),
                                           QStringLiteral("こえを ほぞんしないで「えをかく」を おわりますか？")}));
    QCOMPARE(dialogs_->told, QStringList{QStringLiteral("こえを ほぞんできませんでした。")});
    QVERIFY(session_->drawing.IsOpen() && recorder.HasPendingNarration());
    QCOMPARE(ReadHostFile(wave), written);
    Click(form_.get(), "Command10");
    QVERIFY(!session_->drawing.IsOpen());
    QVERIFY(ReadHostFile(wave).size() > written.size() + kNarrationRate);  // the longer take
  }

  void showEndsOnItsLastCard() {
    Session& session = *session_;
    PlayerWindow* player = form_->playerWindow();
    Click(form_.get(), "Command6");  // no cards: a beep, no window
    QCOMPARE(dialogs_->beeps, 1);
    QVERIFY(!player->isVisible());
    const QRgb colours[] = {qRgb(250, 0, 0), qRgb(0, 250, 0), qRgb(0, 0, 250)};
    for (int p = 0; p < 3; ++p) PressTile(*form_, p), session.editor.canvasImage.fill(colours[p]), Click(form_.get(), "Command10");
    Click(form_.get(), "Command6");
    QVERIFY(player->isVisible() && player->player().position() == StoryPlayer::kTitle);
    // While the show is on, nothing in the main window can change the cards.
    QCOMPARE(QApplication::activeModalWidget(), player);
    for (int p = 0; p < 2; ++p) {
      Click(player, "Command3");
      QTRY_VERIFY(!player->player().presenter().busy());
      QCOMPARE(session.deck.currentCard, p);
      QCOMPARE(session.deck.cardImage.pixel(400, 300), colours[p]);
    }
    Click(player, "Command1"), Click(player, "Command4");
    QCOMPARE(session.deck.stripImage.pixel(strip::TileLeft(1) + 45, 5), strip::kCurrentBand.rgb());
    Click(form_.get(), "Command3");  // "えをかく" opens card 2
    QVERIFY(!player->isVisible() && session.deck.currentCard == 1 && CanvasCentre(session) == colours[1]);
    QCOMPARE(session.narration.recorder.NarrationFile(), kStory + QStringLiteral("Card_02_x.wav"));
  }
};

int main(int argc, char** argv) {
  RecorderAndPlayerTest test;
  return RunWithSoundServer(test, argc, argv);
}
#include "RecorderAndPlayerTest.moc"
