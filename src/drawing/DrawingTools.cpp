// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "drawing/DrawingTools.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "drawing/Canvas.h"
#include "drawing/Raster.h"
#include "drawing/StampTable.h"
#include "platform/Dialogs.h"
#include "platform/Numbers.h"
#include "platform/TextCodec.h"

namespace {

constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kOutlineWhite = 0xFFFFFFFF;  // the outline inverts what lies under it
constexpr int kEraserPaletteIndex = 7;      // white

// A point in canvas pixels: fractions (the small layout) round half to even.
QPoint Pixel(QPointF p) { return QPoint(int(RoundHalfEven(p.x())), int(RoundHalfEven(p.y()))); }

// The canvas as the primitives need it: 32 bits a pixel.
QImage& Canvas(EditorState& editor) {
  QImage& canvas = editor.canvas();
  if (!canvas.isNull() && canvas.format() != QImage::Format_RGB32 &&
      canvas.format() != QImage::Format_ARGB32)
    canvas.convertTo(QImage::Format_RGB32);
  return canvas;
}

void Changed(EditorState& editor, const QRect& rect) {
  const QRect shown = rect & editor.canvas().rect();
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

// The figures of the two-click kinds, from the first point `a` to `e`:
// in the pen colour when the second click finishes the shape, and in white
// with the exclusive-or pen as the outline following the pointer (drawing
// it again removes it). False when there is no figure.
using Figure = bool (*)(EditorState& editor, QPoint a, QPoint e, QRgb colour, raster::Mode mode);

bool LineFigure(EditorState& editor, QPoint a, QPoint e, QRgb colour, raster::Mode mode) {
  Changed(editor, raster::Line(Canvas(editor), a, e, 1, colour, mode));
  // A drawn line goes there and back, so both end pixels are painted.
  if (mode == raster::Mode::Copy) Changed(editor, raster::Line(Canvas(editor), e, a, 1, colour, mode));
  return true;
}

bool BoxFigure(EditorState& editor, QPoint a, QPoint e, QRgb colour, raster::Mode mode) {
  BoxChanged(editor, raster::Box(Canvas(editor), a, e, colour, mode));
  return true;
}

bool CircleFigure(EditorState& editor, QPoint a, QPoint e, QRgb colour, raster::Mode mode) {
  Changed(editor, raster::Circle(Canvas(editor), a, Radius(a, e), colour, mode));
  return true;
}

// The ellipse fits the rectangle whose corner is `e`; one without width is
// not drawn.
bool EllipseFigure(EditorState& editor, QPoint a, QPoint e, QRgb colour, raster::Mode mode) {
  const int dx = std::abs(a.x() - e.x()), dy = std::abs(a.y() - e.y());
  if (dx <= 0) return false;
  Changed(editor, raster::Ellipse(Canvas(editor), a, dx, dy, colour, mode));
  return true;
}

struct TwoClickKind {
  ToolKind kind;
  Figure figure;
  bool chained;  // the second point begins the next figure
};

constexpr TwoClickKind kTwoClickKinds[] = {
    {ToolKind::Line, LineFigure, true},
    {ToolKind::Box, BoxFigure, false},
    {ToolKind::Circle, CircleFigure, false},
    {ToolKind::Ellipse, EllipseFigure, false},
};

const TwoClickKind* TwoClickKindOf(Tool tool) {
  for (const TwoClickKind& k : kTwoClickKinds)
    if (k.kind == InfoOf(tool).kind) return &k;
  return nullptr;
}

// Presses of the pens and erasers leave a disc; moves draw a stroke.
QRgb StrokeColour(const EditorState& editor, ToolKind kind) {
  return editor.paletteColour(kind == ToolKind::Eraser ? kEraserPaletteIndex : editor.penColourIndex);
}

// Several strokes at once. A stroke drawn alone is one step as every other
// action is: its release records all that changed since the step before,
// and it keeps nothing else. As soon as a second stroke begins beside it,
// each stroke in progress keeps a mask of the pixels it goes over (the
// first one's begins as what is drawn and not yet recorded, which is its
// own), and a stroke lifted while others go on is recorded as a step of
// its masked pixels only; the last one lifted records the rest, as a
// stroke alone does. A stroke left alone lets its mask go.
//
// Where strokes cross, a pixel goes with the step of the first of them to
// be lifted, with the value it has then; a stroke lifted later holds there
// only what it changed after that. So undoing the later step leaves the
// earlier stroke whole, its crossings included, and undoing both gives
// back exactly the picture from before them. (With the same pen the
// crossing looks the same either way; where the tool changed in between,
// the earlier step keeps what was on top when it was lifted.)

QImage BlankMask(EditorState& editor) {
  QImage mask(Canvas(editor).size(), QImage::Format_Grayscale8);
  mask.fill(0);
  return mask;
}

// The stroke of `pointer`, begun at `from` if the pointer was not drawing.
PointerStroke& StrokeOf(EditorState& editor, int pointer, QPointF from, double width) {
  if (const auto found = editor.strokes.find(pointer); found != editor.strokes.end()) return found->second;
  const bool beside = !editor.strokes.empty();
  if (beside) {
    for (auto& [id, other] : editor.strokes) {
      if (!other.touched.isNull()) continue;
      other.touched = BlankMask(editor);
      other.touchedArea = editor.history.MarkUnrecorded(Canvas(editor), other.touched);
    }
  }
  PointerStroke& stroke = editor.strokes[pointer];
  stroke.last = from;
  stroke.width = width;
  if (beside) stroke.touched = BlankMask(editor);
  return stroke;
}

// A piece of a stroke, on the canvas and, while other strokes go on, in its
// mask.
void StrokeLine(EditorState& editor, PointerStroke& stroke, QPoint a, QPoint b, int width, QRgb colour) {
  if (stroke.touched.isNull()) {
    Changed(editor, raster::Line(Canvas(editor), a, b, width, colour));
    return;
  }
  const QRect painted = raster::MarkedLine(Canvas(editor), stroke.touched, a, b, width, colour);
  stroke.touchedArea |= painted & stroke.touched.rect();
  Changed(editor, painted);
}

// The stroke of `pointer` ends and is one step of the history. False when
// the pointer was not drawing.
bool EndStroke(EditorState& editor, int pointer) {
  const auto found = editor.strokes.find(pointer);
  if (found == editor.strokes.end()) return false;
  const PointerStroke stroke = std::move(found->second);
  editor.strokes.erase(found);
  if (editor.strokes.size() == 1) {
    PointerStroke& left = editor.strokes.begin()->second;
    left.touched = QImage();
    left.touchedArea = QRect();
  }
  PaintCanvasFrame(editor);
  // A shape's outline following the pointer (the tool changed during the
  // stroke) is no part of the picture: the next step takes the stroke.
  if (OutlineShown(editor)) return true;
  if (editor.strokes.empty() || stroke.touched.isNull()) {
    RecordStep(editor);
  } else {
    RecordStep(editor, stroke.touched, stroke.touchedArea);
  }
  return true;
}

// The press of pointer `pointer`: a disc, its radius following the width
// (the tool's own disc at full width), and the stroke's start.
void PointerDot(EditorState& editor, const ToolInfo& tool, int pointer, QPointF at, double width) {
  PointerStroke& stroke = StrokeOf(editor, pointer, at, width);
  stroke.last = at;
  stroke.width = width;
  const int radius = width >= tool.width ? tool.dot : int(RoundHalfEven(tool.dot * width / tool.width));
  const QRgb colour = StrokeColour(editor, tool.kind);
  if (stroke.touched.isNull()) {
    Changed(editor, raster::Disc(Canvas(editor), Pixel(at), radius, colour));
  } else {
    const QRect painted = raster::MarkedDisc(Canvas(editor), stroke.touched, Pixel(at), radius, colour);
    stroke.touchedArea |= painted & stroke.touched.rect();
    Changed(editor, painted);
  }
  PaintCanvasFrame(editor);
}

// The stroke of `pointer` goes on to `to`, `width` wide there. At an
// unchanged width it is one line; a width that changes is drawn in short
// pieces, each a little wider or thinner than the one before.
void ContinueStroke(EditorState& editor, const ToolInfo& tool, int pointer, QPointF to, double width) {
  PointerStroke& stroke = StrokeOf(editor, pointer, editor.shape.anchor, width);
  const QPointF last = stroke.last;
  const double lastWidth = stroke.width;
  const QRgb colour = StrokeColour(editor, tool.kind);
  const int w0 = int(RoundHalfEven(lastWidth)), w1 = int(RoundHalfEven(width));
  if (w0 == w1) {
    StrokeLine(editor, stroke, Pixel(last), Pixel(to), w1, colour);
  } else {
    const QPointF d = to - last;
    const int pieces = std::max(1, int(std::ceil(std::hypot(d.x(), d.y()) / 2.0)));
    QPointF a = last;
    for (int i = 1; i <= pieces; ++i) {
      const double t = double(i) / pieces;
      const QPointF b = last + d * t;
      const int w = int(RoundHalfEven(lastWidth + (width - lastWidth) * t));
      StrokeLine(editor, stroke, Pixel(a), Pixel(b), std::max(1, w), colour);
      a = b;
    }
  }
  stroke.last = to;
  stroke.width = width;
}

// The mouse draws at the tool's full width.
void Dot(EditorState& editor, const ToolInfo& tool, QPointF at) {
  editor.shape.anchor = at;
  PointerDot(editor, tool, kMousePointer, at, tool.width);
}

void Stroke(EditorState& editor, const ToolInfo& tool, QPointF to) {
  ContinueStroke(editor, tool, kMousePointer, to, tool.width);
  editor.shape.anchor = to;
}

// The black box around the drawable area closes it for the fill; the frame
// repaint at mouse-up covers it again.
void FloodFill(EditorState& editor, QPointF at) {
  QImage& canvas = Canvas(editor);
  const int ox = editor.canvasOffsetX, oy = editor.canvasOffsetY;
  const int w = editor.canvasPanelWidth, h = editor.canvasPanelHeight;
  BoxChanged(editor, raster::Box(canvas, {ox - 1, oy - 1}, {w - 2 * ox - 2, h - 2 * oy - 1}, kBlack));
  Changed(editor, raster::BorderFill(canvas, Pixel(at), kBlack, editor.paletteColour(editor.fillColourIndex)));
}

// A click of a two-click kind: the first point, or the figure.
void Click(EditorState& editor, const TwoClickKind& kind, QPointF at) {
  ShapeInProgress& shape = editor.shape;
  if (shape.clicks != 1) {
    shape.anchor = at;
    shape.clicks = 1;
    return;
  }
  shape.second = at;
  kind.figure(editor, Pixel(shape.anchor), Pixel(at), editor.paletteColour(editor.penColourIndex),
              raster::Mode::Copy);
  if (kind.chained) {
    shape.anchor = at;
  } else {
    shape.clicks = 0;
  }
  PaintCanvasFrame(editor);
}

// The stamp preview moves to `centre`: the panel repaints where it was and
// where it is now. The picture itself is not touched.
void MoveStampPreview(EditorState& editor, QPoint centre) {
  if (editor.stampPreviewAt == centre) return;
  if (editor.stampPreviewAt) Changed(editor, StampRect(editor, *editor.stampPreviewAt));
  editor.stampPreviewAt = centre;
  Changed(editor, StampRect(editor, centre));
}

// A click with the stamp tool: the stamp centred there, over what is drawn,
// cut off at the picture's edges. The release makes it one step.
void PlaceStamp(EditorState& editor, QPoint centre) {
  const QImage stamp = ChosenStampImage(editor);
  if (stamp.isNull()) return;
  const QRect place = StampRect(editor, centre);
  {
    QPainter painter(&Canvas(editor));
    painter.setClipRect(PictureArea(editor));
    painter.drawImage(place.topLeft(), stamp);
  }
  Changed(editor, place & PictureArea(editor));
}

// The words' layout: the rectangle of their lines and, around it, the
// bubble's outline (with its tail) when one is chosen.
struct WordsLayout {
  QFont font;
  QStringList lines;
  int lineHeight = 0;
  QRect text;
  QPainterPath bubble;
  QRect whole;  // everything painted, the caret included
};

WordsLayout LayOutWords(const WordsInProgress& words, const WordsChoice& choice) {
  WordsLayout layout;
  layout.font = WordsFont(choice.size);
  const QFontMetrics metrics(layout.font);
  layout.lines = words.text.split(u'\n');
  layout.lineHeight = metrics.height();
  int width = 0;
  for (const QString& line : layout.lines) width = std::max(width, metrics.horizontalAdvance(line));
  const int caretRoom = std::max(2, choice.size / 8);
  layout.text = QRect(words.at.x(), words.at.y() - layout.lineHeight / 2, width + caretRoom,
                      layout.lineHeight * int(layout.lines.size()));
  layout.whole = layout.text;
  if (choice.bubble) {
    const int pad = std::max(6, choice.size / 3);
    const QRectF body = layout.text.adjusted(-pad, -pad / 2, pad, pad / 2);
    QPainterPath round;
    round.addRoundedRect(body, pad, pad);
    // The tail points down and to the left, to whoever says the words.
    const double x = body.left() + pad * 1.5, y = body.bottom();
    QPainterPath tail;
    tail.moveTo(x, y - 1);
    tail.lineTo(x + pad, y - 1);
    tail.lineTo(x - pad / 2.0, y + pad);
    tail.closeSubpath();
    layout.bubble = round.united(tail);
    layout.whole = layout.bubble.boundingRect().toAlignedRect().adjusted(-2, -2, 2, 2);
  }
  return layout;
}

void PaintWordsAs(QPainter& painter, const WordsLayout& layout, QRgb colour, bool caret) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  if (!layout.bubble.isEmpty()) {
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(Qt::white);
    painter.drawPath(layout.bubble);
  }
  painter.setFont(layout.font);
  painter.setPen(QColor(colour));
  const QFontMetrics metrics(layout.font);
  int y = layout.text.top();
  for (const QString& line : layout.lines) {
    painter.drawText(QPoint(layout.text.left(), y + metrics.ascent()), line);
    y += layout.lineHeight;
  }
  if (caret) {
    const int x = layout.text.left() + metrics.horizontalAdvance(layout.lines.back()) + 1;
    const int top = layout.text.top() + layout.lineHeight * int(layout.lines.size() - 1);
    painter.fillRect(QRect(x, top, std::max(2, layout.font.pixelSize() / 16), layout.lineHeight), QColor(colour));
  }
  painter.restore();
}

void PutDownWords(EditorState& editor, const WordsInProgress& words);

// A click with the words tool: on the words being typed it changes nothing;
// elsewhere it finishes them and starts new ones there.
void ClickWords(EditorState& editor, QPoint at) {
  if (editor.wordsEditing && WordsRect(editor).contains(at)) return;
  // The new words are there before the old ones are put down, so that
  // nothing watching the words (the keys over the canvas, with fingers
  // still on them) sees a moment without any.
  const std::optional<WordsInProgress> old = std::exchange(editor.wordsEditing, WordsInProgress{at, QString()});
  if (old) PutDownWords(editor, *old);
  Changed(editor, WordsRect(editor));
}

// Paints finished words into the picture as a step of their own.
void PutDownWords(EditorState& editor, const WordsInProgress& words) {
  const WordsLayout layout = LayOutWords(words, editor.words);
  if (!words.text.trimmed().isEmpty()) {
    {
      QPainter painter(&Canvas(editor));
      painter.setClipRect(PictureArea(editor));
      PaintWordsAs(painter, layout, editor.paletteColour(editor.penColourIndex), false);
    }
    PaintCanvasFrame(editor);
    RecordStep(editor);
  }
  Changed(editor, layout.whole);
}

}  // namespace

