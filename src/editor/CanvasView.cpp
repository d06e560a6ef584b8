#include "editor/CanvasView.h"

#include "shell/Shared.h"

CanvasView::CanvasView(Shared& m, QWidget* parent)
    : PicturePanel(QStringLiteral("Picture2"), Qt::white, parent), m_(m) {
  setSurface(&m_.Picture2Image);
}
