// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/StateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/HostFiles.h"

namespace state {

namespace {

// A plain name only: nothing may reach outside the state folder.
std::optional<QString> PathOf(const QString& name) {
  if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") || name.contains(u'/') ||
      name.contains(u'\\'))
    return std::nullopt;
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
  if (folder.isEmpty()) return std::nullopt;
  return folder + u'/' + name;
}

}  // namespace

bool Write(const QString& name, const QByteArray& bytes) {
  const auto path = PathOf(name);
  if (!path) return false;
  QDir().mkpath(QFileInfo(*path).absolutePath());
  return host::WriteWholeFile(*path, bytes);
}

std::optional<QByteArray> Read(const QString& name) {
  const auto path = PathOf(name);
  if (!path) return std::nullopt;
  QFile file(*path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return file.readAll();
}

bool Remove(const QString& name) {
  const auto path = PathOf(name);
  if (!path) return false;
  return !QFile::exists(*path) || QFile::remove(*path);
}

bool Exists(const QString& name) {
  const auto path = PathOf(name);
  return path && QFile::exists(*path);
}

}  // namespace state