QFont WordsFont(int size) {
  QFont font(QStringLiteral("IPAGothic"));
  font.setPixelSize(size);
  return font;
}

QRect WordsRect(const EditorState& editor) {
  if (!editor.wordsEditing) return {};
  return LayOutWords(*editor.wordsEditing, editor.words).whole;
}

void PaintWords(QPainter& painter, const EditorState& editor, bool caret) {
  if (!editor.wordsEditing) return;
  PaintWordsAs(painter, LayOutWords(*editor.wordsEditing, editor.words),
               editor.paletteColour(editor.penColourIndex), caret);
}

bool TypeWords(EditorState& editor, Dialogs& dialogs, const QString& typed) {
  if (!editor.wordsEditing || typed.isEmpty()) return false;
  if (!text::CanEncode(QString(typed).remove(u'\n'))) {
    dialogs.Beep();
    return false;
  }
  const QRect was = WordsRect(editor);
  editor.wordsEditing->text += typed;
  Changed(editor, was | WordsRect(editor));
  return true;
}

void EraseLastCharacter(EditorState& editor) {
  if (!editor.wordsEditing || editor.wordsEditing->text.isEmpty()) return;
  QString& text = editor.wordsEditing->text;
  const QRect was = WordsRect(editor);
  // A character outside the basic plane is a surrogate pair.
  const bool pair = text.size() >= 2 && text.back().isLowSurrogate() && text.at(text.size() - 2).isHighSurrogate();
  text.chop(pair ? 2 : 1);
  Changed(editor, was | WordsRect(editor));
}

