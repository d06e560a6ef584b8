// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Removable media as drive letters. A USB stick that the desktop mounts
// under /media/<user>/ (or /run/media/<user>/) is a drive like on the school
// PCs: the sticks mounted when the program first looks are D:, E: ... in the
// order they were mounted. The exchange window reaches D:, E: and F: only,
// so the letters are shared out like this:
//
// - A stick keeps its letter while it is in, and gets it back when it is
//   pulled and plugged in again (wherever the desktop mounts it then) as
//   long as no other stick was given the letter meanwhile.
// - A stick seen for the first time (or one whose letter went to another)
//   takes the lowest of D:, E:, F: never given out in this run; when all
//   three were, the lowest of them whose stick is gone and that no part of
//   the program holds (DriveLetterHold: the exchange window's drive, the
//   data root); only when none is free, a letter from G: on by the same
//   rule. A stick on G: or later moves down to such a free letter of
//   D:..F: as soon as one is free and its own letter is not held.
// - A letter some part of the program holds keeps its stick while that
//   stick is out: the letter stays a missing drive until the same stick
//   comes back or the holder lets go. So a save, a copy or a list in hand
//   never silently goes to another child's stick.
//
// So a stick that is in is on one of D:, E:, F: whenever at most three are
// in and no held letter of a pulled stick stands in the way.
//
// A stick is known by its device's serial (the name of its link in
// /dev/disk/by-id) and its file system's UUID (/dev/disk/by-uuid), and
// while it stays mounted also by its mount and device number. Two sticks
// made from one image share a UUID: their serials, or while both are in
// their devices, tell them apart, so neither takes the other's letter. A
// stick with neither link is known by its device number. A letter whose
// PIKORAMA_DRIVE_<letter> is set keeps that folder instead and is given to
// no stick. The mount table is read anew at every lookup.

#include <QByteArray>
#include <QChar>
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

// Held by a part of the program that works on a drive's files and keeps
// something read from it (a list shown, the data root): while it holds a
// letter, that letter is not given to another stick when its own stick is
// pulled. Holding a letter no stick has keeps nothing.
class DriveLetterHold {
 public:
  DriveLetterHold() = default;
  explicit DriveLetterHold(QChar letter) { Hold(letter); }
  ~DriveLetterHold() { Hold(QChar()); }
  DriveLetterHold(const DriveLetterHold&) = delete;
  DriveLetterHold& operator=(const DriveLetterHold&) = delete;

  // Holds `letter` instead of the letter held before; QChar() lets go.
  void Hold(QChar letter);
  QChar letter() const { return letter_; }

 private:
  QChar letter_;
};

namespace testing {
// Reads the mount table from `table` and takes volumes inside
// `mediaFolders`, with the device links of `deviceLinks` (a folder holding
// by-uuid/ and by-id/ as /dev/disk does; none when empty); an empty `table`
// goes back to the host's own. Either way the letters given out so far are
// forgotten, as at a new start.
void SetMountTable(std::function<QByteArray()> table, QStringList mediaFolders = {},
                   QString deviceLinks = {});
}  // namespace testing

}  // namespace disk
