// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/HostFiles.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Disk.h"
#include "platform/HeldFolder.h"
#include "platform/RemovableDrives.h"
#include "platform/WholeFile.h"

namespace host {

bool FlushRemovable(const QString& hostFolder) {
  const QString folder = QFileInfo(hostFolder).absoluteFilePath() + u'/';
  bool removable = false;
  for (const QString& media : disk::MediaFolders()) removable |= folder.startsWith(media + u'/');
  if (!removable) return true;
  const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool flushed = ::syncfs(fd) == 0;
  ::close(fd);
  return flushed;
}

bool WriteWholeFile(const QString& hostPath, const QByteArray& bytes) { return disk::WriteHostBytes(hostPath, bytes); }

FileCopyResult CopyToHost(const QString& from, const QString& to) {
  int error = 0;
  const disk::Fd in = disk::OpenFile(from, &error);
  if (!in.ok()) return error == ENOENT ? FileCopyResult::SourceMissing : FileCopyResult::SourceUnreadable;
  struct stat st {};
  if (::fstat(in.get(), &st) != 0) return FileCopyResult::SourceUnreadable;
  const QFileInfo target(to);
  const disk::Fd folder(::open(QFile::encodeName(target.absolutePath()).constData(),
                               O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder.ok() || target.fileName().isEmpty()) return FileCopyResult::WriteFailed;
  // A new file is readable like any other file there, not only by its owner.
  disk::WholeFile out(folder.get(), QFile::encodeName(target.fileName()), 0644);
  if (!out.ok()) return FileCopyResult::WriteFailed;
  if (!out.CopyFrom(in.get(), st.st_size)) {
    // Which side broke off: a source that reads no more is unreadable.
    char probe = 0;
    return ::pread(in.get(), &probe, 1, 0) < 0 ? FileCopyResult::SourceUnreadable : FileCopyResult::WriteFailed;
  }
  return out.Commit() ? FileCopyResult::Copied : FileCopyResult::WriteFailed;
}

}  // namespace host
