// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The drawing tools driven through the canvas mouse handlers: snapping,
// pens, the line chain, shapes with their outline, the fill, the erasers,
// and what a step signals for repainting.

#include <QSignalSpy>
#include <QtTest>

#include "support/EditorFixture.h"
#include "drawing/Canvas.h"
#include "drawing/DrawingTools.h"
#include "drawing/Raster.h"
#include "drawing/ToolActions.h"

namespace {

constexpr QRgb kBlackRgb = 0xFF000000;
constexpr QRgb kWhiteRgb = 0xFFFFFFFF;

// A canvas ready for drawing with `tool`: white paper in its frame.
struct Easel : EditorFixture {
  explicit Easel(Tool tool) {
    PaintCanvasFrame(session.editor);
    select(tool);
  }
  void select(Tool tool) {
    if (InfoOf(tool).kind == ToolKind::Eraser) ChooseEraser(session.editor, tool);
    else ChooseTool(session.editor, session.dialogs, tool);
  }
  void click(float x, float y, int button = kLeftButton) {
    CanvasMouseDown(session.editor, button, x, y);
    CanvasMouseUp(session.editor, button, x, y);
  }
  void move(float x, float y, int buttons = 0) { CanvasMouseMove(session.editor, buttons, x, y); }
  void drag(QPoint from, QPoint to) {
    CanvasMouseDown(session.editor, kLeftButton, from.x(), from.y());
    move(to.x(), to.y(), kLeftButton);
    CanvasMouseUp(session.editor, kLeftButton, to.x(), to.y());
  }
  QRgb at(int x, int y) const { return session.editor.canvasImage.pixel(x, y); }
};

// What the canvas should look like: `paper` with `draw` applied.
template <typename Draw>
QImage With(const QImage& paper, Draw draw) {
  QImage image = paper.copy();
  draw(image);
  return image;
}

int CountOf(const QImage& image, QRgb colour, QRect area) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) n += image.pixel(x, y) == colour;
  return n;
}

const QRect kPictureArea(QPoint(7, 7), QPoint(805, 606));

}  // namespace

class DrawingToolsTest : public QObject {
  Q_OBJECT
 private slots:
  void snapToGrid_data();
  void snapToGrid();
  void pens();
  void lineChain();
  void rectangleOutlineLeavesNothingInverted();
  void circleAndEllipse();
  void fillStaysInside();
  void fillOpenDrawingReachesTheArea();
  void largeEraserPath();
  void toolButtonRemovesHalfDrawnOutline();
  void stepsSignalOnlyWhatChanged();
};

void DrawingToolsTest::snapToGrid_data() {
  QTest::addColumn<int>("fixMode");
  QTest::addColumn<QPointF>("in");
  QTest::addColumn<QPointF>("out");
  // Offsets from the picture area's corner (7, 7).
  QTest::newRow("fixed: 13/8 up, 4/8 half to even 0") << 1 << QPointF(13, 4) << QPointF(16, 0);
  QTest::newRow("fixed: 12/8 = 1.5 to 2") << 1 << QPointF(12, 12) << QPointF(16, 16);
  QTest::newRow("fixed: 20/8 = 2.5 to 2") << 1 << QPointF(20, 28) << QPointF(16, 32);
  QTest::newRow("fixed: far corner pulled back") << 1 << QPointF(5000, 5000) << QPointF(798, 599);
  QTest::newRow("fixed: before the corner") << 1 << QPointF(-40, -3) << QPointF(0, 0);
  QTest::newRow("free: far corner") << 0 << QPointF(5000, 5000) << QPointF(798, 599);
  QTest::newRow("free: inside unchanged") << 0 << QPointF(13.25, 4.5) << QPointF(13.25, 4.5);
  QTest::newRow("free: before the corner") << 0 << QPointF(-7, -1) << QPointF(0, 0);
}

void DrawingToolsTest::snapToGrid() {
  QFETCH(int, fixMode);
  QFETCH(QPointF, in);
  QFETCH(QPointF, out);
  EditorFixture f;
  f.session.editor.placement = fixMode ? Placement::Fixed : Placement::Free;
  float x = float(7 + in.x()), y = float(7 + in.y());
  ClampCanvasPoint(f.session.editor, x, y);
  QCOMPARE(x, float(7 + out.x()));
  QCOMPARE(y, float(7 + out.y()));
}

