// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The canvas: its frame, blank paper and pasting (their steps in the
// picture's history are in PictureHistoryTest).

#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QtTest>

#include "support/EditorFixture.h"
#include "drawing/Canvas.h"
#include "drawing/DrawingTools.h"
#include "drawing/ToolActions.h"

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
    f.paint(f.session.editor.canvasImage.rect(), Qt::blue);
    PaintCanvasFrame(f.session.editor);
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

  void blankThenUndo() {
    EditorFixture f;
    f.paint({200, 200, 30, 30}, Qt::green);
    f.session.deck.cardText = QStringLiteral("むかしむかし\r\n");
    QSignalSpy pictureWanted(&f.session.editor, &EditorState::pictureWanted);
    f.dialogs.answers = {false, true};
    BlankPaper(f.session.editor, f.session.deck, f.session.dialogs);  // いいえ: nothing happens
    QCOMPARE(f.canvasAt(210, 210), QColor(Qt::green));
    QCOMPARE(pictureWanted.count(), 0);
    BlankPaper(f.session.editor, f.session.deck, f.session.dialogs);
    QCOMPARE(f.dialogs.asked.value(1), QStringLiteral("かいたえをけします。"));
    QCOMPARE(f.canvasAt(210, 210), kWhite);
    QCOMPARE(f.canvasAt(3, 3), kFrame);
    QCOMPARE(f.session.deck.cardText, QString());
    QCOMPARE(pictureWanted.count(), 1);  // the blank paper in view, not the text box

    Undo(f.session.editor);  // the text comes back with the picture
    QCOMPARE(f.canvasAt(210, 210), QColor(Qt::green));
    QCOMPARE(f.session.deck.cardText, QStringLiteral("むかしむかし\r\n"));
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
    ChooseTool(f.session.editor, f.session.dialogs, Tool::Paste);
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
    ChooseTool(f.session.editor, f.session.dialogs, Tool::Paste);
    QCOMPARE(f.canvasAt(387 + 5, 287 + 5), QColor(Qt::blue));
    QCOMPARE(f.canvasAt(387 + 30, 287 + 5), kWhite);
  }

  // Without a picture on the clipboard the button changes nothing at all.
  void pasteWithoutPicture() {
    EditorFixture f;
    QGuiApplication::clipboard()->setText(QStringLiteral("えのぐ"));
    ChooseTool(f.session.editor, f.session.dialogs, Tool::MediumBrush);
    f.paint({200, 200, 10, 10}, Qt::black);
    const QImage canvas = f.session.editor.canvasImage.copy();
    const int steps = f.session.editor.history.StepsDone();
    ChooseTool(f.session.editor, f.session.dialogs, Tool::Paste);
    QCOMPARE(f.dialogs.beeps, 1);
    QVERIFY(f.session.editor.tool == Tool::MediumBrush);  // still in force and lit
    QVERIFY(f.session.editor.litTool == Tool::MediumBrush);
    QCOMPARE(f.session.editor.canvasImage, canvas);
    QCOMPARE(f.session.editor.history.StepsDone(), steps);
  }

  // Opening the editor forgets a shape half drawn on the card before, and
  // "もどす" has nothing of that card to bring back.
  void openingForgetsTheCardBefore() {
    EditorFixture f;
    f.paint({100, 100, 50, 50}, Qt::red);  // card A
    ChooseTool(f.session.editor, f.session.dialogs, Tool::Box);
    CanvasMouseDown(f.session.editor, kLeftButton, 110, 110);   // a rectangle half drawn
    CanvasMouseMove(f.session.editor, 0, 130, 130);
    f.session.editor.canvasImage.fill(Qt::white);  // card B loaded
    f.session.drawing.Start();
    QVERIFY(!OutlineShown(f.session.editor));  // the outline was on card A, not on B
    Undo(f.session.editor);
    QCOMPARE(f.canvasAt(120, 120), kWhite);
  }
};

QTEST_MAIN(CanvasTest)
#include "CanvasTest.moc"
