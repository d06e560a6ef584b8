// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/WordsKeyboard.h"

#include <algorithm>

#include "cardtext/HiraganaKeyboard.h"
#include "drawing/DrawingTools.h"
#include "drawing/EditorState.h"
#include "platform/Widgets.h"

namespace {

// Space left between the words and the keys.
constexpr int kGap = 8;

// The words being typed as the keys' target; their cursor is at their end.
class WordsTarget : public KeyTarget {
 public:
  WordsTarget(EditorState& editor, Dialogs& dialogs) : editor_(editor), dialogs_(dialogs) {}

  void insert(const QString& letter) override { TypeWords(editor_, dialogs_, letter); }
  QChar letterBeforeCursor() override {
    if (!editor_.wordsEditing || editor_.wordsEditing->text.isEmpty()) return {};
    return editor_.wordsEditing->text.back();
  }
  void eraseOne() override { EraseLastCharacter(editor_); }
  void newLine() override { TypeWords(editor_, dialogs_, QStringLiteral("\n")); }

 private:
  EditorState& editor_;
  Dialogs& dialogs_;
};

}  // namespace

WordsKeyboard::WordsKeyboard(EditorState& editor, Dialogs& dialogs, PicturePanel& canvas, QObject* parent)
    : QObject(parent),
      editor_(editor),
      canvas_(canvas),
      target_(std::make_unique<WordsTarget>(editor, dialogs)),
      keyboard_(new HiraganaKeyboard(canvas, *target_, dialogs)) {
  keyboard_->setObjectName(QStringLiteral("wordsKeyboard"));
  keyboard_->hide();
  // Words start, grow and finish with a change of the canvas; the tool
  // changes with the editor.
  connect(&editor_, &Notifier::changed, this, &WordsKeyboard::follow);
  connect(&editor_, &Notifier::surfaceChanged, this, &WordsKeyboard::follow);
}

WordsKeyboard::~WordsKeyboard() = default;

QRect WordsKeyboard::wordsOnPanel() const {
  const double scale = canvas_.scale();
  const QRect words = WordsRect(editor_);
  const int top = int(words.top() * scale), bottom = int((words.bottom() + 1) * scale);
  return QRect(0, top - kGap, canvas_.width(), bottom - top + 2 * kGap);
}

void WordsKeyboard::place() {
  // The edge with more room beside the words; the keys fit that room.
  const QRect words = wordsOnPanel();
  const int above = words.top(), below = canvas_.height() - (words.bottom() + 1);
  const bool fits = above > below ? keyboard_->placeAlong(KeyboardEdge::Top, std::max(1, above))
                                  : keyboard_->placeAlong(KeyboardEdge::Bottom, std::max(1, below));
  placedAround_ = WordsRect(editor_);
  keyboard_->setVisible(fits);
  if (fits) keyboard_->raise();
}

void WordsKeyboard::follow() {
  if (editor_.tool != Tool::Words || !editor_.wordsEditing) {
    keyboard_->hide();
    placedFor_.reset();
    return;
  }
  if (placedFor_ != editor_.wordsEditing->at) {
    placedFor_ = editor_.wordsEditing->at;
    place();
  } else if (WordsRect(editor_) != placedAround_) {
    // Words grown into the keys move them; folded (for want of room or by
    // the child) or left out, they are placed again for the room there is
    // now, so that keys brought back fit it.
    const bool cramped = keyboard_->cramped() || !keyboard_->fits() || !keyboard_->keysShown();
    if (cramped || wordsOnPanel().intersects(keyboard_->geometry())) place();
    placedAround_ = WordsRect(editor_);
  }
}
