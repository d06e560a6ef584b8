// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What the shared procedures ask of the user interface: questions, notices,
// the input box, the beep and the end of the program. The windows answer
// with real message boxes; tests answer from a script.

#include <QString>
#include <optional>

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // A question with はい and いいえ; true only for はい.
  virtual bool Ask(const QString& text) = 0;
  // A notice with an OK button.
  virtual void Tell(const QString& text) = 0;
  // The input box; nothing when it was cancelled.
  virtual std::optional<QString> Input(const QString& prompt) = 0;
  virtual void Beep() = 0;
  // Ends the program at once: nothing more is saved.
  virtual void EndProgram() = 0;
};
