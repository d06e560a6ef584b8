// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The one way the program writes a whole file: the bytes go to a temporary
// file beside the target (named as HiddenNames.h says) that takes the
// target's place by a rename only once all of it is on the device. On a
// full disk, a pulled stick or a crash the old file stays byte for byte; a
// crash leaves at most the temporary file, which no listing shows and which
// the program removes once it is older than a minute, the next time it
// writes in that folder.

#include <QByteArray>
#include <optional>

#include <sys/types.h>

#include "platform/HeldFolder.h"

namespace disk {

class WholeFile {
 public:
  // A new content for `name` in the held folder `folder`, which must stay
  // open while this lives. Not ok() when the target is a folder or a link,
  // is there but may not be written, or the temporary file cannot be made.
  // The file keeps the mode of the file it replaces; a new one gets
  // `newMode` when given, else the usual mode (0666 less the umask).
  WholeFile(int folder, const QByteArray& name, std::optional<mode_t> newMode = std::nullopt);
  ~WholeFile();
  WholeFile(const WholeFile&) = delete;
  WholeFile& operator=(const WholeFile&) = delete;

  bool ok() const { return file_.ok(); }
  // The temporary file, to write to.
  int fd() const { return file_.get(); }
  bool Write(const char* data, qint64 size);
  bool Write(const QByteArray& bytes) { return Write(bytes.constData(), bytes.size()); }
  // Copies `size` bytes from `from`, in the kernel where it can.
  bool CopyFrom(int from, off_t size);

  // Waits until the bytes are on the device, then puts the file in place.
  // False when any of it failed: the target is as it was and the
  // temporary file is gone.
  bool Commit();
  // Puts the file in place without waiting, for a caller that made the
  // whole device flush already. False as for Commit.
  bool Place();
  // Drops the temporary file; the target stays as it was.
  void Discard();

 private:
  int folder_;
  QByteArray name_;
  QByteArray temp_;
  Fd file_;
};

// Removes the temporary files of whole-file writes older than a minute in
// the held folder (at most once a minute for the same folder).
void RemoveLeftovers(int folder);

namespace testing {
// Makes the next write in any folder look for leftovers again.
void ForgetLeftoverChecks();
}  // namespace testing

}  // namespace disk
