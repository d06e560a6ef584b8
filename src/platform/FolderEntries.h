// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The entries of a folder held open, for the parts of the file layer
// (Disk.h): file-name patterns as ListFiles takes them, one listing of the
// folder, the stamp of a file and the whole of an open file in as few reads
// as can be.

#include <QByteArray>
#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include <sys/stat.h>

#include "platform/Disk.h"

namespace disk {

// The patterns separated by ";" ("*.BMP;*.JPG"), each matching without
// regard to case.
QList<QRegularExpression> Patterns(const QString& patterns);
bool Matches(const QList<QRegularExpression>& regexes, const QString& name);
// True when one of the patterns takes every file ("*.*" or "*").
bool TakesEverything(const QString& patterns);

// Calls `each` with the name and kind (st_mode only) of every entry of the
// held folder. False when the folder cannot be read.
bool ForEachEntry(int folder, const std::function<void(const QByteArray&, const struct stat&)>& each);

FileStamp StampOf(const struct stat& st);

// The whole of an open plain file and its stamp; nothing when it is no
// plain file or cannot be read.
std::optional<QByteArray> ReadOpenFile(int fd, FileStamp* stamp);

void SortWithoutCase(QStringList& names);

}  // namespace disk
