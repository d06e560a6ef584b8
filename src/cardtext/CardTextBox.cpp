// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cardtext/CardTextBox.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>

#include "cardtext/HiraganaKeyboard.h"
#include "platform/TextCodec.h"
#include "deck/DeckState.h"
#include "platform/Dialogs.h"

QString KeepEncodable(const QString& s) {
  QString kept;
  kept.reserve(s.size());
  for (qsizetype i = 0; i < s.size();) {
    // A character outside the basic plane comes as a surrogate pair.
    const qsizetype n = s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate() ? 2 : 1;
    const QString piece = s.mid(i, n);
    if (text::CanEncode(piece)) kept += piece;
    i += n;
  }
  return kept;
}

QString StoredCardText(const QString& shown) {
  QString stored = shown;
  stored.replace(u'\n', QStringLiteral("\r\n"));
  return stored;
}

QString ShownCardText(const QString& stored) {
  QString shown = stored;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  shown.replace(u'\r', u'\n');
  return shown;
}

CardTextBox::CardTextBox(DeckState& deck, Dialogs& dialogs, QWidget* parent)
    : QPlainTextEdit(parent), deck_(deck), dialogs_(dialogs) {
  setObjectName(QStringLiteral("Text1"));
  setAccessibleName(QStringLiteral("Text1"));
  connect(this, &QPlainTextEdit::textChanged, this,
          [this] { deck_.cardText = StoredCardText(toPlainText()); });
  connect(&deck_, &DeckState::changed, this, &CardTextBox::showStoredText);
  showStoredText();
  // The text stays above the keys.
  keyboard_ = new HiraganaKeyboard(*this, dialogs_);
  connect(keyboard_, &HiraganaKeyboard::coveredHeightChanged, this,
          [this](int height) { setViewportMargins(0, 0, 0, height); });
  setViewportMargins(0, 0, 0, keyboard_->coveredHeight());
}

void CardTextBox::resizeEvent(QResizeEvent* event) {
  QPlainTextEdit::resizeEvent(event);
  keyboard_->placeInside();
}

void CardTextBox::showStoredText() {
  if (StoredCardText(toPlainText()) == deck_.cardText) return;
  const QString stored = deck_.cardText;
  setPlainText(ShownCardText(stored));
  moveCursor(QTextCursor::End);  // the child goes on writing after the text
  deck_.cardText = stored;  // as it was set, whatever its line ends
}

void CardTextBox::keyPressEvent(QKeyEvent* event) {
  const QString typed = event->text();
  if (!typed.isEmpty() && KeepEncodable(typed) != typed) {
    dialogs_.Beep();
    event->accept();
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

void CardTextBox::inputMethodEvent(QInputMethodEvent* event) {
  const QString kept = KeepEncodable(event->commitString());
  if (kept == event->commitString()) {
    QPlainTextEdit::inputMethodEvent(event);
    return;
  }
  dialogs_.Beep();
  QInputMethodEvent filtered(event->preeditString(), event->attributes());
  filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
  QPlainTextEdit::inputMethodEvent(&filtered);
}

void CardTextBox::insertFromMimeData(const QMimeData* source) {
  if (!source || !source->hasText()) return;
  const QString kept = KeepEncodable(source->text());
  if (kept != source->text()) dialogs_.Beep();
  QMimeData filtered;
  filtered.setText(kept);
  QPlainTextEdit::insertFromMimeData(&filtered);
}

void CardTextBox::showEvent(QShowEvent* event) {
  QPlainTextEdit::showEvent(event);
  setFocus(Qt::OtherFocusReason);  // shown for typing: the keys go here
}
