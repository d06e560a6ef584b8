// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "library/StoryPanel.h"

StoryPanel::StoryPanel(QWidget* parent)
    : PicturePanel(QStringLiteral("Picture1"), QColor(192, 255, 255), parent) {
  quitButton = new FaceButton(QStringLiteral("Command4"), QStringLiteral("おわり"), QColor(255, 192, 192), this);
  controls().add(quitButton, {4, 4, 177, 34}, 14, true);
  connect(quitButton, &QPushButton::clicked, this, &StoryPanel::quitPressed);

  // The frame lies under the title and the buttons and lets presses through.
  buttonFrame = new QFrame(this);
  buttonFrame->setObjectName(QStringLiteral("Shape2"));
  buttonFrame->setStyleSheet(QStringLiteral("QFrame#Shape2 { border: 2px solid rgb(0, 96, 160); }"));
  buttonFrame->setAttribute(Qt::WA_TransparentForMouseEvents);
  controls().add(buttonFrame, {4, 44, 181, 123});

  title = MakeLabel(QStringLiteral("Label1"), QStringLiteral("ぴこらま"), this);
  title->setAlignment(Qt::AlignCenter);
  title->setStyleSheet(QStringLiteral("color: rgb(0, 64, 160);"));
  // The title sits close under the frame's top edge, so the three rows of
  // buttons below it are tall enough for a finger.
  controls().add(title, {44, 47, 101, 18}, 12, true);

  const auto button = [this](const char* name, const char* caption, QColor face, QRect at) {
    auto* b = new FaceButton(QString::fromLatin1(name), QString::fromUtf8(caption), face, this);
    controls().add(b, at, 12, true);
    return b;
  };
  makeButton = button("Command1", "つくる", QColor(255, 224, 160), {8, 66, 84, 32});
  drawButton = button("Command3", "えをかく", QColor(255, 208, 232), {96, 66, 84, 32});
  playButton = button("Command6", "じっこう", QColor(255, 255, 160), {8, 99, 84, 32});
  webPageButton = button("Command24", "HＰ変換", QColor(224, 216, 255), {96, 99, 84, 32});
  renameButton = button("Command23", "名前変更", QColor(255, 255, 255), {8, 132, 72, 32});
  exchangeButton = button("Command5", "交換", QColor(200, 255, 200), {82, 132, 48, 32});
  deleteButton = button("Command16", "削除", QColor(255, 176, 176), {132, 132, 48, 32});

  connect(makeButton, &QPushButton::clicked, this, &StoryPanel::makePressed);
  connect(renameButton, &QPushButton::clicked, this, &StoryPanel::renamePressed);
  connect(deleteButton, &QPushButton::clicked, this, &StoryPanel::deletePressed);
}
