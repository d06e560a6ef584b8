// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/FolderEntries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace disk {

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

}  // namespace disk
