// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The card text box, lying over the canvas. It shows the deck's card text
// and writes the child's typing back to it. Characters
// that windows-31j cannot hold are refused as they are typed, pasted or
// dropped (with a beep): the text file could not keep them.

#include <QPlainTextEdit>

class DeckState;
class Dialogs;
class HiraganaKeyboard;

// `s` without the characters windows-31j has no code for.
QString KeepEncodable(const QString& s);

// The card text as the deck keeps it (lines ended by CR LF) and as
// the box shows it (lines ended by LF).
QString StoredCardText(const QString& shown);
QString ShownCardText(const QString& stored);

class CardTextBox : public QPlainTextEdit {
  Q_OBJECT
 public:
  CardTextBox(DeckState& deck, Dialogs& dialogs, QWidget* parent);

  // The hiragana keys in the lower part of the box.
  HiraganaKeyboard* keyboard() const { return keyboard_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void showStoredText();
  DeckState& deck_;
  Dialogs& dialogs_;
  HiraganaKeyboard* keyboard_;
};
