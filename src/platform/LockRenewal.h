// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The locks this process holds (SharedLock.h), renewed by a thread of
// their own.

#include <QByteArray>
#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>

#include "platform/LockFile.h"
#include "platform/SharedLock.h"

// What the holder knows of its lock without asking the disk.
struct SharedLock::Renewal {
  // The start of the last renewal that reached the file, on this
  // computer's monotonic clock: nobody judges the lock stale before a stale
  // period has passed from then.
  std::atomic<lockfile::Clock::rep> lastRenewed{0};
  // Set once the file is seen to be another's, or the lock is let go.
  std::atomic<bool> lost{false};
  std::atomic<quint64> count{0};  // the renewal count last written
  // How long after the start of a renewal the lock is surely still this
  // one's: half the stale period, which leaves the other half for a write
  // made under the lock to reach a slow file server before anyone may judge
  // the lock stale.
  lockfile::Clock::duration trusted{};

  void renewed(lockfile::Clock::time_point started) { lastRenewed = started.time_since_epoch().count(); }
  bool fresh() const {
    using lockfile::Clock;
    return Clock::now() - Clock::time_point(Clock::duration(lastRenewed.load())) < trusted;
  }
};

namespace lockfile {

struct Held {
  QByteArray path;
  QByteArray token;
  Clock::duration every;
  Clock::time_point next;
  std::shared_ptr<SharedLock::Renewal> state;
};

struct Registry {
  std::mutex mutex;
  std::condition_variable wake;
  std::map<const void*, Held> held;
  bool running = false;

  // Rewrites the renewal count of a lock still this holder's. A file that
  // cannot be opened or read for a moment (gone while another computer
  // puts it back, empty while it is being put back) is tried again at the
  // next turn; stillHeld reads the file itself.
  static void Renew(const Held& h);
  // The file work is done with the registry open, so that taking and
  // letting go of locks never waits for a slow file server.
  void Run();
  void Add(const void* key, Held h);
  void Remove(const void* key);
  bool HoldsToken(const QByteArray& content);
};

// Never destroyed: the renewing thread may outlive every static object.
Registry& Locks();

}  // namespace lockfile
