#include "platform/FileCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    return ::close(fd) == 0;
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

// The name the target takes in `dir`: the spelling of an entry there that
// matches `name` without regard to case, else `name`.
QString TargetName(const QString& dir, const QString& name) {
  if (QFileInfo::exists(dir + u'/' + name)) return name;
  const QStringList entries =
      QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  for (const QString& entry : entries)
    if (entry.compare(name, Qt::CaseInsensitive) == 0) return entry;
  return name;
}

}  // namespace

bool CopyFileInto(const QString& fromFolder, const QString& name, const QString& toFolder) {
  if (!IsSafeName(name)) return false;
  const auto source = HostPath(fromFolder + name);
  const auto dir = HostPath(toFolder);
  if (!source || !dir) return false;

  Fd in(::open(QFile::encodeName(*source).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  struct stat st {};
  if (!in.ok() || ::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;

  // Everything happens inside the target folder itself, never through a
  // link in its place.
  Fd folder(::open(QFile::encodeName(*dir).constData(),
                   O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!folder.ok()) return false;
  const QByteArray target = QFile::encodeName(TargetName(*dir, name));
  const QByteArray temp =
      ".pikorama-" + QByteArray::number(QRandomGenerator::global()->generate(), 16) + ".tmp";

  Fd out(::openat(folder.get(), temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (!out.ok()) return false;
  bool ok = CopyBytes(in.get(), out.get(), st.st_size);
  if (ok) {
    ::fchmod(out.get(), st.st_mode & 0777);  // FAT sticks keep no modes
    const timespec times[2] = {st.st_atim, st.st_mtim};
    ok = ::futimens(out.get(), times) == 0;
  }
  ok = ok && ::fsync(out.get()) == 0;
  ok = out.close() && ok;
  ok = ok && ::renameat(folder.get(), temp.constData(), folder.get(), target.constData()) == 0;
  if (!ok) ::unlinkat(folder.get(), temp.constData(), 0);
  return ok;
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
