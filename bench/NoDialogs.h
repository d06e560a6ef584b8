// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Benchmarks answer nothing: every question is いいえ, every notice unseen.

#include "platform/Dialogs.h"

class NoDialogs : public Dialogs {
 public:
  bool Ask(const QString&) override { return false; }
  void Tell(const QString&) override {}
  std::optional<QString> Input(const QString&) override { return std::nullopt; }
  void Beep() override {}
  void EndProgram() override {}
};
