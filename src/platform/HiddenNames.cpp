// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/HiddenNames.h"

#include <QRandomGenerator>
#include <QRegularExpression>

#include "platform/SharedLock.h"

namespace disk {

namespace {

const QString kMark = QStringLiteral(".pikorama-");
const QString kDeleted = QStringLiteral(".pikorama-deleted-");
constexpr int kRandomLength = 8;

bool IsRandomPart(QStringView part) {
  if (part.size() != kRandomLength) return false;
  for (const QChar c : part)
    if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'))) return false;
  return true;
}

}  // namespace

QString RandomNamePart(int length) {
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  QString part(length, u'x');
  for (QChar& c : part) c = QLatin1Char(kChars[QRandomGenerator::global()->bounded(36)]);
  return part;
}

// Temporary files as earlier versions named them, beside the target
// ("Menu.txt.~pikorama-Ab12Cd") or on their own (".pikorama-Ab12Cd",
// ".pikorama-1f2e3d.tmp"): hidden and cleared away the same.
bool IsEarlierTempName(QStringView name) {
  static const QRegularExpression earlier(
      QStringLiteral("(\\.~pikorama-[A-Za-z0-9]{6}|^\\.pikorama-[A-Za-z0-9]{6}|^\\.pikorama-[0-9a-f]{1,8}\\.tmp)$"));
  return earlier.match(name).hasMatch();
}

// The lock files of a folder shared between computers (SharedLock.h) are
// hidden too, but never cleared away as leftovers: they go when stale.
bool IsHiddenName(QStringView name) {
  return name.startsWith(kMark) || IsEarlierTempName(name) || SharedLock::IsLockName(name.toString());
}

QString NewTempName() { return kMark + RandomNamePart(kRandomLength) + QStringLiteral(".tmp"); }

bool IsTempName(QStringView name) {
  return (name.startsWith(kMark) && name.endsWith(u".tmp") &&
          IsRandomPart(name.mid(kMark.size(), name.size() - kMark.size() - 4))) ||
         IsEarlierTempName(name);
}

QString NewDeletedFolderName() { return kDeleted + RandomNamePart(kRandomLength); }

bool IsDeletedFolderName(QStringView name) {
  return name.startsWith(kDeleted) && IsRandomPart(name.mid(kDeleted.size()));
}

}  // namespace disk
