// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The file layer. The rest of the program names files and folders with the
// path texts of a school PC: "C:\A_PIKORA\CLASS_11\Menu.txt", folders ending
// in a backslash. This layer alone turns them into host paths:
//
// - A drive letter stands for a host folder: the environment variable
//   PIKORAMA_DRIVE_<letter> names it, and C: is the user's home folder ($HOME)
//   when PIKORAMA_DRIVE_C is not set. A letter without a folder, or whose
//   folder does not exist, is a missing drive: everything on it fails. With
//   neither PIKORAMA_DRIVE_C nor HOME set, C: is missing too.
// - Names match without regard to letter case, one component at a time, as
//   on the PCs the files come from; a new file takes the spelling it is
//   created with.
// - A path whose component is "." or "..", holds a "/", or is empty in the
//   middle of the path ("C:\A\\B") never reaches the host: the operation
//   fails as for a missing file.
// - Whole-file writes (WriteBytes, WriteLines, WriteRawLines, AppendLine,
//   WriteImage, CopyFile) go through a temporary file beside the target that
//   replaces the old file only once every byte is written and flushed. On a
//   full disk, a file-size limit or a crash the old file stays byte for byte
//   and the call returns false. A write killed half-way may leave its
//   temporary file ("<name>.~pikorama-XXXXXX"); ListFiles never shows such
//   files and DeleteFiles removes them with the files they were meant for.
//   Nor does ListFiles show the lock files of a shared folder (SharedLock.h).
//
// Every operation reports success or failure and never shows a message.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <optional>

namespace disk {

// The host folder drive `letter` stands for, or nothing for a missing drive.
std::optional<QString> DriveRoot(QChar letter);

// The host path of `path`, matched case-insensitively against what exists.
// Nothing when the drive is missing or the path is not a safe path text.
std::optional<QString> HostPath(const QString& path);

// True when `name` can be one component of a path: not empty, not "." or
// "..", and without "\" or "/".
bool IsSafeName(const QString& name);

bool Exists(const QString& path);
bool FileExists(const QString& path);
bool FolderExists(const QString& path);

// One level only: the parent folder must exist. False when the folder exists.
bool CreateFolder(const QString& folder);
// Only an empty folder is removed.
bool RemoveFolder(const QString& folder);
// Fails when `to` names another existing file or folder.
bool RenameFolder(const QString& from, const QString& to);

bool DeleteFile(const QString& file);
// Deletes the files directly inside `folder` that match `pattern` ("*.*",
// "*.wav"); sub-folders are left alone. Returns how many were deleted.
int DeleteFiles(const QString& folder, const QString& pattern);
// Names of the files directly inside `folder` matching any of the patterns
// separated by ";" ("*.BMP;*.JPG"), case-insensitively, sorted the same way.
QStringList ListFiles(const QString& folder, const QString& patterns);

// Names of the folders directly inside `folder`, sorted without regard to
// case; nothing for a missing folder.
QStringList ListFolders(const QString& folder);

// The letters (A..Z, upper case) of the drives that exist now, in order.
QString ExistingDrives();

// Copies a file, replacing the target.
bool CopyFile(const QString& from, const QString& to);

std::optional<QByteArray> ReadBytes(const QString& file);
bool WriteBytes(const QString& file, const QByteArray& bytes);
// The same for a file named by its host path (a file the child chose in a
// dialog of the computer's own folders).
bool WriteHostBytes(const QString& hostPath, const QByteArray& bytes);

// Text files in windows-31j. ReadLines splits as text::SplitLines does.
std::optional<QStringList> ReadLines(const QString& file);
// Writes each line followed by CR LF, replacing the file; no lines gives an
// empty file. Fails, leaving the old file whole, when a line holds a
// character windows-31j cannot store.
bool WriteLines(const QString& file, const QStringList& lines);
// The lines of a text file as raw bytes, split as ReadLines splits (CR LF,
// CR or LF end a line; the endings are dropped). Lines the program does not
// understand can so be written back unchanged; text::DecodeLine reads one.
std::optional<QList<QByteArray>> ReadRawLines(const QString& file);
// Writes each line's bytes followed by CR LF, replacing the file.
bool WriteRawLines(const QString& file, const QList<QByteArray>& lines);
// Adds one line with CR LF at the end of the file, creating it if missing.
bool AppendLine(const QString& file, const QString& line);

// Pictures: PNG, BMP or JPEG by content.
std::optional<QImage> ReadImage(const QString& file);
// `format` is "PNG" or "BMP"; the picture is stored as 24-bit RGB.
bool WriteImage(const QString& file, const QImage& image, const char* format);

}  // namespace disk
