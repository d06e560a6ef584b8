// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Removable media as drive letters. A USB stick that the desktop mounts
// under /media/<user>/ (or /run/media/<user>/) is a drive like on the school
// PCs: the first mounted volume is D:, the next E:, and so on in the order
// they were mounted. A letter whose PIKORAMA_DRIVE_<letter> is set keeps
// that folder instead. The mount table is read anew at every lookup, so a
// stick plugged in while the program runs is there at the next lookup.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace disk {

// The mount points in `mountinfo` (text in the form of /proc/self/mountinfo,
// whose lines are in mount order) that lie directly inside one of
// `mediaFolders`, in mount order, each once.
QStringList RemovableVolumes(const QByteArray& mountinfo, const QStringList& mediaFolders);

// Where the desktop mounts the login user's removable media.
QStringList MediaFolders();

// The host folder of the removable volume drive `letter` stands for (D: the
// first volume), or nothing.
std::optional<QString> RemovableDriveRoot(QChar letter);

namespace testing {
// Reads the mount table from `table` and takes volumes inside
// `mediaFolders`; an empty `table` goes back to the host's own.
void SetMountTable(std::function<QByteArray()> table, QStringList mediaFolders = {});
}  // namespace testing

}  // namespace disk
