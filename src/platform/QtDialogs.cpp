// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/QtDialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

#include "platform/Fonts.h"

namespace {
const QString kTitle = QStringLiteral("ぴこらまつくろ");

// Large enough for a six-year-old to read.
void Dress(QWidget& box) { box.setFont(Gothic(14, true)); }

// One sentence a line, so a line never breaks inside a word.
QString Lines(const QString& text) {
  QString lines = text;
  static const QRegularExpression sentenceEnd(QStringLiteral("。[ 　]*(?=\\S)"));
  lines.replace(sentenceEnd, QStringLiteral("。\n"));
  return lines;
}
}

bool QtDialogs::Ask(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, kTitle, Lines(text), QMessageBox::NoButton, parent_);
  QPushButton* yes = box.addButton(QStringLiteral("はい"), QMessageBox::YesRole);
  QPushButton* no = box.addButton(QStringLiteral("いいえ"), QMessageBox::NoRole);
  box.setDefaultButton(yes);
  box.setEscapeButton(no);
  Dress(box);
  box.exec();
  return box.clickedButton() == yes;
}

void QtDialogs::Tell(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, kTitle, Lines(text), QMessageBox::NoButton, parent_);
  QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
  box.setDefaultButton(ok);
  box.setEscapeButton(ok);
  Dress(box);
  box.exec();
}

std::optional<QString> QtDialogs::Input(const QString& prompt) {
  QInputDialog dialog(parent_);
  dialog.setWindowTitle(kTitle);
  dialog.setLabelText(prompt);
  dialog.setOkButtonText(QStringLiteral("OK"));
  dialog.setCancelButtonText(QStringLiteral("キャンセル"));
  Dress(dialog);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.textValue();
}

void QtDialogs::Beep() { QApplication::beep(); }

void QtDialogs::EndProgram() { QCoreApplication::exit(0); }
