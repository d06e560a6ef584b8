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
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/BusyRetry.h"
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
  qint64 ctimeNs = -1;
  dev_t device = 0;
  ino_t inode = 0;
};

void Describe(Seen& seen, const struct stat& st) {
  seen.type = st.st_mode & S_IFMT;
  seen.size = qint64(st.st_size);
  seen.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  seen.ctimeNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  seen.device = st.st_dev;
  seen.inode = st.st_ino;
}

// Opens a lock file for reading past every cache this computer keeps of it:
// with O_DIRECT where the file system allows it, so that another computer's
// renewal is seen as soon as the server has it. An open never waits (a pipe
// opened for reading would wait for a writer) and never passes a link.
int OpenToRead(const char* path, bool& direct) {
  constexpr int kFlags = O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC;
  direct = true;
  const int fd = ::open(path, kFlags | O_DIRECT);
  if (fd >= 0 || errno != EINVAL) return fd;
  direct = false;
  return ::open(path, kFlags);
}

// Reads what a lock file holds (the first 4096 bytes are more than a lock
// text) into `content`; false when it cannot be read.
bool ReadText(int fd, bool direct, const char* path, QByteArray& content) {
  // Direct reads want a buffer, a length and an offset aligned to the
  // device's blocks; a page is aligned for every one of them.
  alignas(4096) static thread_local char buffer[4096];
  ssize_t n = ::pread(fd, buffer, sizeof buffer, 0);
  if (n < 0 && direct && errno == EINVAL) {
    // The file system took O_DIRECT on the open but not on the read.
    const int plain = ::open(path, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    if (plain < 0) return false;
    n = ::pread(plain, buffer, sizeof buffer, 0);
    ::close(plain);
  }
  if (n < 0) return false;
  content = QByteArray(buffer, int(n));
  return true;
}

// Nothing when the lock file is gone.
std::optional<Seen> ReadLock(const QByteArray& path) {
  Seen seen;
  struct stat st {};
  bool direct = false;
  const int fd = OpenToRead(path.constData(), direct);
  if (fd < 0) {
    if (errno == ENOENT) return std::nullopt;
    if (::lstat(path.constData(), &st) == 0) Describe(seen, st);
    else if (errno == ENOENT) return std::nullopt;
    return seen;
  }
  if (::fstat(fd, &st) == 0) Describe(seen, st);
  if (S_ISREG(st.st_mode)) seen.readable = ReadText(fd, direct, path.constData(), seen.content);
  ::close(fd);
  return seen;
}

// Whether a lock file is as it was: no renewal came in between. A renewal
// shows in the text, and where a share hands out an older text for a while,
// in the size and times stat shows; any of them changed is a renewal.
bool Unchanged(const Seen& before, const Seen& now) {
  if (before.readable != now.readable) return false;
  if (now.readable && before.content != now.content) return false;
  if (before.type != now.type || before.size != now.size || before.mtimeNs != now.mtimeNs ||
      before.ctimeNs != now.ctimeNs)
    return false;
  return now.readable || (before.device == now.device && before.inode == now.inode);
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
  // Set once the file is seen to be another's, or the lock is let go.
  std::atomic<bool> lost{false};
  std::atomic<quint64> count{0};  // the renewal count last written
  // How long after the start of a renewal the lock is surely still this
  // one's: half the stale period, which leaves the other half for a write
  // made under the lock to reach a slow file server before anyone may judge
  // the lock stale.
  Clock::duration trusted{};

  void renewed(Clock::time_point started) { lastRenewed = started.time_since_epoch().count(); }
  bool fresh() const {
    return Clock::now() - Clock::time_point(Clock::duration(lastRenewed.load())) < trusted;
  }
};

namespace {

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
  static void Renew(const Held& h) {
    if (h.state->lost) return;
    const auto started = Clock::now();
    const int fd = ::open(h.path.constData(), O_RDWR | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    char buffer[512];
    const ssize_t n = ::pread(fd, buffer, sizeof buffer, 0);
    if (n > 0 && !QByteArray(buffer, int(n)).contains(' ' + h.token + ' ')) {
      h.state->lost = true;
    } else if (n > 0 && !h.state->lost) {
      const QByteArray fresh = Content(h.token, ++h.state->count);
      if (::pwrite(fd, fresh.constData(), size_t(fresh.size()), 0) == fresh.size()) h.state->renewed(started);
    }
    ::close(fd);
  }

  // The file work is done with the registry open, so that taking and
  // letting go of locks never waits for a slow file server.
  void Run() {
    std::unique_lock<std::mutex> guard(mutex);
    for (;;) {
      auto next = Clock::now() + std::chrono::seconds(60);
      for (auto& [key, h] : held)
        if (!h.state->lost && h.next < next) next = h.next;
      wake.wait_until(guard, next);
      const auto now = Clock::now();
      std::vector<Held> due;
      for (auto& [key, h] : held) {
        if (h.state->lost || h.next > now) continue;
        due.push_back(h);
        h.next = now + h.every;
      }
      guard.unlock();
      for (const Held& h : due) Renew(h);
      guard.lock();
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

// A busy lock file (BusyRetry.h) is waited on this long at most.
constexpr std::chrono::milliseconds kBusyBound{500};

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

// Moves the stale lock file away; true when the lock name is free of it.
// Renaming needs only the folder's write permission, so a file of another
// user goes as well. The file moved is checked against the one judged
// stale: when another computer renewed it or took the lock over in
// between, the file goes back (PutBack).
bool TakeAway(const QByteArray& path, const Seen& judged) {
  const QByteArray aside = path + '-' + RandomText(6);
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
      h.state->trusted = staleAfter / 2;
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
  renewal_->lost = true;
  Locks().Remove(this);
  const QByteArray path = QFile::encodeName(hostPath_);
  const auto seen = ReadLock(path);
  if (!seen || !seen->readable || !seen->content.contains(' ' + token_ + ' ')) return;
  // Another computer reading the lock at this moment keeps it from going
  // on a share: tried again while nobody may judge it stale yet.
  const auto left = renewal_->trusted - (Clock::now() - Clock::time_point(Clock::duration(renewal_->lastRenewed.load())));
  if (left > Clock::duration::zero()) disk::RetryWhileBusy([&] { return ::unlink(path.constData()); }, left);
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
  static const QRegularExpression re(QRegularExpression::escape(QLatin1String(kMark)) +
                                     QStringLiteral("(-[A-Za-z0-9]{6})?$"));
  return re.match(fileName).hasMatch();
}

bool SharedLock::IsTakeoverName(const QString& fileName) {
  return IsLockName(fileName) && !fileName.endsWith(QLatin1String(kMark));
}

QStringList SharedLock::LockNamesIn(const QString& folderText) {
  const auto host = disk::HostPath(folderText);
  if (!host) return {};
  QStringList names;
  for (const QString& entry : QDir(*host).entryList(QDir::Files | QDir::Hidden | QDir::System))
    if (IsLockName(entry)) names.append(entry);
  return names;
}
