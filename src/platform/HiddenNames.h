// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The names of the program's own working files and folders in the folders
// it shares with the children's stories: a whole file on its way to its
// place, a deleted story on its way out. No listing shows them and no copy
// carries them. Every such name begins with ".pikorama-"; the temporary
// files of earlier versions ("Menu.txt.~pikorama-Ab12Cd") count as well.

#include <QString>
#include <QStringView>

namespace disk {

// A random part of a name or token: `length` lower-case letters and digits,
// new at every call. Names match without regard to letter case (on a USB
// stick or a Windows share as well), so a name may never rely on it; the
// same 36 characters are safe in every file name.
QString RandomNamePart(int length);

// True for every name that is the program's own working file or folder,
// and for the lock files of a shared folder.
bool IsHiddenName(QStringView name);

// A temporary file of a whole-file write: ".pikorama-XXXXXXXX.tmp", new at
// every call.
QString NewTempName();
bool IsTempName(QStringView name);

// A story folder being deleted: ".pikorama-deleted-XXXXXXXX", new at every
// call; its journal beside it is the same name followed by ".txt".
QString NewDeletedFolderName();
bool IsDeletedFolderName(QStringView name);

}  // namespace disk
