// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QDialog>
#include <QLineEdit>
#include <array>

#include "platform/Widgets.h"

class Session;

// The drive dialog "ﾄﾞﾗｲﾌﾞ設定": eight drive buttons move the data root.
// Closing it any other way, or a drive another running copy uses, leaves
// the data root as it was.
class DataFolderDialog : public QDialog {
  Q_OBJECT
 public:
  DataFolderDialog(Session& session, QWidget* parent);

  QLineEdit* currentRoot;
  std::array<FaceButton*, 8> driveButtons{};

 private:
  Session& session_;
};
