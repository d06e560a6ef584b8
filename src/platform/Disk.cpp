// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/Disk.h"

#include "platform/BusyRetry.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QRegularExpression>
#include <QSet>
#include <QThreadPool>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <functional>
#include <chrono>
#include <condition_variable>
#include <latch>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/HeldFolder.h"
#include "platform/HiddenNames.h"
#include "platform/RemovableDrives.h"
#include "platform/TextCodec.h"
#include "platform/WholeFile.h"

namespace disk {

namespace {

QList<QRegularExpression> Patterns(const QString& patterns) {
  QList<QRegularExpression> list;
  for (const QString& p : patterns.split(u';', Qt::SkipEmptyParts)) {
    QString glob = p.trimmed();
    // "*.*" means every file, also one without a dot, as on the PCs the
    // program comes from.
    if (glob == u"*.*") glob = QStringLiteral("*");
    list.append(QRegularExpression(QRegularExpression::wildcardToRegularExpression(glob),
                                   QRegularExpression::CaseInsensitiveOption));
  }
  return list;
}

bool Matches(const QList<QRegularExpression>& regexes, const QString& name) {
  return std::any_of(regexes.begin(), regexes.end(),
                     [&](const QRegularExpression& re) { return re.match(name).hasMatch(); });
}

bool TakesEverything(const QString& patterns) {
  for (const QString& p : patterns.split(u';', Qt::SkipEmptyParts))
    if (p.trimmed() == u"*.*" || p.trimmed() == u"*") return true;
  return false;
}

// Calls `each` with the name and status (of a link itself) of every entry
// of the held folder. False when the folder cannot be read.
// Calls `each` with the name and kind (st_mode only) of every entry.
bool ForEachEntry(int folder, const std::function<void(const QByteArray&, const struct stat&)>& each) {
  const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  DIR* dir = ::fdopendir(fd);
  if (!dir) {
    ::close(fd);
    return false;
  }
  errno = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const QByteArray name(entry->d_name);
    if (name == "." || name == "..") continue;
    // Only the kind of entry is asked for. Most file systems tell it with
    // the name; a question per entry is a round trip per story on a share.
    struct stat st {};
    switch (entry->d_type) {
      case DT_REG: st.st_mode = S_IFREG; break;
      case DT_DIR: st.st_mode = S_IFDIR; break;
      case DT_LNK: st.st_mode = S_IFLNK; break;
      case DT_UNKNOWN:
        if (::fstatat(folder, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) st.st_mode = 0;
        break;
      default: st.st_mode = 0;  // pipes, devices, sockets: none of the stories'
    }
    if (st.st_mode != 0) each(name, st);
    errno = 0;
  }
  const bool complete = errno == 0;
  ::closedir(dir);
  return complete;
}

FileStamp StampOf(const struct stat& st) {
  return FileStamp{qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

// The whole of an open plain file, in as few reads as can be (on a share
// each call is a round trip): the size the file has now is read at once,
// and a read that stops short of the buffer at that size is the end.
std::optional<QByteArray> ReadOpenFile(int fd, FileStamp* stamp) {
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  if (stamp) *stamp = StampOf(st);
  const qsizetype expected = qsizetype(st.st_size);
  QByteArray bytes(std::max<qsizetype>(expected + 1, 4096), Qt::Uninitialized);
  qsizetype size = 0;
  for (;;) {
    if (size == bytes.size()) bytes.resize(size * 2 + 4096);
    const qsizetype wanted = bytes.size() - size;
    const ssize_t n = ::read(fd, bytes.data() + size, size_t(wanted));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    size += n;
    if (n == 0 || (n < wanted && size >= expected)) break;
  }
  bytes.resize(size);
  return bytes;
}

void SortWithoutCase(QStringList& names) {
  std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) < 0;
  });
}

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

namespace {

// The host folder drive `letter` stands for as configured, not yet asked
// whether it exists.
std::optional<QString> RootText(QChar letter) {
  letter = letter.toUpper();
  if (letter < u'A' || letter > u'Z') return std::nullopt;
  const QByteArray var = "PIKORAMA_DRIVE_" + QByteArray(1, char(letter.unicode()));
  QString root = qEnvironmentVariable(var.constData());
  // Without its variable, C: is the home folder; with no home folder at all
  // it is a missing drive rather than the host's top folder.
  if (root.isEmpty() && letter == u'C') root = qEnvironmentVariable("HOME");
  if (root.isEmpty()) root = RemovableDriveRoot(letter).value_or(QString());
  if (root.isEmpty()) return std::nullopt;
  return QDir::cleanPath(QFileInfo(root).absoluteFilePath());
}

// `parts` below the held drive folder `root`, opened in one question when
// spelled exactly as on disk and no step is a link.
Fd OpenBeneath(int root, const QStringList& parts, int flags) {
  struct open_how how {};
  how.flags = std::uint64_t(flags | O_NOFOLLOW | O_CLOEXEC);
  how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_BENEATH;
  const QByteArray relative = QFile::encodeName(parts.join(u'/'));
  return Fd(int(::syscall(SYS_openat2, root, relative.constData(), &how, sizeof how)));
}

// The name of `name`'s entry in the held folder as spelled on disk, as
// FindName finds it, with the folder read in as few calls as can be.
std::optional<QByteArray> FindSpelling(int folder, const QString& name, struct stat* st) {
  const QByteArray exact = QFile::encodeName(name);
  if (::fstatat(folder, exact.constData(), st, AT_SYMLINK_NOFOLLOW) == 0) return exact;
  if (errno != ENOENT) return std::nullopt;
  const Fd listing(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!listing.ok()) return std::nullopt;
  alignas(8) char buffer[32768];
  for (;;) {
    const long n = ::syscall(SYS_getdents64, listing.get(), buffer, sizeof buffer);
    if (n <= 0) break;
    for (long at = 0; at < n;) {
      const auto* entry = reinterpret_cast<const struct dirent64*>(buffer + at);
      at += entry->d_reclen;
      const QByteArray spelled(entry->d_name);
      if (spelled == "." || spelled == "..") continue;
      if (QFile::decodeName(spelled).compare(name, Qt::CaseInsensitive) == 0 &&
          ::fstatat(folder, spelled.constData(), st, AT_SYMLINK_NOFOLLOW) == 0)
        return spelled;
    }
  }
  errno = ENOENT;
  return std::nullopt;
}

std::shared_ptr<const int> Share(Fd fd) {
  return std::shared_ptr<const int>(new int(fd.release()), [](const int* held) {
    ::close(*held);
    delete held;
  });
}

// The folder last reached by its exact spelling, held a moment after its
// last use: the steps of one thing the child does (a card's lock, its
// list, the strip and the card) each name the same story folder, and on a
// file server every walk from the drive's folder costs round trips. Only
// a quarter of a second after its last use it is let go (by a thread of
// its own, so no folder stays held while the program waits: a USB stick
// can be ejected), and a folder renamed or replaced since is walked again.
class RecentFolder {
 public:
  static constexpr std::chrono::milliseconds kKeptFor{250};

