#pragma once
#include <array>

#include "platform/Widgets.h"

// The start screen: the class buttons, the drive button and the data root.
class ClassPanel : public PicturePanel {
  Q_OBJECT
 public:
  ClassPanel(const std::array<QString, 31>& classNames, QWidget* parent);

  QLabel* Label2;
  FaceButton* Command17;
  QLabel* Label4;
  std::array<FaceButton*, 30> Command2{};

 signals:
  void classChosen(int k);
  void driveButtonPressed();
};
