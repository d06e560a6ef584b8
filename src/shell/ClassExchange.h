// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The exchange window's view of the program: the chosen class, its story
// list and the exchange drive, with the story panel brought up to date
// after a story has been copied into the class.

#include "exchange/ExchangeHost.h"

class DeckState;
class LibraryState;

class ClassExchange : public ExchangeHost {
 public:
  ClassExchange(LibraryState& library, DeckState& deck, Dialogs& dialogs)
      : library_(library), deck_(deck), dialogs_(dialogs) {}

  QString ClassFolder() const override;
  QStringList ClassStories() const override;
  void ReloadClassStories() override;
  QString ExchangeDrive() const override;
  void SetExchangeDrive(const QString& root) override;
  Dialogs& MessageBox() override { return dialogs_; }

 private:
  LibraryState& library_;
  DeckState& deck_;
  Dialogs& dialogs_;
};
