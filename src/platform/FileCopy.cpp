// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/FileCopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <cerrno>
#include <vector>

#include "platform/Disk.h"

namespace disk {

namespace {

// A file descriptor that closes itself.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  // Closes now and reports whether the last writes made it.
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return fd >= 0 && ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= size_t(n);
  }
  return true;
}

bool CopyBytes(int from, int to, off_t size) {
  // In the kernel where it can; byte by byte through a buffer across file
  // systems that do not allow that.
  off_t left = size;
  while (left > 0) {
    const ssize_t n = ::copy_file_range(from, nullptr, to, nullptr, size_t(left), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) &&
        left == size)
      break;
    if (n <= 0) return false;
    left -= n;
  }
  if (left == 0) return true;
  std::vector<char> buffer(1 << 20);
  for (;;) {
    const ssize_t n = ::read(from, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (!WriteAll(to, buffer.data(), size_t(n))) return false;
  }
}

// The names already in a folder, by their letters without case.
QHash<QString, QString> FolderEntries(const QString& dir) {
  QHash<QString, QString> names;
  const QStringList entries =
      QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  for (const QString& entry : entries) names.insert(entry.toCaseFolded(), entry);
  return names;
}

}  // namespace

struct FolderCopy::State {
  struct Pending {
    std::unique_ptr<Fd> file;
    QByteArray temp;
    QByteArray target;
    qint64 size = 0;
  };
  QString dir;                                     // host folder
  std::optional<QHash<QString, QString>> entries;  // read once, kept up to date
  std::unique_ptr<Fd> folder;
  std::vector<Pending> pending;
  qint64 bytes = 0;

  void Discard(Pending& p) {
    p.file.reset();
    ::unlinkat(folder->get(), p.temp.constData(), 0);
  }
};

FolderCopy::FolderCopy(const QString& toFolder) : state_(std::make_unique<State>()) {
  // Everything happens inside the target folder itself, never through a
  // link in its place.
  if (const auto dir = HostPath(toFolder)) {
    state_->dir = *dir;
    state_->folder = std::make_unique<Fd>(::open(QFile::encodeName(*dir).constData(),
                                                 O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  }
}

FolderCopy::~FolderCopy() {
  for (auto& p : state_->pending) state_->Discard(p);
}

qint64 FolderCopy::PendingBytes() const { return state_->bytes; }

bool FolderCopy::Add(const QString& fromFolder, const QString& name) {
  State& s = *state_;
  if (!s.folder || !s.folder->ok() || !IsSafeName(name)) return false;
  const auto source = HostPath(fromFolder + name);
  if (!source) return false;
  // No link is followed and nothing but a plain file is read (a pipe would
  // wait for ever).
  Fd in(::open(QFile::encodeName(*source).constData(),
               O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat st {};
  if (!in.ok() || ::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;

  State::Pending p;
  // A file whose name differs only in case is replaced under its spelling.
  if (!s.entries) s.entries = FolderEntries(s.dir);
  const QString target = s.entries->value(name.toCaseFolded(), name);
  s.entries->insert(name.toCaseFolded(), target);
  p.target = QFile::encodeName(target);
  p.temp = ".pikorama-" + QByteArray::number(QRandomGenerator::global()->generate(), 16) + ".tmp";
  p.file = std::make_unique<Fd>(
      ::openat(s.folder->get(), p.temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (!p.file->ok()) return false;
  bool ok = CopyBytes(in.get(), p.file->get(), st.st_size);
  if (ok) {
    ::fchmod(p.file->get(), st.st_mode & 0777);  // FAT sticks keep no modes
    const timespec times[2] = {st.st_atim, st.st_mtim};
    ok = ::futimens(p.file->get(), times) == 0;
  }
  if (!ok) {
    s.Discard(p);
    return false;
  }
  p.size = st.st_size;
  s.bytes += st.st_size;
  s.pending.push_back(std::move(p));
  return true;
}

int FolderCopy::Finish(const std::function<void(qint64 bytes)>& written) {
  State& s = *state_;
  if (s.pending.empty()) return 0;
  // Every file's bytes are written out and their errors seen here; then one
  // flush of the device makes all of them last, instead of one flush per
  // file, which costs a wait on the device each. Only then do the files
  // take their names.
  int failed = 0;
  constexpr unsigned kWriteOut =
      SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
  for (auto& p : s.pending) ::sync_file_range(p.file->get(), 0, 0, SYNC_FILE_RANGE_WRITE);
  std::vector<bool> out;
  for (auto& p : s.pending) {
    out.push_back(::sync_file_range(p.file->get(), 0, 0, kWriteOut) == 0);
    if (written) written(p.size);
  }
  const bool flushed = ::syncfs(s.folder->get()) == 0;
  for (size_t i = 0; i < s.pending.size(); ++i) {
    auto& p = s.pending[i];
    const bool ok =
        out[i] && flushed && p.file->close() &&
        ::renameat(s.folder->get(), p.temp.constData(), s.folder->get(), p.target.constData()) == 0;
    if (!ok) {
      ++failed;
      s.Discard(p);
    }
  }
  s.pending.clear();
  s.bytes = 0;
  if (::fsync(s.folder->get()) != 0) ++failed;
  return failed;
}

bool FlushFolder(const QString& folder) {
  const auto dir = HostPath(folder);
  if (!dir) return false;
  Fd fd(::open(QFile::encodeName(*dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return fd.ok() && ::fsync(fd.get()) == 0;
}

std::optional<qint64> ModifiedMs(const QString& path) {
  const auto host = HostPath(path);
  if (!host) return std::nullopt;
  const QFileInfo info(*host);
  if (!info.exists()) return std::nullopt;
  return info.lastModified().toMSecsSinceEpoch();
}

std::optional<qint64> FileSize(const QString& path) {
  const auto host = HostPath(path);
  if (!host) return std::nullopt;
  const QFileInfo info(*host);
  if (!info.isFile()) return std::nullopt;
  return info.size();
}

}  // namespace disk
