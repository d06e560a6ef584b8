// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/WholeFile.h"

#include "platform/BusyRetry.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QHash>
#include <QMutex>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <vector>

#include "platform/HiddenNames.h"

namespace disk {

namespace {

// A leftover this old is no write still under way, here or on another
// computer sharing the folder.
constexpr int kLeftoverSeconds = 60;

bool WriteAll(int fd, const char* data, qint64 size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size_t(std::min<qint64>(size, 1 << 20)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;  // a full disk, a size limit, a pulled stick
    data += n;
    size -= n;
  }
  return true;
}

QMutex g_checkedMutex;
QHash<QPair<quint64, quint64>, std::chrono::steady_clock::time_point> g_checked;

}  // namespace

WholeFile::WholeFile(int folder, const QByteArray& name, std::optional<mode_t> newMode)
    : folder_(folder), name_(name) {
  std::optional<mode_t> mode = newMode;
  if (folder < 0 || name.isEmpty()) return;
  RemoveLeftovers(folder);
  struct stat old {};
  if (::fstatat(folder, name.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0) {
    // Only a plain file is replaced, never a folder or a link; and a file
    // that may not be written stays as it is, although the rename could
    // replace it: a write-protected list is never rewritten.
    if (!S_ISREG(old.st_mode) || ::faccessat(folder, name.constData(), W_OK, 0) != 0) return;
    mode = old.st_mode & 07777;
  }
  for (int attempt = 0; attempt < 100 && !file_.ok(); ++attempt) {
    temp_ = QFile::encodeName(NewTempName());
    file_.reset(::openat(folder, temp_.constData(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!file_.ok() && errno != EEXIST) break;
  }
  if (!file_.ok()) {
    temp_.clear();
    return;
  }
  if (mode) ::fchmod(file_.get(), *mode);
}

WholeFile::~WholeFile() { Discard(); }

bool WholeFile::Write(const char* data, qint64 size) {
  return file_.ok() && WriteAll(file_.get(), data, size);
}

bool WholeFile::CopyFrom(int from, off_t size) {
  if (!file_.ok()) return false;
  // In the kernel where it can; through a buffer across file systems that
  // do not allow that.
  off_t left = size;
  while (left > 0) {
    const ssize_t n = ::copy_file_range(from, nullptr, file_.get(), nullptr, size_t(left), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) &&
        left == size)
      break;
    if (n < 0) return false;
    if (n == 0) return false;  // the source is shorter than it was
    left -= n;
  }
  if (left == 0) return true;
  std::vector<char> buffer(1 << 20);
  for (;;) {
    const ssize_t n = ::read(from, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (!WriteAll(file_.get(), buffer.data(), n)) return false;
  }
}

bool WholeFile::Commit() {
  if (!file_.ok()) return false;
  // Some file systems report a full disk only when the data is flushed.
  if (::fdatasync(file_.get()) != 0 && errno != EINVAL && errno != EROFS) {
    Discard();
    return false;
  }
  return Place();
}

bool WholeFile::Place() {
  if (!file_.ok()) return false;
  if (!file_.close() ||
      disk::RetryWhileBusy([&] { return ::renameat(folder_, temp_.constData(), folder_, name_.constData()); },
                           disk::kBusyWait, EEXIST) != 0) {
    Discard();
    return false;
  }
  temp_.clear();
  return true;
}

void WholeFile::Discard() {
  file_.reset();
  if (!temp_.isEmpty()) ::unlinkat(folder_, temp_.constData(), 0);
  temp_.clear();
}

void RemoveLeftovers(int folder) {
  struct stat self {};
  if (::fstat(folder, &self) != 0) return;
  const auto now = std::chrono::steady_clock::now();
  {
    QMutexLocker lock(&g_checkedMutex);
    const QPair<quint64, quint64> key(quint64(self.st_dev), quint64(self.st_ino));
    const auto last = g_checked.constFind(key);
    if (last != g_checked.cend() && now - *last < std::chrono::seconds(kLeftoverSeconds)) return;
    g_checked.insert(key, now);
  }
  const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  DIR* dir = ::fdopendir(fd);
  if (!dir) {
    ::close(fd);
    return;
  }
  const std::time_t oldest = std::time(nullptr) - kLeftoverSeconds;
  while (const dirent* entry = ::readdir(dir)) {
    if (!IsTempName(QFile::decodeName(entry->d_name))) continue;
    struct stat st {};
    if (::fstatat(folder, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
        st.st_mtime < oldest)
      ::unlinkat(folder, entry->d_name, 0);
  }
  ::closedir(dir);
}

namespace testing {
void ForgetLeftoverChecks() {
  QMutexLocker lock(&g_checkedMutex);
  g_checked.clear();
}
}  // namespace testing

}  // namespace disk