void DrawingToolsTest::pens() {
  {  // Thin pen: a click without moving sets exactly one pixel.
    Easel e(Tool::ThinPen);
    e.click(300, 200);
    QCOMPARE(CountOf(e.session.editor.canvasImage, kBlackRgb, kPictureArea), 1);
    QCOMPARE(e.at(300, 200), kBlackRgb);
    QCOMPARE(e.session.editor.shape.clicks, 0);
  }
  {  // Medium brush: a disc of radius 9, then a stroke 20 wide.
    Easel e(Tool::MediumBrush);
    CanvasMouseDown(e.session.editor, kLeftButton, 100, 100);
    QCOMPARE(e.at(91, 100), kBlackRgb);
    QCOMPARE(e.at(90, 100), kWhiteRgb);
    QCOMPARE(e.at(100, 109), kBlackRgb);
    QCOMPARE(e.at(100, 110), kWhiteRgb);
    e.move(300, 100, kLeftButton);
    CanvasMouseUp(e.session.editor, kLeftButton, 300, 100);
    QCOMPARE(e.at(200, 90), kBlackRgb);
    QCOMPARE(e.at(200, 109), kBlackRgb);
    QCOMPARE(e.at(200, 110), kWhiteRgb);
    // Only the pen colour on the paper.
    QCOMPARE(CountOf(e.session.editor.canvasImage, kBlackRgb, kPictureArea) +
                 CountOf(e.session.editor.canvasImage, kWhiteRgb, kPictureArea),
             kPictureArea.width() * kPictureArea.height());
    // Moving with no button held draws nothing more.
    const QImage before = e.session.editor.canvasImage.copy();
    e.move(500, 400);
    QCOMPARE(e.session.editor.canvasImage, before);
  }
}

void DrawingToolsTest::lineChain() {
  Easel e(Tool::Line);
  const QImage paper = e.session.editor.canvasImage.copy();
  const QPoint a(100, 100), b(200, 150), c(260, 90), d(400, 300), g(450, 320);
  e.click(a.x(), a.y());
  e.move(150, 130);  // the outline follows
  QVERIFY(e.session.editor.canvasImage != paper);
  e.click(b.x(), b.y());
  e.move(230, 120);
  e.click(c.x(), c.y());
  e.move(300, 200);
  e.click(10, 10, kRightButton);  // ends the chain and removes the outline
  QCOMPARE(e.session.editor.shape.clicks, 0);
  const QImage chain = With(paper, [&](QImage& im) {
    for (auto [p, q] : {std::pair{a, b}, std::pair{b, c}}) {
      raster::Line(im, p, q, 1, kBlackRgb);
      raster::Line(im, q, p, 1, kBlackRgb);
    }
  });
  QCOMPARE(e.session.editor.canvasImage, chain);
  QCOMPARE(e.at(a.x(), a.y()), kBlackRgb);
  QCOMPARE(e.at(c.x(), c.y()), kBlackRgb);

  // The next left click is a new anchor: nothing joins it to C.
  e.click(d.x(), d.y());
  QCOMPARE(e.session.editor.canvasImage, chain);
  e.click(g.x(), g.y());
  QCOMPARE(e.session.editor.canvasImage, With(chain, [&](QImage& im) {
    raster::Line(im, d, g, 1, kBlackRgb);
    raster::Line(im, g, d, 1, kBlackRgb);
  }));
}

// Press at A, release, move to B (an inverted outline follows), click at B;
// or click elsewhere with no move before it (a tap on a touch screen).
void DrawingToolsTest::rectangleOutlineLeavesNothingInverted() {
  for (QPoint corner : {QPoint(370, 340), QPoint(250, 250)}) {
    Easel e(Tool::Box);
    // Something black and coloured under the outline's path.
    raster::FillBox(e.session.editor.canvasImage, {150, 150}, {170, 400}, kBlackRgb);
    raster::FillBox(e.session.editor.canvasImage, {300, 100}, {320, 400}, 0xFF0000FF);
    const QImage paper = e.session.editor.canvasImage.copy();
    e.click(100, 120);
    for (int k = 0; k <= 10; ++k) e.move(float(120 + 25 * k), float(140 + 20 * k));
    QCOMPARE(e.at(160, 340), kWhiteRgb);   // black inverted under the outline
    QCOMPARE(e.at(310, 120), 0xFFFFFF00);  // blue inverted
    e.click(corner.x(), corner.y());
    QCOMPARE(e.session.editor.canvasImage, With(paper, [&](QImage& im) { raster::Box(im, {100, 120}, corner, kBlackRgb); }));
    QCOMPARE(e.session.editor.shape.clicks, 0);
  }
}

