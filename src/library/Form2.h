#pragma once
#include <QDialog>
#include <QLabel>
#include <QLineEdit>

#include "platform/Widgets.h"

class Shared;

// The name dialog "作品名をつける" of a new story. It is hidden after use,
// not destroyed, so the text box still shows the last name next time.
class Form2 : public QDialog {
  Q_OBJECT
 public:
  Form2(Shared& m, QWidget* parent);

  QLabel* Label1;
  QLineEdit* Text1;     // the name, 13 characters at most
  FaceButton* Command1;  // "なまえをほぞん"; Return in the text box presses it
  FaceButton* Command2;  // "キャンセル"

  // Cancel, Escape and the window's close button.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Command1_Click();
  Shared& m_;
};
