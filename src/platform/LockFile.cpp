// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/LockFile.h"

#include <QString>
#include <QSysInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace lockfile {

namespace {

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

}  // namespace

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

namespace {

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

}  // namespace

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

}  // namespace lockfile
