// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The recorder against a private sound server whose microphone hums a
// 440 Hz tone, with narration files on temporary drives.

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <sndfile.h>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>

#include "narration/AudioDevice.h"
#include "narration/NarrationPlayer.h"
#include "narration/Recorder.h"
#include "narration/RecorderButtons.h"
#include "narration/SoundServer.h"
#include "support/TestSupport.h"

namespace {

const QString kCard1 = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\Story\\Card_01_x.wav");
const QString kCard2 = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\Story\\Card_02_x.wav");
const QString kCard3 = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\Story\\Card_03_x.wav");

struct Wave {
  int rate = 0;
  int channels = 0;
  int format = 0;
  double seconds = 0;
  int crossings = 0;  // sign changes of the samples
};

Wave ReadWave(const QString& hostPath) {
  SF_INFO info{};
  SNDFILE* f = sf_open(hostPath.toLocal8Bit().constData(), SFM_READ, &info);
  if (!f) return {};
  std::vector<short> s(size_t(info.frames * info.channels));
  sf_readf_short(f, s.data(), info.frames);
  sf_close(f);
  Wave w{info.samplerate, info.channels, info.format, double(info.frames) / info.samplerate, 0};
  for (size_t i = 1; i < s.size(); ++i)
    if ((s[i - 1] < 0) != (s[i] < 0)) ++w.crossings;
  return w;
}

// Checks a narration file: the narration format, the length, and the tone.
void CheckNarration(const QString& hostPath, double seconds, double within) {
  const Wave w = ReadWave(hostPath);
  QCOMPARE(w.rate, 22050);
  QCOMPARE(w.channels, 1);
  QCOMPARE(w.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  QVERIFY2(qAbs(w.seconds - seconds) <= within,
           qPrintable(QStringLiteral("%1 s against %2 s").arg(w.seconds).arg(seconds)));
  // 440 Hz crosses zero 880 times a second.
  const double perSecond = w.crossings / w.seconds;
  QVERIFY2(perSecond > 840 && perSecond < 920, qPrintable(QString::number(perSecond)));
}

// Runs pactl against the private server; true when it succeeded.
bool Pactl(const QStringList& arguments) {
  QProcess pactl;
  pactl.start(QStringLiteral("pactl"), arguments);
  return pactl.waitForFinished(10000) && pactl.exitStatus() == QProcess::NormalExit && pactl.exitCode() == 0;
}

}  // namespace

class RecorderTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TempDrives> drives;
  std::unique_ptr<ScriptedDialogs> dialogs;
  std::unique_ptr<AudioDevice> device;
  std::unique_ptr<NarrationPlayer> player;
  std::unique_ptr<Recorder> recorder;
  QString story;  // host folder of the story

  // Records `ms` of sound, counted from the first samples: the microphone
  // starts on a thread of its own, later on a busy machine.
  void RecordFor(int ms) {
    recorder->Record();
    QTRY_VERIFY_WITH_TIMEOUT((recorder->Tick(), recorder->RecordPosition() > 0), 5000);
    QTest::qWait(ms);
    recorder->Stop();
    recorder->Tick();
  }

 private slots:
  void init() {
    if (!SoundServer::Running()) QSKIP(qPrintable(SoundServer::Problem()));
    drives = std::make_unique<TempDrives>();
    story = drives->c(QStringLiteral("A_PIKORA/CLASS_11/Story"));
    QVERIFY(QDir().mkpath(story));
    dialogs = std::make_unique<ScriptedDialogs>();
    device = std::make_unique<AudioDevice>();
    player = std::make_unique<NarrationPlayer>();
    recorder = std::make_unique<Recorder>(*device, *player, *dialogs);
  }

  void cleanup() {
    recorder.reset();
    player.reset();
    device.reset();
    drives.reset();
  }

