// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// Drawing primitives: exact pixels, no smoothing, exclusive-or undoes
// itself, and the border fill stays inside black outlines.

#include <QTest>

#include "drawing/Raster.h"

namespace {
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kBlue = 0xFF0000FF;

QImage Blank(int w = 200, int h = 150) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(kWhite);
  return image;
}

int Count(const QImage& image, QRgb colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == colour;
  return n;
}
}  // namespace

class RasterTest : public QObject {
  Q_OBJECT
 private slots:
  void linesLeaveOutTheirEnd();
  void widePensHaveRoundEnds();
  void exclusiveOrDrawsAndRemoves();
  void circlesAndEllipses();
  void borderFillStaysInside();
  void strokesHaveTheirWidth_data();
  void strokesHaveTheirWidth();
  void wideLinesMatchTheirShape();
  void curvesAreClosedForTheFill();
};

void RasterTest::linesLeaveOutTheirEnd() {
  QImage image = Blank();
  raster::Line(image, {10, 10}, {20, 10}, 1, kBlack);
  QCOMPARE(Count(image, kBlack), 10);
  QCOMPARE(image.pixel(10, 10), kBlack);
  QCOMPARE(image.pixel(20, 10), kWhite);
  // Drawn back the other way as well, both ends are painted.
  raster::Line(image, {20, 10}, {10, 10}, 1, kBlack);
  QCOMPARE(Count(image, kBlack), 11);

  // A line from a point to itself paints nothing; a single pixel is SetPixel.
  QImage dot = Blank();
  raster::Line(dot, {5, 5}, {5, 5}, 1, kBlack);
  QCOMPARE(Count(dot, kBlack), 0);
  raster::SetPixel(dot, {5, 5}, kBlack);
  QCOMPARE(Count(dot, kBlack), 1);

  // Only the pen colour and white: nothing in between.
  QImage slant = Blank();
  raster::Line(slant, {3, 4}, {97, 61}, 1, kBlack);
  QCOMPARE(Count(slant, kBlack) + Count(slant, kWhite), slant.width() * slant.height());

  // Where the error ties, a steep line steps sideways and down together:
  // the same pixels as on every computer that drew the card before.
  QImage steep = Blank();
  raster::Line(steep, {10, 10}, {12, 14}, 1, kBlack);
  raster::Line(steep, {50, 50}, {47, 56}, 1, kBlack);
  QList<QPoint> drawn;
  for (int y = 0; y < steep.height(); ++y)
    for (int x = 0; x < steep.width(); ++x)
      if (steep.pixel(x, y) == kBlack) drawn.append({x, y});
  QCOMPARE(drawn, (QList<QPoint>{{10, 10}, {11, 11}, {11, 12}, {12, 13}, {50, 50}, {49, 51}, {49, 52},
                                 {48, 53}, {48, 54}, {47, 55}}));
}

void RasterTest::widePensHaveRoundEnds() {
  QImage image = Blank(300, 200);
  raster::Disc(image, {100, 100}, 15, kWhite ^ 0xFFFFFF);
  // A disc of radius 15 is 31 pixels across, a row and a column each way.
  QCOMPARE(image.pixel(85, 100), kBlack);
  QCOMPARE(image.pixel(115, 100), kBlack);
  QCOMPARE(image.pixel(84, 100), kWhite);
  QCOMPARE(image.pixel(100, 116), kWhite);
  QCOMPARE(image.pixel(90, 90), kBlack);  // inside on the diagonal
  QCOMPARE(image.pixel(89, 89), kWhite);  // just beyond the rim

  QImage stroke = Blank(300, 200);
  raster::Line(stroke, {50, 100}, {200, 100}, 25, kBlack);
  QCOMPARE(stroke.pixel(120, 88), kBlack);
  QCOMPARE(stroke.pixel(120, 112), kBlack);
  QCOMPARE(stroke.pixel(120, 87), kWhite);
  QCOMPARE(stroke.pixel(120, 113), kWhite);
  QCOMPARE(stroke.pixel(38, 100), kBlack);   // the round end reaches past the start
  QCOMPARE(stroke.pixel(38, 90), kWhite);    // but not into its corners
  QCOMPARE(Count(stroke, kBlack) + Count(stroke, kWhite), stroke.width() * stroke.height());
}

