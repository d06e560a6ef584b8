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

  FaceButton* Command4;   // "おわり"
  QFrame* Shape2;         // frame around the title and the story buttons
  QLabel* Label1;         // "ぴこらま"
  FaceButton* Command1;   // "つくる"
  FaceButton* Command3;   // "えをかく"
  FaceButton* Command6;   // "じっこう"
  FaceButton* Command24;  // "HＰ変換"
  FaceButton* Command23;  // "名前変更"
  FaceButton* Command5;   // "交換"
  FaceButton* Command16;  // "削除"

 signals:
  void quitPressed();
  void makePressed();
  void renamePressed();
  void deletePressed();
};
