// Card pictures and thumbnails between files and pictures: the formats
// written, what reading gives for every kind of file, and round trips.

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
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
    for (int x = 0; x < size.width(); ++x) image.setPixel(x, y, qRgb(x % 251, y % 241, (x + y) % 256));
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
quint32 Little32(const QByteArray& b, int at) { return qFromLittleEndian<quint32>(b.constData() + at); }
quint16 Little16(const QByteArray& b, int at) { return qFromLittleEndian<quint16>(b.constData() + at); }

}  // namespace

class ImagingTest : public QObject {
  Q_OBJECT
 private slots:
  void cardPictureIsRgbPngAndRoundTrips();
  void thumbnailIs24BitBitmapAndRoundTrips();
  void readsOtherPicturesAsCardPictures_data();
  void readsOtherPicturesAsCardPictures();
  void missingOrBrokenFilesGiveNothing();
};

void ImagingTest::cardPictureIsRgbPngAndRoundTrips() {
  TempDrives drives;
  WriteHostFile(drives.c(QStringLiteral("story/keep")), "");
  const QImage picture = Pattern(imaging::kCardSize);
  QVERIFY(imaging::WriteCardPicture(kStem + ".PNG", picture));

  const QByteArray png = ReadHostFile(drives.c(QStringLiteral("story/Card_01.PNG")));
  QCOMPARE(png.left(8), QByteArray("\x89PNG\r\n\x1a\n"));
  QCOMPARE(png.mid(12, 4), QByteArray("IHDR"));
  QCOMPARE(Big32(png, 16), 800u);
  QCOMPARE(Big32(png, 20), 600u);
  QCOMPARE(int(png.at(24)), 8);  // bits per sample
  QCOMPARE(int(png.at(25)), 2);  // colour type RGB: no alpha, no palette
  QVERIFY(!png.contains("tRNS"));

  // Read back under another spelling of its name: the same pixels.
  const auto back = imaging::ReadCardPicture(QStringLiteral("C:\\STORY\\card_01.png"));
  QVERIFY(back);
  QCOMPARE(back->format(), QImage::Format_RGB32);
  QCOMPARE(*back, picture);
}

void ImagingTest::thumbnailIs24BitBitmapAndRoundTrips() {
  TempDrives drives;
  WriteHostFile(drives.c(QStringLiteral("story/keep")), "");
  const QImage thumbnail = Pattern(imaging::kThumbnailSize);
  QVERIFY(imaging::WriteThumbnail(kStem + ".BMP", thumbnail));

  const QByteArray bmp = ReadHostFile(drives.c(QStringLiteral("story/Card_01.BMP")));
  QCOMPARE(bmp.left(2), QByteArray("BM"));
  QCOMPARE(Little32(bmp, 2), quint32(bmp.size()));
  QCOMPARE(Little32(bmp, 14), 40u);  // BITMAPINFOHEADER
  QCOMPARE(Little32(bmp, 18), 90u);
  QCOMPARE(Little32(bmp, 22), 64u);  // positive: rows bottom-up
  QCOMPARE(Little16(bmp, 26), quint16(1));
  QCOMPARE(Little16(bmp, 28), quint16(24));
  QCOMPARE(Little32(bmp, 30), 0u);  // BI_RGB, uncompressed
  // Rows of 270 bytes padded to 272.
  QCOMPARE(bmp.size() - int(Little32(bmp, 10)), 272 * 64);

  const auto back = imaging::ReadThumbnail(kStem + ".bmp");
  QVERIFY(back);
  QCOMPARE(back->format(), QImage::Format_RGB32);
  QCOMPARE(*back, thumbnail);
}

void ImagingTest::readsOtherPicturesAsCardPictures_data() {
  QTest::addColumn<QByteArray>("file");
  QTest::addColumn<QSize>("size");
  QTest::addColumn<bool>("transparent");
  const QImage small = Pattern({100, 50});
  const QImage large = Pattern({900, 700});
  QImage clear(40, 30, QImage::Format_ARGB32);
  clear.fill(Qt::transparent);
  QTest::newRow("small PNG") << Encoded(small, "PNG") << small.size() << false;
  QTest::newRow("small BMP") << Encoded(small, "BMP") << small.size() << false;
  QTest::newRow("large PNG") << Encoded(large, "PNG") << large.size() << false;
  QTest::newRow("transparent PNG") << Encoded(clear, "PNG") << clear.size() << true;
  QTest::newRow("8-bit PNG") << Encoded(small.convertToFormat(QImage::Format_Indexed8), "PNG")
                             << small.size() << false;
}

void ImagingTest::readsOtherPicturesAsCardPictures() {
  QFETCH(QByteArray, file);
  QFETCH(QSize, size);
  QFETCH(bool, transparent);
  TempDrives drives;
  WriteHostFile(drives.c(QStringLiteral("story/Card_01.PNG")), file);
  const auto picture = imaging::ReadCardPicture(kStem + ".PNG");
  QVERIFY(picture);
  QCOMPARE(picture->size(), imaging::kCardSize);
  QCOMPARE(picture->format(), QImage::Format_RGB32);
  const QImage original = *imaging::Decode(file);
  QCOMPARE(original.size(), size);
  // The file's picture at its own size in the top-left, white elsewhere;
  // transparency shows white.
  for (const QPoint at : {QPoint(0, 0), QPoint(size.width() - 1, size.height() - 1),
                          QPoint(size.width() / 2, 7)}) {
    if (!picture->rect().contains(at)) continue;
    const QRgb expected = transparent ? qRgb(255, 255, 255) : original.pixel(at);
    QCOMPARE(picture->pixel(at), expected);
  }
  if (size.width() < 800) QCOMPARE(picture->pixel(size.width(), 0), qRgb(255, 255, 255));
  if (size.height() < 600) QCOMPARE(picture->pixel(799, 599), qRgb(255, 255, 255));
}

void ImagingTest::missingOrBrokenFilesGiveNothing() {
  TempDrives drives;
  QVERIFY(!imaging::ReadCardPicture(kStem + ".PNG"));
  QVERIFY(!imaging::ReadThumbnail(kStem + ".BMP"));
  WriteHostFile(drives.c(QStringLiteral("story/Card_01.PNG")), "not a picture");
  WriteHostFile(drives.c(QStringLiteral("story/Card_01.BMP")),
                Encoded(Pattern({90, 64}), "BMP").left(30));  // cut in its header
  QVERIFY(!imaging::ReadCardPicture(kStem + ".PNG"));
  QVERIFY(!imaging::ReadThumbnail(kStem + ".BMP"));

  // Writing to a missing folder or drive fails and leaves nothing behind.
  QVERIFY(!imaging::WriteCardPicture(QStringLiteral("C:\\gone\\Card_01.PNG"), Pattern({800, 600})));
  QVERIFY(!imaging::WriteThumbnail(QStringLiteral("Q:\\Card_01.BMP"), Pattern({90, 64})));
  QVERIFY(!QFileInfo::exists(drives.c(QStringLiteral("gone"))));
}

QTEST_MAIN(ImagingTest)
#include "tst_imaging.moc"