void DrawingToolsTest::circleAndEllipse() {
  {  // Centre (100, 100), a point at distance 5.
    Easel e(Tool::Circle);
    const QImage paper = e.session.editor.canvasImage.copy();
    e.click(100, 100);
    e.move(130, 100);
    e.move(103, 104);
    e.click(103, 104);
    QCOMPARE(e.session.editor.canvasImage,
             With(paper, [](QImage& im) { raster::Circle(im, {100, 100}, 5, kBlackRgb); }));
    QCOMPARE(e.at(105, 100), kBlackRgb);
    QCOMPARE(e.at(100, 95), kBlackRgb);
    QCOMPARE(e.at(100, 100), kWhiteRgb);
  }
  {  // Centre (200, 200), corner (260, 230): 120 wide and 60 high.
    Easel e(Tool::Ellipse);
    const QImage paper = e.session.editor.canvasImage.copy();
    e.click(200, 200);
    e.move(250, 210);
    e.click(260, 230);
    QCOMPARE(e.session.editor.canvasImage,
             With(paper, [](QImage& im) { raster::Ellipse(im, {200, 200}, 60, 30, kBlackRgb); }));
  }
  {  // No horizontal extent: nothing drawn, the outline gone, the shape ended.
    Easel e(Tool::Ellipse);
    const QImage paper = e.session.editor.canvasImage.copy();
    e.click(200, 200);
    e.move(240, 250);
    e.move(200, 260);  // the outline disappears
    QCOMPARE(e.session.editor.canvasImage, paper);
    QVERIFY(!OutlineShown(e.session.editor));
    e.click(200, 260);
    QCOMPARE(e.session.editor.canvasImage, paper);
    QCOMPARE(e.session.editor.shape.clicks, 0);
    e.click(300, 300);  // a new centre
    QCOMPARE(e.session.editor.shape.clicks, 1);
  }
}

void DrawingToolsTest::fillStaysInside() {
  Easel e(Tool::Circle);
  e.click(300, 300);
  e.click(340, 330);  // radius 50
  e.session.editor.fillColourIndex = 1;
  e.select(Tool::Fill);
  const QRgb blue = qRgb(0, 0, 255);
  const QRgb frame = QColor(kFrame).rgb();
  CanvasMouseDown(e.session.editor, kLeftButton, 300, 300);
  // The black box closes the drawable area until mouse-up.
  QCOMPARE(e.at(6, 300), kBlackRgb);
  QCOMPARE(e.at(806, 300), kBlackRgb);
  QCOMPARE(e.at(400, 607), kBlackRgb);
  CanvasMouseUp(e.session.editor, kLeftButton, 300, 300);
  QCOMPARE(e.at(6, 300), frame);
  QCOMPARE(e.at(806, 300), frame);
  QCOMPARE(e.at(400, 6), frame);
  QCOMPARE(e.at(300, 300), blue);
  QCOMPARE(e.at(300, 251), blue);
  QCOMPARE(e.at(300, 250), kBlackRgb);
  QCOMPARE(e.at(300, 249), kWhiteRgb);
  QCOMPARE(e.at(20, 20), kWhiteRgb);

  // On the black outline nothing is filled.
  const QImage before = e.session.editor.canvasImage.copy();
  e.click(300, 250);
  QCOMPARE(e.session.editor.canvasImage, before);
  QCOMPARE(e.session.editor.shape.clicks, 0);
}

void DrawingToolsTest::fillOpenDrawingReachesTheArea() {
  Easel e(Tool::Line);
  e.click(50, 50);
  e.click(500, 400);  // a line that closes nothing
  e.session.editor.fillColourIndex = 2;
  e.select(Tool::Fill);
  e.click(700, 100);
  const QRgb red = qRgb(255, 0, 0);
  const QRgb frame = QColor(kFrame).rgb();
  QCOMPARE(CountOf(e.session.editor.canvasImage, kWhiteRgb, e.session.editor.canvasImage.rect()), 0);
  QCOMPARE(CountOf(e.session.editor.canvasImage, red, kPictureArea) + CountOf(e.session.editor.canvasImage, kBlackRgb, kPictureArea),
           kPictureArea.width() * kPictureArea.height());
  for (QPoint p : {QPoint(7, 7), QPoint(805, 7), QPoint(7, 606), QPoint(805, 606)}) QCOMPARE(e.at(p.x(), p.y()), red);
  for (QPoint p : {QPoint(6, 7), QPoint(806, 300), QPoint(400, 607), QPoint(817, 617)})
    QCOMPARE(e.at(p.x(), p.y()), frame);
}

