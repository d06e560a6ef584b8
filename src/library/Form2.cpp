#include "library/Form2.h"

#include "library/StoryList.h"
#include "shell/Shared.h"

Form2::Form2(Shared& m, QWidget* parent) : QDialog(parent), m_(m) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("作品名をつける"));
  setModal(true);
  setStyleSheet(QStringLiteral("QDialog { background-color: rgb(192, 255, 255); }"));

  Placements placements;
  Label1 = MakeLabel(QStringLiteral("Label1"), QStringLiteral("なまえをかいたらボタンをおそう。"), this);
  placements.add(Label1, {16, 12, 348, 26}, 14, true);

  Text1 = new QLineEdit(this);
  Text1->setObjectName(QStringLiteral("Text1"));
  Text1->setAccessibleName(QStringLiteral("なまえ"));
  Text1->setMaxLength(13);
  placements.add(Text1, {16, 44, 348, 38}, 18);

  Command1 = new FaceButton(QStringLiteral("Command1"), QStringLiteral("なまえをほぞん"),
                            QColor(255, 224, 160), this);
  placements.add(Command1, {16, 96, 200, 48}, 14, true);
  Command1->setDefault(true);
  connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);

  Command2 = new FaceButton(QStringLiteral("Command2"), QStringLiteral("キャンセル"),
                            QColor(224, 224, 224), this);
  placements.add(Command2, {228, 96, 136, 48}, 14, true);
  Command2->setAutoDefault(false);
  connect(Command2, &QPushButton::clicked, this, &Form2::reject);

  placements.apply(1.0);
  setFixedSize(380, 160);
}

void Form2::Command1_Click() {
  if (SaveStoryName(m_, Text1->text()) == NameDialogStep::Close) accept();
}

void Form2::reject() {
  CancelStoryName(m_);
  QDialog::reject();
}

void Form2::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Text1->setFocus();
}
