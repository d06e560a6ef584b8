#pragma once
#include "shell/Widgets.h"

// The story panel: the quit button, the story buttons and the story list.
class StoryPanel : public PicturePanel {
  Q_OBJECT
 public:
  explicit StoryPanel(QWidget* parent);

  FaceButton* Command4;

 signals:
  void quitPressed();
};
