// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/FileCopy.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QHash>
#include <vector>

#include "platform/Disk.h"
#include "platform/HeldFolder.h"
#include "platform/HiddenNames.h"
#include "platform/WholeFile.h"

namespace disk {

struct FolderCopy::State {
  struct Pending {
    std::unique_ptr<WholeFile> file;
    qint64 size = 0;
  };
  Fd folder;
  std::optional<QHash<QString, QString>> entries;  // names there by their letters without case
  std::vector<Pending> pending;
  qint64 bytes = 0;

  // The names already in the folder, read once and kept up to date.
  QHash<QString, QString>& Entries() {
    if (!entries) {
      entries.emplace();
      const int fd = ::openat(folder.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr) {
        while (const dirent* entry = ::readdir(dir)) {
          const QString name = QFile::decodeName(entry->d_name);
          entries->insert(name.toCaseFolded(), name);
        }
        ::closedir(dir);
      } else if (fd >= 0) {
        ::close(fd);
      }
    }
    return *entries;
  }
};

FolderCopy::FolderCopy(const QString& toFolder) : state_(std::make_unique<State>()) {
  // Everything happens inside the target folder itself, reached without a
  // link at any step.
  state_->folder = OpenFolder(toFolder);
}

FolderCopy::~FolderCopy() = default;

qint64 FolderCopy::PendingBytes() const { return state_->bytes; }

bool FolderCopy::Add(const QString& fromFolder, const QString& name) {
  State& s = *state_;
  if (!s.folder.ok() || !IsSafeName(name) || IsHiddenName(name)) return false;
  // No link is followed and nothing but a plain file is read.
  const Fd in = OpenFile(fromFolder + name);
  struct stat st {};
  if (!in.ok() || ::fstat(in.get(), &st) != 0) return false;

  // A file whose name differs only in case is replaced under its spelling.
  const QString target = s.Entries().value(name.toCaseFolded(), name);
  s.Entries().insert(name.toCaseFolded(), target);
  auto file = std::make_unique<WholeFile>(s.folder.get(), QFile::encodeName(target));
  if (!file->CopyFrom(in.get(), st.st_size)) return false;
  ::fchmod(file->fd(), st.st_mode & 0777);  // FAT sticks keep no modes
  const timespec times[2] = {st.st_atim, st.st_mtim};
  if (::futimens(file->fd(), times) != 0) return false;
  s.bytes += st.st_size;
  s.pending.push_back({std::move(file), st.st_size});
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
  for (auto& p : s.pending) ::sync_file_range(p.file->fd(), 0, 0, SYNC_FILE_RANGE_WRITE);
  std::vector<bool> out;
  for (auto& p : s.pending) {
    out.push_back(::sync_file_range(p.file->fd(), 0, 0, kWriteOut) == 0);
    if (written) written(p.size);
  }
  const bool flushed = ::syncfs(s.folder.get()) == 0;
  for (size_t i = 0; i < s.pending.size(); ++i) {
    auto& p = s.pending[i];
    if (!(out[i] && flushed && p.file->Place())) {
      ++failed;
      p.file->Discard();
    }
  }
  s.pending.clear();
  s.bytes = 0;
  if (::fsync(s.folder.get()) != 0) ++failed;
  return failed;
}

bool FlushFolder(const QString& folder) {
  const Fd fd = OpenFolder(folder);
  return fd.ok() && ::fsync(fd.get()) == 0;
}

std::optional<qint64> ModifiedMs(const QString& path) {
  const auto entry = Locate(path);
  if (!entry || !entry->exists || entry->isLink()) return std::nullopt;
  return qint64(entry->st.st_mtim.tv_sec) * 1000 + entry->st.st_mtim.tv_nsec / 1000000;
}

std::optional<qint64> FileSize(const QString& path) {
  const auto entry = Locate(path);
  if (!entry || !entry->isFile()) return std::nullopt;
  return entry->st.st_size;
}

}  // namespace disk
