// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QPointer>
#include <QWidget>

#include "platform/Dialogs.h"

// Message boxes titled "ぴこらまつくろ" with はい / いいえ / OK / キャンセル.
// Their text (and the input box's prompt) is broken into lines here, one
// sentence a line and only at the spaces between words, to fit a box on the
// smallest screen: Qt would break Japanese inside a word.
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