void FinishWords(EditorState& editor) {
  if (const std::optional<WordsInProgress> words = std::exchange(editor.wordsEditing, std::nullopt))
    PutDownWords(editor, *words);
}

void ChangeWordsLook(EditorState& editor, WordsChoice choice) {
  const QRect was = WordsRect(editor);
  editor.words = choice;
  Changed(editor, was | WordsRect(editor));
  editor.notifyChanged();  // the tool panel lights the choice
}

QImage ChosenStampImage(const EditorState& editor) {
  const StampChoice& choice = editor.stamp;
  const auto categories = StampCategories();
  if (choice.category < 0 || choice.category >= int(categories.size())) return {};
  const auto stamps = categories[size_t(choice.category)].stamps;
  if (choice.index < 0 || choice.index >= int(stamps.size())) return {};
  // The preview asks on every move: the last picture is kept.
  struct Kept {
    int category = -1, index = -1, size = 0;
    bool mirrored = false;
    QImage image;
  };
  static Kept kept;
  if (kept.category != choice.category || kept.index != choice.index || kept.size != choice.size ||
      kept.mirrored != choice.mirrored || kept.image.isNull()) {
    kept = {choice.category, choice.index, choice.size, choice.mirrored,
            RenderStamp(stamps[size_t(choice.index)], choice.size, choice.mirrored)};
  }
  return kept.image;
}

