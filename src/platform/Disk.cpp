// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/Disk.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QRegularExpression>
#include <QRandomGenerator>

#include <algorithm>

#include "platform/RemovableDrives.h"
#include "platform/SharedLock.h"
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/TextCodec.h"

namespace disk {

namespace {

struct PathText {
  QChar drive;
  QStringList parts;  // components after the drive root
};

std::optional<PathText> Parse(const QString& path) {
  if (path.size() < 3 || path.at(1) != u':' || path.at(2) != u'\\') return std::nullopt;
  const QChar drive = path.at(0).toUpper();
  if (drive < u'A' || drive > u'Z') return std::nullopt;
  QStringList parts = path.mid(3).split(u'\\');
  if (!parts.isEmpty() && parts.last().isEmpty()) parts.removeLast();  // folder text
  for (const QString& part : parts) {
    if (!IsSafeName(part) || part.contains(QChar(0))) return std::nullopt;
  }
  return PathText{drive, parts};
}

// The entry of `dir` whose name equals `name` without regard to case; an
// exact match wins.
std::optional<QString> FindEntry(const QString& dir, const QString& name) {
  const QString exact = dir + u'/' + name;
  if (QFileInfo::exists(exact) || QFileInfo(exact).isSymLink()) return exact;
  const QStringList entries =
      QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                          QDir::Name);
  for (const QString& entry : entries) {
    if (entry.compare(name, Qt::CaseInsensitive) == 0) return dir + u'/' + entry;
  }
  return std::nullopt;
}

// Whole-file writes go to a temporary file beside the target, named
// "<name>.~pikorama-XXXXXX", which replaces the target by a rename only once
// every byte is known to be on the disk. A copy killed half-way leaves at
// most such a file, which ListFiles never shows.
constexpr char kTempMark[] = ".~pikorama-";

bool IsTempName(const QString& entry) {
  static const QRegularExpression re(QStringLiteral("\\.~pikorama-[A-Za-z0-9]{6}$"));
  return re.match(entry).hasMatch();
}

// Files no listing shows: temporary files of whole-file writes and the
// lock files of a folder shared between computers (SharedLock.h).
bool IsHiddenName(const QString& entry) { return IsTempName(entry) || SharedLock::IsLockName(entry); }

QByteArray RandomSuffix() {
  static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  QByteArray suffix(6, 'x');
  for (char& c : suffix) c = kChars[QRandomGenerator::global()->bounded(62)];
  return suffix;
}

// Writes all of `bytes`, however the kernel splits it; false on the first
// failed write (a full disk, a file-size limit, a pulled USB stick).
bool WriteAll(int fd, const char* data, qint64 size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size_t(std::min<qint64>(size, 1 << 20)));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    data += n;
    size -= n;
  }
  return true;
}

bool Replace(const QString& host, const QByteArray& bytes) {
  const QByteArray target = QFile::encodeName(host);
  // A file that may not be written stays as it is, although the rename
  // below could replace it: a write-protected list is never rewritten.
  if (::access(target.constData(), F_OK) == 0 && ::access(target.constData(), W_OK) != 0) return false;
  QByteArray temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = target + kTempMark + RandomSuffix();
    fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  auto fail = [&] {
    ::close(fd);
    ::unlink(temp.constData());
    return false;
  };
  // A replaced file keeps its permissions.
  struct stat old {};
  if (::stat(target.constData(), &old) == 0 && S_ISREG(old.st_mode))
    ::fchmod(fd, old.st_mode & 07777);

  if (!WriteAll(fd, bytes.constData(), bytes.size())) return fail();
  // Some file systems report a full disk only when the data is flushed.
  if (::fdatasync(fd) != 0 && errno != EINVAL && errno != EROFS) return fail();
  if (::close(fd) != 0) {
    ::unlink(temp.constData());
    return false;
  }
  if (::rename(temp.constData(), target.constData()) != 0) {
    ::unlink(temp.constData());
    return false;
  }
  return true;
}

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

}  // namespace

std::optional<QString> DriveRoot(QChar letter) {
  letter = letter.toUpper();
  if (letter < u'A' || letter > u'Z') return std::nullopt;
  const QByteArray var = "PIKORAMA_DRIVE_" + QByteArray(1, char(letter.unicode()));
  QString root = qEnvironmentVariable(var.constData());
  // Without its variable, C: is the home folder; with no home folder at all
  // it is a missing drive rather than the host's top folder.
  if (root.isEmpty() && letter == u'C') root = qEnvironmentVariable("HOME");
  if (root.isEmpty()) root = RemovableDriveRoot(letter).value_or(QString());
  if (root.isEmpty()) return std::nullopt;
  QFileInfo info(root);
  if (!info.isDir()) return std::nullopt;
  return QDir::cleanPath(info.absoluteFilePath());
}

bool IsSafeName(const QString& name) {
  return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'\\') &&
         !name.contains(u'/');
}

std::optional<QString> HostPath(const QString& path) {
  const auto parsed = Parse(path);
  if (!parsed) return std::nullopt;
  const auto root = DriveRoot(parsed->drive);
  if (!root) return std::nullopt;
  // Mostly every component is spelled as on the disk: one question to the
  // file system instead of one per component (on a network share each
  // question is a round trip to the server).
  if (!parsed->parts.isEmpty()) {
    const QString exact = *root + u'/' + parsed->parts.join(u'/');
    if (QFileInfo::exists(exact)) return exact;
  }
  QString host = *root;
  bool existing = true;
  for (const QString& part : parsed->parts) {
    if (existing) {
      if (auto found = FindEntry(host, part)) {
        host = *found;
        continue;
      }
      existing = false;
    }
    host += u'/' + part;
  }
  return host;
}

