// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/InstanceLock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/Disk.h"

namespace {

// The data root as one text the same at every start: the canonical host
// folder, or for a root not made yet the canonical folder of its nearest
// existing parent with the rest as spelled. Letter case does not count, as
// the program itself finds "a_pikora" when it asks for "A_PIKORA".
QString RootKey(const QString& dataRootPathText) {
  const auto host = disk::HostPath(dataRootPathText);
  if (!host) return QStringLiteral("text:") + dataRootPathText.toUpper();
  QString existing = QDir::cleanPath(*host);
  QString rest;
  while (!QFileInfo::exists(existing) && existing != QStringLiteral("/")) {
    rest = u'/' + QFileInfo(existing).fileName() + rest;
    existing = QFileInfo(existing).path();
  }
  const QString canonical = QFileInfo(existing).canonicalFilePath();
  return QStringLiteral("host:") + ((canonical.isEmpty() ? existing : canonical) + rest).toLower();
}

QString RuntimeFolder() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) return runtime;
  return QStandardPaths::writableLocation(QStandardPaths::TempLocation);
}

}  // namespace

QString InstanceLock::LockFilePath(const QString& dataRootPathText) {
  const QByteArray hash =
      QCryptographicHash::hash(RootKey(dataRootPathText).toUtf8(), QCryptographicHash::Sha256)
          .toHex()
          .left(24);
  return RuntimeFolder() + QStringLiteral("/pikorama-") + QString::fromLatin1(hash) +
         QStringLiteral(".lock");
}

std::unique_ptr<InstanceLock> InstanceLock::Acquire(const QString& dataRootPathText) {
  std::unique_ptr<InstanceLock> lock(new InstanceLock(LockFilePath(dataRootPathText)));
  // Never stale by age: only a lock whose copy is no longer running is.
  lock->file_.setStaleLockTime(0);
  if (lock->file_.tryLock(0)) {
    lock->held_ = true;
    return lock;
  }
  if (lock->file_.error() == QLockFile::LockFailedError) return nullptr;
  return lock;
}
