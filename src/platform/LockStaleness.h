// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// When a shared lock (SharedLock.h) that is not this process's counts as
// stale, and how a stale one is taken away. Judged by this computer's
// monotonic clock alone.

#include <QByteArray>

#include "platform/LockFile.h"
#include "platform/SharedLock.h"

namespace lockfile {

// Whether the lock at `path`, seen now, is stale: its holder on this very
// computer has ended, or this process has watched it unchanged for
// `staleAfter`.
bool IsStale(const QByteArray& path, const Seen& seen, SharedLock::Duration staleAfter);

// Stops watching the lock at `path` (it is gone).
void Forget(const QByteArray& path);

// Moves the stale lock file away; true when the lock name is free of it.
// Renaming needs only the folder's write permission, so a file of another
// user goes as well. The file moved is checked against the one judged
// stale: when another computer renewed it or took the lock over in
// between, the file goes back (PutBack).
bool TakeAway(const QByteArray& path, const Seen& judged);

}  // namespace lockfile
