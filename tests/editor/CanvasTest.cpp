// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The canvas: its frame, the undo image, blank paper and pasting.

#include <QClipboard>
#include <QGuiApplication>
#include <QtTest>

#include "EditorFixture.h"
#include "editor/Canvas.h"
#include "editor/ToolPalette.h"

namespace {

void ClipboardPicture(QSize size, QColor colour) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  QGuiApplication::clipboard()->setImage(image);
}

}  // namespace

class CanvasTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { QGuiApplication::clipboard()->clear(); }

  // The frame leaves exactly columns 7..805 and rows 7..606 uncovered.
  void frameStrips() {
    EditorFixture f;
    f.paint(f.m.editor.canvasImage.rect(), Qt::blue);
    PaintCanvasFrame(f.m.editor);
    const QColor blue(Qt::blue);
    for (int y : {7, 300, 606}) {
      QCOMPARE(f.canvasAt(6, y), kFrame);
      QCOMPARE(f.canvasAt(7, y), blue);
      QCOMPARE(f.canvasAt(805, y), blue);
      QCOMPARE(f.canvasAt(806, y), kFrame);
      QCOMPARE(f.canvasAt(817, y), kFrame);
    }
    for (int x : {7, 400, 805}) {
      QCOMPARE(f.canvasAt(x, 6), kFrame);
      QCOMPARE(f.canvasAt(x, 7), blue);
      QCOMPARE(f.canvasAt(x, 606), blue);
      QCOMPARE(f.canvasAt(x, 607), kFrame);
      QCOMPARE(f.canvasAt(x, 617), kFrame);
    }
  }

  // One undo image, taken when a tool is chosen; undo twice is undo once.
  void undoToLastToolChoice() {
    EditorFixture f;
    f.paint({50, 50, 10, 10}, Qt::red);
    ChooseTool(f.m.editor, f.m.dialogs, 0);
    for (int k = 0; k < 3; ++k) f.paint({100 + 20 * k, 100, 10, 10}, Qt::black);  // three strokes
    for (int k = 0; k < 2; ++k) {
      Undo(f.m.editor);
      QCOMPARE(f.canvasAt(55, 55), QColor(Qt::red));
      QCOMPARE(f.canvasAt(145, 105), kWhite);
    }
  }

  void blankThenUndo() {
    EditorFixture f;
    f.paint({200, 200, 30, 30}, Qt::green);
    f.m.deck.cardText = QStringLiteral("むかしむかし\r\n");
    f.m.screen.Show(Screen::CardText);
    f.dialogs.answers = {false, true};
    BlankPaper(f.m.editor, f.m.deck, f.m.dialogs);  // いいえ: nothing happens
    QCOMPARE(f.canvasAt(210, 210), QColor(Qt::green));
    QVERIFY(f.m.screen.current() == Screen::CardText);
    BlankPaper(f.m.editor, f.m.deck, f.m.dialogs);
    QCOMPARE(f.dialogs.asked.value(1), QStringLiteral("かいたえをけします。"));
    QCOMPARE(f.canvasAt(210, 210), kWhite);
    QCOMPARE(f.canvasAt(3, 3), kFrame);
    QCOMPARE(f.m.deck.cardText, QString());
    QVERIFY(f.m.screen.current() == Screen::Drawing);  // the blank paper, not an empty space

    Undo(f.m.editor);  // the text comes back with the picture
    QCOMPARE(f.canvasAt(210, 210), QColor(Qt::green));
    QCOMPARE(f.m.deck.cardText, QStringLiteral("むかしむかし\r\n"));
  }

  // Centred on the picture area, (800 - w) / 2 rounded half to even; what
  // falls outside the picture area lies under the frame.
  void pasteCentred_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("topLeft");
    QTest::newRow("101 x 51: 349.5 and 274.5 go to even") << QSize(101, 51) << QPoint(357, 281);
    QTest::newRow("103 x 53: 348.5 and 273.5 go to even") << QSize(103, 53) << QPoint(355, 281);
    QTest::newRow("1000 x 700") << QSize(1000, 700) << QPoint(-93, -43);
  }
  void pasteCentred() {
    QFETCH(QSize, size);
    QFETCH(QPoint, topLeft);
    EditorFixture f;
    ClipboardPicture(size, Qt::blue);
    ChooseTool(f.m.editor, f.m.dialogs, 13);
    QCOMPARE(f.m.editor.CurrentTool, int16_t(14));
    const QRect placed = QRect(topLeft, size).intersected({7, 7, 799, 600});
    QCOMPARE(f.canvasAt(placed.left(), placed.top()), QColor(Qt::blue));
    QCOMPARE(f.canvasAt(placed.right(), placed.bottom()), QColor(Qt::blue));
    QCOMPARE(f.canvasAt(placed.left() - 1, placed.top()), placed.left() == 7 ? kFrame : kWhite);
    QCOMPARE(f.canvasAt(placed.left(), placed.top() - 1), placed.top() == 7 ? kFrame : kWhite);
  }

  void pasteTransparentPartsAreWhite() {
    EditorFixture f;
    QImage picture(40, 40, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    QPainter(&picture).fillRect(QRect(0, 0, 20, 40), Qt::blue);
    QGuiApplication::clipboard()->setImage(picture);
    f.paint({7, 7, 800, 600}, Qt::red);
    ChooseTool(f.m.editor, f.m.dialogs, 13);
    QCOMPARE(f.canvasAt(387 + 5, 287 + 5), QColor(Qt::blue));
    QCOMPARE(f.canvasAt(387 + 30, 287 + 5), kWhite);
  }

  void undoAfterPaste() {
    EditorFixture f;
    f.paint({350, 270, 100, 60}, Qt::green);
    ClipboardPicture({100, 50}, Qt::blue);
    ChooseTool(f.m.editor, f.m.dialogs, 13);
    QCOMPARE(f.canvasAt(400, 300), QColor(Qt::blue));
    Undo(f.m.editor);
    QCOMPARE(f.canvasAt(400, 300), QColor(Qt::green));
  }

  // Without a picture on the clipboard the button changes nothing at all.
  void pasteWithoutPicture() {
    EditorFixture f;
    QGuiApplication::clipboard()->setText(QStringLiteral("えのぐ"));
    ChooseTool(f.m.editor, f.m.dialogs, 2);
    f.paint({200, 200, 10, 10}, Qt::black);
    const QImage canvas = f.m.editor.canvasImage.copy();
    const QImage undo = f.m.editor.undoImage.copy();
    const auto faces = f.m.editor.toolFaces;
    ChooseTool(f.m.editor, f.m.dialogs, 13);
    QCOMPARE(f.dialogs.beeps, 1);
    QCOMPARE(f.m.editor.CurrentTool, int16_t(3));
    QVERIFY(f.m.editor.toolFaces == faces);
    QCOMPARE(f.m.editor.canvasImage, canvas);
    QCOMPARE(f.m.editor.undoImage, undo);
  }

  // Opening the editor makes the card now shown the undo image.
  void openingTakesUndoImage() {
    EditorFixture f;
    f.paint({100, 100, 50, 50}, Qt::red);  // card A
    ChooseTool(f.m.editor, f.m.dialogs, 0);                // undo image: card A
    f.m.editor.ShapeClickCount = 1;
    f.m.editor.LastPointX = 120;
    f.m.editor.canvasImage.fill(Qt::white);     // card B loaded
    f.m.drawing.Start();
    QCOMPARE(f.m.editor.ShapeClickCount, int16_t(0));
    QCOMPARE(f.m.editor.LastPointX, int16_t(-1));
    Undo(f.m.editor);
    QCOMPARE(f.canvasAt(120, 120), kWhite);
  }
};

QTEST_MAIN(CanvasTest)
#include "CanvasTest.moc"
