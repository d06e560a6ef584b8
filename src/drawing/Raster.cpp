// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "drawing/Raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace raster {

namespace {

constexpr QRgb kRgbMask = 0x00FFFFFF;

inline bool Inside(const QImage& image, int x, int y) {
  return x >= 0 && y >= 0 && x < image.width() && y < image.height();
}

inline QRgb* Row(QImage& image, int y) { return reinterpret_cast<QRgb*>(image.scanLine(y)); }

// Single pixels through the image's memory, fetched once per shape.
class Plotter {
 public:
  Plotter(QImage& image, QRgb colour, Mode mode)
      : bits_(image.isNull() ? nullptr : reinterpret_cast<QRgb*>(image.bits())),
        stride_(size_t(image.bytesPerLine()) / sizeof(QRgb)),
        w_(image.width()),
        h_(image.height()),
        colour_(mode == Mode::Xor ? (colour & kRgbMask) : (0xFF000000 | colour)),
        xor_(mode == Mode::Xor) {}
  void operator()(int x, int y) const {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
    QRgb& px = bits_[size_t(y) * stride_ + x];
    px = xor_ ? (px ^ colour_) : colour_;
  }

 private:
  QRgb* bits_;
  size_t stride_;
  int w_, h_;
  QRgb colour_;
  bool xor_;
};

// A 1-pixel horizontal run, both ends included.
inline void Span(QImage& image, int x0, int x1, int y, QRgb colour) {
  if (y < 0 || y >= image.height()) return;
  x0 = std::max(x0, 0);
  x1 = std::min(x1, image.width() - 1);
  QRgb* row = Row(image, y);
  for (int x = x0; x <= x1; ++x) row[x] = 0xFF000000 | colour;
}

QRect Bounds(int x0, int y0, int x1, int y1) {
  return QRect(QPoint(std::min(x0, x1), std::min(y0, y1)), QPoint(std::max(x0, x1), std::max(y0, y1)));
}

// Pixels of a shape outline, each exactly once (for exclusive-or drawing).
struct PixelSet {
  std::vector<QPoint> points;
  void add(int x, int y) { points.emplace_back(x, y); }
  void draw(QImage& image, QRgb colour, Mode mode) {
    std::sort(points.begin(), points.end(), [](QPoint a, QPoint b) {
      return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x();
    });
    points.erase(std::unique(points.begin(), points.end()), points.end());
    const Plotter plot(image, colour, mode);
    for (QPoint p : points) plot(p.x(), p.y());
  }
};

void EllipsePoints(PixelSet& set, int cx, int cy, int rx, int ry) {
  // Midpoint ellipse, four-way symmetric.
  const auto four = [&](int x, int y) {
    set.add(cx + x, cy + y);
    set.add(cx - x, cy + y);
    set.add(cx + x, cy - y);
    set.add(cx - x, cy - y);
  };
  if (rx == 0 || ry == 0) {
    for (int x = -rx; x <= rx; ++x) set.add(cx + x, cy);
    for (int y = -ry; y <= ry; ++y) set.add(cx, cy + y);
    return;
  }
  const double rx2 = double(rx) * rx, ry2 = double(ry) * ry;
  int x = 0, y = ry;
  double d1 = ry2 - rx2 * ry + 0.25 * rx2;
  double dx = 2 * ry2 * x, dy = 2 * rx2 * y;
  while (dx < dy) {
    four(x, y);
    if (d1 < 0) {
      ++x;
      dx += 2 * ry2;
      d1 += dx + ry2;
    } else {
      ++x;
      --y;
      dx += 2 * ry2;
      dy -= 2 * rx2;
      d1 += dx - dy + ry2;
    }
  }
  double d2 = ry2 * (x + 0.5) * (x + 0.5) + rx2 * (y - 1.0) * (y - 1.0) - rx2 * ry2;
  while (y >= 0) {
    four(x, y);
    if (d2 > 0) {
      --y;
      dy -= 2 * rx2;
      d2 += rx2 - dy;
    } else {
      --y;
      ++x;
      dx += 2 * ry2;
      dy -= 2 * rx2;
      d2 += dx - dy + rx2;
    }
  }
}

// The pixels of a 1-pixel line, Bresenham from a towards b; b itself is
// left out.
template <typename Plot>
void ThinLinePixels(QPoint a, QPoint b, Plot&& plot) {
  int x = a.x(), y = a.y();
  const int dx = std::abs(b.x() - x), dy = -std::abs(b.y() - y);
  const int sx = x < b.x() ? 1 : -1, sy = y < b.y() ? 1 : -1;
  int err = dx + dy;
  while (!(x == b.x() && y == b.y())) {
    plot(x, y);
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
}

// A wide pen: every pixel whose centre lies nearer than half the width to
// the segment, which gives round ends. An even width has its axis on the
// pixel corners, so a stroke 20 wide covers 20 rows, not 19 or 21. Each
// row's pixels inside `area` go to `run(y, first, last)`; the rectangle of
// them all is returned.
template <typename Run>
QRect WideLineRuns(const QRect& area, QPoint a, QPoint b, int width, Run&& run) {
  const double r = width / 2.0;
  const double shift = width % 2 == 0 ? 0.5 : 0.0;
  const double ax = a.x() - shift, ay = a.y() - shift;
  const double bx = b.x() - shift, by = b.y() - shift;
  const double vx = bx - ax, vy = by - ay;
  const double len2 = vx * vx + vy * vy;
  const double r2 = r * r;
  const auto inside = [&](int x, int y) {
    double t = len2 > 0 ? ((x - ax) * vx + (y - ay) * vy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = x - (ax + t * vx), ey = y - (ay + t * vy);
    return ex * ex + ey * ey < r2;
  };
  const int reach = int(std::ceil(r));
  const QRect box = Bounds(a.x(), a.y(), b.x(), b.y()).adjusted(-reach, -reach, reach, reach) & area;
  QRect painted;
  for (int y = box.top(); y <= box.bottom(); ++y) {
    // The pen's pixels on a row form one run (the shape is convex) around
    // the point of the row nearest to the segment.
    double cx;
    if (ay == by || y <= std::min(ay, by) || y >= std::max(ay, by)) {
      cx = std::abs(y - ay) <= std::abs(y - by) ? ax : bx;
    } else {
      cx = ax + (y - ay) * vx / vy;
    }
    int x = int(std::floor(cx));
    if (!inside(x, y)) {
      ++x;
      if (!inside(x, y)) continue;
    }
    // The run's ends by halving: outside beyond the pen's reach, inside at x.
    int out = int(std::floor(std::min(ax, bx) - r)) - 1, in = x;
    while (in - out > 1) {
      const int mid = out + (in - out) / 2;
      (inside(mid, y) ? in : out) = mid;
    }
    const int left = in;
    out = int(std::ceil(std::max(ax, bx) + r)) + 1, in = x;
    while (out - in > 1) {
      const int mid = in + (out - in) / 2;
      (inside(mid, y) ? in : out) = mid;
    }
    int right = in;
    const int from = std::max(left, area.left());
    right = std::min(right, area.right());
    if (from > right) continue;
    run(y, from, right);
    painted |= QRect(from, y, right - from + 1, 1);
  }
  return painted;
}

// The rows of a solid disc of radius r: the pixels whose centre is nearer
// than r + 1/2 to the centre, as `run(y, first, last)` before clipping.
template <typename Run>
void DiscRuns(QPoint c, int r, Run&& run) {
  const long limit = long(r) * r + r;
  for (int dy = -r; dy <= r; ++dy) {
    const int half = int(std::floor(std::sqrt(double(limit - long(dy) * dy))));
    run(c.y() + dy, c.x() - half, c.x() + half);
  }
}

}  // namespace

QRect SetPixel(QImage& image, QPoint p, QRgb colour) {
  Plotter(image, colour, Mode::Copy)(p.x(), p.y());
  return QRect(p, QSize(1, 1));
}

QRect Line(QImage& image, QPoint a, QPoint b, int width, QRgb colour, Mode mode) {
  if (width <= 1) {
    const Plotter plot(image, colour, mode);
    ThinLinePixels(a, b, plot);
    return Bounds(a.x(), a.y(), b.x(), b.y());
  }
  return WideLineRuns(image.rect(), a, b, width, [&](int y, int from, int right) {
    QRgb* row = Row(image, y);
    for (int px = from; px <= right; ++px)
      row[px] = mode == Mode::Xor ? (row[px] ^ (colour & kRgbMask)) : (0xFF000000 | colour);
  });
}

QRect Box(QImage& image, QPoint a, QPoint b, QRgb colour, Mode mode) {
  const QRect r = Bounds(a.x(), a.y(), b.x(), b.y());
  PixelSet set;
  for (int x = r.left(); x <= r.right(); ++x) {
    set.add(x, r.top());
    set.add(x, r.bottom());
  }
  for (int y = r.top(); y <= r.bottom(); ++y) {
    set.add(r.left(), y);
    set.add(r.right(), y);
  }
  set.draw(image, colour, mode);
  return r;
}

QRect FillBox(QImage& image, QPoint a, QPoint b, QRgb colour) {
  const QRect r = Bounds(a.x(), a.y(), b.x(), b.y());
  for (int y = r.top(); y <= r.bottom(); ++y) Span(image, r.left(), r.right(), y, colour);
  return r;
}

QRect Circle(QImage& image, QPoint c, int r, QRgb colour, Mode mode) {
  return Ellipse(image, c, r, r, colour, mode);
}

QRect Disc(QImage& image, QPoint c, int r, QRgb colour) {
  DiscRuns(c, r, [&](int y, int first, int last) { Span(image, first, last, y, colour); });
  return QRect(c.x() - r, c.y() - r, 2 * r + 1, 2 * r + 1);
}

QRect Ellipse(QImage& image, QPoint c, int rx, int ry, QRgb colour, Mode mode) {
  rx = std::abs(rx);
  ry = std::abs(ry);
  PixelSet set;
  EllipsePoints(set, c.x(), c.y(), rx, ry);
  set.draw(image, colour, mode);
  return QRect(c.x() - rx, c.y() - ry, 2 * rx + 1, 2 * ry + 1);
}

QRect BorderFill(QImage& image, QPoint start, QRgb border, QRgb fill) {
  const int w = image.width(), h = image.height();
  border &= kRgbMask;
  fill |= 0xFF000000;
  if (!Inside(image, start.x(), start.y())) return {};
  if ((Row(image, start.y())[start.x()] & kRgbMask) == border) return {};
  // Pixels through the image's own memory, without a detach check for each.
  QRgb* const bits = reinterpret_cast<QRgb*>(image.bits());
  const size_t stride = size_t(image.bytesPerLine()) / sizeof(QRgb);
  std::vector<uint8_t> done(size_t(w) * h, 0);
  const auto open = [&](int x, int y) {
    return !done[size_t(y) * w + x] && (bits[size_t(y) * stride + x] & kRgbMask) != border;
  };
  int minX = start.x(), maxX = start.x(), minY = start.y(), maxY = start.y();
  std::vector<QPoint> seeds{start};
  while (!seeds.empty()) {
    const QPoint seed = seeds.back();
    seeds.pop_back();
    const int y = seed.y();
    if (!open(seed.x(), y)) continue;
    int left = seed.x(), right = seed.x();
    while (left > 0 && open(left - 1, y)) --left;
    while (right < w - 1 && open(right + 1, y)) ++right;
    QRgb* row = bits + size_t(y) * stride;
    uint8_t* doneRow = done.data() + size_t(y) * w;
    for (int x = left; x <= right; ++x) {
      row[x] = fill;
      doneRow[x] = 1;
    }
    minX = std::min(minX, left);
    maxX = std::max(maxX, right);
    minY = std::min(minY, y);
    maxY = std::max(maxY, y);
    // One seed per open run in the rows above and below.
    for (int ny : {y - 1, y + 1}) {
      if (ny < 0 || ny >= h) continue;
      bool inRun = false;
      for (int x = left; x <= right; ++x) {
        const bool o = open(x, ny);
        if (o && !inRun) seeds.emplace_back(x, ny);
        inRun = o;
      }
    }
  }
  return QRect(QPoint(minX, minY), QPoint(maxX, maxY));
}

namespace {

// One run of a row of an 8-bit mask marked, cut to the mask.
void MarkRun(QImage& mask, int y, int first, int last) {
  if (y < 0 || y >= mask.height()) return;
  first = std::max(first, 0);
  last = std::min(last, mask.width() - 1);
  if (first > last) return;
  std::memset(mask.scanLine(y) + first, kMarked, size_t(last - first + 1));
}

}  // namespace

QRect MarkedLine(QImage& image, QImage& mask, QPoint a, QPoint b, int width, QRgb colour) {
  if (width <= 1) {
    const Plotter plot(image, colour, Mode::Copy);
    ThinLinePixels(a, b, [&](int x, int y) {
      plot(x, y);
      MarkRun(mask, y, x, x);
    });
    return Bounds(a.x(), a.y(), b.x(), b.y());
  }
  return WideLineRuns(image.rect(), a, b, width, [&](int y, int from, int right) {
    QRgb* row = Row(image, y);
    for (int px = from; px <= right; ++px) row[px] = 0xFF000000 | colour;
    MarkRun(mask, y, from, right);
  });
}

QRect MarkedDisc(QImage& image, QImage& mask, QPoint c, int r, QRgb colour) {
  DiscRuns(c, r, [&](int y, int first, int last) {
    Span(image, first, last, y, colour);
    MarkRun(mask, y, first, last);
  });
  return QRect(c.x() - r, c.y() - r, 2 * r + 1, 2 * r + 1);
}

}  // namespace raster
