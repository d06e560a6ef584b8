// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <array>

#include "platform/Widgets.h"

// The start screen: the class buttons, the drive button and the data root.
class ClassPanel : public PicturePanel {
  Q_OBJECT
 public:
  ClassPanel(const std::array<QString, 30>& classNames, QWidget* parent);

  QLabel* prompt;
  FaceButton* driveButton;
  QLabel* dataRootLabel;
  std::array<FaceButton*, 30> classButtons{};

 signals:
  void classChosen(int k);
  void driveButtonPressed();
};
