// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/HiddenNames.h"

#include <QRandomGenerator>

namespace disk {

namespace {

const QString kMark = QStringLiteral(".pikorama-");
const QString kDeleted = QStringLiteral(".pikorama-deleted-");
constexpr int kRandomLength = 8;

QString RandomPart() {
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  QString part(kRandomLength, u'x');
  for (QChar& c : part) c = QLatin1Char(kChars[QRandomGenerator::global()->bounded(36)]);
  return part;
}

bool IsRandomPart(QStringView part) {
  if (part.size() != kRandomLength) return false;
  for (const QChar c : part)
    if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'))) return false;
  return true;
}

}  // namespace

bool IsHiddenName(QStringView name) { return name.startsWith(kMark); }

QString NewTempName() { return kMark + RandomPart() + QStringLiteral(".tmp"); }

bool IsTempName(QStringView name) {
  return name.startsWith(kMark) && name.endsWith(u".tmp") &&
         IsRandomPart(name.mid(kMark.size(), name.size() - kMark.size() - 4));
}

QString NewDeletedFolderName() { return kDeleted + RandomPart(); }

bool IsDeletedFolderName(QStringView name) {
  return name.startsWith(kDeleted) && IsRandomPart(name.mid(kDeleted.size()));
}

}  // namespace disk
