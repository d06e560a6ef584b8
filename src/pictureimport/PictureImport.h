// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Placing a picture file on the card: the picture browser's drive, folder
// and file lists, its preview, and the steps behind its buttons. Folders
// are path texts ("D:\しゃしん\"); the lists are read through the file layer.
// The browser window (pictureimport/PictureBrowser.h) only shows this state and
// passes its clicks here.

#include <QColor>
#include <QHash>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

class Dialogs;
class EditorState;

namespace pictures {

// The files the browser lists, matched without regard to case.
inline const QString kPattern = QStringLiteral("*.BMP;*.JPG");
// The preview panel, 8535 x 7650 twips.
inline constexpr QSize kPreviewSize{569, 510};
inline const QColor kPreviewBackground(212, 208, 200);

// What "ﾌｧｲﾙ読込" asks for when the exchange drive is not there.
QString InsertDiskMessage(const QString& drive);
// What "フロッピ (A:)" asks for.
inline const QString kFloppyMessage = QStringLiteral("フロッピーディスクを セットしてください｡ ");
// Told when the chosen file holds no picture that can be placed.
inline const QString kUnreadableMessage = QStringLiteral("このえは よみこめません。");

struct BrowserState {
  QString drives;         // letters of the drive list
  QString drive;          // the selected drive, "C:\"
  QString folder;         // the folder list's folder, ending in "\"
  QStringList subfolders; // folders inside it
  QStringList files;      // files in it matching kPattern
  int fileIndex = -1;     // selected file, -1 for none
  QImage preview;         // the preview panel's surface
  QHash<QChar, QString> driveFolders;  // the last folder used on each drive
};

// One line of the folder list: the drive root and the folders down to the
// open one, then the folders inside it one step further in.
struct FolderEntry {
  QString caption;
  QString folder;
  int depth;
  bool open;  // the open folder or one above it
};

// A browser on drive C:'s top folder, or on nothing when C: is missing.
BrowserState NewBrowser();
std::vector<FolderEntry> FolderEntries(const BrowserState& state);
QString SelectedFile(const BrowserState& state);

// Selects a drive ("D:\" or "D:"): false, changing nothing, when it is not
// there. A drive newly selected opens the folder last used on it (its top
// folder at first); selecting the selected drive again keeps the folder and
// file, and reads the lists anew.
bool BrowseDrive(BrowserState& state, const QString& drive);
// Opens a folder of the selected drive; the file selection is cleared.
void OpenFolder(BrowserState& state, const QString& folder);
// Reads the drive, folder and file lists again; a folder that has gone is
// left for the nearest one above it that is still there.
void RefreshLists(BrowserState& state);
// Selects file `index` (or none) and shows it in the preview, trying the
// load twice; a picture that cannot be read leaves the preview as it was.
void SelectFile(BrowserState& state, int index);

// "ﾌｧｲﾙ読込": takes the undo image and selects `exchangeDrive`, asking for
// the disk up to three times.
void OpenBrowser(BrowserState& state, EditorState& editor, const QString& exchangeDrive, Dialogs& dialogs);
// "フロッピ (A:)": selects A:, asking for the disk up to three times.
void SelectFloppy(BrowserState& state, Dialogs& dialogs);
// "Ｃ", "Ｄ", "Ｅ" (0, 1, 2): that drive, or C: when it is not there.
void BrowseDriveButton(BrowserState& state, int index);

enum class Choice {
  NoFile,      // no file selected: nothing happens, the window stays
  Placed,      // the picture is on the canvas: the window goes
  Unreadable,  // the child was told; canvas unchanged, the window stays
};
// "えらぶ": centres the selected picture on the picture area and repaints
// the frame.
Choice ChoosePicture(BrowserState& state, EditorState& editor, Dialogs& dialogs);

}  // namespace pictures
