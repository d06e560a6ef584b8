// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A hiragana keyboard on the screen, for children who cannot yet type: the
// gojūon table in large keys, lying in the lower part of the card text box.
// A key writes into the box as typing would (the box's own key handling
// refuses what the card text file cannot hold), so the box keeps its focus
// and its cursor, and the input method goes on working beside it.
//
// The key logic (the table, the marks ゛ and ゜) is apart from the widget.

#include <QList>
#include <QString>
#include <QWidget>
#include <optional>

#include "platform/Widgets.h"

class Dialogs;
class QPlainTextEdit;
class QPushButton;

namespace hiragana {

// What a key does.
enum class KeyKind {
  Letter,      // writes its letter (also ー 、 。 and the space)
  Voiced,      // ゛ on the letter before the cursor
  SemiVoiced,  // ゜ on the letter before the cursor
  Erase,       // "けす": the letter before the cursor goes
  NewLine,     // "かいぎょう"
};

struct Key {
  QString caption;  // what the key shows, also its accessible name
  KeyKind kind = KeyKind::Letter;
  QString letter;   // written by a Letter key
  int row = 0;      // place in the table, column 0 at the left
  int column = 0;
  int rowSpan = 1;
};

// The space a key writes: the full-width space of Japanese writing. It is
// one character of the card text file's code page, and a web page shows it
// as it is (an ASCII space would be folded with its neighbours there).
inline const QString kSpace = QStringLiteral("\u3000");

inline constexpr int kLetterRows = 5;  // the rows of the chart
inline constexpr int kRows = 6;        // and a row of marks and editing keys
inline constexpr int kColumns = 13;

// The whole table: あ-ん in columns from the right as on a classroom chart
// (あ column rightmost), the small letters, the marks, ー 、 。, space,
// "けす" and "かいぎょう" to their left.
const QList<Key>& Keys();

// The letter with ゛ (か→が, が→か, は→ば, ば→は, ぱ→ば); nothing when the
// mark does not apply. う stays: windows-31j has no ゔ.
std::optional<QChar> WithVoicedMark(QChar letter);
// The letter with ゜ (は→ぱ, ぱ→は, ば→ぱ); nothing when it does not apply.
std::optional<QChar> WithSemiVoicedMark(QChar letter);

}  // namespace hiragana

// The keyboard panel, a child of the text box it writes into. It places
// itself along the box's bottom edge (call placeInside() when the box's
// size changes) and reports the height it covers, so that the box keeps its
// text above it.
class HiraganaKeyboard : public QWidget {
  Q_OBJECT
 public:
  HiraganaKeyboard(QPlainTextEdit& box, Dialogs& dialogs);

  // Lays the panel out in the box's lower part, keys as large as fit.
  void placeInside();
  // The height the panel covers at the bottom of the box.
  int coveredHeight() const;
  bool keysShown() const { return keysShown_; }
  void setKeysShown(bool shown);
  // The key with this caption; nullptr if there is none.
  QPushButton* key(const QString& caption) const;
  QPushButton* showHideButton() const { return showHide_; }

  // What a key does to the box.
  void press(const hiragana::Key& key);

 signals:
  void coveredHeightChanged(int height);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void sendKey(int qtKey, const QString& text);
  void applyMark(hiragana::KeyKind mark);

  QPlainTextEdit& box_;
  Dialogs& dialogs_;
  QList<QPushButton*> keys_;  // in the order of hiragana::Keys()
  FaceButton* showHide_;
  bool keysShown_ = true;
  int covered_ = 0;
};
