// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Writing to folders of the computer itself. The program's own files are
// named with path texts (Disk.h); a file the user picks in Qt's save dialog
// is a host path instead. These primitives are the one place where such a
// host path is written.
//
// Every write is whole or not at all, through the program's one whole-file
// writer (WholeFile.h), so a full disk or a folder that cannot be written
// never leaves a half file, and never empties a file that was there.
//
// Every operation reports success or failure and never shows a message.

#include <QByteArray>
#include <QString>

namespace host {

// On a removable volume (a USB stick under the desktop's media folders),
// waits until everything written to it is on the device, so a stick pulled
// right after holds whole files; elsewhere nothing to do. False when the
// device reports an error.
bool FlushRemovable(const QString& hostFolder);

// Writes `bytes` as the whole content of the file `hostPath`.
bool WriteWholeFile(const QString& hostPath, const QByteArray& bytes);

enum class FileCopyResult {
  Copied,
  SourceMissing,     // the path text names no file
  SourceUnreadable,  // there is a file, but it cannot be read (or is a link)
  WriteFailed,    // the target could not be written; it is as it was
};

// Copies the file named by the path text `from` to the host path `to`,
// replacing it whole. A new file is readable by everyone, a replaced one
// keeps its permissions.
FileCopyResult CopyToHost(const QString& from, const QString& to);

}  // namespace host
