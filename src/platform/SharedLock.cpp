// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/SharedLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSysInfo>

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Disk.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kMark[] = ".~pikorama-lock";

QByteArray RandomText(int length) {
  static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  QByteArray text(length, 'x');
  for (char& c : text) c = kChars[QRandomGenerator::global()->bounded(62)];
  return text;
}

QByteArray ReadSmallFile(const char* path) {
  QByteArray text;
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return text;
  char buffer[128];
  const ssize_t n = ::read(fd, buffer, sizeof buffer);
  if (n > 0) text = QByteArray(buffer, n).trimmed();
  ::close(fd);
  return text;
}

// This computer as its locks name it: the host name, which computers set
// up from one disk image share, with the kernel's boot id, which differs
// from computer to computer and from boot to boot, and the PID namespace,
// which differs between containers on one host. Process numbers mean the
// same only where all three agree. One field of the lock file's text.
QByteArray ThisComputer() {
  static const QByteArray identity = [] {
    QByteArray host = QSysInfo::machineHostName().toUtf8();
    if (host.isEmpty()) host = QByteArrayLiteral("unknown");
    struct stat ns {};
    const QByteArray pidSpace =
        ::stat("/proc/self/ns/pid", &ns) == 0 ? QByteArray::number(quint64(ns.st_ino)) : QByteArray();
    QByteArray id = host + '/' + ReadSmallFile("/proc/sys/kernel/random/boot_id") + '/' + pidSpace;
    for (char& c : id)
      if (uchar(c) <= ' ') c = '_';
    return id;
  }();
  return identity;
}

// The lock file's text: "pikorama <computer> <pid> <token> <renewal>" and a
// line end; the renewal count has a fixed width, so a renewal rewrites it in
// place.
QByteArray Content(const QByteArray& token, quint64 renewal) {
  return "pikorama " + ThisComputer() + ' ' + QByteArray::number(qint64(::getpid())) + ' ' + token + ' ' +
         QByteArray::number(renewal).rightJustified(10, '0') + '\n';
}

// A lock file as seen now. Its text when it is a regular file this process
// may read; otherwise (another user's file, a pipe, a folder, a link) only
// what stat shows of it.
struct Seen {
  bool readable = false;
  QByteArray content;
  mode_t type = 0;
  qint64 size = -1;
  qint64 mtimeNs = -1;
  dev_t device = 0;
  ino_t inode = 0;
};

void Describe(Seen& seen, const struct stat& st) {
  seen.type = st.st_mode & S_IFMT;
  seen.size = qint64(st.st_size);
  seen.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  seen.device = st.st_dev;
  seen.inode = st.st_ino;
}

// Nothing when the lock file is gone. The open never waits (a pipe opened
// for reading would wait for a writer) and never passes a link.
std::optional<Seen> ReadLock(const QByteArray& path) {
  Seen seen;
  struct stat st {};
  const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return std::nullopt;
    if (::lstat(path.constData(), &st) == 0) Describe(seen, st);
    else if (errno == ENOENT) return std::nullopt;
    return seen;
  }
  if (::fstat(fd, &st) == 0) Describe(seen, st);
  if (S_ISREG(st.st_mode)) {
    seen.readable = true;
    char buffer[256];
    ssize_t n;
    while (seen.content.size() < 1024 && (n = ::read(fd, buffer, sizeof buffer)) != 0) {
      if (n < 0) {
        seen.readable = false;
        break;
      }
      seen.content.append(buffer, n);
    }
  }
  ::close(fd);
  return seen;
}

// Whether a lock file is as it was: no renewal came in between.
bool Unchanged(const Seen& before, const Seen& now) {
  if (before.readable != now.readable) return false;
  if (now.readable) return before.content == now.content;
  return before.type == now.type && before.size == now.size && before.mtimeNs == now.mtimeNs &&
         before.device == now.device && before.inode == now.inode;
}

// Whether the file a takeover moved aside is the one judged stale. A rename
// may give the file another inode number on some network shares, so an
// unreadable file is known here by its kind, size and time.
bool SameAfterMove(const Seen& judged, const Seen& moved) {
  if (judged.readable != moved.readable) return false;
  if (moved.readable) return judged.content == moved.content;
  return judged.type == moved.type && judged.size == moved.size && judged.mtimeNs == moved.mtimeNs;
}

}  // namespace

// ---- The locks this process holds, renewed by a thread of their own ------

