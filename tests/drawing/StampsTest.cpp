// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// 「はんこ」: the stamp table and its font, a stamp placed on the canvas in
// each size and mirrored with its undo and redo, the stamp box through the
// real widget, and the panel without the font.

#include <QDir>
#include <QPainter>
#include <QRawFont>
#include <QtTest>

#include "support/EditorFixture.h"
#include "drawing/DrawingTools.h"
#include "drawing/StampBox.h"
#include "drawing/StampTable.h"
#include "drawing/ToolActions.h"
#include "drawing/ToolPanel.h"
#include "platform/Imaging.h"

namespace {

bool Hiragana(const QString& name) {
  if (name.isEmpty()) return false;
  for (const QChar c : name)
    if (!((c >= QChar(0x3041) && c <= QChar(0x3096)) || c == QChar(0x30FC) || c == QChar(' '))) return false;
  return true;
}

bool Drawn(const QImage& image) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qAlpha(image.pixel(x, y)) != 0) return true;
  return false;
}

// The canvas as it should be: `paper` with `stamp` drawn at `topLeft`, cut
// off at the picture.
QImage Stamped(const QImage& paper, const QImage& stamp, QPoint topLeft, QRect picture) {
  QImage image = paper.copy();
  QPainter painter(&image);
  painter.setClipRect(picture);
  painter.drawImage(topLeft, stamp);
  return image;
}

int CategoryNamed(const char* name) {
  const auto categories = StampCategories();
  for (int i = 0; i < int(categories.size()); ++i)
    if (QString::fromUtf8(categories[size_t(i)].name) == QString::fromUtf8(name)) return i;
  return -1;
}

}  // namespace

class StampsTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { qunsetenv("PIKORAMA_STAMP_FONT"); }

  // At least 300 stamps in the named categories, every name hiragana, and
  // every picture in the font itself (not a fallback) and drawn.
  void table() {
    QVERIFY(StampCount() >= 300);
    for (const char* name : {"どうぶつ", "たべもの", "のりもの", "しぜん", "かお", "もの"})
      QVERIFY2(CategoryNamed(name) >= 0, name);
    for (const StampCategory& category : StampCategories()) {
      QVERIFY2(Hiragana(QString::fromUtf8(category.name)), category.name);
      for (const Stamp& stamp : category.stamps) QVERIFY2(Hiragana(QString::fromUtf8(stamp.name)), stamp.name);
    }
    if (StampFontFamily().isEmpty()) QSKIP("the colour emoji font (fonts-noto-color-emoji) is not installed");
    QFont font(StampFontFamily());
    font.setPixelSize(48);
    const QRawFont raw = QRawFont::fromFont(font);
    for (const StampCategory& category : StampCategories()) {
      for (const Stamp& stamp : category.stamps) {
        for (const uint code : QString::fromUtf8(stamp.text).toUcs4())
          if (code != 0xFE0F) QVERIFY2(raw.supportsCharacter(code), stamp.name);
        QVERIFY2(Drawn(RenderStamp(stamp, 48, false)), stamp.name);
      }
    }
    // In colour: the apple is red.
    const QImage apple = RenderStamp(StampCategories()[size_t(CategoryNamed("たべもの"))].stamps[0], 96, false);
    const QColor middle = apple.pixelColor(48, 52);
    QVERIFY2(middle.red() > 150 && middle.green() < 100, qPrintable(middle.name()));
  }

  // A click places the stamp centred there, in each size and mirrored; the
  // preview never touches the picture; undo takes back exactly the stamp
  // and redo brings it back; at a corner it is cut off at the picture.
  void placeUndoRedo() {
    if (StampFontFamily().isEmpty()) QSKIP("the colour emoji font (fonts-noto-color-emoji) is not installed");
    for (const bool mirrored : {false, true}) {
      for (const int size : kStampSizes) {
        for (const QPoint at : {QPoint(300, 250), QPoint(10, 600)}) {
          EditorFixture f;
          EditorState& editor = f.session.editor;
          PaintCanvasFrame(editor);
          RecordStep(editor);
          editor.stamp.size = size;
          editor.stamp.mirrored = mirrored;
          ChooseStamp(editor, CategoryNamed("どうぶつ"), 0);  // ねこ
          QVERIFY(editor.tool == Tool::Stamp);
          const QImage paper = editor.canvasImage.copy();
          const int steps = editor.history.StepsDone();
          CanvasMouseMove(editor, 0, at.x(), at.y());
          QCOMPARE(editor.stampPreviewAt, std::optional<QPoint>(at));
          QCOMPARE(editor.canvasImage, paper);
          CanvasMouseDown(editor, kLeftButton, at.x(), at.y());
          CanvasMouseUp(editor, kLeftButton, at.x(), at.y());
          const QImage upright = RenderStamp(StampCategories()[0].stamps[0], size, false);
          QCOMPARE(upright.size(), QSize(size, size));
          const QImage stamp = mirrored ? upright.mirrored(true, false) : upright;
          const QImage expected = Stamped(paper, stamp, at - QPoint(size / 2, size / 2), PictureArea(editor));
          QVERIFY(expected != paper);
          QCOMPARE(editor.canvasImage, expected);
          QCOMPARE(editor.history.StepsDone(), steps + 1);
          Undo(editor);
          QCOMPARE(editor.canvasImage, paper);
          Redo(editor);
          QCOMPARE(editor.canvasImage, expected);
        }
      }
    }
    // The card saved with a stamp has it in its picture, which the player
    // and every export read.
    EditorFixture f;
    QVERIFY(QDir().mkpath(f.drives.c(QStringLiteral("A_PIKORA/CLASS_11/うみ"))));
    QVERIFY(f.session.drawing.Start());
    EditorState& editor = f.session.editor;
    ChooseStamp(editor, 0, 0);
    CanvasMouseDown(editor, kLeftButton, 400, 300);
    CanvasMouseUp(editor, kLeftButton, 400, 300);
    const QImage stamped = editor.canvasImage.copy(PictureArea(editor)).convertToFormat(QImage::Format_RGB32);
    QImage blank(stamped.size(), QImage::Format_RGB32);
    blank.fill(Qt::white);
    QVERIFY(stamped != blank);
    QVERIFY(f.session.drawing.Finish());
    const auto saved = imaging::ReadCardPicture(f.session.deck.storyFolder + QStringLiteral("Card_01.PNG"));
    QVERIFY(saved);
    QCOMPARE(saved->convertToFormat(QImage::Format_RGB32), stamped);
  }

  // The stamp button opens the box; the box shows every category; a click
  // on a tab, a size, 「はんてん」 and a tile chooses that stamp, closes the
  // box and lights the stamp button.
  void stampBox() {
    if (StampFontFamily().isEmpty()) QSKIP("the colour emoji font (fonts-noto-color-emoji) is not installed");
    EditorFixture f;
    EditorState& editor = f.session.editor;
    ToolPanel panel(editor, f.session.dialogs, nullptr);
    QVERIFY(!panel.stampButton->isHidden());
    QCOMPARE(panel.stampButton->face(), QColor(192, 255, 192));
    QTest::mouseClick(panel.stampButton, Qt::LeftButton);
    StampBox* box = panel.stampBox();
    QVERIFY(box->isVisible());
    QImage shown(box->size(), QImage::Format_RGB32);
    box->render(&shown);
    // Every tab has its name written on it.
    for (int i = 0; i < int(StampCategories().size()); ++i) {
      const QImage tab = shown.copy(StampBoxTab(i));
      int dark = 0;
      for (int y = 0; y < tab.height(); ++y)
        for (int x = 0; x < tab.width(); ++x) dark += qGray(tab.pixel(x, y)) < 64;
      QVERIFY2(dark > 20, StampCategories()[size_t(i)].name);
    }
    const int faces = CategoryNamed("かお");
    QTest::mouseClick(box, Qt::LeftButton, {}, StampBoxTab(faces).center());
    QTest::mouseClick(box, Qt::LeftButton, {}, StampBoxSizeButton(2).center());
    QTest::mouseClick(box, Qt::LeftButton, {}, StampBoxMirrorButton().center());
    QVERIFY(box->isVisible());
    QCOMPARE(editor.stamp.size, 160);
    QVERIFY(editor.stamp.mirrored);
    QVERIFY(editor.tool != Tool::Stamp);
    QTest::mouseClick(box, Qt::LeftButton, {}, StampBoxTile(9).center());
    QVERIFY(!box->isVisible());
    QCOMPARE(editor.stamp.category, faces);
    QCOMPARE(editor.stamp.index, 9);
    QVERIFY(editor.tool == Tool::Stamp);
    QCOMPARE(panel.stampButton->face(), QColor(0, 255, 16));
    // Another tool puts out the stamp button's light.
    ChooseTool(editor, f.session.dialogs, Tool::ThinPen);
    QCOMPARE(panel.stampButton->face(), QColor(192, 255, 192));
  }

  // No font file: no stamp button.
  void noFontNoButton() {
    qputenv("PIKORAMA_STAMP_FONT", QByteArrayLiteral("/nonexistent/NotoColorEmoji.ttf"));
    EditorFixture f;
    ToolPanel panel(f.session.editor, f.session.dialogs, nullptr);
    QVERIFY(panel.stampButton->isHidden());
    QVERIFY(RenderStamp(StampCategories()[0].stamps[0], 48, false).isNull());
  }
};

QTEST_MAIN(StampsTest)
#include "StampsTest.moc"
