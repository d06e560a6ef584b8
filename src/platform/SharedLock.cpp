// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/SharedLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSysInfo>

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
using SharedClock = std::chrono::system_clock;

constexpr char kMark[] = ".~pikorama-lock";
// A clock of another computer may be this far off before an old lock file
// counts as stale by its time alone.
constexpr std::chrono::seconds kClockSkew{30};

QByteArray RandomText(int length) {
  static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  QByteArray text(length, 'x');
  for (char& c : text) c = kChars[QRandomGenerator::global()->bounded(62)];
  return text;
}

QByteArray HostName() {
  static const QByteArray name = [] {
    QByteArray n = QSysInfo::machineHostName().toUtf8();
    n.replace(' ', '_');
    return n.isEmpty() ? QByteArrayLiteral("unknown") : n;
  }();
  return name;
}

// The lock file's text: "pikorama <host> <pid> <token> <renewal>" and a line
// end; the renewal count has a fixed width, so a renewal rewrites it in place.
QByteArray Content(const QByteArray& token, quint64 renewal) {
  return "pikorama " + HostName() + ' ' + QByteArray::number(qint64(::getpid())) + ' ' + token + ' ' +
         QByteArray::number(renewal).rightJustified(10, '0') + '\n';
}

struct Seen {
  QByteArray content;
  qint64 mtimeNs = -1;
};

// A lock file as read now; nothing when it is gone.
std::optional<Seen> ReadLock(const QByteArray& path) {
  const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  Seen seen;
  char buffer[256];
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0 && seen.content.size() < 1024) seen.content.append(buffer, n);
  struct stat st {};
  if (::fstat(fd, &st) == 0) seen.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  ::close(fd);
  return seen;
}

// ---- The locks this process holds, renewed by a thread of their own ------

struct Held {
  QByteArray path;
  QByteArray token;
  quint64 renewal = 0;
  Clock::duration every;
  Clock::time_point next;
  bool lost = false;
};

struct Registry {
  std::mutex mutex;
  std::condition_variable wake;
  std::map<const void*, Held> held;
  bool running = false;

  // Rewrites the renewal count of a lock still this holder's.
  static void Renew(Held& h) {
    const int fd = ::open(h.path.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
      h.lost = true;
      return;
    }
    char buffer[256];
    const ssize_t n = ::pread(fd, buffer, sizeof buffer, 0);
    const QByteArray content = n > 0 ? QByteArray(buffer, n) : QByteArray();
    if (!content.contains(' ' + h.token + ' ')) {
      h.lost = true;
    } else {
      const QByteArray fresh = Content(h.token, ++h.renewal);
      // A renewal that cannot be written is tried again at the next turn.
      (void)::pwrite(fd, fresh.constData(), size_t(fresh.size()), 0);
    }
    ::close(fd);
  }

