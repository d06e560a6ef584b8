// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/ClassPanel.h"

ClassPanel::ClassPanel(const std::array<QString, 30>& classNames, QWidget* parent)
    : PicturePanel(QStringLiteral("Picture3"), QColor(192, 255, 255), parent) {
  prompt = MakeLabel(QStringLiteral("Label2"), QStringLiteral("あなたのクラスをえらんでください。"), this);
  controls().add(prompt, {108, 12, 394, 27}, 16, true);

  driveButton = new FaceButton(QStringLiteral("Command17"), QStringLiteral("ﾄﾞﾗｲﾌﾞ変更"),
                             QColor(255, 255, 192), this);
  controls().add(driveButton, {208, 40, 97, 34}, 11);
  connect(driveButton, &QPushButton::clicked, this, &ClassPanel::driveButtonPressed);

  dataRootLabel = MakeLabel(QStringLiteral("Label4"), QString(), this);
  controls().add(dataRootLabel, {308, 48, 73, 21}, 9);

  for (int k = 0; k < 30; ++k) {
    const int grade = k / 5 + 1;
    const int klass = k % 5 + 1;
    auto* button = new FaceButton(QStringLiteral("Command2_%1").arg(k), classNames[size_t(k)],
                                  QColor(255, 255, 255), this);
    controls().add(button, {8 + 100 * (grade - 1), 76 + 40 * (klass - 1), 97, 37}, 14, true);
    connect(button, &QPushButton::clicked, this, [this, k] { emit classChosen(k); });
    classButtons[k] = button;
  }
}
