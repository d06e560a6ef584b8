// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Shared pieces of the tests: scripted answers in place of message boxes,
// and temporary folders standing for drives.

#include <QByteArray>
#include <QHash>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include "platform/Dialogs.h"

class ScriptedDialogs : public Dialogs {
 public:
  // Answers given in order; a question with no scripted answer gets いいえ,
  // an input box with none is cancelled.
  std::deque<bool> answers;
  std::deque<std::optional<QString>> inputs;

  QStringList asked;  // every question and input prompt, in order
  QStringList told;   // every notice
  std::function<void(const QString&)> whenTold;  // runs while a notice is up
  int beeps = 0;
  bool ended = false;

  bool Ask(const QString& text) override;
  void Tell(const QString& text) override;
  std::optional<QString> Input(const QString& prompt) override;
  void Beep() override { ++beeps; }
  void EndProgram() override { ended = true; }
};

// A class folder on a file server, which tests/support/samba_share.sh
// gives the program it runs (or whoever runs a test names, for a share of
// their own): the same folder as this computer and as the other computers
// (OtherComputer) see it.
struct TestShare {
  QString here;     // PIKORAMA_TEST_SHARE
  QString there;    // PIKORAMA_TEST_OTHER_SHARE; `here` when not set
  QString missing;  // PIKORAMA_TEST_SHARE_MISSING: why no share could be made
  static TestShare FromEnvironment();
};

// Temporary folders for drive letters. Drive C always gets one; the others
// only when asked for. Every other drive is missing while this lives.
// Where the tests run on a share (TestShare::here), drive C's folder is made
// on the share, and the other computers find it through their own mount.
class TempDrives {
 public:
  explicit TempDrives(const QString& letters = QStringLiteral("C"));
  ~TempDrives();
  // The host folder of a drive letter.
  QString root(QChar letter) const;
  // The host path of a file under drive C, "/" separated: c("A_PIKORA/x").
  QString c(const QString& relative) const;

 private:
  QHash<QChar, std::shared_ptr<QTemporaryDir>> dirs_;
};

// Whole files, bytes in and out, by host path.
QByteArray ReadHostFile(const QString& path);
void WriteHostFile(const QString& path, const QByteArray& bytes);
// Every file and folder under a host folder with sizes, for "nothing on
// disk changed" checks.
QStringList Snapshot(const QString& folder);
// A 16-bit PCM wave file holding a sine tone.
QByteArray ToneWav(double hertz, double seconds, int rate = 22050, int channels = 1);
// What this test program prints when run again as a child process with
// `childVariable` set to `value`, where GStreamer finds no plugins at all
// (no encoders): main() of the test answers that variable.
QString OutputWithoutGStreamerPlugins(const QString& childVariable, const QString& value);

// Copies everything under host folder `from` into host folder `to`.
void CopyFolder(const QString& from, const QString& to);

// A drive on which writes really fail, as on a full disk. Points drive
// `letter` at a folder of its own (restoring the drive's folder afterwards):
// a 1 MiB tmpfs mounted in a mount namespace private to the test process
// when the test runs as root and mounting is allowed, otherwise an ordinary
// temporary folder on which a file-size limit (RLIMIT_FSIZE, with SIGXFSZ
// ignored) makes write() fail with EFBIG. Set PIKORAMA_TEST_FULLDISK=fsize
// to force the second way.
//
//   FullDisk disk;                               // drive C:
//   disk::WriteLines("C:\\Menu.txt", old);      // room enough here
//   disk.WhileFull([&] { QVERIFY(!disk::WriteLines("C:\\Menu.txt", lines)); });
class FullDisk {
 public:
  explicit FullDisk(QChar letter = u'C');
  ~FullDisk();
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

  // The host folder of the drive.
  QString root() const { return root_; }
  // True when the drive is a tmpfs, false when the file-size limit is used.
  bool mounted() const { return mounted_; }
  // Runs `operation` while the disk is full: on the tmpfs about `room`
  // bytes are left free (whole pages), with the size limit no file can grow
  // past `room` bytes. Nothing under root() is changed by the filling.
  void WhileFull(const std::function<void()>& operation, qint64 room = 0);

 private:
  QByteArray variable_;
  QByteArray previous_;
  bool hadPrevious_ = false;
  std::unique_ptr<QTemporaryDir> base_;
  QString root_;
  bool mounted_ = false;
};

// Runs `childLoop` over and over in a forked child, kills the child with
// SIGKILL after a random 0 to `maxDelayUs` microseconds (the same sequence
// every run), waits for it and calls `checkAfterKill(round)` in the test
// process; `rounds` times. The child ends only by the kill; it must not use
// QVERIFY and friends.
void RunKillRounds(int rounds, const std::function<void()>& childLoop,
                   const std::function<void(int round)>& checkAfterKill, int maxDelayUs = 30000);

// True when the test process runs as root in a mount namespace of its own
// (made at the first call), where it may mount file systems that nobody
// else sees.
bool PrivateMounts();

// Runs `check` as the unprivileged user nobody in a forked child when the
// test runs as root (root reads and writes anything), else in the test
// process; true when it returned true.
bool AsUnprivilegedUser(const std::function<bool()>& check);