QRect StampRect(const EditorState& editor, QPoint centre) {
  const int size = editor.stamp.size;
  return {centre.x() - size / 2, centre.y() - size / 2, size, size};
}

QRect PictureArea(const EditorState& editor) {
  return {editor.canvasOffsetX, editor.canvasOffsetY, 800, 600};
}

void HideStampPreview(EditorState& editor) {
  if (!editor.stampPreviewAt) return;
  const QRect was = StampRect(editor, *editor.stampPreviewAt);
  editor.stampPreviewAt.reset();
  Changed(editor, was);
}

void ClampCanvasPoint(const EditorState& editor, float& x, float& y) {
  const float left = editor.canvasOffsetX, top = editor.canvasOffsetY;
  const float right = left + 798, bottom = top + 599;
  if (std::isnan(x)) x = left;
  if (std::isnan(y)) y = top;
  if (x < left) x = left;
  if (y < top) y = top;
  if (x > right) x = right;
  if (y > bottom) y = bottom;
  if (editor.placement == Placement::Fixed) {
    const float step = kSnapStep;
    x = float(RoundHalfEven((x - left) / step)) * step + left;
    y = float(RoundHalfEven((y - top) / step)) * step + top;
    // The grid line past the last column or row is pulled back to it.
    if (x > right) x = right;
    if (y > bottom) y = bottom;
  }
}