bool Exists(const QString& path) {
  const auto host = HostPath(path);
  return host && QFileInfo::exists(*host);
}

bool FileExists(const QString& path) {
  const auto host = HostPath(path);
  return host && QFileInfo(*host).isFile();
}

bool FolderExists(const QString& path) {
  const auto host = HostPath(path);
  return host && QFileInfo(*host).isDir();
}

bool CreateFolder(const QString& folder) {
  const auto host = HostPath(folder);
  if (!host || QFileInfo::exists(*host)) return false;
  return QDir().mkdir(*host);
}

bool RemoveFolder(const QString& folder) {
  const auto host = HostPath(folder);
  if (!host || !QFileInfo(*host).isDir()) return false;
  return QDir().rmdir(*host);
}

bool RenameFolder(const QString& from, const QString& to) {
  const auto source = HostPath(from);
  const auto target = HostPath(to);
  if (!source || !target || !QFileInfo(*source).isDir()) return false;
  // The target keeps the spelling it was given, in the folder it resolves to.
  const QString parent = QFileInfo(*target).path();
  QString name = to;
  while (name.endsWith(u'\\')) name.chop(1);
  name = name.mid(name.lastIndexOf(u'\\') + 1);
  const QString spelled = parent + u'/' + name;
  if (QFileInfo::exists(*target)) {
    // Only a change of letter case of the same folder is allowed.
    if (QFileInfo(*target).canonicalFilePath() != QFileInfo(*source).canonicalFilePath())
      return false;
    if (spelled == *source) return true;
  }
  return QDir().rename(*source, spelled);
}

bool DeleteFile(const QString& file) {
  const auto host = HostPath(file);
  if (!host || !QFileInfo(*host).isFile()) return false;
  return QFile::remove(*host);
}

QStringList ListFiles(const QString& folder, const QString& patterns) {
  const auto host = HostPath(folder);
  if (!host || !QFileInfo(*host).isDir()) return {};
  const auto regexes = Patterns(patterns);
  QStringList names;
  const QStringList entries = QDir(*host).entryList(QDir::Files | QDir::Hidden | QDir::System);
  for (const QString& entry : entries) {
    if (IsHiddenName(entry)) continue;
    for (const auto& re : regexes) {
      if (re.match(entry).hasMatch()) {
        names.append(entry);
        break;
      }
    }
  }
  std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) < 0;
  });
  return names;
}

QStringList ListFolders(const QString& folder) {
  const auto host = HostPath(folder);
  if (!host || !QFileInfo(*host).isDir()) return {};
  QStringList names = QDir(*host).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
  std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) < 0;
  });
  return names;
}

QString ExistingDrives() {
  QString letters;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    if (DriveRoot(QChar(letter))) letters += QChar(letter);
  }
  return letters;
}

int DeleteFiles(const QString& folder, const QString& pattern) {
  const auto host = HostPath(folder);
  if (!host) return 0;
  int deleted = 0;
  for (const QString& name : ListFiles(folder, pattern)) {
    if (QFile::remove(*host + u'/' + name)) ++deleted;
  }
  // Leftovers of writes cut short by a crash go with the files they were
  // meant to replace, so that an emptied folder can be removed.
  const auto regexes = Patterns(pattern);
  const qsizetype markLength = qsizetype(sizeof kTempMark) - 1 + 6;
  for (const QString& entry : QDir(*host).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
    if (!IsTempName(entry)) continue;
    const QString meant = entry.left(entry.size() - markLength);
    for (const auto& re : regexes) {
      if (re.match(meant).hasMatch()) {
        QFile::remove(*host + u'/' + entry);
        break;
      }
    }
  }
  return deleted;
}

bool CopyFile(const QString& from, const QString& to) {
  const auto bytes = ReadBytes(from);
  return bytes && WriteBytes(to, *bytes);
}

std::optional<QByteArray> ReadBytes(const QString& file) {
  const auto host = HostPath(file);
  if (!host) return std::nullopt;
  // Plain calls, as few as can be: open, one status, the reads, close.
  const int fd = ::open(QFile::encodeName(*host).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  QByteArray bytes;
  bool read = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (read) bytes.resize(qsizetype(st.st_size) + 1);
  qsizetype size = 0;
  while (read) {
    if (size == bytes.size()) bytes.resize(size * 2 + 4096);
    const ssize_t n = ::read(fd, bytes.data() + size, size_t(bytes.size() - size));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      read = n == 0;
      break;
    }
    size += n;
  }
  ::close(fd);
  if (!read) return std::nullopt;
  bytes.resize(size);
  return bytes;
}

bool WriteBytes(const QString& file, const QByteArray& bytes) {
  const auto host = HostPath(file);
  return host && WriteHostBytes(*host, bytes);
}

bool WriteHostBytes(const QString& hostPath, const QByteArray& bytes) {
  if (QFileInfo(hostPath).isDir()) return false;
  return Replace(hostPath, bytes);
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

}  // namespace disk
