// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A shared lock's file (SharedLock.h) as this computer writes and reads it:
// the name of this computer, the text a holder writes, and the file as seen
// now, read past this computer's caches.

#include <QByteArray>
#include <chrono>
#include <optional>

#include <sys/stat.h>
#include <sys/types.h>

namespace lockfile {

using Clock = std::chrono::steady_clock;

// This computer as its locks name it (host name, boot id, PID namespace).
QByteArray ThisComputer();

// The lock file's text for the holder of `token` at its `renewal`.
QByteArray Content(const QByteArray& token, quint64 renewal);

// A lock file as seen now. Its text when it is a regular file this process
// may read; otherwise (another user's file, a pipe, a folder, a link) only
// what stat shows of it.
struct Seen {
  bool readable = false;
  QByteArray content;
  mode_t type = 0;
  qint64 size = -1;
  qint64 mtimeNs = -1;
  qint64 ctimeNs = -1;
  dev_t device = 0;
  ino_t inode = 0;
};

// Nothing when the lock file is gone.
std::optional<Seen> ReadLock(const QByteArray& path);

// Whether a lock file is as it was: no renewal came in between. A renewal
// shows in the text, and where a share hands out an older text for a while,
// in the size and times stat shows; any of them changed is a renewal.
bool Unchanged(const Seen& before, const Seen& now);

// Whether the file a takeover moved aside is the one judged stale. A rename
// may give the file another inode number on some network shares, so an
// unreadable file is known here by its kind, size and time.
bool SameAfterMove(const Seen& judged, const Seen& moved);

}  // namespace lockfile
