#include "editor/DrawingTools.h"

#include <cmath>

#include "editor/Canvas.h"
#include "editor/Raster.h"
#include "platform/Numbers.h"
#include "shell/Shared.h"

namespace {

// Tool codes of the drawing tools.
constexpr int16_t kThinPen = 1;
constexpr int16_t kLargeBrush = 4;
constexpr int16_t kLineTool = 5;
constexpr int16_t kBoxTool = 6;
constexpr int16_t kCircleTool = 8;
constexpr int16_t kEllipseTool = 10;
constexpr int16_t kFill = 12;
constexpr int16_t kSmallEraserTool = 20;
constexpr int16_t kLargeEraserTool = 21;

constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kOutlineWhite = 0xFFFFFFFF;  // the outline inverts what lies under it
constexpr int kEraserPaletteIndex = 7;      // white

// Pen discs and stroke widths of the brushes and the erasers.
constexpr int kPenDiscRadius[] = {0, 0, 5, 9, 17};
constexpr int kPenStrokeWidth[] = {0, 1, 11, 20, 33};
int EraserDiscRadius(int tool) { return tool == kSmallEraserTool ? 7 : 15; }
int EraserStrokeWidth(int tool) { return tool == kSmallEraserTool ? 11 : 25; }

bool IsPen(int tool) { return tool >= kThinPen && tool <= kLargeBrush; }
bool IsEraser(int tool) { return tool == kSmallEraserTool || tool == kLargeEraserTool; }

QRgb PaletteRgb(const Shared& m, int index) {
  if (index < 0 || index >= int(m.PaletteColors.size())) index = 0;
  return PaletteColour(m.PaletteColors[size_t(index)]).rgb();
}

// A point in canvas pixels: fractions (the small layout) round half to even.
QPoint Pixel(float x, float y) { return QPoint(int(RoundHalfEven(x)), int(RoundHalfEven(y))); }
QPoint Anchor(const Shared& m) { return Pixel(m.ShapePointsX[1], m.ShapePointsY[1]); }
void SetAnchor(Shared& m, float x, float y) {
  m.ShapePointsX[1] = x;
  m.ShapePointsY[1] = y;
}

// The canvas as the primitives need it: 32 bits a pixel.
QImage& Canvas(Shared& m) {
  QImage& canvas = m.Picture2Image;
  if (!canvas.isNull() && canvas.format() != QImage::Format_RGB32 &&
      canvas.format() != QImage::Format_ARGB32)
    canvas.convertTo(QImage::Format_RGB32);
  return canvas;
}

void Changed(Shared& m, const QRect& rect) {
  const QRect shown = rect & m.Picture2Image.rect();
  if (!shown.isEmpty()) m.SurfaceChanged(Surface::Picture2, shown);
}

// A rectangle outline changes only its four sides.
void BoxChanged(Shared& m, const QRect& box) {
  Changed(m, QRect(box.left(), box.top(), box.width(), 1));
  Changed(m, QRect(box.left(), box.bottom(), box.width(), 1));
  Changed(m, QRect(box.left(), box.top(), 1, box.height()));
  Changed(m, QRect(box.right(), box.top(), 1, box.height()));
}

int Radius(QPoint a, QPoint e) {
  const double dx = a.x() - e.x(), dy = a.y() - e.y();
  return int(RoundHalfEven(std::sqrt(dx * dx + dy * dy)));
}

// Draws, or by drawing again removes, the outline of the shape tool in force
// from the anchor to `end`, in white with the exclusive-or pen. False when
// there is no outline: another tool, or an ellipse without width.
bool ToggleOutline(Shared& m, QPoint end) {
  QImage& canvas = Canvas(m);
  const QPoint a = Anchor(m);
  const auto xorMode = raster::Mode::Xor;
  switch (m.CurrentTool) {
    case kLineTool:
      Changed(m, raster::Line(canvas, a, end, 1, kOutlineWhite, xorMode));
      return true;
    case kBoxTool:
      BoxChanged(m, raster::Box(canvas, a, end, kOutlineWhite, xorMode));
      return true;
    case kCircleTool:
      Changed(m, raster::Circle(canvas, a, Radius(a, end), kOutlineWhite, xorMode));
      return true;
    case kEllipseTool: {
      const int dx = std::abs(a.x() - end.x()), dy = std::abs(a.y() - end.y());
      if (dx <= 0) return false;
      Changed(m, raster::Ellipse(canvas, a, dx, dy, kOutlineWhite, xorMode));
      return true;
    }
    default:
      return false;
  }
}

// The second click of a shape, or a further click of the line chain.
void FinishShape(Shared& m) {
  QImage& canvas = Canvas(m);
  const QPoint a = Anchor(m);
  const QPoint b = Pixel(m.ShapePointsX[2], m.ShapePointsY[2]);
  const QRgb pen = PaletteRgb(m, m.PenColorIndex);
  switch (m.CurrentTool) {
    case kLineTool:
      // There and back, so both end pixels are painted.
      Changed(m, raster::Line(canvas, a, b, 1, pen));
      Changed(m, raster::Line(canvas, b, a, 1, pen));
      SetAnchor(m, m.ShapePointsX[2], m.ShapePointsY[2]);
      m.ShapeClickCount = 1;
      break;
    case kBoxTool:
      BoxChanged(m, raster::Box(canvas, a, b, pen));
      m.ShapeClickCount = 0;
      break;
    case kCircleTool:
      Changed(m, raster::Circle(canvas, a, Radius(a, b), pen));
      m.ShapeClickCount = 0;
      break;
    case kEllipseTool: {
      const int dx = std::abs(a.x() - b.x()), dy = std::abs(a.y() - b.y());
      if (dx > 0) Changed(m, raster::Ellipse(canvas, a, dx, dy, pen));
      m.ShapeClickCount = 0;
      break;
    }
    default:
      return;
  }
  PaintCanvasFrame(m);
}

// The black box around the drawable area closes it for the fill; the frame
// repaint at mouse-up covers it again.
void FloodFill(Shared& m, float x, float y) {
  QImage& canvas = Canvas(m);
  const int ox = m.CanvasOffsetX, oy = m.CanvasOffsetY;
  const int w = m.CanvasPanelWidth, h = m.CanvasPanelHeight;
  BoxChanged(m, raster::Box(canvas, {ox - 1, oy - 1}, {w - 2 * ox - 2, h - 2 * oy - 1}, kBlack));
  Changed(m, raster::BorderFill(canvas, Pixel(x, y), kBlack, PaletteRgb(m, m.FillColorIndex)));
  m.ShapeClickCount = 0;
}

}  // namespace

