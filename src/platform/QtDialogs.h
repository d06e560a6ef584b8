// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QPointer>
#include <QWidget>

#include "platform/Dialogs.h"

// Message boxes titled "ぴこらまつくろ" with はい / いいえ / OK / キャンセル.
class QtDialogs : public Dialogs {
 public:
  void SetParent(QWidget* parent) { parent_ = parent; }
  bool Ask(const QString& text) override;
  void Tell(const QString& text) override;
  std::optional<QString> Input(const QString& prompt) override;
  void Beep() override;
  void EndProgram() override;

 private:
  QPointer<QWidget> parent_;
};