  // The buttons, the bar and the poll timer on one card with a file.
  void recordsSavesDeletesAndPlaysTheCardsNarration() {
    RecorderButtons buttons(*recorder, nullptr);
    auto click = [&](const char* name) {
      auto* b = buttons.findChild<FaceButton*>(QLatin1String(name));
      QVERIFY2(b, name);
      b->click();
    };
    auto* bar = buttons.findChild<QScrollBar*>(QStringLiteral("HScroll1"));
    auto* timer = buttons.findChild<QTimer*>(QStringLiteral("Timer1"));
    QVERIFY(bar && timer);
    QCOMPARE(buttons.findChild<FaceButton*>(QStringLiteral("Command22"))->accessibleName(),
             QStringLiteral("録音"));
    const QString file = story + QStringLiteral("/Card_01_x.wav");
    recorder->CardOpened(kCard1);

    // Nothing there yet: delete and play do nothing, and say nothing.
    QCOMPARE(device->Save(kCard1), AudioError::NotOpen);
    QCOMPARE(device->PositionMs(), 0);
    click("Command18");
    click("Command20");
    QVERIFY(player->OpenFile().isEmpty());
    QVERIFY(!timer->isActive());

    // About a second of the tone: the bar follows and stays at the length.
    click("Command22");
    QVERIFY(timer->isActive());
    QCOMPARE(bar->maximum(), 30000);
    QTest::qWait(1000);
    QVERIFY(bar->value() > 500);
    click("Command21");
    QTest::qWait(250);
    const int length = bar->value();
    QCOMPARE(length, int(recorder->RecordPosition()));
    QTest::qWait(250);
    QCOMPARE(bar->value(), length);
    click("Command19");
    CheckNarration(file, length / 1000.0, 0.2);
    const QByteArray first = ReadHostFile(file);

    // Recording again discards the first take; play before saving plays the
    // file that is there, not the new take.
    click("Command22");
    QCOMPARE(bar->value(), 0);
    QTest::qWait(700);
    click("Command22");
    QTest::qWait(400);
    click("Command21");
    QTest::qWait(250);
    click("Command20");
    QCOMPARE(player->OpenFile(), kCard1);
    QCOMPARE(ReadHostFile(file), first);
    QTRY_VERIFY(player->IsPlaying());
    // Stopped, the player has closed the file; opened again it waits for
    // Play.
    player->Stop();
    QVERIFY(!player->IsPlaying() && player->OpenFile().isEmpty());
    player->Open(kCard1);
    QCOMPARE(player->OpenFile(), kCard1);
    QVERIFY(!player->IsPlaying());
    player->Play();
    QTRY_VERIFY(player->IsPlaying());
    click("Command19");
    CheckNarration(file, bar->value() / 1000.0, 0.2);
    QVERIFY(ReadWave(file).seconds < 0.7);

    // Delete, then play has nothing to play; opening the file that is gone
    // closes the one the player had.
    click("Command18");
    QVERIFY(!QFileInfo::exists(file));
    player->Open(kCard1);
    QVERIFY(player->OpenFile().isEmpty());
    click("Command20");
    QVERIFY(player->OpenFile().isEmpty());
    QVERIFY(dialogs->told.isEmpty());
  }

