// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// A folder held open and its files read by name (HeldFiles in Disk.h).

#include "platform/Disk.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QSet>

#include <functional>

#include "platform/DrivePaths.h"
#include "platform/FolderEntries.h"
#include "platform/HeldFolder.h"
#include "platform/HiddenNames.h"
#include "platform/RecentFolder.h"

namespace disk {

HeldFiles::HeldFiles(const QString& folder) {
  // Spelled exactly as on disk, the folder is one question below its
  // drive's; otherwise it is found step by step.
  const auto parsed = ParsePathText(folder);
  const auto root = parsed ? RootText(parsed->drive) : std::nullopt;
  if (root) fd_ = ExactFolder(*root, parsed->parts);
  if (fd_) return;
  if (Fd fd = OpenFolder(folder); fd.ok()) fd_ = Share(std::move(fd));
}

namespace {

// The names of the plain files in a held folder that `wanted` takes, as
// spelled on disk, the program's working files left out.
std::optional<QList<QByteArray>> MatchingFiles(int folder, const std::function<bool(const QString&)>& wanted) {
  QList<QByteArray> matching;
  const bool read = ForEachEntry(folder, [&](const QByteArray& raw, const struct stat& st) {
    if (!S_ISREG(st.st_mode)) return;
    const QString name = QFile::decodeName(raw);
    if (wanted(name) && !IsHiddenName(name)) matching.append(raw);
  });
  if (!read) return std::nullopt;
  return matching;
}

// Those files with their stamps.
std::optional<QList<StampedFile>> StampedFiles(int folder, const std::function<bool(const QString&)>& wanted) {
  const auto matching = MatchingFiles(folder, wanted);
  if (!matching) return std::nullopt;
  QList<StampedFile> files;
  for (const QByteArray& raw : *matching) {
    struct stat st {};
    // Gone since the listing, or no plain file after all: left out.
    if (::fstatat(folder, raw.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
      files.append(StampedFile{QFile::decodeName(raw), StampOf(st)});
  }
  return files;
}

}  // namespace

std::optional<QList<StampedFile>> HeldFiles::List(const QString& patterns) const {
  if (!fd_) return std::nullopt;
  const auto regexes = Patterns(patterns);
  return StampedFiles(*fd_, [&regexes](const QString& name) { return Matches(regexes, name); });
}

std::optional<QList<StampedFile>> HeldFiles::ListNamed(const QStringList& names) const {
  if (!fd_) return std::nullopt;
  QSet<QString> wanted;
  for (const QString& name : names) wanted.insert(name.toUpper());
  return StampedFiles(*fd_, [&wanted](const QString& name) { return wanted.contains(name.toUpper()); });
}

std::optional<QStringList> HeldFiles::Names(const QString& patterns) const {
  if (!fd_) return std::nullopt;
  const auto regexes = Patterns(patterns);
  const auto matching = MatchingFiles(*fd_, [&regexes](const QString& name) { return Matches(regexes, name); });
  if (!matching) return std::nullopt;
  QStringList names;
  for (const QByteArray& raw : *matching) names.append(QFile::decodeName(raw));
  SortWithoutCase(names);
  return names;
}

std::optional<FileStamp> HeldFiles::Stamp(const QString& name) const {
  if (!fd_ || !IsSafeName(name)) return std::nullopt;
  struct stat st {};
  if (::fstatat(*fd_, QFile::encodeName(name).constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
    return std::nullopt;
  return StampOf(st);
}

std::optional<QByteArray> HeldFiles::Read(const QString& name, FileStamp* stamp) const {
  if (!fd_ || !IsSafeName(name)) return std::nullopt;
  // Never a link, and never waiting on a pipe someone put there.
  const Fd fd(::openat(*fd_, QFile::encodeName(name).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (!fd.ok()) return std::nullopt;
  return ReadOpenFile(fd.get(), stamp);
}

}  // namespace disk