// What the holder knows of its lock without asking the disk.
struct SharedLock::Renewal {
  // The start of the last renewal that reached the file, on this
  // computer's monotonic clock: nobody judges the lock stale before a stale
  // period has passed from then.
  std::atomic<Clock::rep> lastRenewed{0};
  // Set once the file is seen to be gone or another's.
  std::atomic<bool> lost{false};
  Clock::duration trusted{};  // how long after a renewal the lock is surely still this one's

  void renewed(Clock::time_point started) { lastRenewed = started.time_since_epoch().count(); }
  bool fresh() const {
    return Clock::now() - Clock::time_point(Clock::duration(lastRenewed.load())) < trusted;
  }
};

namespace {

struct Held {
  QByteArray path;
  QByteArray token;
  quint64 renewal = 0;
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
  // cannot be opened or read for a moment is tried again at the next turn.
  static void Renew(Held& h) {
    const auto started = Clock::now();
    const int fd = ::open(h.path.constData(), O_RDWR | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
      if (errno == ENOENT) h.state->lost = true;
      return;
    }
    char buffer[512];
    const ssize_t n = ::pread(fd, buffer, sizeof buffer, 0);
    if (n >= 0 && !QByteArray(buffer, int(n)).contains(' ' + h.token + ' ')) {
      h.state->lost = true;
    } else if (n >= 0) {
      const QByteArray fresh = Content(h.token, ++h.renewal);
      if (::pwrite(fd, fresh.constData(), size_t(fresh.size()), 0) == fresh.size()) h.state->renewed(started);
    }
    ::close(fd);
  }

  void Run() {
    std::unique_lock<std::mutex> guard(mutex);
    for (;;) {
      auto next = Clock::now() + std::chrono::seconds(60);
      for (auto& [key, h] : held)
        if (!h.state->lost && h.next < next) next = h.next;
      wake.wait_until(guard, next);
      const auto now = Clock::now();
      for (auto& [key, h] : held) {
        if (h.state->lost || h.next > now) continue;
        Renew(h);
        h.next = now + h.every;
      }
    }
  }

  void Add(const void* key, Held h) {
    std::lock_guard<std::mutex> guard(mutex);
    held[key] = std::move(h);
    if (!running) {
      running = true;
      std::thread([this] { Run(); }).detach();
    }
    wake.notify_all();
  }

  void Remove(const void* key) {
    std::lock_guard<std::mutex> guard(mutex);
    held.erase(key);
  }

