// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Reaching a file or folder of a drive without ever passing through a link.
// The drive's own host folder is taken as configured; from there each step
// of a path text is opened inside the folder held from the step before,
// never following a symbolic link, so a link on a USB stick (to a folder of
// the computer, say) leads nowhere: what it points to is never read or
// written. Names match without regard to letter case, an exact match first.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

#include <sys/stat.h>

namespace disk {

// A file descriptor that closes itself.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { reset(); }
  Fd(Fd&& other) noexcept : fd_(other.release()) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = other.release();
    }
    return *this;
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void reset(int fd = -1);
  // Closes now; false when the last writes did not make it.
  bool close();

 private:
  int fd_;
};

// An entry of a folder reached without a link: the held folder that holds
// it, its name there (as spelled on disk when it exists, else as asked),
// and what it is.
struct Entry {
  Fd folder;
  QByteArray name;
  bool exists = false;
  struct stat st {};  // of the entry itself (a link is a link), when it exists

  bool isFile() const { return exists && S_ISREG(st.st_mode); }
  bool isFolder() const { return exists && S_ISDIR(st.st_mode); }
  bool isLink() const { return exists && S_ISLNK(st.st_mode); }
};

// A path text taken apart: the drive letter (upper case) and the names
// after the drive root. Nothing for a text that is no safe path (see
// Disk.h).
struct PathText {
  QChar drive;
  QStringList parts;
};
std::optional<PathText> ParsePathText(const QString& path);

// The drive's host folder, open. Not ok for a missing drive.
Fd OpenDriveRoot(QChar drive, int* error = nullptr);

// The path text's entry opened with `flags` in one question to the file
// system, when it is spelled exactly as on the disk and no step below the
// drive's folder is a link (on a network share every question is a round
// trip to the server). Not ok otherwise: the caller then goes step by step.
Fd OpenExact(const PathText& path, int flags);

// The entry a path text names ("C:\A\B.txt", "C:\A\B\"), its folder open.
// Nothing for a missing drive, an unsafe path text, the drive root itself,
// or when a step on the way is missing, no folder, or a link; `error` then
// tells which (ENOENT, ENOTDIR, ELOOP for a link, EACCES ...).
std::optional<Entry> Locate(const QString& path, int* error = nullptr);

// The folder a path text names, open for reading; the drive root for
// "D:\". Not ok when it is missing, a link, or a link is on the way.
Fd OpenFolder(const QString& folder, int* error = nullptr);

// A plain file opened for reading. Not ok when it is missing (ENOENT), a
// link or behind one (ELOOP), no plain file, or cannot be read (EACCES).
Fd OpenFile(const QString& file, int* error = nullptr);

// The name of `name`'s entry in the held folder, as spelled on disk: the
// exact name when there, else one that differs only in letter case.
// Nothing when there is none; `st` gets its status (of a link itself).
std::optional<QByteArray> FindName(int folder, const QString& name, struct stat* st);

}  // namespace disk