  // A new card borrows no other card's file: its recording waits for the
  // card's first save, and is dropped when another card opens. "▼" plays
  // the waiting take (or one taken back) from a file kept away from the
  // story until the card's file holds it.
  void newCardNeverTouchesAnotherCardsFile() {
    WriteHostFile(story + QStringLiteral("/Card_01_x.wav"), "card one");
    const QStringList before = Snapshot(story);

    recorder->CardOpened(std::nullopt);
    RecordFor(500);
    recorder->Save();
    recorder->Play();
    recorder->Save();
    QVERIFY(recorder->HasPendingNarration());
    const QString played = player->OpenFile();
    QVERIFY2(QFileInfo(played).isFile() && !played.startsWith(drives->c(QString())), qPrintable(played));
    const QByteArray playedBytes = ReadHostFile(played);
    QCOMPARE(Snapshot(story), before);
    QVERIFY(recorder->SavePendingNarration(kCard2));
    QVERIFY(!recorder->HasPendingNarration());
    CheckNarration(story + QStringLiteral("/Card_02_x.wav"), 0.5, 0.15);
    QCOMPARE(ReadHostFile(story + QStringLiteral("/Card_02_x.wav")), playedBytes);
    QVERIFY(!QFileInfo::exists(played));
    recorder->Play();
    QCOMPARE(player->OpenFile(), kCard2);
    QCOMPARE(ReadHostFile(story + QStringLiteral("/Card_01_x.wav")), QByteArray("card one"));

    // A take brought back unsaved plays instead of the card's file, and is
    // gone with the card.
    recorder->CardOpened(kCard1);
    QVERIFY(recorder->TakeBack(playedBytes, false));
    recorder->Play();
    const QString takenBack = player->OpenFile();
    QVERIFY(takenBack != kCard1);
    QCOMPARE(ReadHostFile(takenBack), playedBytes);
    recorder->CardOpened(kCard2);
    QVERIFY(!QFileInfo::exists(takenBack));

    // Delete on a new card drops the pending take and deletes nothing.
    const QStringList withTwo = Snapshot(story);
    recorder->CardOpened(std::nullopt);
    RecordFor(300);
    recorder->Save();
    recorder->Delete();
    QVERIFY(recorder->SavePendingNarration(kCard3));
    QCOMPARE(Snapshot(story), withTwo);

    // Opening another card drops the take and the bar shows 0, tick or not.
    recorder->CardOpened(std::nullopt);
    RecordFor(300);
    recorder->Save();
    QVERIFY(recorder->BarValue() > 0);
    recorder->CardOpened(kCard1);
    QCOMPARE(recorder->BarValue(), 0);
    recorder->Tick();
    QCOMPARE(recorder->RecordPosition(), 0);
    QCOMPARE(recorder->BarValue(), 0);
    QVERIFY(!recorder->HasPendingNarration());
    recorder->Save();  // nothing recorded on this card
    QCOMPARE(Snapshot(story), withTwo);
    QVERIFY(dialogs->told.isEmpty());
  }

  // Recording stops by itself at the bar's end; file and bar agree.
  void recordingStopsAtTheLimit() {
    QCOMPARE(recorder->RecordMax(), 30000);
    recorder->SetRecordMax(600);
    recorder->CardOpened(kCard1);
    recorder->Record();
    QTest::qWait(1200);
    recorder->Tick();
    QVERIFY(device->IsOpen() && !device->IsRecording());
    QCOMPARE(recorder->BarMax(), 600);
    QCOMPARE(recorder->BarValue(), 600);
    QCOMPARE(recorder->RecordPosition(), 600);
    recorder->Save();
    CheckNarration(story + QStringLiteral("/Card_01_x.wav"), 0.6, 0.01);

    // A limit past 32767 ms is kept as it is: the bar of a minute's take.
    recorder->SetRecordMax(60000);
    RecordFor(100);
    QCOMPARE(recorder->BarMax(), 60000);
    QVERIFY(recorder->BarValue() > 0);
  }

  // A save that cannot be written tells the child and keeps the old file.
  void failedSaveKeepsTheOldNarration() {
    const QString file = story + QStringLiteral("/Card_01_x.wav");
    recorder->CardOpened(kCard1);
    RecordFor(200);
    recorder->Save();
    const QByteArray old = ReadHostFile(file);
    QVERIFY(old.size() > 1000);
    RecordFor(1000);

    // Files may grow to 8 KiB only: the new narration is about 44 KiB.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 8192;
    setrlimit(RLIMIT_FSIZE, &small);
    recorder->Save();
    const QStringList toldOnSave = dialogs->told;
    recorder->CardOpened(std::nullopt);
    RecordFor(1000);
    recorder->Save();
    const bool pendingSaved = recorder->SavePendingNarration(kCard2);
    setrlimit(RLIMIT_FSIZE, &saved);

    QCOMPARE(toldOnSave, QStringList{recorder_message::kCannotSave});
    QCOMPARE(ReadHostFile(file), old);
    QVERIFY(!pendingSaved);
    QCOMPARE(dialogs->told.size(), 2);
    QVERIFY(!QFileInfo::exists(story + QStringLiteral("/Card_02_x.wav")));
  }

