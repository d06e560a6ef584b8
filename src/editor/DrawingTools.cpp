// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "editor/DrawingTools.h"

#include <cmath>

#include "editor/Canvas.h"
#include "editor/Raster.h"
#include "platform/Numbers.h"
#include "editor/EditorState.h"

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

QRgb PaletteRgb(const EditorState& editor, int index) {
  if (index < 0 || index >= int(editor.PaletteColors.size())) index = 0;
  return PaletteColour(editor.PaletteColors[size_t(index)]).rgb();
}

// A point in canvas pixels: fractions (the small layout) round half to even.
QPoint Pixel(float x, float y) { return QPoint(int(RoundHalfEven(x)), int(RoundHalfEven(y))); }
QPoint Anchor(const EditorState& editor) { return Pixel(editor.ShapePointsX[1], editor.ShapePointsY[1]); }
void SetAnchor(EditorState& editor, float x, float y) {
  editor.ShapePointsX[1] = x;
  editor.ShapePointsY[1] = y;
}

// The canvas as the primitives need it: 32 bits a pixel.
QImage& Canvas(EditorState& editor) {
  QImage& canvas = editor.canvasImage;
  if (!canvas.isNull() && canvas.format() != QImage::Format_RGB32 &&
      canvas.format() != QImage::Format_ARGB32)
    canvas.convertTo(QImage::Format_RGB32);
  return canvas;
}

void Changed(EditorState& editor, const QRect& rect) {
  const QRect shown = rect & editor.canvasImage.rect();
  if (!shown.isEmpty()) editor.notifySurface(shown);
}

// A rectangle outline changes only its four sides.
void BoxChanged(EditorState& editor, const QRect& box) {
  Changed(editor, QRect(box.left(), box.top(), box.width(), 1));
  Changed(editor, QRect(box.left(), box.bottom(), box.width(), 1));
  Changed(editor, QRect(box.left(), box.top(), 1, box.height()));
  Changed(editor, QRect(box.right(), box.top(), 1, box.height()));
}

int Radius(QPoint a, QPoint e) {
  const double dx = a.x() - e.x(), dy = a.y() - e.y();
  return int(RoundHalfEven(std::sqrt(dx * dx + dy * dy)));
}

// Draws, or by drawing again removes, the outline of the shape tool in force
// from the anchor to `end`, in white with the exclusive-or pen. False when
// there is no outline: another tool, or an ellipse without width.
bool ToggleOutline(EditorState& editor, QPoint end) {
  QImage& canvas = Canvas(editor);
  const QPoint a = Anchor(editor);
  const auto xorMode = raster::Mode::Xor;
  switch (editor.CurrentTool) {
    case kLineTool:
      Changed(editor, raster::Line(canvas, a, end, 1, kOutlineWhite, xorMode));
      return true;
    case kBoxTool:
      BoxChanged(editor, raster::Box(canvas, a, end, kOutlineWhite, xorMode));
      return true;
    case kCircleTool:
      Changed(editor, raster::Circle(canvas, a, Radius(a, end), kOutlineWhite, xorMode));
      return true;
    case kEllipseTool: {
      const int dx = std::abs(a.x() - end.x()), dy = std::abs(a.y() - end.y());
      if (dx <= 0) return false;
      Changed(editor, raster::Ellipse(canvas, a, dx, dy, kOutlineWhite, xorMode));
      return true;
    }
    default:
      return false;
  }
}

// The second click of a shape, or a further click of the line chain.
void FinishShape(EditorState& editor) {
  QImage& canvas = Canvas(editor);
  const QPoint a = Anchor(editor);
  const QPoint b = Pixel(editor.ShapePointsX[2], editor.ShapePointsY[2]);
  const QRgb pen = PaletteRgb(editor, editor.PenColorIndex);
  switch (editor.CurrentTool) {
    case kLineTool:
      // There and back, so both end pixels are painted.
      Changed(editor, raster::Line(canvas, a, b, 1, pen));
      Changed(editor, raster::Line(canvas, b, a, 1, pen));
      SetAnchor(editor, editor.ShapePointsX[2], editor.ShapePointsY[2]);
      editor.ShapeClickCount = 1;
      break;
    case kBoxTool:
      BoxChanged(editor, raster::Box(canvas, a, b, pen));
      editor.ShapeClickCount = 0;
      break;
    case kCircleTool:
      Changed(editor, raster::Circle(canvas, a, Radius(a, b), pen));
      editor.ShapeClickCount = 0;
      break;
    case kEllipseTool: {
      const int dx = std::abs(a.x() - b.x()), dy = std::abs(a.y() - b.y());
      if (dx > 0) Changed(editor, raster::Ellipse(canvas, a, dx, dy, pen));
      editor.ShapeClickCount = 0;
      break;
    }
    default:
      return;
  }
  PaintCanvasFrame(editor);
}

// The black box around the drawable area closes it for the fill; the frame
// repaint at mouse-up covers it again.
void FloodFill(EditorState& editor, float x, float y) {
  QImage& canvas = Canvas(editor);
  const int ox = editor.CanvasOffsetX, oy = editor.CanvasOffsetY;
  const int w = editor.CanvasPanelWidth, h = editor.CanvasPanelHeight;
  BoxChanged(editor, raster::Box(canvas, {ox - 1, oy - 1}, {w - 2 * ox - 2, h - 2 * oy - 1}, kBlack));
  Changed(editor, raster::BorderFill(canvas, Pixel(x, y), kBlack, PaletteRgb(editor, editor.FillColorIndex)));
  editor.ShapeClickCount = 0;
}

}  // namespace

