// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QDialog>
#include <QLabel>
#include <QLineEdit>

#include "platform/Widgets.h"

class DeckState;
class Dialogs;
class LibraryState;

// The name dialog "作品名をつける" of a new story. It is hidden after use,
// not destroyed, so the text box still shows the last name next time.
class StoryNameDialog : public QDialog {
  Q_OBJECT
 public:
  StoryNameDialog(LibraryState& library, DeckState& deck, Dialogs& dialogs, QWidget* parent);

  QLabel* prompt;
  QLineEdit* nameBox;        // the name, 13 characters at most
  FaceButton* saveButton;    // "なまえをほぞん"; Return in the text box presses it
  FaceButton* cancelButton;  // "キャンセル"

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void onSaveClicked();
  LibraryState& library_;
  DeckState& deck_;
  Dialogs& dialogs_;
};
