// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "export/ExportDialog.h"

#include "export/PictureBook.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <memory>

namespace {

QString& LastFolder() {
  static QString folder = QDir::homePath();
  return folder;
}

}  // namespace

QFileDialog* MakeWebPageDialog(QWidget* parent) {
  auto* dialog = new QFileDialog(parent, QStringLiteral("ホームページのファイル名入力"), LastFolder());
  dialog->setObjectName(QStringLiteral("CommonDialog1"));
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setOption(QFileDialog::DontConfirmOverwrite);
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->setDefaultSuffix(QStringLiteral("html"));
  dialog->setNameFilters({QStringLiteral("ホームページ (*.htm *.html)"), QStringLiteral("すべて (*)"),
                          QStringLiteral("えほん (*.pdf)")});
  // The picture book is one PDF file: a name typed without ending gets ".pdf".
  QObject::connect(dialog, &QFileDialog::filterSelected, dialog, [dialog](const QString& filter) {
    dialog->setDefaultSuffix(filter.contains(QStringLiteral("*.pdf")) ? QStringLiteral("pdf") : QStringLiteral("html"));
  });
  return dialog;
}

std::optional<QString> AskWebPageFile(QWidget* parent) {
  std::unique_ptr<QFileDialog> dialog(MakeWebPageDialog(parent));
  if (dialog->exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dialog->selectedFiles();
  if (files.isEmpty() || files.first().isEmpty()) return std::nullopt;
  LastFolder() = QFileInfo(files.first()).absolutePath();
  return files.first();
}

void ExportStoryAsWebPages(const ExportStory& story, Dialogs& dialogs, QWidget* dialogParent,
                           const ChooseWebPageFile& choose) {
  const std::optional<QString> chosen = choose(dialogParent);
  if (!chosen || QFileInfo(*chosen).fileName().isEmpty()) {
    dialogs.Beep();
    return;
  }
  if (story.cardNumbers.isEmpty()) {
    dialogs.Beep();  // nothing to write
    return;
  }
  if (IsPictureBookName(*chosen)) {
    dialogs.Tell(PictureBookMessage(WritePictureBook(story, *chosen)));
    return;
  }
  dialogs.Tell(ExportMessage(WriteWebPages(story, *chosen)));
}
