#include "editor/CardTextBox.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>

#include "platform/TextCodec.h"
#include "shell/Shared.h"

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

CardTextBox::CardTextBox(Shared& m, QWidget* parent) : QPlainTextEdit(parent), m_(m) {
  setObjectName(QStringLiteral("Text1"));
  setAccessibleName(QStringLiteral("Text1"));
  connect(this, &QPlainTextEdit::textChanged, this,
          [this] { m_.ui.Text1Text = StoredCardText(toPlainText()); });
  connect(&m_, &Shared::controlsChanged, this, &CardTextBox::ShowStoredText);
  ShowStoredText();
}

void CardTextBox::ShowStoredText() {
  if (StoredCardText(toPlainText()) == m_.ui.Text1Text) return;
  const QString stored = m_.ui.Text1Text;
  setPlainText(ShownCardText(stored));
  moveCursor(QTextCursor::End);  // the child goes on writing after the text
  m_.ui.Text1Text = stored;  // as it was set, whatever its line ends
}

void CardTextBox::keyPressEvent(QKeyEvent* event) {
  const QString typed = event->text();
  if (!typed.isEmpty() && KeepEncodable(typed) != typed) {
    m_.dialogs.Beep();
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
  m_.dialogs.Beep();
  QInputMethodEvent filtered(event->preeditString(), event->attributes());
  filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
  QPlainTextEdit::inputMethodEvent(&filtered);
}

void CardTextBox::insertFromMimeData(const QMimeData* source) {
  if (!source || !source->hasText()) return;
  const QString kept = KeepEncodable(source->text());
  if (kept != source->text()) m_.dialogs.Beep();
  QMimeData filtered;
  filtered.setText(kept);
  QPlainTextEdit::insertFromMimeData(&filtered);
}

void CardTextBox::showEvent(QShowEvent* event) {
  QPlainTextEdit::showEvent(event);
  setFocus(Qt::OtherFocusReason);  // shown for typing: the keys go here
}
