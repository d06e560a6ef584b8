// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/LockStaleness.h"

#include <map>
#include <mutex>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/BusyRetry.h"
#include "platform/HiddenNames.h"

namespace lockfile {

// Judged by this computer's monotonic clock alone: the file times are the
// file server's and another computer's clock may be minutes off.

namespace {

struct Watch {
  Seen seen;
  Clock::time_point since;
};

std::mutex watchMutex;
std::map<QByteArray, Watch> watched;

// A lock of this very computer whose process is no longer running.
bool HolderEnded(const Seen& seen) {
  if (!seen.readable) return false;
  const QList<QByteArray> fields = seen.content.trimmed().split(' ');
  if (fields.size() != 5 || fields[0] != "pikorama" || fields[1] != ThisComputer()) return false;
  const qint64 pid = fields[2].toLongLong();
  return pid > 0 && pid != ::getpid() && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

}  // namespace

void Forget(const QByteArray& path) {
  std::lock_guard<std::mutex> guard(watchMutex);
  watched.erase(path);
}

bool IsStale(const QByteArray& path, const Seen& seen, SharedLock::Duration staleAfter) {
  if (HolderEnded(seen)) return true;
  // Not renewed for the stale period as this process has watched it.
  std::lock_guard<std::mutex> guard(watchMutex);
  const auto now = Clock::now();
  auto it = watched.find(path);
  if (it == watched.end() || !Unchanged(it->second.seen, seen)) {
    watched[path] = Watch{seen, now};
    return false;
  }
  return now - it->second.since >= staleAfter;
}

namespace {

// A busy lock file (BusyRetry.h) is waited on this long at most.
constexpr std::chrono::milliseconds kBusyBound{500};

// The random part of a lock's name while it is taken over: seven of 36
// characters, no fewer names than six of upper and lower case gave.
constexpr int kAsideLength = 7;

void RemoveAside(const QByteArray& aside) {
  if (disk::RetryWhileBusy([&] { return ::unlink(aside.constData()); }, kBusyBound) != 0 && errno != ENOENT)
    ::rmdir(aside.constData());  // a folder left as a lock
}

// Puts a lock file moved aside back at its name unless the name has been
// taken since: never over another lock. By a second name where the file
// system has them, by a rename that does not replace, and where neither
// works (a Samba share through FUSE or the kernel's client) by an exclusive
// create of its text; the holder's renewals go on into that copy. A file
// that cannot be put back stays aside: its holder sees the lock gone at its
// next check and lets go.
void PutBack(const QByteArray& aside, const QByteArray& path, const Seen& moved) {
  if (::link(aside.constData(), path.constData()) == 0 || errno == EEXIST) {
    RemoveAside(aside);
    return;
  }
  if (::renameat2(AT_FDCWD, aside.constData(), AT_FDCWD, path.constData(), RENAME_NOREPLACE) == 0) return;
  if (errno == EEXIST) {
    RemoveAside(aside);
    return;
  }
  if (!moved.readable) return;
  const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd >= 0) {
    const bool written = ::write(fd, moved.content.constData(), size_t(moved.content.size())) == moved.content.size();
    if (::close(fd) != 0 || !written) {
      disk::RetryWhileBusy([&] { return ::unlink(path.constData()); }, kBusyBound);
      return;
    }
  }
  RemoveAside(aside);
}

}  // namespace

bool TakeAway(const QByteArray& path, const Seen& judged) {
  const QByteArray aside = path + '-' + disk::RandomNamePart(kAsideLength).toLatin1();
  if (disk::RetryWhileBusy([&] { return ::rename(path.constData(), aside.constData()); }, kBusyBound) != 0)
    return errno == ENOENT;
  const auto moved = ReadLock(aside);
  if (moved && !SameAfterMove(judged, *moved)) {
    PutBack(aside, path, *moved);
    return false;
  }
  RemoveAside(aside);
  Forget(path);
  return true;
}

}  // namespace lockfile
