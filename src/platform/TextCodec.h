// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The program's text files are in windows-31j (Shift_JIS as Windows writes
// it), lines ended by CR LF, so that files made on a Windows school PC read
// here byte for byte and the other way round.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace text {

// The text in windows-31j, or nothing when a character has no windows-31j
// form (it would be lost on the way to disk).
std::optional<QByteArray> Encode(const QString& s);
bool CanEncode(const QString& s);
QString Decode(const QByteArray& bytes);

// Splits file content into lines. A line ends at CR LF, CR or LF; a final
// line without an ending still counts, an ending at the very end of the
// file starts no further line, so an empty file has no lines and "\r\n"
// has one empty line.
QStringList SplitLines(const QString& content);
// The same split on the file's bytes, each line kept byte for byte.
QList<QByteArray> SplitRawLines(const QByteArray& content);
// One line in windows-31j, or nothing when its bytes are not windows-31j
// (a file from elsewhere, a damaged line).
std::optional<QString> DecodeLine(const QByteArray& line);

}  // namespace text
