// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QFrame>
#include <QLabel>

#include "platform/Widgets.h"

// The story panel: the quit button, the story buttons in their frame and,
// on the panel's surface, the story list.
class StoryPanel : public PicturePanel {
  Q_OBJECT
 public:
  explicit StoryPanel(QWidget* parent);

  FaceButton* quitButton;      // "おわり"
  QFrame* buttonFrame;         // frame around the title and the story buttons
  QLabel* title;               // "ぴこらま"
  FaceButton* makeButton;      // "つくる"
  FaceButton* drawButton;      // "えをかく"
  FaceButton* playButton;      // "じっこう"
  FaceButton* webPageButton;   // "HＰ変換"
  FaceButton* renameButton;    // "名前変更"
  FaceButton* exchangeButton;  // "交換"
  FaceButton* deleteButton;    // "削除"

 signals:
  void quitPressed();
  void makePressed();
  void renamePressed();
  void deletePressed();
};