void RasterTest::exclusiveOrDrawsAndRemoves() {
  QImage picture = Blank();
  raster::Line(picture, {0, 40}, {199, 40}, 1, kBlack);
  raster::FillBox(picture, {120, 10}, {160, 30}, kBlue);
  const QImage before = picture.copy();
  const auto xorTwice = [&](auto draw) {
    draw(picture);
    QVERIFY(picture != before);
    draw(picture);
    QCOMPARE(picture, before);
  };
  xorTwice([](QImage& im) { raster::Box(im, {20, 20}, {150, 90}, kWhite, raster::Mode::Xor); });
  xorTwice([](QImage& im) { raster::Line(im, {20, 20}, {150, 90}, 1, kWhite, raster::Mode::Xor); });
  xorTwice([](QImage& im) { raster::Circle(im, {100, 50}, 30, kWhite, raster::Mode::Xor); });
  xorTwice([](QImage& im) { raster::Ellipse(im, {100, 50}, 60, 20, kWhite, raster::Mode::Xor); });
  xorTwice([](QImage& im) { raster::Ellipse(im, {100, 50}, 60, 0, kWhite, raster::Mode::Xor); });

  // A rectangle outline inverts each corner once.
  QImage box = Blank();
  raster::Box(box, {10, 10}, {20, 15}, kWhite, raster::Mode::Xor);
  QCOMPARE(box.pixel(10, 10), kBlack);
  QCOMPARE(box.pixel(20, 15), kBlack);
  QCOMPARE(Count(box, kBlack), 2 * 11 + 2 * 4);
}

void RasterTest::circlesAndEllipses() {
  QImage image = Blank();
  raster::Circle(image, {100, 100}, 5, kBlack);
  for (QPoint p : {QPoint(105, 100), QPoint(95, 100), QPoint(100, 105), QPoint(100, 95)})
    QCOMPARE(image.pixel(p), kBlack);
  QCOMPARE(image.pixel(100, 100), kWhite);
  QCOMPARE(image.pixel(106, 100), kWhite);

  QImage wide = Blank(400, 300);
  raster::Ellipse(wide, {200, 200}, 60, 30, kBlack);
  int minX = 400, maxX = 0, minY = 300, maxY = 0;
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 400; ++x)
      if (wide.pixel(x, y) == kBlack) {
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
      }
  QCOMPARE(QRect(QPoint(minX, minY), QPoint(maxX, maxY)), QRect(QPoint(140, 170), QPoint(260, 230)));
}

void RasterTest::borderFillStaysInside() {
  QImage image = Blank();
  raster::Box(image, {0, 0}, {199, 149}, kBlack);
  raster::Circle(image, {60, 60}, 20, kBlack);
  raster::Line(image, {120, 1}, {120, 149}, 1, kBlack);  // splits the picture

  // Inside the closed circle only.
  raster::BorderFill(image, {60, 60}, kBlack, kBlue);
  QCOMPARE(image.pixel(60, 60), kBlue);
  QCOMPARE(image.pixel(60, 45), kBlue);
  QCOMPARE(image.pixel(10, 10), kWhite);
  QCOMPARE(image.pixel(60, 38), kWhite);

  // Outside the circle, up to the frame and the dividing line, no further;
  // pixels already of the fill colour do not stop it.
  raster::BorderFill(image, {10, 10}, kBlack, kBlue);
  QCOMPARE(image.pixel(10, 10), kBlue);
  QCOMPARE(image.pixel(119, 140), kBlue);
  QCOMPARE(image.pixel(121, 140), kWhite);
  QCOMPARE(image.pixel(0, 0), kBlack);

  // Without a frame the fill reaches every pixel up to the picture's edges.
  QImage open = Blank();
  raster::BorderFill(open, {100, 75}, kBlack, kBlue);
  QCOMPARE(Count(open, kBlue), open.width() * open.height());

  // Starting on black fills nothing.
  const QImage before = image.copy();
  QVERIFY(raster::BorderFill(image, {120, 50}, kBlack, 0xFFFF0000).isNull());
  QCOMPARE(image, before);
}