  void Run() {
    std::unique_lock<std::mutex> guard(mutex);
    for (;;) {
      auto next = Clock::now() + std::chrono::seconds(60);
      for (auto& [key, h] : held)
        if (!h.lost && h.next < next) next = h.next;
      wake.wait_until(guard, next);
      const auto now = Clock::now();
      for (auto& [key, h] : held) {
        if (h.lost || h.next > now) continue;
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

struct Watch {
  Seen seen;
  Clock::time_point since;
};

std::mutex watchMutex;
std::map<QByteArray, Watch> watched;

bool IsStale(const QByteArray& path, const Seen& seen, SharedLock::Duration staleAfter) {
  const QList<QByteArray> fields = seen.content.trimmed().split(' ');
  if (fields.size() == 5 && fields[0] == "pikorama" && fields[1] == HostName()) {
    // A lock of this computer whose process has ended.
    const qint64 pid = fields[2].toLongLong();
    if (pid > 0 && pid != ::getpid() && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH) return true;
  }
  const qint64 ageNs =
      std::chrono::duration_cast<std::chrono::nanoseconds>(SharedClock::now().time_since_epoch()).count() -
      seen.mtimeNs;
  if (seen.mtimeNs >= 0 &&
      ageNs > std::chrono::duration_cast<std::chrono::nanoseconds>(staleAfter + kClockSkew).count())
    return true;
  // Not renewed for the stale period as this process has watched it.
  std::lock_guard<std::mutex> guard(watchMutex);
  const auto now = Clock::now();
  auto it = watched.find(path);
  if (it == watched.end() || it->second.seen.content != seen.content || it->second.seen.mtimeNs != seen.mtimeNs) {
    watched[path] = Watch{seen, now};
    return false;
  }
  return now - it->second.since >= staleAfter;
}

// Moves the stale lock file away; true when the lock name is free of it.
// The file moved is checked against the one judged stale: when another
// computer took the lock over in between, its fresh file goes back.
bool TakeAway(const QByteArray& path, const Seen& judged) {
  const QByteArray aside = path + '-' + RandomText(6);
  if (::rename(path.constData(), aside.constData()) != 0) return errno == ENOENT;
  const auto moved = ReadLock(aside);
  if (moved && moved->content != judged.content) {
    if (::link(aside.constData(), path.constData()) != 0 && errno != EEXIST)
      ::rename(aside.constData(), path.constData());
    ::unlink(aside.constData());
    return false;
  }
  ::unlink(aside.constData());
  std::lock_guard<std::mutex> guard(watchMutex);
  watched.erase(path);
  return true;
}

std::optional<QByteArray> HostFile(const QString& lockFile) {
  const auto host = disk::HostPath(lockFile);
  if (!host) return std::nullopt;
  return QFile::encodeName(*host);
}

}  // namespace

SharedLock::SharedLock(QString file, QString hostPath, QByteArray token)
    : file_(std::move(file)), hostPath_(std::move(hostPath)), token_(std::move(token)) {}

std::unique_ptr<SharedLock> SharedLock::Take(const QString& lockFile, Duration staleAfter, Duration wait) {
  const auto path = HostFile(lockFile);
  if (!path) return nullptr;
  const auto deadline = Clock::now() + wait;
  int pause = 5;
  for (;;) {
    const int fd = ::open(path->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      const QByteArray token = RandomText(12);
      const QByteArray content = Content(token, 0);
      const bool written = ::write(fd, content.constData(), size_t(content.size())) == content.size();
      if (::close(fd) != 0 || !written) {
        ::unlink(path->constData());
        return nullptr;
      }
      std::unique_ptr<SharedLock> lock(new SharedLock(lockFile, QFile::decodeName(*path), token));
      Held h;
      h.path = *path;
      h.token = token;
      h.every = staleAfter / 5;
      h.next = Clock::now() + h.every;
      Locks().Add(lock.get(), std::move(h));
      return lock;
    }
    // A folder that is gone or may not be written never frees up.
    if (errno != EEXIST) return nullptr;
    if (const auto seen = ReadLock(*path)) {
      if (IsStale(*path, *seen, staleAfter) && TakeAway(*path, *seen)) continue;
    } else {
      continue;  // let go between the create and the read
    }
    if (Clock::now() >= deadline) return nullptr;
    // Thirty computers asking at once: each waits a little longer and at
    // random, so they do not all ask again at the same moment.
    std::this_thread::sleep_for(std::chrono::milliseconds(pause + QRandomGenerator::global()->bounded(pause + 1)));
    pause = std::min(pause * 2, 80);
  }
}

SharedLock::State SharedLock::Inspect(const QString& lockFile, Duration staleAfter) {
  const auto path = HostFile(lockFile);
  if (!path) return State::Free;
  for (int attempt = 0; attempt < 3; ++attempt) {
    const auto seen = ReadLock(*path);
    if (!seen) return State::Free;
    if (Locks().HoldsToken(seen->content)) return State::HeldHere;
    if (!IsStale(*path, *seen, staleAfter)) return State::HeldElsewhere;
    if (TakeAway(*path, *seen)) return State::Free;
  }
  return State::HeldElsewhere;
}

SharedLock::~SharedLock() {
  Locks().Remove(this);
  const QByteArray path = QFile::encodeName(hostPath_);
  const auto seen = ReadLock(path);
  if (seen && seen->content.contains(' ' + token_ + ' ')) ::unlink(path.constData());
}

bool SharedLock::stillHeld() const {
  const auto seen = ReadLock(QFile::encodeName(hostPath_));
  return seen && seen->content.contains(' ' + token_ + ' ');
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
