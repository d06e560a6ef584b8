// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The hiragana keyboard for the words of 「もじ」: the card text box's keys,
// lying over the canvas while words are typed on the picture, along the
// edge away from them. A key writes into the words through the same
// procedures as the physical keys (TypeWords, EraseLastCharacter); the
// words' cursor is always at their end. The canvas keeps the focus, so
// the physical keyboard and the input method go on working beside it.

#include <QObject>
#include <QPoint>
#include <QRect>
#include <memory>
#include <optional>

class Dialogs;
class EditorState;
class HiraganaKeyboard;
class KeyTarget;
class PicturePanel;

class WordsKeyboard : public QObject {
  Q_OBJECT
 public:
  // The keyboard is made as a child of `canvas`, hidden until words are typed.
  WordsKeyboard(EditorState& editor, Dialogs& dialogs, PicturePanel& canvas, QObject* parent);
  ~WordsKeyboard() override;

  HiraganaKeyboard* keyboard() const { return keyboard_; }

  // Shows the keyboard while 「もじ」 is in force and words are being typed,
  // along the edge with more room beside the words; placed again when the
  // words start, and when they grow (a new line, a larger size, a bubble)
  // into it. Hidden otherwise.
  void follow();

 private:
  // The words' rectangle on the canvas panel, with the gap kept around it.
  QRect wordsOnPanel() const;
  void place();

  EditorState& editor_;
  PicturePanel& canvas_;
  std::unique_ptr<KeyTarget> target_;
  HiraganaKeyboard* keyboard_;
  // Where the words the keyboard was placed for begin, and their
  // rectangle then.
  std::optional<QPoint> placedFor_;
  QRect placedAround_;
};
