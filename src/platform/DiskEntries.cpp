// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// Single entries of a drive: whether they are there and what they are,
// folders made, renamed and removed, a file deleted.

#include "platform/Disk.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QString>

#include <cerrno>

#include "platform/BusyRetry.h"
#include "platform/HeldFolder.h"
#include "platform/RecentFolder.h"

namespace disk {

bool Exists(const QString& path) {
  const auto parsed = ParsePathText(path);
  if (parsed && parsed->parts.isEmpty()) return OpenDriveRoot(parsed->drive).ok();
  const auto entry = Locate(path);
  return entry && entry->exists;
}

bool FileExists(const QString& path) {
  const auto entry = Locate(path);
  return entry && entry->isFile();
}

bool FolderExists(const QString& path) { return OpenFolder(path).ok(); }

bool IsBehindLink(const QString& path) {
  int error = 0;
  const auto entry = Locate(path, &error);
  return entry ? entry->isLink() : error == ELOOP;
}

bool CanRead(const QString& file) { return OpenFile(file).ok(); }

bool CreateFolder(const QString& folder) {
  const auto entry = Locate(folder);
  if (!entry || entry->exists) return false;
  return ::mkdirat(entry->folder.get(), entry->name.constData(), 0777) == 0;
}

bool RemoveFolder(const QString& folder) {
  RecentFolder::Instance().Forget();
  const auto entry = Locate(folder);
  if (!entry || !entry->isFolder()) return false;
  return RetryWhileBusy([&] { return ::unlinkat(entry->folder.get(), entry->name.constData(), AT_REMOVEDIR); }) == 0;
}

bool RenameFolder(const QString& from, const QString& to) {
  RecentFolder::Instance().Forget();
  const auto source = Locate(from);
  const auto target = Locate(to);
  if (!source || !target || !source->isFolder()) return false;
  // The target keeps the spelling it was given, in the folder it resolves to.
  const QByteArray spelled = QFile::encodeName(ParsePathText(to)->parts.last());
  if (target->exists) {
    // Only a change of letter case of the same folder is allowed.
    if (target->st.st_dev != source->st.st_dev || target->st.st_ino != source->st.st_ino)
      return false;
    if (spelled == source->name) return true;
    return RetryWhileBusy([&] {
             return ::renameat(source->folder.get(), source->name.constData(), target->folder.get(),
                               spelled.constData());
           }) == 0;
  }
  // Never over a folder that has come meanwhile.
  if (RetryWhileBusy([&] {
        return ::renameat2(source->folder.get(), source->name.constData(), target->folder.get(),
                           spelled.constData(), RENAME_NOREPLACE);
      }) == 0)
    return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  struct stat st {};
  if (::fstatat(target->folder.get(), spelled.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) return false;
  return RetryWhileBusy([&] {
           return ::renameat(source->folder.get(), source->name.constData(), target->folder.get(),
                             spelled.constData());
         }) == 0;
}

bool DeleteFile(const QString& file) {
  const auto entry = Locate(file);
  if (!entry || !(entry->isFile() || entry->isLink())) return false;
  return RetryWhileBusy([&] { return ::unlinkat(entry->folder.get(), entry->name.constData(), 0); }) == 0;
}

std::optional<QString> VolumeOf(const QString& folder) {
  const Fd fd = OpenFolder(folder);
  struct stat st {};
  if (!fd.ok() || ::fstat(fd.get(), &st) != 0) return std::nullopt;
  return QStringLiteral("%1:%2").arg(quint64(st.st_dev)).arg(quint64(st.st_ino));
}

}  // namespace disk
