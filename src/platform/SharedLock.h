// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A lock shared by every computer that works in one folder: a class folder
// on the school's file server is used by thirty computers at once, and
// file-change notices do not cross a network share. The lock is a small
// file beside what it guards, made by the file system's own exclusive
// create, so it holds on a local disk, on NFS and on a Samba share alike.
//
// The file holds the computer's name, the process and a random token, and a
// renewal count the holder rewrites a few times per stale period from a
// thread of its own, also while the program waits for the disk. A lock is
// stale, and taken over, when
// - its computer is this one and its process is no longer running, or
// - it has not been renewed for its stale period, as this process has seen
//   it (no clock of another computer counts), or its time on the server is
//   older than the stale period and a minute for clocks that disagree.
// Taking over renames the stale file away and checks that it was the one
// judged stale, so two computers taking over at once never both win.
//
// Lock files are named "<name>.~pikorama-lock" beside the file or card they
// guard; a lock taken over passes for a moment through
// "<name>.~pikorama-lock-XXXXXX". Listings never show either (Disk.h).

#include <QString>
#include <QStringList>
#include <chrono>
#include <memory>

class SharedLock {
 public:
  using Duration = std::chrono::milliseconds;

  // How long a lock lives without renewal, by what it guards.
  static constexpr Duration kListStale{6000};   // a list read, changed and written
  static constexpr Duration kCardStale{30000};  // a card open for drawing
  // How long a change of a shared list waits for the list's lock: long
  // enough for thirty computers changing one list, and for a lock left by a
  // computer that went off to turn stale. The one wait for a list lock.
  static constexpr Duration kListWait{15000};

  // Takes the lock file `lockFile` (a path text such as
  // "C:\A_PIKORA\CLASS_11\Menu.txt.~pikorama-lock"), waiting up to `wait` while another holds it
  // and taking it over once stale. Nothing when it is held elsewhere all
  // that time or its folder is gone or cannot be written.
  static std::unique_ptr<SharedLock> Take(const QString& lockFile, Duration staleAfter, Duration wait);

  enum class State { Free, HeldHere, HeldElsewhere };
  // Who holds `lockFile` now. A stale lock file is removed and counts as
  // free. HeldHere is a lock this process holds.
  static State Inspect(const QString& lockFile, Duration staleAfter);

  // The lock file that guards `name` in `folder` ("...\CardData.txt", "...\Card_07").
  static QString LockFileFor(const QString& folderText, const QString& name);
  // Whether a file name is a lock file or one passing through a takeover.
  static bool IsLockName(const QString& fileName);
  // The names of the lock files directly inside `folder` (path text).
  static QStringList LockNamesIn(const QString& folderText);

  // Lets the lock go; the file is removed when it is still this holder's.
  ~SharedLock();
  SharedLock(const SharedLock&) = delete;
  SharedLock& operator=(const SharedLock&) = delete;

  const QString& file() const { return file_; }
  // False once another computer took the lock over (this one was not renewed
  // in time, for example a computer woken from sleep).
  bool stillHeld() const;

 private:
  SharedLock(QString file, QString hostPath, QByteArray token);
  QString file_;
  QString hostPath_;
  QByteArray token_;
};
