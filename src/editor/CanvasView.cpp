#include "editor/CanvasView.h"

#include "editor/DrawingTools.h"
#include "shell/Shared.h"

namespace {

// Mouse buttons as the drawing tools count them: left 1, right 2, middle 4.
int ButtonValue(Qt::MouseButtons buttons) {
  int value = 0;
  if (buttons & Qt::LeftButton) value |= kLeftButton;
  if (buttons & Qt::RightButton) value |= kRightButton;
  if (buttons & Qt::MiddleButton) value |= kMiddleButton;
  // Any other button is "not the left one" for a press.
  if (value == 0 && buttons != Qt::NoButton) value = 8;
  return value;
}

}  // namespace

CanvasView::CanvasView(Shared& m, QWidget* parent)
    : PicturePanel(QStringLiteral("Picture2"), Qt::white, parent), m_(m) {
  setSurface(&m_.Picture2Image);
  // Shape outlines follow the pointer with no button held.
  setMouseTracking(true);
  connect(this, &PicturePanel::mousePressed, this, [this](Qt::MouseButton button, Qt::KeyboardModifiers, QPointF at) {
    CanvasMouseDown(m_, ButtonValue(button), float(at.x()), float(at.y()));
  });
  connect(this, &PicturePanel::mouseMoved, this, [this](Qt::MouseButtons buttons, Qt::KeyboardModifiers, QPointF at) {
    CanvasMouseMove(m_, ButtonValue(buttons), float(at.x()), float(at.y()));
  });
  connect(this, &PicturePanel::mouseReleased, this, [this](Qt::MouseButton button, Qt::KeyboardModifiers, QPointF at) {
    CanvasMouseUp(m_, ButtonValue(button), float(at.x()), float(at.y()));
  });
}
