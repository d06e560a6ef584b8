#pragma once
// The editor's tool panel Picture6: the tool buttons, the fill colour
// swatch, the erasers and the editor's other buttons at their designed
// places. It shows the faces and captions the shared module holds and
// passes clicks to the editor's procedures.

#include <QFrame>
#include <QGroupBox>
#include <QImage>
#include <QPointer>
#include <array>

#include "platform/Widgets.h"

class Form3;
class Shared;

// The 16 x 16 picture of a tipped paint bucket on the fill button.
QImage PaintBucketIcon();

class ToolPanel : public PicturePanel {
  Q_OBJECT
 public:
  ToolPanel(Shared& m, QWidget* parent);

  FaceButton* Command10;  // "えをかく おわり"
  QLabel* Label3;         // "【えをかく】"
  FaceButton* Command9;   // "じゆう" / "こてい"
  QFrame* Shape1;         // outline around the pens, shapes, undo and erasers
  std::array<FaceButton*, 15> Command7{};
  FaceButton* Command13;  // "もどす"
  QLabel* Label5;         // "消しゴム"
  FaceButton* Command25;  // small eraser
  FaceButton* Command26;  // large eraser
  QGroupBox* Frame1;      // "色ぬり"
  FaceButton* Command12;  // fill colour swatch
  FaceButton* Command14;  // "はじめから"
  FaceButton* Command11;  // "ほぞん", never shown
  FaceButton* Command8;   // "はくし"
  FaceButton* Command15;  // "ﾌｧｲﾙ読込"

  // The colour dialog, made on first use and kept.
  Form3* ColourDialog();

 private:
  void SyncControls();

  Shared& m_;
  QPointer<Form3> form3_;
};
