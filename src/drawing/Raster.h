// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Drawing primitives on a picture, pixel-exact and without smoothing, so a
// picture holds only the colours drawn into it and every black line stays a
// closed border for the fill.
//
// - A 1-pixel line leaves out its end pixel; wider lines have round ends.
// - Exclusive-or drawing inverts each pixel of a shape once, so drawing the
//   same shape again restores the picture.
// Each call returns the rectangle it may have changed (for repainting).

#include <QImage>
#include <QPoint>
#include <QRect>

namespace raster {

enum class Mode { Copy, Xor };

QRect SetPixel(QImage& image, QPoint p, QRgb colour);
QRect Line(QImage& image, QPoint a, QPoint b, int width, QRgb colour, Mode mode = Mode::Copy);
// Rectangle outline with opposite corners a and b, both included.
QRect Box(QImage& image, QPoint a, QPoint b, QRgb colour, Mode mode = Mode::Copy);
// Filled rectangle with opposite corners a and b, both included.
QRect FillBox(QImage& image, QPoint a, QPoint b, QRgb colour);
// Circle outline of radius r, one pixel wide.
QRect Circle(QImage& image, QPoint c, int r, QRgb colour, Mode mode = Mode::Copy);
// Solid disc of radius r.
QRect Disc(QImage& image, QPoint c, int r, QRgb colour);
// Ellipse outline with semi-axes rx and ry.
QRect Ellipse(QImage& image, QPoint c, int rx, int ry, QRgb colour, Mode mode = Mode::Copy);
// Border fill: from `start` through every pixel that is not `border`,
// painting it `fill`. Nothing happens when `start` is a border pixel.
QRect BorderFill(QImage& image, QPoint start, QRgb border, QRgb fill);

// Line and Disc of `colour` (not exclusive-or) that also mark every pixel
// they paint kMarked in `mask`, an 8-bit mask (QImage::Format_Grayscale8)
// of the image's size: where a stroke went, pixel for pixel, worked out
// once for both.
inline constexpr uchar kMarked = 0xFF;
QRect MarkedLine(QImage& image, QImage& mask, QPoint a, QPoint b, int width, QRgb colour);
QRect MarkedDisc(QImage& image, QImage& mask, QPoint c, int r, QRgb colour);

}  // namespace raster