void EraseRubberBand(EditorState& editor) {
  ShapeInProgress& shape = editor.shape;
  if (shape.clicks != 1) return;
  if (shape.outlineEnd) {
    if (const TwoClickKind* kind = TwoClickKindOf(editor.tool))
      kind->figure(editor, Pixel(shape.anchor), *shape.outlineEnd, kOutlineWhite, raster::Mode::Xor);
  }
  shape.outlineEnd.reset();
}

void CancelShape(EditorState& editor) {
  EraseRubberBand(editor);
  HideStampPreview(editor);  // a tool change ends it too; the next move brings it back
  FinishWords(editor);
  editor.shape.clicks = 0;
}

void ForgetShape(EditorState& editor) {
  editor.shape = ShapeInProgress();
  editor.wordsEditing.reset();
}

bool OutlineShown(const EditorState& editor) {
  return editor.shape.clicks == 1 && editor.shape.outlineEnd.has_value();
}

void CanvasMouseDown(EditorState& editor, int button, float x, float y) {
  ClampCanvasPoint(editor, x, y);
  // The outline on the screen goes before it is forgotten, so a click away
  // from where the pointer last moved leaves no inverted pixels behind.
  EraseRubberBand(editor);
  if (button != kLeftButton) {
    editor.shape.clicks = 0;  // cancels a shape, ends a line chain
    return;
  }
  const QPointF at(x, y);
  const ToolInfo& tool = InfoOf(editor.tool);
  switch (tool.kind) {
    case ToolKind::Pen:
      editor.shape.clicks = 0;
      Dot(editor, tool, at);
      return;
    case ToolKind::Eraser:
      editor.shape.clicks = 1;  // a drag begun on the canvas
      Dot(editor, tool, at);
      return;
    case ToolKind::Fill:
      editor.shape.clicks = 0;
      FloodFill(editor, at);
      return;
    case ToolKind::Stamp:
      editor.shape.clicks = 0;
      PlaceStamp(editor, Pixel(at));
      return;
    case ToolKind::Words:
      editor.shape.clicks = 0;
      ClickWords(editor, Pixel(at));
      return;
    default:
      if (const TwoClickKind* kind = TwoClickKindOf(editor.tool)) Click(editor, *kind, at);
      return;  // no tool, the text box, paste: nothing
  }
}

