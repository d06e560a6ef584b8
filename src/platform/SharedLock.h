// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A lock shared by every computer that works in one folder: a class folder
// on the school's file server is used by thirty computers at once, and
// file-change notices do not cross a network share. The lock is a small
// file beside what it guards, made by the file system's own exclusive
// create, so it holds on a local disk, on NFS and on a Samba share alike.
//
// The file holds the computer's name (its host name, boot id and PID
// namespace, which computers cloned from one disk image do not share), the
// process, a random token and a renewal count the holder rewrites in place
// a few times per stale period from a thread of its own, also while the
// program waits for the disk. A lock is stale, and taken over, when
// - its computer is this very one and its process is no longer running, or
// - this process has watched it unchanged for its stale period on its own
//   monotonic clock. The file's times on the server are never compared with
//   this computer's clock, which may be minutes off.
// A lock file that cannot be read (another user's, a pipe, a folder) or
// holds no lock text is waited on like a held one and turns stale the same
// way, watched by what stat shows of it. Taking over renames the stale file
// away and checks that it was the one judged stale, so two computers taking
// over at once never both win; a file that was not is put back without
// replacing whatever took its name meanwhile.
//
// On a file server a lock file is read past this computer's caches, and a
// renewal counts when the text or the size and times stat shows changed, so
// a renewal held back by a cache never lets a live lock look stale. A lock
// file another computer has open for a moment can be neither removed nor
// renamed on a Samba or Windows share (EBUSY): both are tried again briefly.
//
// Lock files are named "<name>.~pikorama-lock" beside the file or card they
// guard; a lock taken over passes for a moment through
// "<name>.~pikorama-lock-xxxxxxx" (six letters and digits from earlier
// versions). Listings never show either (Disk.h).

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
  // that time or its folder is gone or cannot be written. Returns by the
  // end of `wait` whatever lies at the lock's name.
  static std::unique_ptr<SharedLock> Take(const QString& lockFile, Duration staleAfter, Duration wait);

  enum class State { Free, HeldHere, HeldElsewhere };
  // Who holds `lockFile` now. A stale lock file is removed and counts as
  // free. HeldHere is a lock this process holds.
  static State Inspect(const QString& lockFile, Duration staleAfter);

  // The lock file that guards `name` in `folder` ("...\CardData.txt", "...\Card_07").
  static QString LockFileFor(const QString& folderText, const QString& name);
  // Whether a file name is a lock file or one passing through a takeover.
  static bool IsLockName(const QString& fileName);
  // Whether it is one passing through a takeover ("<name>.~pikorama-lock-XXXXXX").
  static bool IsTakeoverName(const QString& fileName);
  // The names of the lock files directly inside `folder` (path text).
  static QStringList LockNamesIn(const QString& folderText);

  // Lets the lock go; the file is removed when it is still this holder's.
  ~SharedLock();
  SharedLock(const SharedLock&) = delete;
  SharedLock& operator=(const SharedLock&) = delete;

  const QString& file() const { return file_; }
  // False once another computer took the lock over (this one was not renewed
  // in time, for example a computer woken from sleep).
  // Also false when the lock has not been renewed for most of its stale
  // period (the computer slept, the renewal could not be written): another
  // computer may be taking it over. One read of the lock file; check it
  // right before each write made under the lock.
  bool stillHeld() const;

  // The holder's own record of its renewals (SharedLock.cpp).
  struct Renewal;

 private:
  SharedLock(QString file, QString hostPath, QByteArray token, std::shared_ptr<Renewal> renewal);
  QString file_;
  QString hostPath_;
  QByteArray token_;
  std::shared_ptr<Renewal> renewal_;
};
