// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The picture browser "ファイル": a drive list, a folder list and a file list
// of bitmaps and JPEGs, a preview, and "えらぶ" to place the picture in the
// middle of the card. It is a window of its own beside the main window,
// made on first use and then only hidden and shown again, so it keeps its
// drive, folder and file.

#include <QComboBox>
#include <QListWidget>
#include <QWidget>
#include <array>

#include <functional>

#include "pictureimport/PictureImport.h"
#include "platform/Widgets.h"

class Dialogs;
class EditorState;

class PictureBrowser : public QWidget {
  Q_OBJECT
 public:
  // `exchangeDrive` tells the exchange drive's root ("D:\\") at the time the
  // browser opens.
  // `scale`: screen pixels per logical pixel, above 1 when the main window
  // is scaled up for fingers.
  PictureBrowser(EditorState& editor, std::function<QString()> exchangeDrive, Dialogs& dialogs, QWidget* parent,
                 double scale = 1.0);

  // "ﾌｧｲﾙ読込": shows the browser (brought forward when it is open), takes
  // the undo image and goes to the exchange drive.
  void Open();

  const pictures::BrowserState& state() const { return state_; }

  FaceButton* chooseButton;  // "えらぶ"
  FaceButton* cancelButton;  // "ｷｬﾝｾﾙ"
  FaceButton* floppyButton;  // "フロッピ (A:)"
  std::array<FaceButton*, 3> driveButtons{};  // "Ｃ", "Ｄ", "Ｅ"
  QComboBox* driveList;
  QListWidget* folderList;
  QListWidget* fileList;
  PicturePanel* preview;

 private:
  void onChooseClicked();
  void onDriveActivated(int index);
  void onFolderActivated(QListWidgetItem* item);
  void onFileRowChanged(int row);
  // Shows the lists and the preview as the state holds them.
  void syncControls();

  EditorState& editor_;
  std::function<QString()> exchangeDrive_;
  Dialogs& dialogs_;
  pictures::BrowserState state_;
};
