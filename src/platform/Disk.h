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
// - From the drive's folder on, no symbolic link is followed at any step of
//   a path (HeldFolder.h): a link is neither a file nor a folder here, and
//   what it points to is never read or written.
// - A path whose component is "." or "..", holds a "/", or is empty in the
//   middle of the path ("C:\A\\B") never reaches the host: the operation
//   fails as for a missing file.
// - Whole-file writes (WriteBytes, WriteLines, WriteRawLines, AppendLine,
//   WriteImage, CopyFile) go through WholeFile.h: the old file is replaced
//   only once every byte is on the device. On a full disk, a file-size
//   limit or a crash the old file stays byte for byte and the call returns
//   false. The program's own working files (HiddenNames.h) are never
//   listed; DeleteFiles with "*.*" removes them with the rest.
//   Nor does ListFiles show the lock files of a shared folder (SharedLock.h).
//
// Every operation reports success or failure and never shows a message.

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace disk {

// The host folder drive `letter` stands for, or nothing for a missing drive.
std::optional<QString> DriveRoot(QChar letter);

// The host path of `path`, matched case-insensitively against what exists.
// Nothing when the drive is missing, the path is not a safe path text, or
// a part of it that exists is a link.
std::optional<QString> HostPath(const QString& path);

// True when `name` can be one component of a path: not empty, not "." or
// "..", and without "\" or "/".
bool IsSafeName(const QString& name);

// Exists: anything of that name, a link too. FileExists and FolderExists:
// a plain file or a folder reached without a link.
bool Exists(const QString& path);
bool FileExists(const QString& path);
bool FolderExists(const QString& path);
// True when the path leads through a link or names one.
bool IsBehindLink(const QString& path);
// True when something directly inside the folder is a link.
bool HoldsLink(const QString& folder);
// True when the plain file can be opened for reading.
bool CanRead(const QString& file);

// One level only: the parent folder must exist. False when the folder exists.
bool CreateFolder(const QString& folder);
// Only an empty folder is removed.
bool RemoveFolder(const QString& folder);
// Fails when `to` names another existing file or folder.
bool RenameFolder(const QString& from, const QString& to);

// Deletes a plain file, or a link itself.
bool DeleteFile(const QString& file);
// Deletes the files (and links) directly inside `folder` that match
// `pattern` ("*.*", "*.wav"); sub-folders are left alone. "*.*" takes the
// program's working files too. Returns how many listed files were deleted.
int DeleteFiles(const QString& folder, const QString& pattern);
// Names of the plain files directly inside `folder` that match any of the
// patterns separated by ";" ("*.BMP;*.JPG"), case-insensitively, sorted the
// same way. Links and the program's working files are left out.
QStringList ListFiles(const QString& folder, const QString& patterns);
// The same, or nothing when the folder cannot be read (missing, a link,
// not allowed).
std::optional<QStringList> ReadFolder(const QString& folder, const QString& patterns);

// Names of the folders directly inside `folder`, sorted without regard to
// case, links and the program's working folders left out; nothing for a
// missing folder.
QStringList ListFolders(const QString& folder);

// Names of the program's own working files and folders directly inside
// `folder` (HiddenNames.h), which the listings above leave out.
QStringList ListOwnEntries(const QString& folder);

// Which folder of which volume `folder` is now ("D:\": the stick in the
// drive): the same text while it stays, another once something else has
// taken its place. Nothing for a missing folder.
std::optional<QString> VolumeOf(const QString& folder);

// The letters (A..Z, upper case) of the drives that exist now, in order.
QString ExistingDrives();

// Copies a file, replacing the target.
bool CopyFile(const QString& from, const QString& to);

std::optional<QByteArray> ReadBytes(const QString& file);
bool WriteBytes(const QString& file, const QByteArray& bytes);
// The same for a file named by its host path (a file the child chose in a
// dialog of the computer's own folders, where links are the user's own).
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

// What tells that a file was written again, here or on another computer:
// its size and modification time as the file system reports them. A
// missing file has the default stamp.
struct FileStamp {
  qint64 size = -1;
  qint64 modifiedNs = -1;
  bool operator==(const FileStamp&) const = default;
};

// A plain file of a listing with its stamp; `name` as spelled on disk.
struct StampedFile {
  QString name;
  FileStamp stamp;
};

// The same as ReadBytes, with the stamp of the file as it was read (from
// the open file, so it belongs to these very bytes).
std::optional<QByteArray> ReadBytes(const QString& file, FileStamp* stamp);

// A folder held open: its path is walked once (never through a link), and
// then its files are listed, stamped and read by name, each in one question
// to the file system. On a file server every question is a round trip, so a
// story's strip and card are read through one held folder, not by walking
// the path again for every file. It may be used from several threads at
// once. Names here are spelled exactly as on disk; a file spelled another
// way is not found (the path-text procedures above find it).
class HeldFiles {
 public:
  explicit HeldFiles(const QString& folder);
  bool ok() const { return fd_ != nullptr; }

  // The plain files matching `patterns` (as ListFiles takes them) with
  // their stamps, in one listing; the program's working files left out.
  // Nothing when the folder cannot be read. The stamps come with the
  // listing on NFS and Samba shares, whose clients keep what the listing
  // told; locally each is a status question to the disk's cache.
  std::optional<QList<StampedFile>> List(const QString& patterns) const;
  // The same for the files of these names, in any letter case.
  std::optional<QList<StampedFile>> ListNamed(const QStringList& names) const;
  // The same names without their stamps: the listing alone.
  std::optional<QStringList> Names(const QString& patterns) const;
  // The stamp of the plain file `name`; nothing when there is no plain
  // file of exactly that name.
  std::optional<FileStamp> Stamp(const QString& name) const;
  // The bytes of the plain file `name` and their stamp.
  std::optional<QByteArray> Read(const QString& name, FileStamp* stamp = nullptr) const;

 private:
  std::shared_ptr<const int> fd_;  // closed with the last copy
};

// Runs every one of `questions` at the same time and returns once all are
// done: on a file server each question waits for its round trip, so ten
// asked together wait about as long as one. The first runs on the calling
// thread, the others on threads kept for this (making a thread for each
// would itself cost calls to the system). A question may ask others
// together in turn.
void AskTogether(const std::vector<std::function<void()>>& questions);

// Pictures: PNG, BMP or JPEG by content.
std::optional<QImage> ReadImage(const QString& file);
// `format` is "PNG" or "BMP"; the picture is stored as 24-bit RGB.
bool WriteImage(const QString& file, const QImage& image, const char* format);

}  // namespace disk