  bool HoldsToken(const QByteArray& content) {
    std::lock_guard<std::mutex> guard(mutex);
    for (const auto& [key, h] : held)
      if (content.contains(' ' + h.token + ' ')) return true;
    return false;
  }
};

// Never destroyed: the renewing thread may outlive every static object.
Registry& Locks() {
  static Registry* registry = new Registry;
  return *registry;
}

// ---- Staleness ----------------------------------------------------------
// Judged by this computer's monotonic clock alone: the file times are the
// file server's and another computer's clock may be minutes off.

struct Watch {
  Seen seen;
  Clock::time_point since;
};

std::mutex watchMutex;
std::map<QByteArray, Watch> watched;

void Forget(const QByteArray& path) {
  std::lock_guard<std::mutex> guard(watchMutex);
  watched.erase(path);
}

// A lock of this very computer whose process is no longer running.
bool HolderEnded(const Seen& seen) {
  if (!seen.readable) return false;
  const QList<QByteArray> fields = seen.content.trimmed().split(' ');
  if (fields.size() != 5 || fields[0] != "pikorama" || fields[1] != ThisComputer()) return false;
  const qint64 pid = fields[2].toLongLong();
  return pid > 0 && pid != ::getpid() && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
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

void RemoveAside(const QByteArray& aside) {
  if (::unlink(aside.constData()) != 0) ::rmdir(aside.constData());  // a folder left as a lock
}

// Moves the stale lock file away; true when the lock name is free of it.
// Renaming needs only the folder's write permission, so a file of another
// user goes as well. The file moved is checked against the one judged
// stale: when another computer took the lock over in between, its fresh
// file goes back.
bool TakeAway(const QByteArray& path, const Seen& judged) {
  const QByteArray aside = path + '-' + RandomText(6);
  if (::rename(path.constData(), aside.constData()) != 0) return errno == ENOENT;
  const auto moved = ReadLock(aside);
  if (moved && !SameAfterMove(judged, *moved)) {
    if (::link(aside.constData(), path.constData()) != 0 && errno != EEXIST)
      ::rename(aside.constData(), path.constData());
    ::unlink(aside.constData());
    return false;
  }
  RemoveAside(aside);
  Forget(path);
  return true;
}

std::optional<QByteArray> HostFile(const QString& lockFile) {
  const auto host = disk::HostPath(lockFile);
  if (!host) return std::nullopt;
  return QFile::encodeName(*host);
}

}  // namespace

SharedLock::SharedLock(QString file, QString hostPath, QByteArray token, std::shared_ptr<Renewal> renewal)
    : file_(std::move(file)),
      hostPath_(std::move(hostPath)),
      token_(std::move(token)),
      renewal_(std::move(renewal)) {}

std::unique_ptr<SharedLock> SharedLock::Take(const QString& lockFile, Duration staleAfter, Duration wait) {
  const auto path = HostFile(lockFile);
  if (!path) return nullptr;
  const auto deadline = Clock::now() + wait;
  int pause = 5;
  int quickTries = 0;
  for (;;) {
    const auto started = Clock::now();
    const int fd = ::open(path->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      const QByteArray token = RandomText(12);
      const QByteArray content = Content(token, 0);
      const bool written = ::write(fd, content.constData(), size_t(content.size())) == content.size();
      if (::close(fd) != 0 || !written) {
        ::unlink(path->constData());
        return nullptr;
      }
      Held h;
      h.path = *path;
      h.token = token;
      h.every = staleAfter / 5;
      h.next = Clock::now() + h.every;
      h.state = std::make_shared<Renewal>();
      h.state->trusted = staleAfter - h.every;
      h.state->renewed(started);
      std::unique_ptr<SharedLock> lock(new SharedLock(lockFile, QFile::decodeName(*path), token, h.state));
      Locks().Add(lock.get(), std::move(h));
      return lock;
    }
    // A folder that is gone or may not be written never frees up.
    if (errno != EEXIST) return nullptr;
    // Whatever is there, readable or not, is waited on like a held lock.
    bool freed = true;  // let go between the create and the read
    if (const auto seen = ReadLock(*path)) freed = IsStale(*path, *seen, staleAfter) && TakeAway(*path, *seen);
    else Forget(*path);
    if (freed && ++quickTries <= 3) continue;
    const auto now = Clock::now();
    if (now >= deadline) return nullptr;
    // Thirty computers asking at once: each waits a little longer and at
    // random, so they do not all ask again at the same moment.
    const Duration nap(pause + QRandomGenerator::global()->bounded(pause + 1));
    std::this_thread::sleep_for(std::min<Clock::duration>(nap, deadline - now));
    pause = std::min(pause * 2, 80);
  }
}

SharedLock::State SharedLock::Inspect(const QString& lockFile, Duration staleAfter) {
  const auto path = HostFile(lockFile);
  if (!path) return State::Free;
  for (int attempt = 0; attempt < 3; ++attempt) {
    const auto seen = ReadLock(*path);
    if (!seen) {
      Forget(*path);
      return State::Free;
    }
    if (seen->readable && Locks().HoldsToken(seen->content)) return State::HeldHere;
    if (!IsStale(*path, *seen, staleAfter)) return State::HeldElsewhere;
    if (TakeAway(*path, *seen)) return State::Free;
  }
  return State::HeldElsewhere;
}

SharedLock::~SharedLock() {
  Locks().Remove(this);
  const QByteArray path = QFile::encodeName(hostPath_);
  const auto seen = ReadLock(path);
  if (seen && seen->readable && seen->content.contains(' ' + token_ + ' ')) ::unlink(path.constData());
}

bool SharedLock::stillHeld() const {
  // Not renewed within the stale period: another computer may be taking it.
  if (renewal_->lost || !renewal_->fresh()) return false;
  const auto seen = ReadLock(QFile::encodeName(hostPath_));
  return seen && seen->readable && seen->content.contains(' ' + token_ + ' ');
}

QString SharedLock::LockFileFor(const QString& folderText, const QString& name) {
  return folderText + name + QLatin1String(kMark);
}

bool SharedLock::IsLockName(const QString& fileName) {
  static const QRegularExpression re(QStringLiteral("\\.~pikorama-lock(-[A-Za-z0-9]{6})?$"));
  return re.match(fileName).hasMatch();
}

QStringList SharedLock::LockNamesIn(const QString& folderText) {
  const auto host = disk::HostPath(folderText);
  if (!host) return {};
  QStringList names;
  for (const QString& entry : QDir(*host).entryList(QDir::Files | QDir::Hidden | QDir::System))
    if (IsLockName(entry)) names.append(entry);
  return names;
}
