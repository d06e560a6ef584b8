// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A hiragana keyboard on the screen, for children who cannot yet type: the
// gojūon table in large keys, lying along an edge of what it types into:
// the lower part of the card text box, or the canvas while words are typed
// on the picture. A key writes into its target as typing would (the
// target's own checks refuse what the card files cannot hold), so the
// target keeps its focus and its cursor, and the input method goes on
// working beside it.
//
// The key logic (the table, the marks ゛ and ゜) is apart from the widget.

#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QWidget>
#include <memory>
#include <optional>
#include <set>

#include "platform/Widgets.h"

class Dialogs;
class QPlainTextEdit;
class QPushButton;
class QTouchEvent;

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

// What the keys write into. Each does what typing would do there, with the
// same refusals (a beep for what the card files cannot hold).
class KeyTarget {
 public:
  virtual ~KeyTarget() = default;
  // Writes `letter` at the cursor.
  virtual void insert(const QString& letter) = 0;
  // The letter just before the cursor, which ゛ and ゜ change (a selection
  // is given up first); a null QChar when there is none.
  virtual QChar letterBeforeCursor() = 0;
  // The character before the cursor goes, a surrogate pair as one.
  virtual void eraseOne() = 0;
  // A new line begins at the cursor.
  virtual void newLine() = 0;
};

// The edge of its host the keyboard lies along.
enum class KeyboardEdge { Bottom, Top };

// The keyboard panel, a child of the widget it lies over. It places itself
// along the host's bottom or top edge (call placeInside() when the host's
// size changes) and reports the height it covers, so that the host keeps
// its text clear of it.
//
// Fingers are taken as touches here, each on its own: a finger lifted on
// the key it came down on presses that key, as a click does, while other
// fingers rest or type elsewhere. Keys pressed together are written in the
// order the fingers came down.
class HiraganaKeyboard : public QWidget {
  Q_OBJECT
 public:
  // Keys writing into the card text box, as typing into it would.
  HiraganaKeyboard(QPlainTextEdit& box, Dialogs& dialogs);
  // Keys writing into `target`, lying over `host`.
  HiraganaKeyboard(QWidget& host, KeyTarget& target, Dialogs& dialogs);
  ~HiraganaKeyboard() override;

  // Lays the panel out along its edge of the host, keys as large as fit.
  void placeInside();
  // Moves the panel to `edge`, taking at most `room` pixels of the host's
  // height (0: no limit but the usual share of the host). Keys shrink to
  // fit the room; when they would be too small for a finger, the panel
  // folds to its bar until there is room again. False when not even the
  // bar fits: the panel then should not be shown.
  bool placeAlong(KeyboardEdge edge, int room = 0);
  KeyboardEdge edge() const { return edge_; }
  // Folded to its bar for want of room (the child's choice aside).
  bool cramped() const { return cramped_; }
  // The room given was too small even for the bar.
  bool fits() const { return fits_; }
  // The height the panel covers at its edge of the host.
  int coveredHeight() const;
  bool keysShown() const { return keysShown_; }
  void setKeysShown(bool shown);
  // The key with this caption; nullptr if there is none.
  QPushButton* key(const QString& caption) const;
  QPushButton* showHideButton() const { return showHide_; }

  // What a key does to the target.
  void press(const hiragana::Key& key);

 signals:
  void coveredHeightChanged(int height);

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void applyMark(hiragana::KeyKind mark);
  void touch(QTouchEvent* event);
  // The keys come down in the order pressed: the fingers still down or
  // lifted but waiting for an earlier one.
  struct Tap {
    int id = 0;
    QPushButton* button = nullptr;  // nullptr: lifted off its key
    bool lifted = false;
    QElapsedTimer down;  // since the finger came down
  };
  void typeLiftedTaps();

  QWidget& host_;
  std::unique_ptr<KeyTarget> ownTarget_;  // the card text box's, when made for it
  KeyTarget& target_;
  Dialogs& dialogs_;
  KeyboardEdge edge_ = KeyboardEdge::Bottom;
  int room_ = 0;
  QList<QPushButton*> keys_;  // in the order of hiragana::Keys()
  FaceButton* showHide_;
  bool keysShown_ = true;
  bool cramped_ = false;
  bool fits_ = true;
  int covered_ = 0;
  QList<Tap> taps_;
  std::set<int> handedToHost_;  // fingers landed on the host, passed on to it
};
