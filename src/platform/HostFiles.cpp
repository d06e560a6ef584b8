// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/HostFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

#include "platform/Disk.h"
#include "platform/RemovableDrives.h"

namespace host {

namespace {

constexpr qint64 kChunk = 1 << 20;
constexpr QFileDevice::Permissions kNewFilePermissions =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser |
    QFileDevice::ReadGroup | QFileDevice::ReadOther;

// False at the first write that does not take all it is given.
bool WriteAll(QFileDevice& file, const char* data, qint64 size) {
  qint64 done = 0;
  while (done < size) {
    const qint64 n = file.write(data + done, std::min(kChunk, size - done));
    if (n <= 0) return false;
    done += n;
  }
  return true;
}

}  // namespace

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

CopyOutcome CopyToHost(const QString& from, const QString& to) {
  const auto source = disk::HostPath(from);
  if (!source || !QFileInfo(*source).isFile()) return CopyOutcome::SourceMissing;
  QFile in(*source);
  if (!in.open(QIODevice::ReadOnly)) return CopyOutcome::SourceMissing;
  const QFileInfo target(to);
  if (target.isDir()) return CopyOutcome::WriteFailed;
  // A temporary file beside the target, renamed over it once whole. It is
  // removed on every way out but the rename.
  QTemporaryFile out(target.absolutePath() + QStringLiteral("/.pikorama-XXXXXX"));
  if (!out.open()) return CopyOutcome::WriteFailed;
  // Readable like any other file there, not only by its owner.
  out.setPermissions(target.exists() ? target.permissions() : kNewFilePermissions);
  QByteArray buffer(kChunk, Qt::Uninitialized);
  for (;;) {
    const qint64 n = in.read(buffer.data(), buffer.size());
    if (n < 0) return CopyOutcome::SourceMissing;  // the source broke off
    if (n == 0) break;
    if (!WriteAll(out, buffer.constData(), n)) return CopyOutcome::WriteFailed;
  }
  if (!out.flush()) return CopyOutcome::WriteFailed;
  out.close();
  // rename(2) replaces an existing target in one step (QFile::rename refuses).
  std::error_code error;
  std::filesystem::rename(QFile::encodeName(out.fileName()).toStdString(), QFile::encodeName(to).toStdString(),
                          error);
  if (error) return CopyOutcome::WriteFailed;
  out.setAutoRemove(false);
  return CopyOutcome::Copied;
}

}  // namespace host
