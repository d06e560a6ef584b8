// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What the exchange window needs of the program around it: the chosen
// class, its stories, the exchange drive and the message box. The main
// window implements it; tests use a small stand-in.

#include <QString>
#include <QStringList>

class Dialogs;

class ExchangeHost {
 public:
  virtual ~ExchangeHost() = default;
  // The chosen class's folder as a path text ending in "\"
  // ("C:\A_PIKORA\CLASS_11\"); its Menu.txt lists the stories.
  virtual QString ClassFolder() const = 0;
  // The class's story names in list order, as its Menu.txt holds them now:
  // other computers of the class change it while the window is open.
  virtual QStringList ClassStories() const = 0;
  // A story was copied into the class (its name maybe added to the end of
  // the class's Menu.txt): read the list again, redraw the story panel
  // keeping the selected story, and reload that story's cards if it was
  // the one copied.
  virtual void ReloadClassStories() = 0;
  // The exchange drive's root ("D:\"), shared with picture import.
  virtual QString ExchangeDrive() const = 0;
  virtual void SetExchangeDrive(const QString& root) = 0;
  // The program's one message box.
  virtual Dialogs& MessageBox() = 0;
};
