// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The program's own files on this computer, kept between runs: they live in
// the program's state folder (the user's local application data), never on
// a story drive, so nothing of them travels with a copied story. Files are
// named by plain names inside that folder.
//
// Every write is whole or not at all (see HostFiles.h). Every operation
// reports success or failure and never shows a message.

#include <QByteArray>
#include <QString>
#include <optional>

namespace state {

// Writes `bytes` as the whole file `name`, making the folder when needed.
bool Write(const QString& name, const QByteArray& bytes);
// The whole file, or nothing when it is missing or unreadable.
std::optional<QByteArray> Read(const QString& name);
// True when the file is gone afterwards (a missing file counts).
bool Remove(const QString& name);
bool Exists(const QString& name);

}  // namespace state
