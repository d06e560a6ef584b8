// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The picture's history: every finished action one step, taken back and
// brought back pixel for pixel, the buttons and keys, the limit, and a new
// card starting afresh.

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QtTest>

#include "support/EditorFixture.h"
#include "drawing/Canvas.h"
#include "drawing/DrawingTools.h"
#include "drawing/ToolActions.h"
#include "drawing/ToolPanel.h"

namespace {

struct Drawing : EditorFixture {
  Drawing() {
    PaintCanvasFrame(session.editor);
    session.editor.history.Start(session.editor.canvasImage);
  }
  void use(Tool tool) {
    if (InfoOf(tool).kind == ToolKind::Eraser) ChooseEraser(session.editor, tool);
    else ChooseTool(session.editor, session.dialogs, tool);
  }
  void click(float x, float y) {
    CanvasMouseDown(session.editor, kLeftButton, x, y);
    CanvasMouseUp(session.editor, kLeftButton, x, y);
  }
  // A press, moves through `points` with the button held, a release.
  void drag(std::initializer_list<QPoint> points) {
    const QPoint first = *points.begin();
    CanvasMouseDown(session.editor, kLeftButton, first.x(), first.y());
    for (QPoint p : points) CanvasMouseMove(session.editor, kLeftButton, p.x(), p.y());
    const QPoint last = *(points.end() - 1);
    CanvasMouseUp(session.editor, kLeftButton, last.x(), last.y());
  }
  // A two-click shape with the outline following the pointer in between.
  void shape(QPoint a, QPoint b) {
    click(a.x(), a.y());
    CanvasMouseMove(session.editor, 0, (a.x() + b.x()) / 2.f, (a.y() + b.y()) / 2.f);
    CanvasMouseMove(session.editor, 0, b.x(), b.y());
    click(b.x(), b.y());
  }
  QImage canvas() const { return session.editor.canvasImage.copy(); }
};

}  // namespace

class PictureHistoryTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { QGuiApplication::clipboard()->clear(); }

  // Each tool's action is one step: taken back one at a time, each time
  // the canvas exactly as before that action; then brought back to the end.
  // The buttons are active only when there is something to do.
  void everyToolStepByStep() {
    Drawing d;
    ToolPanel panel(d.session.editor, d.session.dialogs, nullptr);
    QVERIFY(!panel.undoButton->isEnabled() && !panel.redoButton->isEnabled());
    QCOMPARE(panel.redoButton->text(), QStringLiteral("やりなおす"));
    QCOMPARE(panel.redoButton->accessibleName(), QStringLiteral("やりなおす"));
    QCOMPARE(panel.redoButton->face(), panel.undoButton->face());

    QList<QImage> states{d.canvas()};
    const auto step = [&](auto action) {
      action();
      states << d.canvas();
    };
    QImage photo(300, 200, QImage::Format_RGB32);  // every pixel its own colour
    for (int y = 0; y < photo.height(); ++y)
      for (int x = 0; x < photo.width(); ++x) photo.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x ^ y) % 256));
    QGuiApplication::clipboard()->setImage(photo);
    step([&] { d.use(Tool::Paste); });
    d.use(Tool::ThinPen);
    step([&] { d.click(300, 200); });
    d.use(Tool::MediumBrush);
    step([&] { d.drag({{100, 100}, {300, 150}, {500, 100}}); });
    step([&] { d.drag({{10, 500}, {10, 560}}); });  // over the frame's edge
    d.use(Tool::Line);
    step([&] { d.click(50, 50); d.click(400, 300); });  // a chain: each segment a step
    step([&] { d.click(600, 50); });
    d.use(Tool::Box);
    step([&] { d.shape({200, 300}, {350, 420}); });
    d.use(Tool::Circle);
    step([&] { d.shape({600, 400}, {640, 450}); });
    d.use(Tool::Ellipse);
    step([&] { d.shape({400, 500}, {480, 540}); });
    d.use(Tool::Fill);
    d.session.editor.fillColourIndex = 2;
    step([&] { d.click(260, 360); });  // inside the box
    step([&] { d.click(700, 300); });  // the open paper
    d.use(Tool::LargeEraser);
    step([&] { d.drag({{100, 100}, {700, 500}}); });
    const int steps = states.size() - 1;
    QCOMPARE(d.session.editor.history.StepsDone(), steps);
    QVERIFY(panel.undoButton->isEnabled() && !panel.redoButton->isEnabled());
    for (int k = steps - 1; k >= 0; --k) {
      Undo(d.session.editor);
      QVERIFY2(d.session.editor.canvasImage == states[k], qPrintable(QStringLiteral("undo to %1").arg(k)));
      QVERIFY(panel.redoButton->isEnabled());
    }
    QVERIFY(!panel.undoButton->isEnabled());
    Undo(d.session.editor);  // nothing more to take back
    QCOMPARE(d.session.editor.canvasImage, states[0]);
    for (int k = 1; k <= steps; ++k) {
      Redo(d.session.editor);
      QVERIFY2(d.session.editor.canvasImage == states[k], qPrintable(QStringLiteral("redo to %1").arg(k)));
    }
    QVERIFY(panel.undoButton->isEnabled() && !panel.redoButton->isEnabled());

    // A new action after taking back drops what could be brought back.
    Undo(d.session.editor);
    Undo(d.session.editor);
    d.use(Tool::ThinPen);
    d.click(20, 20);
    QVERIFY(!panel.redoButton->isEnabled());
    const QImage now = d.canvas();
    Redo(d.session.editor);
    QCOMPARE(d.session.editor.canvasImage, now);
    Undo(d.session.editor);
    QCOMPARE(d.session.editor.canvasImage, states[steps - 2]);

    // The keys, while the panel is shown.
    panel.show();
    QApplication::setActiveWindow(&panel);
    QVERIFY(QTest::qWaitForWindowActive(&panel));
    QTest::keyClick(&panel, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(d.session.editor.canvasImage, states[steps - 3]);
    QTest::keyClick(&panel, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(d.session.editor.canvasImage, states[steps - 2]);
    QTest::keyClick(&panel, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&panel, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(d.session.editor.canvasImage, states[steps - 2]);
  }

  // A half-drawn shape is no step and leaves nothing behind; a stroke still
  // held when "もどす" comes is taken back as far as it went.
  void halfDoneActions() {
    Drawing d;
    const QImage paper = d.canvas();
    d.use(Tool::Box);
    d.click(100, 100);
    CanvasMouseMove(d.session.editor, 0, 300, 300);
    Undo(d.session.editor);
    QCOMPARE(d.session.editor.canvasImage, paper);
    CanvasMouseMove(d.session.editor, 0, 320, 320);  // the shape ended: no outline follows
    QCOMPARE(d.session.editor.canvasImage, paper);
    QVERIFY(!d.session.editor.history.CanUndo() && !d.session.editor.history.CanRedo());

    d.use(Tool::LargeBrush);
    CanvasMouseDown(d.session.editor, kLeftButton, 100, 100);
    CanvasMouseMove(d.session.editor, kLeftButton, 400, 300);
    Undo(d.session.editor);
    QCOMPARE(d.session.editor.canvasImage, paper);
    Redo(d.session.editor);
    QCOMPARE(d.session.editor.canvasImage.pixel(250, 200), qRgb(0, 0, 0));
  }

  // At most 50 steps: the oldest go first. 55 strokes across the whole
  // picture keep little memory.
  void fiftyStepsAtMost() {
    Drawing d;
    d.use(Tool::LargeBrush);
    QList<QImage> states{d.canvas()};
    for (int k = 0; k < 55; ++k) {
      d.drag({{10 + 14 * k, 10}, {800 - 14 * k, 600}});
      states << d.canvas();
    }
    QVERIFY2(d.session.editor.history.Bytes() < 8 * 1024 * 1024, qPrintable(QString::number(d.session.editor.history.Bytes())));
    int undone = 0;
    while (d.session.editor.history.CanUndo()) {
      Undo(d.session.editor);
      ++undone;
    }
    QCOMPARE(undone, 50);
    QCOMPARE(d.session.editor.canvasImage, states[5]);
  }

  // "はくし", "はじめから" and a pasted picture are one step each; the first
  // two take the card text with them.
  void blankStartOverAndPaste() {
    Drawing d;
    d.session.deck.currentCard = 0;  // a new card: "はじめから" is blank paper
    d.session.deck.cardText = QStringLiteral("むかし\r\n");
    d.use(Tool::MediumBrush);
    d.drag({{100, 100}, {300, 300}});
    const QImage drawn = d.canvas();

    d.dialogs.answers = {true};
    BlankPaper(d.session.editor, d.session.deck, d.session.dialogs);
    const QImage blank = d.canvas();
    QVERIFY(blank != drawn);
    QCOMPARE(d.session.deck.cardText, QString());
    d.session.deck.cardText = QStringLiteral("typed after");
    Undo(d.session.editor);
    QCOMPARE(d.session.editor.canvasImage, drawn);
    QCOMPARE(d.session.deck.cardText, QStringLiteral("むかし\r\n"));
    Redo(d.session.editor);
    QCOMPARE(d.session.editor.canvasImage, blank);
    QCOMPARE(d.session.deck.cardText, QString());
    Undo(d.session.editor);

    d.session.deck.cardText = QStringLiteral("いぬ");
    d.dialogs.answers = {true};
    QVERIFY(d.session.drawing.StartOver());
    QCOMPARE(d.session.editor.canvasImage, blank);
    Undo(d.session.editor);
    QCOMPARE(d.session.editor.canvasImage, drawn);
    QCOMPARE(d.session.deck.cardText, QStringLiteral("いぬ"));
    Undo(d.session.editor);  // the stroke, the text as it is
    QCOMPARE(d.session.deck.cardText, QStringLiteral("いぬ"));
    Redo(d.session.editor);

    QImage picture(100, 50, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QGuiApplication::clipboard()->setImage(picture);
    ChooseTool(d.session.editor, d.session.dialogs, Tool::Paste);
    QCOMPARE(d.session.editor.canvasImage.pixelColor(400, 300), QColor(Qt::blue));
    Undo(d.session.editor);
    QCOMPARE(d.session.editor.canvasImage, drawn);
  }

  // A step of the masked pixels only (one finger's stroke while another
  // draws on): the others keep what the history had for them and are the
  // next step's. Each step takes back and brings back just its own pixels.
  void maskedStep() {
    PictureHistory history;
    QImage canvas(60, 40, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    history.Start(canvas);
    const QImage paper = canvas.copy();
    QPainter(&canvas).fillRect(5, 5, 10, 10, Qt::red);
    QPainter(&canvas).fillRect(30, 20, 20, 10, Qt::blue);
    QPainter(&canvas).fillRect(9, 9, 2, 2, Qt::green);  // over the red, not masked
    const QImage both = canvas.copy();
    QImage expected = paper.copy();
    QPainter(&expected).fillRect(5, 5, 10, 10, Qt::red);
    QPainter(&expected).fillRect(9, 9, 2, 2, Qt::white);

    // Marked: the columns of the red block but for the green pixels, and
    // the blue block, which lies outside the area recorded.
    QImage mask(canvas.size(), QImage::Format_Grayscale8);
    mask.fill(0);
    QPainter(&mask).fillRect(0, 0, 25, 40, Qt::white);
    QPainter(&mask).fillRect(30, 20, 20, 10, Qt::white);
    QPainter(&mask).fillRect(9, 9, 2, 2, Qt::black);
    QVERIFY(!history.Record(canvas, mask, QRect(0, 30, 60, 10)));  // nothing changed there
    QVERIFY(history.Record(canvas, mask, QRect(0, 0, 25, 40)));
    QVERIFY(history.Record(canvas));  // the rest: the blue block
    QVERIFY(!history.Record(canvas));
    QCOMPARE(history.StepsDone(), 2);
    QCOMPARE(history.Undo(canvas)->rect, QRect(QPoint(9, 9), QPoint(49, 29)));
    QCOMPARE(canvas, expected);
    QCOMPARE(history.Undo(canvas)->rect, QRect(5, 5, 10, 10));
    QCOMPARE(canvas, paper);
    history.Redo(canvas);
    QCOMPARE(canvas, expected);
    history.Redo(canvas);
    QCOMPARE(canvas, both);
  }

  // Opening a card starts an empty history; leaving the editor ends it.
  void perCard() {
    Drawing d;
    QVERIFY(QDir().mkpath(d.drives.c(QStringLiteral("A_PIKORA/CLASS_11/うみ"))));
    ToolPanel panel(d.session.editor, d.session.dialogs, nullptr);
    d.use(Tool::MediumBrush);
    d.drag({{100, 100}, {200, 200}});
    d.drag({{300, 100}, {400, 200}});
    Undo(d.session.editor);
    QVERIFY(panel.undoButton->isEnabled() && panel.redoButton->isEnabled());
    QVERIFY(d.session.drawing.Start());  // card 1, blank
    QVERIFY(!panel.undoButton->isEnabled() && !panel.redoButton->isEnabled());
    const QImage opened = d.canvas();
    Undo(d.session.editor);
    Redo(d.session.editor);
    QCOMPARE(d.session.editor.canvasImage, opened);
    d.use(Tool::MediumBrush);
    d.drag({{100, 100}, {200, 200}});
    QVERIFY(panel.undoButton->isEnabled());
    QVERIFY(d.session.drawing.Finish());
    QVERIFY(!d.session.editor.history.CanUndo());
  }
};

QTEST_MAIN(PictureHistoryTest)
#include "PictureHistoryTest.moc"
