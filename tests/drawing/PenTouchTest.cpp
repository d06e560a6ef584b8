// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// Drawing with a pen and with fingers on the canvas panel: pressure, the
// pen's eraser end, several fingers at once, a resting palm, and the mouse
// drawing exactly as it always did.

#include <QApplication>
#include <QCryptographicHash>
#include <QPointingDevice>
#include <QTabletEvent>
#include <QtTest>
#include <memory>

#include "support/EditorFixture.h"
#include "drawing/CanvasView.h"
#include "drawing/DrawingTools.h"
#include "drawing/ToolActions.h"
#include "drawing/ToolPanel.h"

namespace {

std::unique_ptr<QPointingDevice> Pen(QPointingDevice::PointerType end) {
  return std::make_unique<QPointingDevice>(
      QStringLiteral("test pen"), 4711, QInputDevice::DeviceType::Stylus, end,
      QInputDevice::Capability::Position | QInputDevice::Capability::Pressure, 1, 2);
}

void SendTablet(QWidget* to, const QPointingDevice* pen, QEvent::Type type, QPointF at, double pressure) {
  const Qt::MouseButton button = type == QEvent::TabletMove ? Qt::NoButton : Qt::LeftButton;
  const Qt::MouseButtons held = type == QEvent::TabletRelease ? Qt::NoButton : Qt::LeftButton;
  QTabletEvent event(type, pen, at, to ? to->mapToGlobal(at) : at, pressure, 0, 0, 0, 0, 0, {}, button, held);
  QApplication::sendEvent(to ? static_cast<QObject*>(to) : qApp, &event);
}

// How many painted (not white) pixels the column `x` has between rows
// `top` and `bottom`.
int PaintedRun(const EditorFixture& f, int x, int top, int bottom) {
  int run = 0;
  for (int y = top; y <= bottom; ++y) run += f.canvasAt(x, y) != kWhite;
  return run;
}

// The canvas panel on the screen at its designed size, taking touches.
void ShowForTouches(CanvasView& view) {
  view.resize(818, 618);
  view.show();
  QVERIFY(QTest::qWaitForWindowExposed(&view));
}

QByteArray CanvasHash(const QImage& canvas) {
  return QCryptographicHash::hash(QByteArrayView(canvas.constBits(), canvas.sizeInBytes()),
                                  QCryptographicHash::Md5).toHex();
}

}  // namespace

class PenTouchTest : public QObject {
  Q_OBJECT
 private slots:
  // A pen pressed ever harder: the stroke widens from about half to the
  // full width of the brush, and is one step of the history.
  void pressureAndEraserEnd() {
    EditorFixture f;
    EditorState& editor = f.session.editor;
    CanvasView view(editor, nullptr);
    ChooseTool(editor, f.session.dialogs, Tool::LargeBrush);  // 33 wide
    const auto pen = Pen(QPointingDevice::PointerType::Pen);
    SendTablet(&view, pen.get(), QEvent::TabletPress, {100, 300}, 0.0);
    for (int x = 110; x <= 500; x += 10) SendTablet(&view, pen.get(), QEvent::TabletMove, {double(x), 300}, (x - 100) / 400.0);
    SendTablet(&view, pen.get(), QEvent::TabletRelease, {500, 300}, 1.0);
    const int start = PaintedRun(f, 130, 250, 350), end = PaintedRun(f, 470, 250, 350);
    QVERIFY2(start >= 15 && start <= 22, qPrintable(QString::number(start)));
    QVERIFY2(end >= 31 && end <= 34, qPrintable(QString::number(end)));
    // Smoothly: the width never jumps by more than a pixel or two between columns.
    for (int x = 130; x < 470; ++x) QVERIFY(std::abs(PaintedRun(f, x + 1, 250, 350) - PaintedRun(f, x, 250, 350)) <= 2);
    QVERIFY(editor.history.CanUndo());
    Undo(editor);
    QCOMPARE(PaintedRun(f, 300, 250, 350), 0);
    QVERIFY(!editor.history.CanUndo());

    // The eraser end erases with the small eraser while the pen tool stays
    // the child's choice, lit again once the pen lifts and goes away.
    f.paint({300, 280, 60, 40}, Qt::black);
    const auto eraser = Pen(QPointingDevice::PointerType::Eraser);
    SendTablet(&view, eraser.get(), QEvent::TabletPress, {310, 300}, 1.0);
    QCOMPARE(editor.tool, Tool::SmallEraser);
    QCOMPARE(editor.litTool, Tool::SmallEraser);
    SendTablet(&view, eraser.get(), QEvent::TabletMove, {350, 300}, 1.0);
    SendTablet(&view, eraser.get(), QEvent::TabletRelease, {350, 300}, 1.0);
    QCOMPARE(f.canvasAt(330, 300), kWhite);
    QCOMPARE(f.canvasAt(330, 285), QColor(Qt::black));  // the small eraser is 11 wide
    QCOMPARE(editor.tool, Tool::LargeBrush);
    QCOMPARE(editor.litTool, Tool::LargeBrush);
  }

