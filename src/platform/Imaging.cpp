// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/Imaging.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

#include "platform/Disk.h"
#include "platform/HeldFolder.h"

namespace imaging {

namespace {

QByteArray Encode(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  // RGB888 has no alpha channel: the PNG comes out as 8-bit RGB and the
  // bitmap at 24 bits per pixel.
  if (!writer.write(image.convertToFormat(QImage::Format_RGB888))) return {};
  return bytes;
}

// A picture in RGB32; transparent parts show over white.
QImage Opaque(const QImage& image) {
  if (!image.hasAlphaChannel()) return image.convertToFormat(QImage::Format_RGB32);
  QImage opaque(image.size(), QImage::Format_RGB32);
  opaque.fill(Qt::white);
  QPainter painter(&opaque);
  painter.drawImage(0, 0, image);
  painter.end();
  return opaque;
}

}  // namespace

std::optional<QImage> Decode(const QByteArray& bytes) {
  QByteArray data = bytes;
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  QImage image = reader.read();
  if (image.isNull()) return std::nullopt;
  return Opaque(image);
}

std::optional<QImage> ReadPicture(const QString& file) {
  // Opened without passing a link, as every file of a drive.
  const disk::Fd fd = disk::OpenFile(file);
  QFile device;
  if (!fd.ok() || !device.open(fd.get(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
    return std::nullopt;
  QImageReader reader(&device);
  reader.setAutoTransform(true);
  // No decoder may take more memory than the largest picture allowed needs
  // as RGB32; this also holds for a file whose size cannot be read first.
  reader.setAllocationLimit(int(kMaxPicturePixels * 4 / (1024 * 1024)) + 1);
  const QSize size = reader.size();
  if (size.isValid() && qint64(size.width()) * size.height() > kMaxPicturePixels) return std::nullopt;
  QImage image = reader.read();
  if (image.isNull() || qint64(image.width()) * image.height() > kMaxPicturePixels) return std::nullopt;
  return Opaque(image);
}

QImage ToCardPicture(const QImage& image) {
  if (image.size() == kCardSize && image.format() == QImage::Format_RGB32) return image;
  if (image.size() == kCardSize && !image.hasAlphaChannel())
    return image.convertToFormat(QImage::Format_RGB32);
  QImage picture(kCardSize, QImage::Format_RGB32);
  picture.fill(Qt::white);
  QPainter painter(&picture);
  painter.drawImage(0, 0, image);
  painter.end();
  return picture;
}

std::optional<QImage> ReadCardPicture(const QString& file) {
  const auto bytes = disk::ReadBytes(file);
  if (!bytes) return std::nullopt;
  const auto image = Decode(*bytes);
  if (!image) return std::nullopt;
  return ToCardPicture(*image);
}

std::optional<QImage> ReadThumbnail(const QString& file) {
  const auto bytes = disk::ReadBytes(file);
  if (!bytes) return std::nullopt;
  return Decode(*bytes);
}

QByteArray EncodePng(const QImage& image) { return Encode(image, "PNG"); }

QByteArray EncodeBmp(const QImage& image) { return Encode(image, "BMP"); }

bool WriteCardPicture(const QString& file, const QImage& picture) {
  const QByteArray bytes = EncodePng(ToCardPicture(picture));
  return !bytes.isEmpty() && disk::WriteBytes(file, bytes);
}

bool WriteThumbnail(const QString& file, const QImage& thumbnail) {
  const QByteArray bytes = EncodeBmp(thumbnail);
  return !bytes.isEmpty() && disk::WriteBytes(file, bytes);
}

}  // namespace imaging