void CanvasMouseMove(EditorState& editor, int buttons, float x, float y) {
  ClampCanvasPoint(editor, x, y);
  const QPointF at(x, y);
  const ToolInfo& tool = InfoOf(editor.tool);
  ShapeInProgress& shape = editor.shape;
  if (tool.kind == ToolKind::Pen) {
    if (buttons == kLeftButton) Stroke(editor, tool, at);
  } else if (tool.kind == ToolKind::Eraser) {
    if (shape.clicks != 0) Stroke(editor, tool, at);  // the button state is not looked at
  } else if (tool.kind == ToolKind::Stamp) {
    MoveStampPreview(editor, Pixel(at));
  } else if (const TwoClickKind* kind = TwoClickKindOf(editor.tool); kind && shape.clicks == 1) {
    const QPoint end = Pixel(at);
    if (shape.outlineEnd == end) return;
    const QPoint anchor = Pixel(shape.anchor);
    if (shape.outlineEnd) kind->figure(editor, anchor, *shape.outlineEnd, kOutlineWhite, raster::Mode::Xor);
    shape.outlineEnd.reset();
    if (kind->figure(editor, anchor, end, kOutlineWhite, raster::Mode::Xor)) shape.outlineEnd = end;
  }
}

void CanvasMouseUp(EditorState& editor, int, float, float) {
  // A pen or eraser stroke ends; a shape keeps its first point across the
  // release, so it can be dragged out and finished with a second click.
  const ToolKind kind = InfoOf(editor.tool).kind;
  if (kind == ToolKind::Pen || kind == ToolKind::Eraser || kind == ToolKind::None) editor.shape.clicks = 0;
  if (EndStroke(editor, kMousePointer)) return;
  PaintCanvasFrame(editor);
  // Every action on the canvas ends with a release: what it drew is a step.
  // A shape whose outline still follows the pointer is not finished yet.
  if (!OutlineShown(editor)) RecordStep(editor);
}

double PressureWidth(int width, double pressure) {
  if (pressure < 0) return width;
  return std::max(1.0, width * (0.5 + 0.5 * std::clamp(pressure, 0.0, 1.0)));
}

bool PointerDown(EditorState& editor, int pointer, float x, float y, double pressure) {
  const ToolInfo& tool = InfoOf(editor.tool);
  if (tool.kind != ToolKind::Pen && tool.kind != ToolKind::Eraser) return false;
  ClampCanvasPoint(editor, x, y);
  EraseRubberBand(editor);
  PointerDot(editor, tool, pointer, QPointF(x, y), PressureWidth(tool.width, pressure));
  return true;
}

void PointerMove(EditorState& editor, int pointer, float x, float y, double pressure) {
  if (!PointerDrawing(editor, pointer)) return;
  const ToolInfo& tool = InfoOf(editor.tool);
  if (tool.kind != ToolKind::Pen && tool.kind != ToolKind::Eraser) return;
  ClampCanvasPoint(editor, x, y);
  ContinueStroke(editor, tool, pointer, QPointF(x, y), PressureWidth(tool.width, pressure));
}

void PointerUp(EditorState& editor, int pointer) { EndStroke(editor, pointer); }

bool PointerDrawing(const EditorState& editor, int pointer) { return editor.strokes.count(pointer) != 0; }
