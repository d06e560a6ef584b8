// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The history of the card's picture while it is drawn: every finished
// action is one step that "もどす" takes back and "やりなおす" brings back.
// A step keeps only what it changed: the rectangle around its changed
// pixels, and in it the difference between before and after (exclusive-or
// of the two), run-length coded, so a stroke across white paper costs a few
// words a row and a stroke over a photograph only the pixels it covered.
// Undoing and redoing are the same exclusive-or. Steps that blank the paper
// or go back to the saved card also keep the card text before and after.

#include <QImage>
#include <QRect>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

class PictureHistory {
 public:
  // The oldest step goes when one more would pass this.
  static constexpr int kSteps = 50;

  struct TextChange {
    QString before;
    QString after;
  };

  // What an undo or a redo changed: the rectangle of the canvas and, for
  // the steps that keep it, the card text to show.
  struct Change {
    QRect rect;
    std::optional<QString> text;
  };

  // An empty history starting from `canvas` as it is now.
  void Start(const QImage& canvas);
  // An empty history that keeps nothing (no card open).
  void Clear();

  // Records what changed on `canvas` since the last step (or the start) as
  // one step, dropping the steps taken back. Nothing changed and no text
  // given: no step, and false.
  bool Record(const QImage& canvas, std::optional<TextChange> text = std::nullopt);
  // Records as one step only the pixels inside `area` that `mask` (8 bits a
  // pixel, the canvas's size, not 0 = taken) marks: one stroke's pixels
  // while other strokes go on. They take the canvas's value into the
  // history's picture; every other pixel keeps the value the history had
  // for it, to be recorded by a later step. A mask of another size than
  // the canvas records everything, as Record(canvas) does.
  bool Record(const QImage& canvas, const QImage& mask, const QRect& area);
  // Marks in `mask` (8 bits a pixel, the canvas's size) every pixel where
  // `canvas` differs from the picture as the last step left it: what is
  // drawn and not recorded yet. Returns the rectangle around them.
  QRect MarkUnrecorded(const QImage& canvas, QImage& mask) const;

  bool CanUndo() const { return done_ > 0; }
  bool CanRedo() const { return done_ < int(steps_.size()); }
  int StepsDone() const { return done_; }
  int StepsUndone() const { return int(steps_.size()) - done_; }

  // Takes back the last step done on `canvas`, which must be as the history
  // left it (Record any change first).
  std::optional<Change> Undo(QImage& canvas);
  // Brings back the last step taken back.
  std::optional<Change> Redo(QImage& canvas);

  // Memory the history holds, its copy of the canvas included.
  size_t Bytes() const;

 private:
  struct Step {
    QRect rect;
    std::vector<uint32_t> delta;  // runs and literals, see PictureHistory.cpp
    std::optional<TextChange> text;
  };
  void Apply(const Step& step, QImage& canvas);
  void Push(Step step);

  QImage picture_;  // the canvas as the last step left it
  std::deque<Step> steps_;
  int done_ = 0;  // steps_[0, done_) are done, the rest taken back
};
