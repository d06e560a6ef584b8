#pragma once
// Copying whole files between drives so that a pulled stick or a full disk
// never leaves half a file behind, and so that what the program calls done
// is on the device, not only in the cache.

#include <QString>
#include <optional>

namespace disk {

// Copies the file `name` from the folder `fromFolder` into the folder
// `toFolder` (path texts ending in "\"), as `cp -p` would: same name (a file
// there whose name differs only in letter case is replaced under its own
// spelling), same modification time. The bytes go to a temporary file
// beside the target, which is flushed to the device and then renamed over
// the target. Only a plain file is copied, never what a link points to.
// False when anything fails; the target is then as it was.
bool CopyFileInto(const QString& fromFolder, const QString& name, const QString& toFolder);

// Flushes a folder's entries (files renamed or made in it) to the device.
bool FlushFolder(const QString& folder);

// Modification time of a file in milliseconds since the epoch.
std::optional<qint64> ModifiedMs(const QString& path);

// Size of a file in bytes.
std::optional<qint64> FileSize(const QString& path);

}  // namespace disk
