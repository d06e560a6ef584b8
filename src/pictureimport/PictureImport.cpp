// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "pictureimport/PictureImport.h"

#include <QPainter>

#include "drawing/Canvas.h"
#include "drawing/EditorState.h"
#include "platform/Dialogs.h"
#include "platform/Disk.h"
#include "platform/Imaging.h"

namespace pictures {

namespace {

QString RootOfDrive(QChar letter) { return QString(letter.toUpper()) + QStringLiteral(":\\"); }

QString AsFolder(QString folder) {
  if (!folder.endsWith(u'\\')) folder += u'\\';
  return folder;
}

// The folder above "C:\A\B\" is "C:\A\"; a drive's top folder has none.
QString ParentFolder(const QString& folder) {
  if (folder.size() <= 3) return folder;
  const QString inner = folder.left(folder.size() - 1);
  return inner.left(inner.lastIndexOf(u'\\') + 1);
}

// Tries to select `drive` up to three times, telling `message` after each
// failure.
void SelectWithRetries(BrowserState& state, const QString& drive, const QString& message, Dialogs& dialogs) {
  for (int tries = 0; tries != 3; ++tries) {
    if (BrowseDrive(state, drive)) return;
    dialogs.Tell(message);
  }
  RefreshLists(state);
}

}  // namespace

QString InsertDiskMessage(const QString& drive) {
  return QStringLiteral("フロッピーディスクを") + drive + QStringLiteral("にセットしてください。");
}

BrowserState NewBrowser() {
  BrowserState state;
  state.preview = QImage(kPreviewSize, QImage::Format_RGB32);
  state.preview.fill(kPreviewBackground);
  BrowseDrive(state, QStringLiteral("C:\\"));
  return state;
}

std::vector<FolderEntry> FolderEntries(const BrowserState& state) {
  std::vector<FolderEntry> entries;
  if (state.drive.isEmpty()) return entries;
  entries.push_back({state.drive, state.drive, 0, true});
  QString path = state.drive;
  const QStringList parts = state.folder.mid(3).split(u'\\', Qt::SkipEmptyParts);
  for (const QString& part : parts) {
    path += part + u'\\';
    entries.push_back({part, path, int(entries.size()), true});
  }
  const int depth = int(entries.size());
  for (const QString& name : state.subfolders) entries.push_back({name, state.folder + name + u'\\', depth, false});
  return entries;
}

QString SelectedFile(const BrowserState& state) {
  if (state.fileIndex < 0 || state.fileIndex >= state.files.size()) return {};
  return state.files.at(state.fileIndex);
}

bool BrowseDrive(BrowserState& state, const QString& drive) {
  if (drive.size() < 2 || drive.at(1) != u':' || !disk::DriveRoot(drive.at(0))) return false;
  const QString root = RootOfDrive(drive.at(0));
  if (state.drive != root) {
    state.drive = root;
    state.folder = state.driveFolders.value(root.at(0), root);
    state.fileIndex = -1;
  }
  RefreshLists(state);
  return true;
}

void OpenFolder(BrowserState& state, const QString& folder) {
  state.folder = AsFolder(folder);
  if (!state.folder.isEmpty()) state.driveFolders.insert(state.folder.at(0).toUpper(), state.folder);
  state.fileIndex = -1;
  RefreshLists(state);
}

void RefreshLists(BrowserState& state) {
  state.drives = disk::ExistingDrives();
  const QString selected = SelectedFile(state);
  while (state.folder.size() > 3 && !disk::FolderExists(state.folder)) state.folder = ParentFolder(state.folder);
  state.subfolders = disk::ListFolders(state.folder);
  state.files = disk::ListFiles(state.folder, kPattern);
  state.fileIndex = selected.isEmpty() ? -1 : int(state.files.indexOf(selected));
}

void SelectFile(BrowserState& state, int index) {
  if (index < 0 || index >= state.files.size()) {
    state.fileIndex = -1;
    return;
  }
  state.fileIndex = index;
  const QString file = AsFolder(state.folder) + state.files.at(index);
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (const auto picture = imaging::ReadPicture(file)) {
      // The picture at its own size from the top-left corner, cut off at
      // the panel's edge; the rest shows the panel.
      state.preview.fill(kPreviewBackground);
      QPainter painter(&state.preview);
      painter.drawImage(0, 0, *picture);
      return;
    }
  }
}

void OpenBrowser(BrowserState& state, EditorState& editor, const QString& exchangeDrive, Dialogs& dialogs) {
  SelectWithRetries(state, exchangeDrive, InsertDiskMessage(exchangeDrive), dialogs);
}

void SelectFloppy(BrowserState& state, Dialogs& dialogs) {
  SelectWithRetries(state, QStringLiteral("A:"), kFloppyMessage, dialogs);
}

void BrowseDriveButton(BrowserState& state, int index) {
  static const char kLetters[] = "CDE";
  if (index < 0 || index > 2) return;
  if (!BrowseDrive(state, RootOfDrive(QChar(kLetters[index])))) BrowseDrive(state, QStringLiteral("C:\\"));
}

Choice ChoosePicture(BrowserState& state, EditorState& editor, Dialogs& dialogs) {
  const QString name = SelectedFile(state);
  if (name.isEmpty()) return Choice::NoFile;
  const auto picture = imaging::ReadPicture(AsFolder(state.folder) + name);
  if (!picture || !PastePicture(editor, *picture)) {
    dialogs.Tell(kUnreadableMessage);
    return Choice::Unreadable;
  }
  return Choice::Placed;
}

}  // namespace pictures
