#pragma once
#include <QDialog>
#include <QLineEdit>
#include <array>

#include "platform/Widgets.h"

class Shared;

// The drive dialog "ﾄﾞﾗｲﾌﾞ設定": eight drive buttons move the data root.
// Closing it any other way leaves the data root as it was.
class Form8 : public QDialog {
  Q_OBJECT
 public:
  Form8(Shared& m, QWidget* parent);

  QLineEdit* Text1;
  std::array<FaceButton*, 8> Command1{};

 private:
  Shared& m_;
};
