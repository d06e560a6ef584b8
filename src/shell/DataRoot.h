// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The data root A_PIKORA on a chosen drive, and the class folders in it.

#include <QString>

class LibraryState;
class Session;

// "CLASS_" with the grade and class digits of class button k (0..29).
QString ClassFolderName(int k);

// The text the drive dialog's button i (0..7) makes the data root.
QString DataRootOnDrive(int i);

// The drive dialog's button i: the data root moves to that drive, taking
// its lock along. A data root another running copy holds is refused with a
// message and the current one stays. False when the data root stayed.
bool MoveDataRoot(Session& session, int i);

// Class button k: after the child confirms, opens the class for the rest
// of the run and shows its first story and card.
void ChooseClass(Session& session, int k);
