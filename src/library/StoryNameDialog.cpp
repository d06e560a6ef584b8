// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "library/StoryNameDialog.h"

#include "library/StoryList.h"
#include "library/LibraryState.h"

StoryNameDialog::StoryNameDialog(LibraryState& library, DeckState& deck, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), library_(library), deck_(deck), dialogs_(dialogs) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("作品名をつける"));
  setModal(true);
  setStyleSheet(QStringLiteral("QDialog { background-color: rgb(192, 255, 255); }"));

  Placements placements;
  prompt = MakeLabel(QStringLiteral("Label1"), QStringLiteral("なまえをかいたらボタンをおそう。"), this);
  placements.add(prompt, {16, 12, 348, 26}, 14, true);

  nameBox = new QLineEdit(this);
  nameBox->setObjectName(QStringLiteral("Text1"));
  nameBox->setAccessibleName(QStringLiteral("なまえ"));
  nameBox->setMaxLength(kMaxStoryNameLength);
  placements.add(nameBox, {16, 44, 348, 38}, 18);

  saveButton = new FaceButton(QStringLiteral("Command1"), QStringLiteral("なまえをほぞん"),
                            QColor(255, 224, 160), this);
  placements.add(saveButton, {16, 96, 200, 48}, 14, true);
  saveButton->setDefault(true);
  connect(saveButton, &QPushButton::clicked, this, &StoryNameDialog::onSaveClicked);

  cancelButton = new FaceButton(QStringLiteral("Command2"), QStringLiteral("キャンセル"),
                            QColor(224, 224, 224), this);
  placements.add(cancelButton, {228, 96, 136, 48}, 14, true);
  cancelButton->setAutoDefault(false);
  connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

  placements.apply(1.0);
  setFixedSize(380, 160);
}

void StoryNameDialog::onSaveClicked() {
  if (SaveStoryName(library_, deck_, dialogs_, nameBox->text()) == NameDialogStep::Close) accept();
}

void StoryNameDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  nameBox->setFocus();
}