void ClampCanvasPoint(Shared& m, float& x, float& y) {
  const float left = m.CanvasOffsetX, top = m.CanvasOffsetY;
  const float right = left + 798, bottom = top + 599;
  if (std::isnan(x)) x = left;
  if (std::isnan(y)) y = top;
  if (x < left) x = left;
  if (y < top) y = top;
  if (x > right) x = right;
  if (y > bottom) y = bottom;
  if (m.FixMode == 1) {
    if (m.SnapStep <= 0) m.SnapStep = 8;
    const float step = m.SnapStep;
    x = float(RoundHalfEven((x - left) / step)) * step + left;
    y = float(RoundHalfEven((y - top) / step)) * step + top;
    // The grid line past the last column or row is pulled back to it.
    if (x > right) x = right;
    if (y > bottom) y = bottom;
  }
}

void EraseRubberBand(Shared& m) {
  if (m.ShapeClickCount != 1) return;
  if (m.LastPointX != -1) ToggleOutline(m, QPoint(m.LastPointX, m.LastPointY));
  m.LastPointX = -1;
}

void CanvasMouseDown(Shared& m, int button, float x, float y) {
  ClampCanvasPoint(m, x, y);
  // The outline on the screen goes before it is forgotten, so a click away
  // from where the pointer last moved leaves no inverted pixels behind.
  EraseRubberBand(m);
  if (button != kLeftButton) {
    m.ShapeClickCount = 0;  // cancels a shape, ends a line chain
    return;
  }
  if (m.ShapeClickCount < 0 || m.ShapeClickCount > 9) m.ShapeClickCount = 0;
  ++m.ShapeClickCount;
  m.ShapePointsX[size_t(m.ShapeClickCount)] = x;
  m.ShapePointsY[size_t(m.ShapeClickCount)] = y;
  m.LastPointX = -1;

  const int tool = m.CurrentTool;
  QImage& canvas = Canvas(m);
  if (IsPen(tool)) {
    SetAnchor(m, x, y);
    const QRgb pen = PaletteRgb(m, m.PenColorIndex);
    if (tool == kThinPen)
      Changed(m, raster::SetPixel(canvas, Pixel(x, y), pen));
    else
      Changed(m, raster::Disc(canvas, Pixel(x, y), kPenDiscRadius[tool], pen));
    m.ShapeClickCount = 0;
    PaintCanvasFrame(m);
    return;
  }
  switch (tool) {
    case kLineTool:
    case kBoxTool:
    case kCircleTool:
    case kEllipseTool:
      if (m.ShapeClickCount >= 2) FinishShape(m);
      break;
    case kFill:
      FloodFill(m, x, y);
      break;
    case kSmallEraserTool:
    case kLargeEraserTool:
      m.ShapeClickCount = 1;
      SetAnchor(m, x, y);
      Changed(m, raster::Disc(canvas, Pixel(x, y), EraserDiscRadius(tool), PaletteRgb(m, kEraserPaletteIndex)));
      PaintCanvasFrame(m);
      break;
    default:
      break;  // no tool, the text box, paste
  }
}

void CanvasMouseMove(Shared& m, int buttons, float x, float y) {
  ClampCanvasPoint(m, x, y);
  const int tool = m.CurrentTool;
  if (buttons == kLeftButton && IsPen(tool)) {
    Changed(m, raster::Line(Canvas(m), Anchor(m), Pixel(x, y), kPenStrokeWidth[tool],
                            PaletteRgb(m, m.PenColorIndex)));
    SetAnchor(m, x, y);
  } else if (IsEraser(tool) && m.ShapeClickCount != 0) {
    Changed(m, raster::Line(Canvas(m), Anchor(m), Pixel(x, y), EraserStrokeWidth(tool),
                            PaletteRgb(m, kEraserPaletteIndex)));
    SetAnchor(m, x, y);
  } else if (m.ShapeClickCount == 1) {
    if (tool != kLineTool && tool != kBoxTool && tool != kCircleTool && tool != kEllipseTool) return;
    const QPoint end = Pixel(x, y);
    if (end.x() == m.LastPointX && end.y() == m.LastPointY) return;
    if (m.LastPointX != -1) ToggleOutline(m, QPoint(m.LastPointX, m.LastPointY));
    if (ToggleOutline(m, end)) {
      m.LastPointX = int16_t(end.x());
      m.LastPointY = int16_t(end.y());
    } else {
      m.LastPointX = -1;
    }
  }
}

void CanvasMouseUp(Shared& m, int, float, float) {
  if (m.CurrentTool <= kLargeBrush || m.CurrentTool >= kSmallEraserTool) m.ShapeClickCount = 0;
  PaintCanvasFrame(m);
}
