// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Which of the main window's panels are on show: one value, from which the
// main window sets every panel's visibility.

#include "platform/Notifier.h"

enum class Screen {
  ClassChoice,  // the class panel alone, until a class is chosen
  Stories,      // the story panel and the card strip
  Drawing,      // the tool panel, the canvas and the card strip
  CardText,     // the tool panel, the card text box and the card strip
};

class ScreenState : public Notifier {
  Q_OBJECT
 public:
  Screen current() const { return screen_; }
  void Show(Screen screen) {
    if (screen == screen_) return;
    screen_ = screen;
    notifyChanged();
  }

 private:
  Screen screen_ = Screen::ClassChoice;
};
