// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/QtDialogs.h"

#include <QApplication>
#include <QFontMetrics>
#include <QInputDialog>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
#include <algorithm>

#include "platform/Fonts.h"

namespace {
const QString kTitle = QStringLiteral("ぴこらまつくろ");

// The smallest screen the program lays itself out for: its window is
// 800 x 600 there. Messages are broken for it on every screen, so a message
// reads the same everywhere.
constexpr int kSmallestScreenWidth = 800;

// Large enough for a six-year-old to read.
void Dress(QWidget& box) { box.setFont(Gothic(14, true)); }

bool IsSpace(QChar c) { return c == u' ' || c == u'\u3000'; }

// One sentence a line.
QString Sentences(const QString& text) {
  QString lines = text;
  static const QRegularExpression sentenceEnd(QStringLiteral("。[ 　]*(?=\\S)"));
  lines.replace(sentenceEnd, QStringLiteral("。\n"));
  return lines;
}

// Where a word wider than a whole line is broken: after its last 、 that
// fits, where a reader pauses anyway, or else after as many letters as fit
// (a letter and its surrogate or marks kept together), never before a
// closing mark.
int BreakInWord(const QString& word, const QFontMetrics& metrics, int room) {
  int fits = 0;
  for (int next = 1; next <= word.size(); ++next) {
    if (next < word.size() && (word.at(next).isLowSurrogate() || word.at(next).isMark())) continue;
    if (fits > 0 && metrics.horizontalAdvance(word.left(next)) > room) break;
    fits = next;
  }
  const int comma = word.lastIndexOf(u'、', fits - 1);
  if (comma >= 0) return comma + 1;
  static const QString closing = QStringLiteral("。、」』）！？");
  int at = fits;
  while (at > 1 && at < word.size() && closing.contains(word.at(at))) --at;
  return at;
}

// Half the width of the box's screen, as far as the smallest screen's.
// Qt's message box gives its text that much before wrapping it itself,
// and Qt wraps Japanese between any two letters.
int HalfScreen(const QWidget& widget) {
  const QScreen* screen = widget.screen() ? widget.screen() : QGuiApplication::primaryScreen();
  const int width = screen ? screen->availableGeometry().width() : kSmallestScreenWidth;
  return std::min(width, kSmallestScreenWidth) / 2;
}

// What a message box needs beside its text (margins, indent, spacing),
// measured on a line long enough to set the box's width.
int BesideText(QMessageBox& box) {
  auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
  if (!label || !box.layout()) return 60;
  const QString probe(40, QChar(u'あ'));
  box.setText(probe);
  label->setWordWrap(false);
  box.layout()->activate();
  return box.layout()->totalMinimumSize().width() - label->fontMetrics().horizontalAdvance(probe);
}

// `text` in lines no wider than `room`, one sentence a line. A line breaks
// only at the spaces between words: a word that does not fit starts the next
// line, and the spaces before it give way to the break, while the spaces
// inside a line stay as they were. Only a word wider than a whole line is
// broken inside (BreakInWord), as nothing else can be done.
QString BreakLines(const QString& text, const QFontMetrics& metrics, int room) {
  QStringList lines;
  for (const QString& paragraph : Sentences(text).split(u'\n')) {
    QString line;
    for (int at = 0; at < paragraph.size();) {
      int wordStart = at;
      while (wordStart < paragraph.size() && IsSpace(paragraph.at(wordStart))) ++wordStart;
      int wordEnd = wordStart;
      while (wordEnd < paragraph.size() && !IsSpace(paragraph.at(wordEnd))) ++wordEnd;
      const QString spaces = paragraph.mid(at, wordStart - at);
      const QString word = paragraph.mid(wordStart, wordEnd - wordStart);
      at = wordEnd;
      if (line.isEmpty() || word.isEmpty() || metrics.horizontalAdvance(line + spaces + word) <= room) {
        line += spaces + word;
      } else {
        lines << line;
        line = word;
      }
      while (metrics.horizontalAdvance(line) > room) {
        const int fits = BreakInWord(line, metrics, room);
        if (fits >= line.size()) break;
        lines << line.left(fits);
        line = line.mid(fits);
      }
    }
    lines << line;
  }
  return lines.join(u'\n');
}

// A message box titled "ぴこらまつくろ" with `text` broken to fit the
// smallest screen.
void SetUp(QMessageBox& box, const QString& text) {
  box.setWindowTitle(kTitle);
  box.setTextFormat(Qt::PlainText);
  Dress(box);
  const int room = HalfScreen(box) - BesideText(box);
  box.setText(BreakLines(text, box.fontMetrics(), room));
}
}  // namespace

bool QtDialogs::Ask(const QString& text) {
  QMessageBox box(parent_);
  SetUp(box, text);
  QPushButton* yes = box.addButton(QStringLiteral("はい"), QMessageBox::YesRole);
  QPushButton* no = box.addButton(QStringLiteral("いいえ"), QMessageBox::NoRole);
  box.setDefaultButton(yes);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes;
}

void QtDialogs::Tell(const QString& text) {
  QMessageBox box(parent_);
  SetUp(box, text);
  QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
  box.setDefaultButton(ok);
  box.setEscapeButton(ok);
  box.exec();
}

std::optional<QString> QtDialogs::Input(const QString& prompt) {
  QInputDialog dialog(parent_);
  dialog.setWindowTitle(kTitle);
  Dress(dialog);
  // The prompt's label does not wrap: the lines made here are its lines.
  const QStyle* style = dialog.style();
  const int room = HalfScreen(dialog) - style->pixelMetric(QStyle::PM_LayoutLeftMargin) -
                   style->pixelMetric(QStyle::PM_LayoutRightMargin);
  dialog.setLabelText(BreakLines(prompt, dialog.fontMetrics(), room));
  dialog.setOkButtonText(QStringLiteral("OK"));
  dialog.setCancelButtonText(QStringLiteral("キャンセル"));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.textValue();
}

void QtDialogs::Beep() { QApplication::beep(); }

void QtDialogs::EndProgram() { QCoreApplication::exit(0); }
