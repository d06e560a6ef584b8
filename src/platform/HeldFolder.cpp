// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/HeldFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

#include "platform/Disk.h"

namespace disk {

void Fd::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

bool Fd::close() {
  const int fd = release();
  return fd >= 0 && ::close(fd) == 0;
}

namespace {

void SetError(int* error, int value) {
  if (error) *error = value;
}

// One step down: the folder `name` inside `folder`, never through a link.
Fd StepInto(int folder, const QByteArray& name, int* error) {
  Fd fd(::openat(folder, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!fd.ok()) SetError(error, errno == ENOTDIR ? ENOTDIR : errno);
  return fd;
}

}  // namespace

std::optional<PathText> ParsePathText(const QString& path) {
  if (path.size() < 3 || path.at(1) != u':' || path.at(2) != u'\\') return std::nullopt;
  const QChar drive = path.at(0).toUpper();
  if (drive < u'A' || drive > u'Z') return std::nullopt;
  QStringList parts = path.mid(3).split(u'\\');
  if (!parts.isEmpty() && parts.last().isEmpty()) parts.removeLast();  // folder text
  for (const QString& part : parts) {
    if (!IsSafeName(part) || part.contains(QChar(0))) return std::nullopt;
  }
  return PathText{drive, parts};
}

Fd OpenDriveRoot(QChar drive, int* error) {
  const auto root = DriveRoot(drive);
  if (!root) {
    SetError(error, ENOENT);
    return Fd();
  }
  // The drive's own folder is taken as it is configured, link or not.
  Fd fd(::open(QFile::encodeName(*root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.ok()) SetError(error, errno);
  return fd;
}

std::optional<QByteArray> FindName(int folder, const QString& name, struct stat* st) {
  const QByteArray exact = QFile::encodeName(name);
  if (::fstatat(folder, exact.constData(), st, AT_SYMLINK_NOFOLLOW) == 0) return exact;
  if (errno != ENOENT) return std::nullopt;
  // Another spelling of the same letters. The folder is read through a
  // descriptor of its own, so the held one keeps its place.
  const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  DIR* dir = ::fdopendir(fd);
  if (!dir) {
    ::close(fd);
    return std::nullopt;
  }
  std::optional<QByteArray> found;
  while (const dirent* entry = ::readdir(dir)) {
    const QByteArray spelled(entry->d_name);
    if (spelled == "." || spelled == "..") continue;
    if (QFile::decodeName(spelled).compare(name, Qt::CaseInsensitive) == 0 &&
        ::fstatat(folder, spelled.constData(), st, AT_SYMLINK_NOFOLLOW) == 0) {
      found = spelled;
      break;
    }
  }
  ::closedir(dir);
  if (!found) errno = ENOENT;
  return found;
}

std::optional<Entry> Locate(const QString& path, int* error) {
  const auto parsed = ParsePathText(path);
  if (!parsed || parsed->parts.isEmpty()) {
    SetError(error, EINVAL);
    return std::nullopt;
  }
  Fd folder = OpenDriveRoot(parsed->drive, error);
  if (!folder.ok()) return std::nullopt;
  for (qsizetype i = 0; i + 1 < parsed->parts.size(); ++i) {
    struct stat st {};
    const auto name = FindName(folder.get(), parsed->parts.at(i), &st);
    if (!name) {
      SetError(error, errno);
      return std::nullopt;
    }
    if (S_ISLNK(st.st_mode)) {
      SetError(error, ELOOP);
      return std::nullopt;
    }
    Fd next = StepInto(folder.get(), *name, error);
    if (!next.ok()) return std::nullopt;
    folder = std::move(next);
  }
  Entry entry;
  entry.folder = std::move(folder);
  const QString& last = parsed->parts.last();
  if (const auto name = FindName(entry.folder.get(), last, &entry.st)) {
    entry.name = *name;
    entry.exists = true;
  } else {
    if (errno != ENOENT) {
      SetError(error, errno);
      return std::nullopt;
    }
    entry.name = QFile::encodeName(last);
    entry.st = {};
  }
  return entry;
}

namespace {

// The entry a path names, when it is there and no link.
std::optional<Entry> LocateExisting(const QString& path, int* error) {
  auto entry = Locate(path, error);
  if (!entry) return std::nullopt;
  if (!entry->exists || entry->isLink()) {
    SetError(error, entry->exists ? ELOOP : ENOENT);
    return std::nullopt;
  }
  return entry;
}

}  // namespace

Fd OpenExact(const PathText& path, int flags) {
  if (path.parts.isEmpty()) return Fd();
  const Fd root = OpenDriveRoot(path.drive);
  if (!root.ok()) return Fd();
  struct open_how how {};
  how.flags = std::uint64_t(flags | O_NOFOLLOW | O_CLOEXEC);
  how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_BENEATH;
  const QByteArray relative = QFile::encodeName(path.parts.join(u'/'));
  return Fd(int(::syscall(SYS_openat2, root.get(), relative.constData(), &how, sizeof how)));
}

Fd OpenFolder(const QString& folder, int* error) {
  const auto parsed = ParsePathText(folder);
  if (!parsed) {
    SetError(error, EINVAL);
    return Fd();
  }
  if (parsed->parts.isEmpty()) return OpenDriveRoot(parsed->drive, error);
  if (Fd exact = OpenExact(*parsed, O_RDONLY | O_DIRECTORY); exact.ok()) return exact;
  const auto entry = LocateExisting(folder, error);
  if (!entry) return Fd();
  return StepInto(entry->folder.get(), entry->name, error);
}

Fd OpenFile(const QString& file, int* error) {
  if (const auto parsed = ParsePathText(file)) {
    Fd exact = OpenExact(*parsed, O_RDONLY | O_NONBLOCK);
    struct stat st {};
    if (exact.ok() && ::fstat(exact.get(), &st) == 0 && S_ISREG(st.st_mode)) return exact;
  }
  const auto entry = LocateExisting(file, error);
  if (!entry) return Fd();
  // Never a link, and never waiting on a pipe someone put there.
  Fd fd(::openat(entry->folder.get(), entry->name.constData(),
                 O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (!fd.ok()) {
    SetError(error, errno);
    return fd;
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    SetError(error, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    return Fd();
  }
  return fd;
}

}  // namespace disk
