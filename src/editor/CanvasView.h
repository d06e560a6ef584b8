#pragma once
// The canvas panel Picture2: shows the canvas surface, scaled in the small
// layout, and reports pointer positions in canvas pixels.

#include "platform/Widgets.h"

class Shared;

class CanvasView : public PicturePanel {
  Q_OBJECT
 public:
  CanvasView(Shared& m, QWidget* parent);

 private:
  Shared& m_;
};
