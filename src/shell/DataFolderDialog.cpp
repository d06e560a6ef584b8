// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/DataFolderDialog.h"

#include "shell/DataRoot.h"
#include "shell/Session.h"

DataFolderDialog::DataFolderDialog(Session& session, QWidget* parent) : QDialog(parent), session_(session) {
  setObjectName(QStringLiteral("Form8"));
  setWindowTitle(QStringLiteral("ﾄﾞﾗｲﾌﾞ設定"));
  setModal(true);
  setStyleSheet(QStringLiteral("QDialog { background-color: rgb(192, 255, 255); }"));

  Placements placements;
  auto* top = MakeLabel(QStringLiteral("Label1"), QStringLiteral("データを保存するドライブを"), this);
  auto* second = MakeLabel(QStringLiteral("Label2"), QStringLiteral("下からえらんでください。"), this);
  auto* current = MakeLabel(QStringLiteral("Label3"), QStringLiteral("現在の保存ドライブ"), this);
  placements.add(top, {16, 12, 360, 24}, 14, true);
  placements.add(second, {16, 38, 360, 24}, 14, true);
  placements.add(current, {16, 76, 150, 22}, 11);

  currentRoot = new QLineEdit(this);
  currentRoot->setObjectName(QStringLiteral("Text1"));
  currentRoot->setAccessibleName(QStringLiteral("現在の保存ドライブ"));
  currentRoot->setReadOnly(true);
  placements.add(currentRoot, {170, 74, 210, 26}, 11);

  static const char* const kCaptions[8] = {"Ａ", "Ｃ", "Ｄ", "Ｅ", "Ｆ", "Ｇ", "Ｈ", "I"};
  for (int i = 0; i < 8; ++i) {
    auto* button = new FaceButton(QStringLiteral("Command1_%1").arg(i), QString::fromUtf8(kCaptions[i]),
                                  QColor(255, 255, 192), this);
    placements.add(button, {16 + 46 * i, 116, 42, 42}, 16, true);
    connect(button, &QPushButton::clicked, this, [this, i] {
      if (MoveDataRoot(session_, i)) accept();
    });
    driveButtons[i] = button;
  }
  placements.apply(1.0);
  setFixedSize(396, 174);
}