void RasterTest::strokesHaveTheirWidth_data() {
  QTest::addColumn<int>("width");
  for (int w : {11, 20, 25, 33}) QTest::addRow("%d", w) << w;
}

// Straight strokes cover exactly their width, odd or even, across and down.
void RasterTest::strokesHaveTheirWidth() {
  QFETCH(int, width);
  QImage image = Blank(300, 300);
  raster::Line(image, {40, 100}, {260, 100}, width, kBlack);
  raster::Line(image, {100, 160}, {100, 290}, width, kBlack);
  int rows = 0, columns = 0;
  for (int y = 50; y < 150; ++y) rows += image.pixel(200, y) == kBlack;
  for (int x = 50; x < 150; ++x) columns += image.pixel(x, 230) == kBlack;
  QCOMPARE(rows, width);
  QCOMPARE(columns, width);
}

// A wide line is exactly the pixels whose centres lie nearer than half the
// width to its axis (on the pixel corners for even widths), whatever its
// direction, also where it runs off the picture.
void RasterTest::wideLinesMatchTheirShape() {
  const auto nearSegment = [](double px, double py, double ax, double ay, double bx, double by, double r) {
    const double vx = bx - ax, vy = by - ay, len2 = vx * vx + vy * vy;
    const double t = len2 > 0 ? std::clamp(((px - ax) * vx + (py - ay) * vy) / len2, 0.0, 1.0) : 0.0;
    const double ex = px - ax - t * vx, ey = py - ay - t * vy;
    return ex * ex + ey * ey < r * r;
  };
  const QPoint ends[][2] = {{{20, 30}, {170, 100}}, {{100, 10}, {103, 140}}, {{150, 20}, {30, 130}},
                            {{60, 60}, {60, 60}},   {{-20, 50}, {90, 160}},  {{10, 140}, {190, 139}}};
  for (int width : {2, 3, 11, 20, 33}) {
    for (const auto& e : ends) {
      QImage image = Blank();
      raster::Line(image, e[0], e[1], width, kBlack);
      const double shift = width % 2 == 0 ? 0.5 : 0.0;
      for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
          const bool want = nearSegment(x, y, e[0].x() - shift, e[0].y() - shift, e[1].x() - shift,
                                        e[1].y() - shift, width / 2.0);
          if ((image.pixel(x, y) == kBlack) != want)
            QFAIL(qPrintable(QStringLiteral("width %1 from (%2, %3) to (%4, %5): pixel (%6, %7)")
                                 .arg(width).arg(e[0].x()).arg(e[0].y()).arg(e[1].x()).arg(e[1].y())
                                 .arg(x).arg(y)));
        }
    }
  }
}

// Circles and ellipses of every size hold a fill started at their centre.
void RasterTest::curvesAreClosedForTheFill() {
  for (int rx = 1; rx <= 60; rx += 3) {
    for (int ry : {1, 2, 5, rx, 2 * rx + 1, 70}) {
      QImage image = Blank(200, 160);
      raster::Ellipse(image, {100, 80}, rx, ry, kBlack);
      raster::BorderFill(image, {100, 80}, kBlack, kBlue);
      const bool inside = image.pixel(100, 80) == kBlue || (rx <= 1 || ry <= 1);
      QVERIFY2(inside, qPrintable(QStringLiteral("%1 x %2").arg(rx).arg(ry)));
      QVERIFY2(image.pixel(0, 0) == kWhite, qPrintable(QStringLiteral("%1 x %2 leaks").arg(rx).arg(ry)));
    }
  }
}

QTEST_GUILESS_MAIN(RasterTest)
#include "RasterTest.moc"