void DrawingToolsTest::largeEraserPath() {
  Easel e(Tool::LargeEraser);
  raster::FillBox(e.session.editor.canvasImage, {7, 7}, {805, 606}, kBlackRgb);
  CanvasMouseDown(e.session.editor, kLeftButton, 200, 300);
  QCOMPARE(e.at(185, 300), kWhiteRgb);  // a disc of radius 15
  QCOMPARE(e.at(184, 300), kBlackRgb);
  QCOMPARE(e.at(200, 285), kWhiteRgb);
  QCOMPARE(e.at(200, 284), kBlackRgb);
  e.move(300, 300, kLeftButton);
  e.move(400, 300, kLeftButton);
  CanvasMouseUp(e.session.editor, kLeftButton, 400, 300);
  for (int x : {250, 350}) {
    int rows = 0;
    for (int y = 270; y < 330; ++y) rows += e.at(x, y) == kWhiteRgb;
    QCOMPARE(rows, 25);
    QCOMPARE(e.at(x, 288), kWhiteRgb);
    QCOMPARE(e.at(x, 312), kWhiteRgb);
  }
  QCOMPARE(e.at(412, 300), kWhiteRgb);  // the round end
  QCOMPARE(e.at(413, 300), kBlackRgb);
  // After the release a move erases nothing.
  const QImage before = e.session.editor.canvasImage.copy();
  e.move(600, 500);
  QCOMPARE(e.session.editor.canvasImage, before);
}

void DrawingToolsTest::toolButtonRemovesHalfDrawnOutline() {
  Easel e(Tool::Box);
  const QImage paper = e.session.editor.canvasImage.copy();
  e.click(100, 100);
  e.move(300, 250);
  QVERIFY(e.session.editor.canvasImage != paper);
  ChooseTool(e.session.editor, e.session.dialogs, Tool::ThinPen);
  QCOMPARE(e.session.editor.canvasImage, paper);
  e.select(Tool::Box);
  e.click(400, 400);  // a new first corner, nothing drawn
  e.move(500, 450);
  e.click(500, 450);
  QCOMPARE(e.session.editor.canvasImage,
           With(paper, [](QImage& im) { raster::Box(im, {400, 400}, {500, 450}, kBlackRgb); }));
  Undo(e.session.editor);  // no step kept the outline
  QCOMPARE(e.session.editor.canvasImage, paper);
}

void DrawingToolsTest::stepsSignalOnlyWhatChanged() {
  Easel e(Tool::LargeBrush);
  QSignalSpy spy(&e.session.editor, &EditorState::surfaceChanged);
  const auto canvasRects = [&] {
    QList<QRect> rects;
    for (const auto& call : spy) rects << call.at(0).toRect();
    spy.clear();
    return rects;
  };
  // A brush step: the stroke's own box, within reach of the pen.
  CanvasMouseDown(e.session.editor, kLeftButton, 300, 300);
  canvasRects();
  e.move(310, 305, kLeftButton);
  const QList<QRect> stroke = canvasRects();
  QCOMPARE(stroke.size(), 1);
  QVERIFY(QRect(300 - 17, 300 - 17, 10 + 35, 5 + 35).contains(stroke[0]));
  QVERIFY(stroke[0].contains(QRect(300, 300, 10, 5)));
  // Nothing spilled onto the frame: its repaint signals nothing.
  CanvasMouseUp(e.session.editor, kLeftButton, 310, 305);
  QCOMPARE(canvasRects().size(), 0);
  // A stroke over the edge: only the spilled part of the frame.
  e.drag({10, 300}, {10, 320});
  QCOMPARE(e.at(7, 310), kBlackRgb);
  QCOMPARE(e.at(6, 310), QColor(kFrame).rgb());
  const QList<QRect> spilled = canvasRects();
  QVERIFY(!spilled.isEmpty());
  for (const QRect& r : spilled) QVERIFY(r.width() * r.height() < 80 * 80);
  QVERIFY(spilled.last().right() <= 6);
}

QTEST_MAIN(DrawingToolsTest)
#include "DrawingToolsTest.moc"
