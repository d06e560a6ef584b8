// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/Disk.h"

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

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <functional>

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
  // The drive's folder, held for every step below: a missing one is a
  // missing drive.
  const Fd rootFolder(::open(QFile::encodeName(*root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!rootFolder.ok()) return std::nullopt;
  const QStringList& parts = parsed->parts;
  if (parts.isEmpty()) return *root;
  if (OpenBeneath(rootFolder.get(), parts, O_PATH).ok()) return *root + u'/' + parts.join(u'/');
  // The folder spelled exactly and only the last name looked for in it: a
  // file about to be made (a lock file) costs one listing of its folder,
  // not a walk of the whole path.
  if (parts.size() > 1) {
    const QStringList folderParts = parts.mid(0, parts.size() - 1);
    if (const Fd folder = OpenBeneath(rootFolder.get(), folderParts, O_PATH | O_DIRECTORY); folder.ok()) {
      const QString host = *root + u'/' + folderParts.join(u'/') + u'/';
      struct stat st {};
      if (const auto name = FindName(folder.get(), parts.last(), &st)) {
        if (S_ISLNK(st.st_mode)) return std::nullopt;
        return host + QFile::decodeName(*name);
      }
      return host + parts.last();
    }
  }
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
  const auto entry = Locate(folder);
  if (!entry || !entry->isFolder()) return false;
  return ::unlinkat(entry->folder.get(), entry->name.constData(), AT_REMOVEDIR) == 0;
}

bool RenameFolder(const QString& from, const QString& to) {
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
    return ::renameat(source->folder.get(), source->name.constData(), target->folder.get(),
                      spelled.constData()) == 0;
  }
  // Never over a folder that has come meanwhile.
  if (::renameat2(source->folder.get(), source->name.constData(), target->folder.get(),
                  spelled.constData(), RENAME_NOREPLACE) == 0)
    return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  struct stat st {};
  if (::fstatat(target->folder.get(), spelled.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) return false;
  return ::renameat(source->folder.get(), source->name.constData(), target->folder.get(),
                    spelled.constData()) == 0;
}

bool DeleteFile(const QString& file) {
  const auto entry = Locate(file);
  if (!entry || !(entry->isFile() || entry->isLink())) return false;
  return ::unlinkat(entry->folder.get(), entry->name.constData(), 0) == 0;
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
  for (const QByteArray& name : files) deleted += ::unlinkat(fd.get(), name.constData(), 0) == 0;
  for (const QByteArray& name : others) ::unlinkat(fd.get(), name.constData(), 0);
  return deleted;
}

bool CopyFile(const QString& from, const QString& to) {
  const auto bytes = ReadBytes(from);
  return bytes && WriteBytes(to, *bytes);
}

std::optional<QByteArray> ReadBytes(const QString& file) { return ReadBytes(file, nullptr); }

std::optional<QByteArray> ReadBytes(const QString& file, FileStamp* stamp) {
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

HeldFiles::HeldFiles(const QString& folder) {
  // Spelled exactly as on disk, the folder is one question below its
  // drive's; otherwise it is found step by step.
  Fd fd;
  const auto parsed = ParsePathText(folder);
  const auto root = parsed ? RootText(parsed->drive) : std::nullopt;
  if (root && !parsed->parts.isEmpty()) {
    const Fd rootFolder(::open(QFile::encodeName(*root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (rootFolder.ok()) fd = OpenBeneath(rootFolder.get(), parsed->parts, O_RDONLY | O_DIRECTORY);
  }
  if (!fd.ok()) fd = OpenFolder(folder);
  if (fd.ok()) fd_ = std::shared_ptr<const int>(new int(fd.release()), [](const int* held) {
    ::close(*held);
    delete held;
  });
}

namespace {

// The names of the plain files in a held folder that match `patterns`, as
// spelled on disk, the program's working files left out.
std::optional<QList<QByteArray>> MatchingFiles(int folder, const QString& patterns) {
  const auto regexes = Patterns(patterns);
  QList<QByteArray> matching;
  const bool read = ForEachEntry(folder, [&](const QByteArray& raw, const struct stat& st) {
    if (!S_ISREG(st.st_mode)) return;
    const QString name = QFile::decodeName(raw);
    if (!IsHiddenName(name) && Matches(regexes, name)) matching.append(raw);
  });
  if (!read) return std::nullopt;
  return matching;
}

}  // namespace

std::optional<QList<StampedFile>> HeldFiles::List(const QString& patterns) const {
  if (!fd_) return std::nullopt;
  const auto matching = MatchingFiles(*fd_, patterns);
  if (!matching) return std::nullopt;
  QList<StampedFile> files;
  for (const QByteArray& raw : *matching) {
    struct stat st {};
    // Gone since the listing, or no plain file after all: left out.
    if (::fstatat(*fd_, raw.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
      files.append(StampedFile{QFile::decodeName(raw), StampOf(st)});
  }
  return files;
}

std::optional<QStringList> HeldFiles::Names(const QString& patterns) const {
  if (!fd_) return std::nullopt;
  const auto matching = MatchingFiles(*fd_, patterns);
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
