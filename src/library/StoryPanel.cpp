#include "library/StoryPanel.h"

StoryPanel::StoryPanel(QWidget* parent)
    : PicturePanel(QStringLiteral("Picture1"), QColor(192, 255, 255), parent) {
  Command4 = new FaceButton(QStringLiteral("Command4"), QStringLiteral("おわり"), QColor(255, 192, 192), this);
  controls().add(Command4, {4, 4, 177, 33}, 14, true);
  connect(Command4, &QPushButton::clicked, this, &StoryPanel::quitPressed);
}
