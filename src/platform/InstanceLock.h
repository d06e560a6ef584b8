// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// One running copy of the program per data folder. Two copies writing the
// same Menu.txt and card files would undo each other's work, so a second
// copy started on the same data root is told so and ends.
//
// The lock file lives in the user's runtime folder ($XDG_RUNTIME_DIR, else
// the temporary folder), never among the children's files, named after a
// hash of the data root's host folder. A lock left by a copy that was killed
// is taken over.

#include <QLockFile>
#include <QString>
#include <memory>

class InstanceLock {
 public:
  // Takes the lock for the data root `dataRootPathText` ("C:\A_PIKORA\").
  // Nothing when another running copy holds it. When no lock file can be
  // made at all (no writable runtime folder), the program is not kept from
  // starting: the result then holds nothing (held() is false).
  static std::unique_ptr<InstanceLock> Acquire(const QString& dataRootPathText);

  // The lock file that stands for `dataRootPathText`.
  static QString LockFilePath(const QString& dataRootPathText);

  bool held() const { return held_; }

  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

 private:
  explicit InstanceLock(const QString& lockFile) : file_(lockFile) {}
  QLockFile file_;
  bool held_ = false;
};