  static RecentFolder& Instance() {
    static RecentFolder* const recent = new RecentFolder;  // never destroyed: its thread may outlive statics
    return *recent;
  }

  std::shared_ptr<const int> Find(const QString& root, const QStringList& parts) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (!fd_ || root_ != root || parts_ != parts || Clock::now() >= until_) return nullptr;
    until_ = Clock::now() + kKeptFor;
    return fd_;
  }

  // A folder renamed or removed here is walked again at once.
  void Forget() {
    std::shared_ptr<const int> old;
    std::lock_guard<std::mutex> guard(mutex_);
    old = std::move(fd_);
  }

  void Keep(const QString& root, const QStringList& parts, std::shared_ptr<const int> fd) {
    std::shared_ptr<const int> old;
    {
      std::lock_guard<std::mutex> guard(mutex_);
      old = std::exchange(fd_, std::move(fd));
      root_ = root;
      parts_ = parts;
      until_ = Clock::now() + kKeptFor;
      if (!running_) {
        running_ = true;
        std::thread([this] { LetGo(); }).detach();
      }
    }
    wake_.notify_all();
  }

 private:
  using Clock = std::chrono::steady_clock;

  void LetGo() {
    std::unique_lock<std::mutex> guard(mutex_);
    for (;;) {
      if (!fd_) {
        wake_.wait(guard);
        continue;
      }
      if (wake_.wait_until(guard, until_) == std::cv_status::timeout && Clock::now() >= until_) {
        std::shared_ptr<const int> old = std::move(fd_);
        guard.unlock();
        old.reset();  // closed outside the lock
        guard.lock();
      }
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  bool running_ = false;
  QString root_;
  QStringList parts_;
  std::shared_ptr<const int> fd_;
  Clock::time_point until_;
};

// The folder `parts` (at least one) below the drive folder `root`, spelled
// exactly as on disk and reached without a link: the recent one, or opened
// in one question below the drive's folder and kept. Nothing otherwise.
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

}  // namespace

std::optional<QString> DriveRoot(QChar letter) {
  const auto root = RootText(letter);
  if (!root || !QFileInfo(*root).isDir()) return std::nullopt;
  return root;
}

bool IsSafeName(const QString& name) {
  return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'\\') &&
         !name.contains(u'/');
}

std::optional<QString> HostPath(const QString& path) {
  const auto parsed = ParsePathText(path);
  if (!parsed) return std::nullopt;
  const auto root = RootText(parsed->drive);
  if (!root) return std::nullopt;
  const QStringList& parts = parsed->parts;
  // The folder spelled exactly and only the last name looked for in it: a
  // file about to be made (a lock file) costs one listing of its folder,
  // not a walk of the whole path.
  if (parts.size() > 1) {
    const QStringList folderParts = parts.mid(0, parts.size() - 1);
    if (const auto folder = ExactFolder(*root, folderParts)) {
      const QString host = *root + u'/' + folderParts.join(u'/') + u'/';
      struct stat st {};
      if (const auto name = FindSpelling(*folder, parts.last(), &st)) {
        if (S_ISLNK(st.st_mode)) return std::nullopt;
        return host + QFile::decodeName(*name);
      }
      return host + parts.last();
    }
  }
  // The drive's folder, held for every step below: a missing one is a
  // missing drive.
  const Fd rootFolder(::open(QFile::encodeName(*root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!rootFolder.ok()) return std::nullopt;
  if (parts.isEmpty()) return *root;
  if (OpenBeneath(rootFolder.get(), parts, O_PATH).ok()) return *root + u'/' + parts.join(u'/');
  Fd folder(::dup(rootFolder.get()));
  QString host = *root;
  for (const QString& part : parts) {
    if (folder.ok()) {
      struct stat st {};
      if (const auto name = FindName(folder.get(), part, &st)) {
        if (S_ISLNK(st.st_mode)) return std::nullopt;
        host += u'/' + QFile::decodeName(*name);
        folder.reset(S_ISDIR(st.st_mode) ? ::openat(folder.get(), name->constData(),
                                                    O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)
                                         : -1);
        continue;
      }
      folder.reset();
    }
    host += u'/' + part;
  }
  return host;
}

bool Exists(const QString& path) {
  const auto parsed = ParsePathText(path);
  if (parsed && parsed->parts.isEmpty()) return OpenDriveRoot(parsed->drive).ok();
  const auto entry = Locate(path);
  return entry && entry->exists;
}

bool FileExists(const QString& path) {
  const auto entry = Locate(path);
  return entry && entry->isFile();
}

bool FolderExists(const QString& path) { return OpenFolder(path).ok(); }

bool IsBehindLink(const QString& path) {
  int error = 0;
  const auto entry = Locate(path, &error);
  return entry ? entry->isLink() : error == ELOOP;
}

bool CanRead(const QString& file) { return OpenFile(file).ok(); }

bool HoldsLink(const QString& folder) {
  const Fd fd = OpenFolder(folder);
  bool link = false;
  if (fd.ok()) ForEachEntry(fd.get(), [&](const QByteArray&, const struct stat& st) { link |= S_ISLNK(st.st_mode); });
  return link;
}

bool CreateFolder(const QString& folder) {
  const auto entry = Locate(folder);
  if (!entry || entry->exists) return false;
  return ::mkdirat(entry->folder.get(), entry->name.constData(), 0777) == 0;
}

bool RemoveFolder(const QString& folder) {
  RecentFolder::Instance().Forget();
  const auto entry = Locate(folder);
  if (!entry || !entry->isFolder()) return false;
  return RetryWhileBusy([&] { return ::unlinkat(entry->folder.get(), entry->name.constData(), AT_REMOVEDIR); }) == 0;
}

bool RenameFolder(const QString& from, const QString& to) {
  RecentFolder::Instance().Forget();
  const auto source = Locate(from);
  const auto target = Locate(to);
  if (!source || !target || !source->isFolder()) return false;
  // The target keeps the spelling it was given, in the folder it resolves to.
  const QByteArray spelled = QFile::encodeName(ParsePathText(to)->parts.last());
  if (target->exists) {
    // Only a change of letter case of the same folder is allowed.
    if (target->st.st_dev != source->st.st_dev || target->st.st_ino != source->st.st_ino)
      return false;
    if (spelled == source->name) return true;
    return RetryWhileBusy([&] {
             return ::renameat(source->folder.get(), source->name.constData(), target->folder.get(),
                               spelled.constData());
           }) == 0;
  }
  // Never over a folder that has come meanwhile.
  if (RetryWhileBusy([&] {
        return ::renameat2(source->folder.get(), source->name.constData(), target->folder.get(),
                           spelled.constData(), RENAME_NOREPLACE);
      }) == 0)
    return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  struct stat st {};
  if (::fstatat(target->folder.get(), spelled.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) return false;
  return RetryWhileBusy([&] {
           return ::renameat(source->folder.get(), source->name.constData(), target->folder.get(),
                             spelled.constData());
         }) == 0;
}

bool DeleteFile(const QString& file) {
  const auto entry = Locate(file);
  if (!entry || !(entry->isFile() || entry->isLink())) return false;
  return RetryWhileBusy([&] { return ::unlinkat(entry->folder.get(), entry->name.constData(), 0); }) == 0;
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

std::optional<QString> VolumeOf(const QString& folder) {
  const Fd fd = OpenFolder(folder);
  struct stat st {};
  if (!fd.ok() || ::fstat(fd.get(), &st) != 0) return std::nullopt;
  return QStringLiteral("%1:%2").arg(quint64(st.st_dev)).arg(quint64(st.st_ino));
}

QString ExistingDrives() {
  QString letters;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    if (DriveRoot(QChar(letter))) letters += QChar(letter);
  }
  return letters;
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

bool CopyFile(const QString& from, const QString& to) {
  const auto bytes = ReadBytes(from);
  return bytes && WriteBytes(to, *bytes);
}

std::optional<QByteArray> ReadBytes(const QString& file) { return ReadBytes(file, nullptr); }

std::optional<QByteArray> ReadBytes(const QString& file, FileStamp* stamp) {
  // Spelled exactly as on disk, the file is one question below its drive's
  // folder; otherwise it is found step by step.
  if (const auto parsed = ParsePathText(file); parsed && parsed->parts.size() > 1) {
    if (const auto root = RootText(parsed->drive)) {
      if (const auto folder = ExactFolder(*root, parsed->parts.mid(0, parsed->parts.size() - 1))) {
        // Never a link, and never waiting on a pipe someone put there.
        const Fd fd(::openat(*folder, QFile::encodeName(parsed->parts.last()).constData(),
                             O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (fd.ok()) return ReadOpenFile(fd.get(), stamp);
      }
    }
  }
  const Fd fd = OpenFile(file);
  if (!fd.ok()) return std::nullopt;
  return ReadOpenFile(fd.get(), stamp);
}

bool WriteBytes(const QString& file, const QByteArray& bytes) {
  const auto entry = Locate(file);
  if (!entry) return false;
  WholeFile out(entry->folder.get(), entry->name);
  return out.Write(bytes) && out.Commit();
}

bool WriteHostBytes(const QString& hostPath, const QByteArray& bytes) {
  // A folder of the computer chosen by the user: links there are theirs.
  const QFileInfo target(hostPath);
  const Fd folder(::open(QFile::encodeName(target.absolutePath()).constData(),
                         O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder.ok() || target.fileName().isEmpty()) return false;
  WholeFile out(folder.get(), QFile::encodeName(target.fileName()));
  return out.Write(bytes) && out.Commit();
}

std::optional<QStringList> ReadLines(const QString& file) {
  const auto bytes = ReadBytes(file);
  if (!bytes) return std::nullopt;
  return text::SplitLines(text::Decode(*bytes));
}

bool WriteLines(const QString& file, const QStringList& lines) {
  QByteArray bytes;
  for (const QString& line : lines) {
    const auto encoded = text::Encode(line);
    if (!encoded) return false;
    bytes += *encoded;
    bytes += "\r\n";
  }
  return WriteBytes(file, bytes);
}

std::optional<QList<QByteArray>> ReadRawLines(const QString& file) {
  const auto bytes = ReadBytes(file);
  if (!bytes) return std::nullopt;
  return text::SplitRawLines(*bytes);
}

bool WriteRawLines(const QString& file, const QList<QByteArray>& lines) {
  QByteArray bytes;
  for (const QByteArray& line : lines) {
    bytes += line;
    bytes += "\r\n";
  }
  return WriteBytes(file, bytes);
}

bool AppendLine(const QString& file, const QString& line) {
  const auto encoded = text::Encode(line);
  if (!encoded) return false;
  QByteArray bytes;
  if (FileExists(file)) {
    const auto old = ReadBytes(file);
    if (!old) return false;
    bytes = *old;
    // A last line without its ending would run into the new one.
    if (!bytes.isEmpty() && !bytes.endsWith('\n') && !bytes.endsWith('\r')) bytes += "\r\n";
  }
  bytes += *encoded;
  bytes += "\r\n";
  return WriteBytes(file, bytes);
}

std::optional<QImage> ReadImage(const QString& file) {
  auto bytes = ReadBytes(file);
  if (!bytes) return std::nullopt;
  QBuffer buffer(&*bytes);
  QImageReader reader(&buffer);
  QImage image = reader.read();
  if (image.isNull()) return std::nullopt;
  return image;
}

bool WriteImage(const QString& file, const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  if (!writer.write(image.convertToFormat(QImage::Format_RGB888))) return false;
  buffer.close();
  return WriteBytes(file, bytes);
}

void AskTogether(const std::vector<std::function<void()>>& questions) {
  if (questions.empty()) return;
  // Never destroyed, and its threads kept while the program runs: the
  // strip's ten thumbnails and a card's two files are the most asked
  // together, questions asked within questions included.
  static QThreadPool* const pool = [] {
    auto* threads = new QThreadPool;
    threads->setMaxThreadCount(32);
    threads->setExpiryTimeout(-1);
    return threads;
  }();
  std::latch done(std::ptrdiff_t(questions.size()) - 1);
  for (std::size_t i = 1; i < questions.size(); ++i)
    pool->start([&questions, &done, i] {
      questions[i]();
      done.count_down();
    });
  questions[0]();
  done.wait();
}

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
