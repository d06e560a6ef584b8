// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// Card pictures and thumbnails between files and pictures: the formats
// written, round trips, and what other files read as.

#include <QBuffer>
#include <QImageWriter>
#include <QTest>
#include <QtEndian>

#include "platform/Imaging.h"
#include "support/TestSupport.h"

namespace {

const QString kStem = QStringLiteral("C:\\story\\Card_01");

// A picture every pixel of which tells where it is.
QImage Pattern(QSize size) {
  QImage image(size, QImage::Format_RGB32);
  for (int y = 0; y < size.height(); ++y)
    for (int x = 0; x < size.width(); ++x)
      image.setPixel(x, y, qRgb(x % 251, y % 241, (x + y) % 256));
  return image;
}

QByteArray Encoded(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter(&buffer, format).write(image);
  return bytes;
}

quint32 Big32(const QByteArray& b, int at) { return qFromBigEndian<quint32>(b.constData() + at); }
quint32 Little(const QByteArray& b, int at, int size) {
  return size == 2 ? qFromLittleEndian<quint16>(b.constData() + at)
                   : qFromLittleEndian<quint32>(b.constData() + at);
}

}  // namespace

class ImagingTest : public QObject {
  Q_OBJECT
 private slots:
  void roundTripsInTheirFormats();
  void readsOtherPicturesAsCardPictures();
  void missingOrBrokenFilesGiveNothing();
};

void ImagingTest::roundTripsInTheirFormats() {
  TempDrives drives;
  WriteHostFile(drives.c(QStringLiteral("story/keep")), "");
  const QImage picture = Pattern(imaging::kCardSize);
  const QImage thumbnail = Pattern(imaging::kThumbnailSize);
  QVERIFY(imaging::WriteCardPicture(kStem + ".PNG", picture));
  QVERIFY(imaging::WriteThumbnail(kStem + ".BMP", thumbnail));

  // The card picture: an 800 x 600 PNG, 8-bit RGB without alpha.
  const QByteArray png = ReadHostFile(drives.c(QStringLiteral("story/Card_01.PNG")));
  QCOMPARE(png.left(16), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16));
  QCOMPARE(Big32(png, 16), 800u);
  QCOMPARE(Big32(png, 20), 600u);
  QCOMPARE(int(png.at(24)), 8);  // bits per sample
  QCOMPARE(int(png.at(25)), 2);  // colour type RGB
  QVERIFY(!png.contains("tRNS"));

  // The thumbnail: a 90 x 64 Windows bitmap, 24 bits per pixel, rows of
  // 270 bytes padded to 272.
  const QByteArray bmp = ReadHostFile(drives.c(QStringLiteral("story/Card_01.BMP")));
  QCOMPARE(bmp.left(2), QByteArray("BM"));
  QCOMPARE(Little(bmp, 2, 4), quint32(bmp.size()));
  QCOMPARE(Little(bmp, 14, 4), 40u);  // BITMAPINFOHEADER
  QCOMPARE(Little(bmp, 18, 4), 90u);
  QCOMPARE(Little(bmp, 22, 4), 64u);
  QCOMPARE(Little(bmp, 28, 2), 24u);
  QCOMPARE(Little(bmp, 30, 4), 0u);  // uncompressed
  QCOMPARE(bmp.size() - Little(bmp, 10, 4), 272u * 64);

  // Both read back pixel for pixel, whatever the case of the name.
  const auto picture2 = imaging::ReadCardPicture(QStringLiteral("C:\\STORY\\card_01.png"));
  const auto thumbnail2 = imaging::ReadThumbnail(kStem + ".bmp");
  QVERIFY(picture2 && thumbnail2);
  QCOMPARE(picture2->format(), QImage::Format_RGB32);
  QCOMPARE(*picture2, picture);
  QCOMPARE(*thumbnail2, thumbnail);
}

void ImagingTest::readsOtherPicturesAsCardPictures() {
  TempDrives drives;
  const QImage small = Pattern({100, 50});
  QImage clear(40, 30, QImage::Format_ARGB32);
  clear.fill(Qt::transparent);
  const QImage large = Pattern({900, 700});
  for (const QImage& image : {small, clear, large}) {
    for (const char* format : {"PNG", "BMP"}) {
      WriteHostFile(drives.c(QStringLiteral("story/Card_01.PNG")), Encoded(image, format));
      const auto picture = imaging::ReadCardPicture(kStem + ".PNG");
      QVERIFY(picture);
      QCOMPARE(picture->size(), imaging::kCardSize);
      // At its own size in the top-left, white elsewhere and under
      // transparency.
      const int right = qMin(image.width(), 800) - 1;
      const QRgb edge = image.hasAlphaChannel() && QByteArray(format) == "PNG"
                            ? qRgb(255, 255, 255)
                            : image.pixel(right, 7) | 0xff000000;
      QCOMPARE(picture->pixel(right, 7), edge);
      if (image.width() < 800) QCOMPARE(picture->pixel(image.width(), 0), qRgb(255, 255, 255));
      if (image.height() < 600) QCOMPARE(picture->pixel(799, 599), qRgb(255, 255, 255));
    }
  }
}

void ImagingTest::missingOrBrokenFilesGiveNothing() {
  TempDrives drives;
  QVERIFY(!imaging::ReadCardPicture(kStem + ".PNG"));
  WriteHostFile(drives.c(QStringLiteral("story/Card_01.PNG")), "not a picture");
  WriteHostFile(drives.c(QStringLiteral("story/Card_01.BMP")),
                Encoded(Pattern({90, 64}), "BMP").left(30));
  QVERIFY(!imaging::ReadCardPicture(kStem + ".PNG"));
  QVERIFY(!imaging::ReadThumbnail(kStem + ".BMP"));
  QVERIFY(!imaging::WriteCardPicture(QStringLiteral("C:\\gone\\Card_01.PNG"), Pattern({800, 600})));
  QVERIFY(!imaging::WriteThumbnail(QStringLiteral("Q:\\Card_01.BMP"), Pattern({90, 64})));
}

QTEST_MAIN(ImagingTest)
#include "ImagingTest.moc"