  // The mouse draws at the full width, pixel for pixel as before pens and
  // fingers were taken in: the same strokes give the same picture.
  void mouseUnchanged() {
    EditorFixture f;
    EditorState& editor = f.session.editor;
    CanvasView view(editor, nullptr);
    int y = 60;
    for (Tool tool : {Tool::ThinPen, Tool::SmallBrush, Tool::MediumBrush, Tool::LargeBrush, Tool::LargeEraser}) {
      if (tool == Tool::LargeEraser) {
        ChooseEraser(editor, tool);
        y = 150;  // across the strokes drawn
      } else {
        ChooseTool(editor, f.session.dialogs, tool);
      }
      CanvasMouseDown(editor, kLeftButton, 40, float(y));
      for (int i = 1; i <= 20; ++i) CanvasMouseMove(editor, kLeftButton, 40.0f + 31.5f * i, float(y + (i % 3) * 7));
      CanvasMouseUp(editor, kLeftButton, 670, float(y));
      QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(760, y));
      y += 110;
    }
    // The picture these strokes gave before pens and fingers were taken in.
    QCOMPARE(CanvasHash(editor.canvasImage), QByteArray("7352c671ca8b28f7809d6abde9993c0e"));
  }

  // Two fingers draw two strokes at once with nothing joining them; each
  // finger lifted is a step holding its own stroke alone, though the other
  // was drawing before, beside and after it. A palm resting while the pen
  // is near draws nothing. A touch on the tool panel presses the button
  // under it.
  void fingers() {
    EditorFixture f;
    EditorState& editor = f.session.editor;
    CanvasView view(editor, nullptr);
    ShowForTouches(view);
    ChooseTool(editor, f.session.dialogs, Tool::SmallBrush);
    const QImage paper = editor.canvasImage.copy();
    QPointingDevice* screen = QTest::createTouchDevice();
    QTest::touchEvent(&view, screen).press(0, {100, 200});
    QTest::touchEvent(&view, screen).move(0, {110, 200});
    QTest::touchEvent(&view, screen).stationary(0).press(1, {100, 400});
    for (int x = 120; x <= 300; x += 20) QTest::touchEvent(&view, screen).move(0, {x, 200}).move(1, {x, 400});
    QTest::touchEvent(&view, screen).release(0, {300, 200}).stationary(1);
    QTest::touchEvent(&view, screen).move(1, {400, 400});
    QTest::touchEvent(&view, screen).release(1, {400, 400});
    QVERIFY(PaintedRun(f, 200, 190, 210) >= 10);
    QVERIFY(PaintedRun(f, 200, 390, 410) >= 10);
    QCOMPARE(PaintedRun(f, 200, 215, 385), 0);     // no line from one finger to the other
    QCOMPARE(PaintedRun(f, 310, 100, 300), 0);     // nor past the first finger's end
    QVERIFY(PaintedRun(f, 350, 390, 410) >= 10);
    const QImage both = editor.canvasImage.copy();

    // The first finger drawn alone, for comparison.
    EditorFixture alone;
    CanvasView aloneView(alone.session.editor, nullptr);
    ShowForTouches(aloneView);
    ChooseTool(alone.session.editor, alone.session.dialogs, Tool::SmallBrush);
    QTest::touchEvent(&aloneView, screen).press(0, {100, 200});
    for (int x = 110; x <= 300; x += x < 120 ? 10 : 20) QTest::touchEvent(&aloneView, screen).move(0, {x, 200});
    QTest::touchEvent(&aloneView, screen).release(0, {300, 200});

    Undo(editor);                                   // the second finger's whole stroke
    QVERIFY(editor.canvasImage == alone.session.editor.canvasImage);
    Undo(editor);
    QVERIFY(editor.canvasImage == paper);
    QVERIFY(!editor.history.CanUndo());
    Redo(editor);
    Redo(editor);
    QVERIFY(editor.canvasImage == both);

    // The pen near: a resting hand leaves nothing; gone again, fingers draw.
    const auto pen = Pen(QPointingDevice::PointerType::Pen);
    SendTablet(nullptr, pen.get(), QEvent::TabletEnterProximity, {}, 0);
    QTest::touchEvent(&view, screen).press(3, {500, 300});
    QTest::touchEvent(&view, screen).move(3, {600, 300});
    QTest::touchEvent(&view, screen).release(3, {600, 300});
    QCOMPARE(PaintedRun(f, 550, 100, 600), 0);
    SendTablet(nullptr, pen.get(), QEvent::TabletLeaveProximity, {}, 0);
    QTest::touchEvent(&view, screen).press(4, {500, 300});
    QTest::touchEvent(&view, screen).move(4, {600, 300});
    QTest::touchEvent(&view, screen).release(4, {600, 300});
    QVERIFY(PaintedRun(f, 550, 100, 600) >= 10);

    ToolPanel panel(editor, f.session.dialogs, nullptr);
    panel.setScale(1.0);
    panel.resize(190, 618);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    const QPoint button = panel.largeEraserButton->geometry().center();
    QTest::touchEvent(&panel, screen).press(5, button);
    QTest::touchEvent(&panel, screen).release(5, button);
    QTRY_COMPARE(editor.tool, Tool::LargeEraser);

    // A finger whose release never came (a message opened over it) goes
    // with its card: on the card opened next a finger fills again.
    EditorFixture g;
    QVERIFY(QDir().mkpath(g.drives.c(QStringLiteral("A_PIKORA/CLASS_11/うみ"))));
    CanvasView next(g.session.editor, nullptr);
    ShowForTouches(next);
    QVERIFY(g.session.drawing.Start());
    ChooseTool(g.session.editor, g.session.dialogs, Tool::SmallBrush);
    QTest::touchEvent(&next, screen).press(6, {100, 500});
    QVERIFY(g.session.drawing.Finish());
    QVERIFY(g.session.drawing.Start());
    QVERIFY(g.session.editor.strokes.empty());
    ChooseTool(g.session.editor, g.session.dialogs, Tool::Fill);
    QTest::touchEvent(&next, screen).press(7, {400, 300});
    QTest::touchEvent(&next, screen).release(7, {400, 300});
    QVERIFY(g.canvasAt(400, 300) != kWhite);
  }

  // Two fingers cross each other on a picture, the second lifted first.
  // Taking back the later step leaves the earlier stroke whole, the
  // crossing included; taking back both gives the picture exactly as it
  // was, bringing both back the picture exactly as drawn.
  void crossingFingers() {
    const auto start = [](EditorFixture& f, CanvasView& view) {
      ShowForTouches(view);
      f.paint({250, 250, 100, 100}, Qt::red);
      PaintCanvasFrame(f.session.editor);  // as a card opened for drawing has it
      StartPictureHistory(f.session.editor);
      ChooseTool(f.session.editor, f.session.dialogs, Tool::MediumBrush);
    };
    EditorFixture f;
    EditorState& editor = f.session.editor;
    CanvasView view(editor, nullptr);
    start(f, view);
    const QImage picture = editor.canvasImage.copy();
    QPointingDevice* screen = QTest::createTouchDevice();
    QTest::touchEvent(&view, screen).press(0, {100, 300}).press(1, {300, 100});
    for (int k = 1; k <= 10; ++k) QTest::touchEvent(&view, screen).move(0, {100 + 40 * k, 300}).move(1, {300, 100 + 40 * k});
    QTest::touchEvent(&view, screen).stationary(0).release(1, {300, 500});
    QTest::touchEvent(&view, screen).move(0, {600, 320});
    QTest::touchEvent(&view, screen).release(0, {600, 320});
    const QImage drawn = editor.canvasImage.copy();

    // The vertical stroke, lifted first, drawn alone on the same picture.
    EditorFixture alone;
    CanvasView aloneView(alone.session.editor, nullptr);
    start(alone, aloneView);
    QTest::touchEvent(&aloneView, screen).press(1, {300, 100});
    for (int k = 1; k <= 10; ++k) QTest::touchEvent(&aloneView, screen).move(1, {300, 100 + 40 * k});
    QTest::touchEvent(&aloneView, screen).release(1, {300, 500});

    QCOMPARE(editor.history.StepsDone(), 2);
    Undo(editor);
    QVERIFY(editor.canvasImage == alone.session.editor.canvasImage);
    Undo(editor);
    QVERIFY(editor.canvasImage == picture);
    Redo(editor);
    Redo(editor);
    QVERIFY(editor.canvasImage == drawn);

    // "もどす" while both draw takes back what they drew; the second then
    // goes where the first had been. Lifted in turn, taking back the
    // second's step leaves nothing of it.
    const QImage before = editor.canvasImage.copy();
    PointerDown(editor, 1, 100, 500, -1);
    PointerDown(editor, 2, 350, 380, -1);
    for (int x = 100; x <= 400; x += 10) PointerMove(editor, 1, x, 500, -1);
    Undo(editor);
    QVERIFY(editor.canvasImage == before);
    for (int y = 380; y <= 600; y += 10) PointerMove(editor, 2, 350 - (y - 380) / 2, y, -1);
    PointerMove(editor, 1, 400, 560, -1);  // the first's own new part, clear of the second
    PointerUp(editor, 1);
    PointerUp(editor, 2);
    Undo(editor);
    const QRect secondsSide(0, 0, 380, editor.canvasImage.height());
    QVERIFY(editor.canvasImage.copy(secondsSide) == before.copy(secondsSide));
    QVERIFY(editor.canvasImage != before);
  }
};

QTEST_MAIN(PenTouchTest)
#include "PenTouchTest.moc"
