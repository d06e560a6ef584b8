// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The path-text mapping: drive letters to host folders, and a path text to
// its host path, matched without regard to case.

#include "platform/Disk.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdint>

#include "platform/DrivePaths.h"
#include "platform/HeldFolder.h"
#include "platform/RecentFolder.h"
#include "platform/RemovableDrives.h"

namespace disk {

// The host folder drive `letter` stands for as configured, not yet asked
// whether it exists.
std::optional<QString> RootText(QChar letter) {
  letter = letter.toUpper();
  if (letter < u'A' || letter > u'Z') return std::nullopt;
  const QByteArray var = "PIKORAMA_DRIVE_" + QByteArray(1, char(letter.unicode()));
  QString root = qEnvironmentVariable(var.constData());
  // Without its variable, C: is the home folder; with no home folder at all
  // it is a missing drive rather than the host's top folder.
  if (root.isEmpty() && letter == u'C') root = qEnvironmentVariable("HOME");
  if (root.isEmpty()) root = RemovableDriveRoot(letter).value_or(QString());
  if (root.isEmpty()) return std::nullopt;
  return QDir::cleanPath(QFileInfo(root).absoluteFilePath());
}

// `parts` below the held drive folder `root`, opened in one question when
// spelled exactly as on disk and no step is a link.
Fd OpenBeneath(int root, const QStringList& parts, int flags) {
  struct open_how how {};
  how.flags = std::uint64_t(flags | O_NOFOLLOW | O_CLOEXEC);
  how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_BENEATH;
  const QByteArray relative = QFile::encodeName(parts.join(u'/'));
  return Fd(int(::syscall(SYS_openat2, root, relative.constData(), &how, sizeof how)));
}

namespace {

// The name of `name`'s entry in the held folder as spelled on disk, as
// FindName finds it, with the folder read in as few calls as can be.
std::optional<QByteArray> FindSpelling(int folder, const QString& name, struct stat* st) {
  const QByteArray exact = QFile::encodeName(name);
  if (::fstatat(folder, exact.constData(), st, AT_SYMLINK_NOFOLLOW) == 0) return exact;
  if (errno != ENOENT) return std::nullopt;
  const Fd listing(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!listing.ok()) return std::nullopt;
  alignas(8) char buffer[32768];
  for (;;) {
    const long n = ::syscall(SYS_getdents64, listing.get(), buffer, sizeof buffer);
    if (n <= 0) break;
    for (long at = 0; at < n;) {
      const auto* entry = reinterpret_cast<const struct dirent64*>(buffer + at);
      at += entry->d_reclen;
      const QByteArray spelled(entry->d_name);
      if (spelled == "." || spelled == "..") continue;
      if (QFile::decodeName(spelled).compare(name, Qt::CaseInsensitive) == 0 &&
          ::fstatat(folder, spelled.constData(), st, AT_SYMLINK_NOFOLLOW) == 0)
        return spelled;
    }
  }
  errno = ENOENT;
  return std::nullopt;
}

}  // namespace

std::optional<QString> DriveRoot(QChar letter) {
  const auto root = RootText(letter);
  if (!root || !QFileInfo(*root).isDir()) return std::nullopt;
  return root;
}

bool IsSafeName(const QString& name) {
  return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'\\') &&
         !name.contains(u'/');
}

std::optional<QString> HostPath(const QString& path) {
  const auto parsed = ParsePathText(path);
  if (!parsed) return std::nullopt;
  const auto root = RootText(parsed->drive);
  if (!root) return std::nullopt;
  const QStringList& parts = parsed->parts;
  // The folder spelled exactly and only the last name looked for in it: a
  // file about to be made (a lock file) costs one listing of its folder,
  // not a walk of the whole path.
  if (parts.size() > 1) {
    const QStringList folderParts = parts.mid(0, parts.size() - 1);
    if (const auto folder = ExactFolder(*root, folderParts)) {
      const QString host = *root + u'/' + folderParts.join(u'/') + u'/';
      struct stat st {};
      if (const auto name = FindSpelling(*folder, parts.last(), &st)) {
        if (S_ISLNK(st.st_mode)) return std::nullopt;
        return host + QFile::decodeName(*name);
      }
      return host + parts.last();
    }
  }
  // The drive's folder, held for every step below: a missing one is a
  // missing drive.
  const Fd rootFolder(::open(QFile::encodeName(*root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!rootFolder.ok()) return std::nullopt;
  if (parts.isEmpty()) return *root;
  if (OpenBeneath(rootFolder.get(), parts, O_PATH).ok()) return *root + u'/' + parts.join(u'/');
  Fd folder(::dup(rootFolder.get()));
  QString host = *root;
  for (const QString& part : parts) {
    if (folder.ok()) {
      struct stat st {};
      if (const auto name = FindName(folder.get(), part, &st)) {
        if (S_ISLNK(st.st_mode)) return std::nullopt;
        host += u'/' + QFile::decodeName(*name);
        folder.reset(S_ISDIR(st.st_mode) ? ::openat(folder.get(), name->constData(),
                                                    O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)
                                         : -1);
        continue;
      }
      folder.reset();
    }
    host += u'/' + part;
  }
  return host;
}

QString ExistingDrives() {
  QString letters;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    if (DriveRoot(QChar(letter))) letters += QChar(letter);
  }
  return letters;
}

}  // namespace disk