void ClampCanvasPoint(EditorState& editor, float& x, float& y) {
  const float left = editor.CanvasOffsetX, top = editor.CanvasOffsetY;
  const float right = left + 798, bottom = top + 599;
  if (std::isnan(x)) x = left;
  if (std::isnan(y)) y = top;
  if (x < left) x = left;
  if (y < top) y = top;
  if (x > right) x = right;
  if (y > bottom) y = bottom;
  if (editor.FixMode == 1) {
    if (editor.SnapStep <= 0) editor.SnapStep = 8;
    const float step = editor.SnapStep;
    x = float(RoundHalfEven((x - left) / step)) * step + left;
    y = float(RoundHalfEven((y - top) / step)) * step + top;
    // The grid line past the last column or row is pulled back to it.
    if (x > right) x = right;
    if (y > bottom) y = bottom;
  }
}

void EraseRubberBand(EditorState& editor) {
  if (editor.ShapeClickCount != 1) return;
  if (editor.LastPointX != -1) ToggleOutline(editor, QPoint(editor.LastPointX, editor.LastPointY));
  editor.LastPointX = -1;
}

void CanvasMouseDown(EditorState& editor, int button, float x, float y) {
  ClampCanvasPoint(editor, x, y);
  // The outline on the screen goes before it is forgotten, so a click away
  // from where the pointer last moved leaves no inverted pixels behind.
  EraseRubberBand(editor);
  if (button != kLeftButton) {
    editor.ShapeClickCount = 0;  // cancels a shape, ends a line chain
    return;
  }
  if (editor.ShapeClickCount < 0 || editor.ShapeClickCount > 9) editor.ShapeClickCount = 0;
  ++editor.ShapeClickCount;
  editor.ShapePointsX[size_t(editor.ShapeClickCount)] = x;
  editor.ShapePointsY[size_t(editor.ShapeClickCount)] = y;
  editor.LastPointX = -1;

  const int tool = editor.CurrentTool;
  QImage& canvas = Canvas(editor);
  if (IsPen(tool)) {
    SetAnchor(editor, x, y);
    const QRgb pen = PaletteRgb(editor, editor.PenColorIndex);
    if (tool == kThinPen)
      Changed(editor, raster::SetPixel(canvas, Pixel(x, y), pen));
    else
      Changed(editor, raster::Disc(canvas, Pixel(x, y), kPenDiscRadius[tool], pen));
    editor.ShapeClickCount = 0;
    PaintCanvasFrame(editor);
    return;
  }
  switch (tool) {
    case kLineTool:
    case kBoxTool:
    case kCircleTool:
    case kEllipseTool:
      if (editor.ShapeClickCount >= 2) FinishShape(editor);
      break;
    case kFill:
      FloodFill(editor, x, y);
      break;
    case kSmallEraserTool:
    case kLargeEraserTool:
      editor.ShapeClickCount = 1;
      SetAnchor(editor, x, y);
      Changed(editor, raster::Disc(canvas, Pixel(x, y), EraserDiscRadius(tool), PaletteRgb(editor, kEraserPaletteIndex)));
      PaintCanvasFrame(editor);
      break;
    default:
      break;  // no tool, the text box, paste
  }
}

void CanvasMouseMove(EditorState& editor, int buttons, float x, float y) {
  ClampCanvasPoint(editor, x, y);
  const int tool = editor.CurrentTool;
  if (buttons == kLeftButton && IsPen(tool)) {
    Changed(editor, raster::Line(Canvas(editor), Anchor(editor), Pixel(x, y), kPenStrokeWidth[tool],
                            PaletteRgb(editor, editor.PenColorIndex)));
    SetAnchor(editor, x, y);
  } else if (IsEraser(tool) && editor.ShapeClickCount != 0) {
    Changed(editor, raster::Line(Canvas(editor), Anchor(editor), Pixel(x, y), EraserStrokeWidth(tool),
                            PaletteRgb(editor, kEraserPaletteIndex)));
    SetAnchor(editor, x, y);
  } else if (editor.ShapeClickCount == 1) {
    if (tool != kLineTool && tool != kBoxTool && tool != kCircleTool && tool != kEllipseTool) return;
    const QPoint end = Pixel(x, y);
    if (end.x() == editor.LastPointX && end.y() == editor.LastPointY) return;
    if (editor.LastPointX != -1) ToggleOutline(editor, QPoint(editor.LastPointX, editor.LastPointY));
    if (ToggleOutline(editor, end)) {
      editor.LastPointX = int16_t(end.x());
      editor.LastPointY = int16_t(end.y());
    } else {
      editor.LastPointX = -1;
    }
  }
}

void CanvasMouseUp(EditorState& editor, int, float, float) {
  if (editor.CurrentTool <= kLargeBrush || editor.CurrentTool >= kSmallEraserTool) editor.ShapeClickCount = 0;
  PaintCanvasFrame(editor);
}
