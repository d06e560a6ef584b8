// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The exchange window "交換メニュー": the class's stories on the left, the
// exchange drive's on the right, a copy button for each direction and the
// drive buttons. It is made once and afterwards only hidden and shown, so
// it opens again as it was left. While it is open the class's list follows
// the class folder, which other computers change too.
//
// The window holds the letter of the drive whose list it shows, so a stick
// pulled meanwhile keeps its letter and another child's stick plugged in
// takes another one (RemovableDrives.h). A drive button lets go first and
// reads the drive as it is now: a stick that waited on a later letter
// comes onto the letter pressed when that letter's own stick is gone.

#include <QDialog>
#include <QTimer>
#include <array>

#include "exchange/StoryExchange.h"
#include "platform/RemovableDrives.h"

class ExchangeHost;
class FaceButton;
class PicturePanel;

class ExchangeWindow : public QDialog {
  Q_OBJECT
 public:
  // `scale`: screen pixels per logical pixel, above 1 when the main window
  // is scaled up for fingers.
  ExchangeWindow(ExchangeHost& host, QWidget* parent, double scale = 1.0);

  // Shows the window modally and returns when it is closed.
  void Open();

  StoryExchange& exchange() { return exchange_; }

  // Drive buttons in the order "Ａ" "Ｄ" "Ｅ" "Ｆ".
  static constexpr std::array<char, 4> kDriveLetters{'A', 'D', 'E', 'F'};

 private:
  void onDriveClicked(int index);
  void onCopyClicked(StoryExchange::Side from);
  void showDriveColours();

  StoryExchange exchange_;
  disk::DriveLetterHold driveHold_;
  bool loaded_ = false;
  // Reads the class's list again every few seconds while the window is open.
  QTimer refreshTimer_;
  FaceButton* closeButton_ = nullptr;
  std::array<FaceButton*, 4> driveButtons_{};
  FaceButton* toDriveButton_ = nullptr;
  FaceButton* toClassButton_ = nullptr;
  PicturePanel* classList_ = nullptr;
  PicturePanel* driveList_ = nullptr;
};
