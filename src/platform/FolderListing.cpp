// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// What a folder holds: its files and folders listed by name, the program's
// own working files apart, and files deleted by pattern.

#include "platform/Disk.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

#include "platform/BusyRetry.h"
#include "platform/FolderEntries.h"
#include "platform/HeldFolder.h"
#include "platform/HiddenNames.h"

namespace disk {

namespace {

// The entries of a folder of one kind, without the program's own.
std::optional<QStringList> Names(const QString& folder, bool files, const QString& patterns) {
  const Fd fd = OpenFolder(folder);
  if (!fd.ok()) return std::nullopt;
  const auto regexes = Patterns(patterns);
  QStringList names;
  const bool read = ForEachEntry(fd.get(), [&](const QByteArray& raw, const struct stat& st) {
    if (files ? !S_ISREG(st.st_mode) : !S_ISDIR(st.st_mode)) return;
    const QString name = QFile::decodeName(raw);
    if (IsHiddenName(name)) return;
    if (files && !Matches(regexes, name)) return;
    names.append(name);
  });
  if (!read) return std::nullopt;
  SortWithoutCase(names);
  return names;
}

}  // namespace

bool HoldsLink(const QString& folder) {
  const Fd fd = OpenFolder(folder);
  bool link = false;
  if (fd.ok()) ForEachEntry(fd.get(), [&](const QByteArray&, const struct stat& st) { link |= S_ISLNK(st.st_mode); });
  return link;
}

QStringList ListFiles(const QString& folder, const QString& patterns) {
  return ReadFolder(folder, patterns).value_or(QStringList());
}

std::optional<QStringList> ReadFolder(const QString& folder, const QString& patterns) {
  return Names(folder, true, patterns);
}

QStringList ListFolders(const QString& folder) {
  return Names(folder, false, QString()).value_or(QStringList());
}

QStringList ListOwnEntries(const QString& folder) {
  const Fd fd = OpenFolder(folder);
  QStringList names;
  if (!fd.ok()) return names;
  ForEachEntry(fd.get(), [&](const QByteArray& raw, const struct stat& st) {
    const QString name = QFile::decodeName(raw);
    if ((S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) && IsHiddenName(name)) names.append(name);
  });
  SortWithoutCase(names);
  return names;
}

int DeleteFiles(const QString& folder, const QString& pattern) {
  const Fd fd = OpenFolder(folder);
  if (!fd.ok()) return 0;
  const auto regexes = Patterns(pattern);
  const bool everything = TakesEverything(pattern);
  QList<QByteArray> files, others;
  ForEachEntry(fd.get(), [&](const QByteArray& raw, const struct stat& st) {
    if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) return;
    const QString name = QFile::decodeName(raw);
    if (IsHiddenName(name)) {
      // Leftovers of writes cut short go with everything else, so that an
      // emptied folder can be removed.
      if (everything && IsTempName(name)) others.append(raw);
    } else if (Matches(regexes, name)) {
      (S_ISREG(st.st_mode) ? files : others).append(raw);
    }
  });
  int deleted = 0;
  for (const QByteArray& name : files)
    deleted += RetryWhileBusy([&] { return ::unlinkat(fd.get(), name.constData(), 0); }) == 0;
  for (const QByteArray& name : others) ::unlinkat(fd.get(), name.constData(), 0);
  return deleted;
}

}  // namespace disk
