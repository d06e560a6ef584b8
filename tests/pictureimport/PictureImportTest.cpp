// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The picture browser: placing a file's picture in the middle of the card,
// the drive, folder and file lists, and pictures it must refuse or turn.

#include <QDir>
#include <QBuffer>
#include <QtTest>

#include "support/EditorFixture.h"
#include "drawing/Canvas.h"
#include "pictureimport/PictureBrowser.h"
#include "drawing/ToolActions.h"
#include "platform/Imaging.h"
#include "platform/RemovableDrives.h"

namespace {

struct BrowserFixture : EditorFixture {
  // The drive the exchange window last showed, where the browser starts.
  QString exchangeDrive = QStringLiteral("D:\\");
  PictureBrowser browser{session.editor, [this] { return exchangeDrive; }, dialogs, nullptr};

  BrowserFixture() {
    session.editor.cardOpen = true;
    paint(session.editor.canvasImage.rect(), Qt::yellow);
    PaintCanvasFrame(session.editor);
    StartPictureHistory(session.editor);  // the card as opened
  }
  void pick(const QString& name) {
    const QList<QListWidgetItem*> items = browser.fileList->findItems(name, Qt::MatchExactly);
    QCOMPARE(items.size(), 1);
    browser.fileList->setCurrentItem(items.first());
  }
};

QImage Filled(QSize size, QColor colour) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

QByteArray BigEndian(quint32 v) {
  QByteArray bytes(4, '\0');
  qToBigEndian(v, bytes.data());
  return bytes;
}

QByteArray Chunk(const char* type, const QByteArray& data) {
  const QByteArray body = QByteArray(type) + data;
  quint32 crc = 0xffffffff;
  for (char byte : body) {
    crc ^= quint8(byte);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320 & (0 - (crc & 1)));
  }
  return BigEndian(quint32(data.size())) + body + BigEndian(~crc);
}

// A black PNG of one bit per pixel: small on disk and in its decoder, huge
// once it is a picture to place.
QByteArray BombPng(quint32 width, quint32 height) {
  const QByteArray header = BigEndian(width) + BigEndian(height) + QByteArray("\x01\0\0\0\0", 5);
  const QByteArray rows = QByteArray(1 + (width + 7) / 8, '\0').repeated(height);
  return QByteArray("\x89PNG\r\n\x1a\n") + Chunk("IHDR", header) + Chunk("IDAT", qCompress(rows, 9).mid(4)) +
         Chunk("IEND", {});
}

}  // namespace

class PictureImportTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { disk::testing::SetMountTable([] { return QByteArray(); }); }

  // Centred at ((800 - w) / 2 + 7, (600 - h) / 2 + 7); the frame covers what
  // a large picture spills; a placed picture is one step of the history.
  void placesCentredAndUndoes() {
    BrowserFixture f;
    TempDrives d(QStringLiteral("CD"));
    QVERIFY(Filled({400, 300}, Qt::blue).save(d.root(u'D') + QStringLiteral("/small.bmp")));
    QImage large = Filled({1024, 768}, Qt::green);
    large.setPixelColor(112, 84, Qt::red);  // lands on the picture area's first pixel
    QVERIFY(large.save(d.root(u'D') + QStringLiteral("/LARGE.BMP")));
    const QImage before = f.session.editor.canvasImage.copy();

    f.browser.Open();
    QCOMPARE(f.browser.state().folder, QStringLiteral("D:\\"));
    f.pick(QStringLiteral("small.bmp"));
    f.browser.chooseButton->click();
    QVERIFY(!f.browser.isVisible());
    QCOMPARE(f.canvasAt(207, 157), QColor(Qt::blue));
    QCOMPARE(f.canvasAt(606, 456), QColor(Qt::blue));
    QCOMPARE(f.canvasAt(206, 157), QColor(Qt::yellow));
    QCOMPARE(f.canvasAt(607, 457), QColor(Qt::yellow));
    const QImage placed = f.session.editor.canvasImage.copy();
    Undo(f.session.editor);
    QCOMPARE(f.session.editor.canvasImage, before);
    Redo(f.session.editor);
    QCOMPARE(f.session.editor.canvasImage, placed);

    f.browser.Open();
    f.pick(QStringLiteral("LARGE.BMP"));
    f.browser.chooseButton->click();
    QCOMPARE(f.canvasAt(7, 7), QColor(Qt::red));
    QCOMPARE(f.canvasAt(805, 606), QColor(Qt::green));
    for (QPoint p : {QPoint(6, 300), QPoint(806, 300), QPoint(400, 6), QPoint(400, 607)})
      QCOMPARE(f.canvasAt(p.x(), p.y()), kFrame);

    Undo(f.session.editor);  // the large picture only
    QCOMPARE(f.session.editor.canvasImage, placed);
    f.browser.Open();
    f.browser.cancelButton->click();
    QVERIFY(!f.browser.isVisible());
    QVERIFY(f.session.editor.history.CanRedo());  // a cancelled opening is no step
    Undo(f.session.editor);
    QCOMPARE(f.session.editor.canvasImage, before);
    QVERIFY(f.dialogs.told.isEmpty());
  }

  // "えらぶ" with nothing selected, missing drives asked for three times at
  // most, drive buttons falling back to C:.
  void missingDrivesAndNoFile() {
    BrowserFixture f;
    TempDrives d(QStringLiteral("CD"));
    f.exchangeDrive = QStringLiteral("F:\\");  // not there
    const QImage before = f.session.editor.canvasImage.copy();
    f.browser.Open();
    QCOMPARE(f.dialogs.told, QStringList(3, QStringLiteral("フロッピーディスクをF:\\にセットしてください。")));
    QVERIFY(f.browser.isVisible());
    QCOMPARE(f.browser.state().drive, QStringLiteral("C:\\"));
    f.browser.chooseButton->click();
    QVERIFY(f.browser.isVisible());
    QCOMPARE(f.session.editor.canvasImage, before);

    f.dialogs.told.clear();
    f.browser.floppyButton->click();
    QCOMPARE(f.dialogs.told, QStringList(3, QStringLiteral("フロッピーディスクを セットしてください｡ ")));
    f.dialogs.told.clear();
    f.browser.driveButtons[1]->click();
    QCOMPARE(f.browser.state().drive, QStringLiteral("D:\\"));
    f.browser.driveButtons[2]->click();  // no E:
    QCOMPARE(f.browser.state().drive, QStringLiteral("C:\\"));
    QVERIFY(f.dialogs.told.isEmpty());

    f.session.editor.cardOpen = false;  // drawing ends: the browser goes too
    f.session.editor.notifyChanged();
    QVERIFY(!f.browser.isVisible());
  }

  // Only BMP and JPEG names in any case, Japanese names, the folder and
  // file kept between openings, the preview at the picture's own size.
  void listsFoldersAndFiles() {
    BrowserFixture f;
    TempDrives d(QStringLiteral("CD"));
    const QString folder = d.root(u'D') + QStringLiteral("/しゃしん");
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/なつ")));
    QVERIFY(Filled({30, 20}, Qt::red).save(folder + QStringLiteral("/いぬ.jpg"), "JPG"));
    QVERIFY(Filled({30, 20}, Qt::blue).save(folder + QStringLiteral("/ねこ.BMP"), "BMP"));
    QVERIFY(Filled({600, 600}, Qt::blue).save(folder + QStringLiteral("/a.Bmp"), "BMP"));
    for (const char* other : {"/x.png", "/b.jpeg", "/memo.txt"})
      QVERIFY(Filled({8, 8}, Qt::red).save(folder + QString::fromUtf8(other), "PNG"));

    f.browser.Open();
    const auto items = f.browser.folderList->findItems(QStringLiteral("しゃしん"), Qt::MatchEndsWith);
    QCOMPARE(items.size(), 1);
    emit f.browser.folderList->itemActivated(items.first());
    QCOMPARE(f.browser.state().files, (QStringList{"a.Bmp", "いぬ.jpg", "ねこ.BMP"}));
    QCOMPARE(f.browser.folderList->count(), 3);  // D:\, しゃしん, なつ

    f.pick(QStringLiteral("a.Bmp"));
    f.pick(QStringLiteral("ねこ.BMP"));  // smaller: the panel shows again around it
    const QImage& preview = f.browser.state().preview;
    QCOMPARE(preview.pixelColor(29, 19), QColor(Qt::blue));
    QCOMPARE(preview.pixelColor(30, 19), pictures::kPreviewBackground);

    f.browser.cancelButton->click();
    f.browser.Open();
    QCOMPARE(f.browser.state().folder, QStringLiteral("D:\\しゃしん\\"));
    QCOMPARE(pictures::SelectedFile(f.browser.state()), QStringLiteral("ねこ.BMP"));
    f.browser.chooseButton->click();
    QCOMPARE(f.canvasAt(392, 297), QColor(Qt::blue));
  }

  // A picture of over 100 million pixels is refused before it is decoded; a
  // phone's photo stored sideways is placed upright.
  void refusesHugeAndTurnsPhotos() {
    BrowserFixture f;
    TempDrives d(QStringLiteral("CD"));
    WriteHostFile(d.root(u'D') + QStringLiteral("/huge.BMP"), BombPng(12000, 9000));
    const QImage before = f.session.editor.canvasImage.copy();
    f.browser.Open();
    f.pick(QStringLiteral("huge.BMP"));
    f.browser.chooseButton->click();
    QCOMPARE(f.dialogs.told, QStringList{pictures::kUnreadableMessage});
    QVERIFY(f.browser.isVisible());
    QCOMPARE(f.session.editor.canvasImage, before);

    // Stored 40 x 20, red on the left, with EXIF orientation 6: shown
    // turned a quarter clockwise, so red comes on top.
    QImage sideways = Filled({40, 20}, Qt::blue);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x) sideways.setPixelColor(x, y, Qt::red);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(sideways.save(&buffer, "JPG", 95));
    static const char kExif[] = "\xff\xe1\x00\x22" "Exif\0\0" "MM\0\x2a\0\0\0\x08" "\0\x01"
                                "\x01\x12\0\x03\0\0\0\x01\0\x06\0\0" "\0\0\0\0";
    jpeg.insert(2, QByteArray(kExif, sizeof kExif - 1));
    WriteHostFile(d.root(u'D') + QStringLiteral("/photo.JPG"), jpeg);
    const auto photo = imaging::ReadPicture(QStringLiteral("D:\\photo.jpg"));
    QVERIFY(photo);
    QCOMPARE(photo->size(), QSize(20, 40));
    QVERIFY(photo->pixelColor(10, 5).red() > 200 && photo->pixelColor(10, 35).blue() > 200);
  }
};

QTEST_MAIN(PictureImportTest)
#include "PictureImportTest.moc"
