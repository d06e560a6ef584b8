// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// From a path text's drive to its host folder, for the parts of the file
// layer (Disk.h): the folder a drive letter is configured to stand for, and
// a path below it opened in one question when spelled exactly as on disk.

#include <QChar>
#include <QString>
#include <QStringList>
#include <optional>

#include "platform/HeldFolder.h"

namespace disk {

// The host folder drive `letter` stands for as configured, not yet asked
// whether it exists.
std::optional<QString> RootText(QChar letter);

// `parts` below the held drive folder `root`, opened in one question when
// spelled exactly as on disk and no step is a link.
Fd OpenBeneath(int root, const QStringList& parts, int flags);

}  // namespace disk