  // The server's microphone held (suspended) during a recording and at the
  // start of one, then taken away: the window's thread never waits for it,
  // the child is told, and the saved narration stays byte for byte. Once the
  // input is back, recording works again.
  void inputThatStopsKeepsTheOldNarration() {
    const QString file = story + QStringLiteral("/Card_01_x.wav");
    recorder->CardOpened(kCard1);
    RecordFor(400);
    recorder->Save();
    const QByteArray old = ReadHostFile(file);
    QVERIFY(old.size() > 1000);
    const QStringList notRecorded{recorder_message::kNotRecorded};

    // Held while recording.
    recorder->Record();
    QTest::qWait(300);
    QVERIFY(Pactl({QStringLiteral("suspend-source"), QStringLiteral("mic"), QStringLiteral("1")}));
    QTRY_COMPARE_WITH_TIMEOUT(dialogs->told, notRecorded, 5000);
    QVERIFY(!recorder->TimerEnabled() && !recorder->HasUnsavedRecording());
    recorder->Stop();
    recorder->Save();
    QCOMPARE(ReadHostFile(file), old);

    // Held from the start; the server lets go only after a while, so a
    // window thread waiting for it would still be waiting when 録音 returns.
    QProcess::startDetached(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("sleep 6; pactl suspend-source mic 0")});
    QElapsedTimer held;
    held.start();
    recorder->Record();
    QVERIFY2(held.elapsed() < 3000, "録音 waited for the held microphone");
    QTRY_COMPARE_WITH_TIMEOUT(dialogs->told, notRecorded + notRecorded, 5000);
    QVERIFY(held.elapsed() < 3000);
    recorder->Save();  // the failed take is gone
    // Stopped while the input has still not started: given up all the same.
    recorder->Record();
    QTest::qWait(300);
    recorder->Stop();
    recorder->Save();
    QTRY_COMPARE_WITH_TIMEOUT(dialogs->told, notRecorded + notRecorded + notRecorded, 5000);
    QCOMPARE(ReadHostFile(file), old);
    QVERIFY(!QFileInfo::exists(story + QStringLiteral("/Card_02_x.wav")));

    // Back: a new take replaces the narration.
    QTRY_VERIFY_WITH_TIMEOUT(held.elapsed() > 6500, 10000);
    RecordFor(600);
    recorder->Save();
    CheckNarration(file, recorder->BarValue() / 1000.0, 0.2);
    QCOMPARE(dialogs->told.size(), 3);
  }

  // With no sound server at all: no crash, no hang, and "録音" says why.
  void withoutSoundServerRecordTellsTheError() {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:/nonexistent/pikorama/native"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--without-sound-server")});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    const QString out = QString::fromUtf8(child.readAllStandardOutput());
    QCOMPARE(out.trimmed(), QStringLiteral("%1|timer 0|bar 0").arg(recorder_message::kNoMicrophone));
  }
};

// Run by the last test in a process that finds no sound server.
static int WithoutSoundServer(int argc, char** argv) {
  QApplication app(argc, argv);
  TempDrives drives;
  QDir().mkpath(drives.c(QStringLiteral("A_PIKORA/CLASS_11/Story")));
  ScriptedDialogs dialogs;
  AudioDevice device;
  NarrationPlayer player;
  Recorder recorder(device, player, dialogs);
  recorder.CardOpened(kCard1);
  recorder.Record();
  recorder.Tick();
  recorder.Stop();
  recorder.Save();
  // Playing a file with nowhere to play it is silent, not fatal.
  Recording tone{QAudioFormat(), QByteArray(4410 * 2, '\x10')};
  tone.format.setSampleRate(22050);
  tone.format.setChannelCount(1);
  tone.format.setSampleFormat(QAudioFormat::Int16);
  WriteNarration(tone, kCard1);
  recorder.Play();
  QTest::qWait(300);
  player.Stop();
  std::printf("%s|timer %d|bar %d\n", qPrintable(dialogs.told.join(QLatin1Char('/'))),
              int(recorder.TimerEnabled()), recorder.BarValue());
  return 0;
}

int main(int argc, char** argv) {
  if (argc > 1 && qstrcmp(argv[1], "--without-sound-server") == 0) return WithoutSoundServer(1, argv);
  RecorderTest test;
  return RunWithSoundServer(test, argc, argv);
}

#include "RecorderTest.moc"
