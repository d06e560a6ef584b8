// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Removable media as drive letters. A USB stick that the desktop mounts
// under /media/<user>/ (or /run/media/<user>/) is a drive like on the school
// PCs: the sticks mounted when the program first looks are D:, E: ... in the
// order they were mounted. A letter keeps its volume (known by its file
// system's UUID, else its device) for the whole run: a stick that is pulled
// leaves its letter a missing drive until the same stick comes back, and a
// stick seen for the first time takes the lowest letter not given out yet,
// so no letter ever comes to mean another child's stick. A letter whose
// PIKORAMA_DRIVE_<letter> is set keeps that folder instead and is given to
// no stick. The mount table is read anew at every lookup.

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

// The host folder of the removable volume drive `letter` stands for, or
// nothing when no volume has the letter or its volume is not mounted now.
std::optional<QString> RemovableDriveRoot(QChar letter);

namespace testing {
// Reads the mount table from `table` and takes volumes inside
// `mediaFolders`; an empty `table` goes back to the host's own. Either way
// the letters given out so far are forgotten, as at a new start.
void SetMountTable(std::function<QByteArray()> table, QStringList mediaFolders = {});
}  // namespace testing

}  // namespace disk
