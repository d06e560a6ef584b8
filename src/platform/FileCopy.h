// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Copying whole files between drives so that a pulled stick or a full disk
// never leaves half a file behind, and so that what the program calls done
// is on the device, not only in the cache.

#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace disk {

// Copies files into one folder (a path text ending in "\"), as `cp -p`
// would, a group at a time:
// - Add() copies one file of `fromFolder` under the same name (a file there
//   whose name differs only in letter case is replaced under its own
//   spelling), with the same modification time, into a temporary file
//   beside its target. Only a plain file is copied, never what a link
//   points to; the writes stay inside the folder even when a link has
//   taken its place.
// - Finish() writes the group out and flushes the device once, then renames
//   each file over its target in the order they were added and flushes the
//   folder. One flush for the group costs the device far fewer waits than
//   one per file.
// Temporary files that were not finished are removed; a target is either as
// it was or the whole new file.
class FolderCopy {
 public:
  explicit FolderCopy(const QString& toFolder);
  ~FolderCopy();
  FolderCopy(const FolderCopy&) = delete;
  FolderCopy& operator=(const FolderCopy&) = delete;

  // False when the file could not be written (it is then left out).
  bool Add(const QString& fromFolder, const QString& name);
  // How many files of the group did not make it to their targets (the
  // folder's own flush failing counts as one). `written` hears of each
  // file's size once its bytes are out on the device, which on a slow
  // stick is most of the time a copy takes.
  int Finish(const std::function<void(qint64 bytes)>& written = {});
  // Bytes added since the last Finish().
  qint64 PendingBytes() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Flushes a folder's entries (files renamed or made in it) to the device.
bool FlushFolder(const QString& folder);

// Modification time of a file in milliseconds since the epoch.
std::optional<qint64> ModifiedMs(const QString& path);

// Size of a file in bytes.
std::optional<qint64> FileSize(const QString& path);

}  // namespace disk
