// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/RecentFolder.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>

#include "platform/DrivePaths.h"

namespace disk {

std::shared_ptr<const int> Share(Fd fd) {
  return std::shared_ptr<const int>(new int(fd.release()), [](const int* held) {
    ::close(*held);
    delete held;
  });
}

std::shared_ptr<const int> ExactFolder(const QString& root, const QStringList& parts) {
  if (parts.isEmpty()) return nullptr;
  if (auto fd = RecentFolder::Instance().Find(root, parts)) return fd;
  const Fd rootFolder(::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!rootFolder.ok()) return nullptr;
  Fd fd = OpenBeneath(rootFolder.get(), parts, O_RDONLY | O_DIRECTORY);
  if (!fd.ok()) return nullptr;
  auto shared = Share(std::move(fd));
  RecentFolder::Instance().Keep(root, parts, shared);
  return shared;
}

}  // namespace disk
