// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The drawing tools, driven through the canvas mouse handlers on the large
// layout's canvas: flood fills of the whole picture area, empty and maze-like,
// one large-brush stroke segment, one event of a pen stroke with pressure
// and of ten fingers drawing at once, a finger landing or lifted beside
// others, one step of a shape's outline following the pointer, and the picture's history: "もどす" and "やりなおす" of a
// stroke across the whole picture, and the history's memory after 50 such
// strokes. With shown = 1 the canvas panel also repaints what the step
// signalled (2: the panel scaled for the small layout); offscreen platform
// unless QT_QPA_PLATFORM says otherwise. The bar: one mouse-move step well under 1 ms, a fill of the
// whole area within one 60 Hz frame (16 ms), so a pen or a touch event
// with its repaint, an undo or a redo of a
// whole-picture stroke under 2 ms, 50 such steps under 60 MB.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPointingDevice>
#include <QTabletEvent>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <chrono>
#include <memory>
#include <vector>

#include "drawing/Canvas.h"
#include "drawing/CanvasView.h"
#include "drawing/DrawingTools.h"
#include "drawing/Raster.h"
#include "drawing/ToolActions.h"
#include "NoDialogs.h"
#include "shell/Session.h"
#include "shell/Startup.h"
#include "BenchMain.h"

namespace {

// A started program in drawing mode, optionally with the canvas panel on
// the (offscreen) screen repainting what each step signals.
struct Studio {
  NoDialogs dialogs;
  Session session{dialogs};
  std::unique_ptr<CanvasView> view;

  explicit Studio(bool shown, double scale = 1.0) {
    StartSession(session);
    LayOutSession(session, QSize(1024, 768));
    PaintCanvasFrame(session.editor);
    // The history starts with the picture, as opening a card starts it:
    // without it a first stroke only starts the history and records no
    // step, and "もどす" has nothing to undo.
    StartPictureHistory(session.editor);
    if (shown) {
      view = std::make_unique<CanvasView>(session.editor, nullptr);
      view->setScale(scale);
      view->resize((QSizeF(session.editor.canvasImage.size()) * scale).toSize());
      QObject::connect(&session.editor, &EditorState::surfaceChanged, view.get(), &PicturePanel::showSurface);
      view->show();
      QApplication::processEvents();
    }
  }
  void settle() {
    if (view) QApplication::processEvents();
  }
};

// A maze of corridors 3 pixels wide between 1-pixel black walls, all of it
// one connected passage: the fill runs through every corridor.
void DrawMaze(QImage& canvas) {
  constexpr int kPitch = 4, kLeft = 7, kTop = 7;
  const int cols = 799 / kPitch, rows = 600 / kPitch;
  raster::FillBox(canvas, {kLeft, kTop}, {kLeft + 798, kTop + 599}, 0xFF000000);
  std::vector<char> seen(size_t(cols) * rows, 0);
  QRandomGenerator random(7);
  std::vector<QPoint> stack{{0, 0}};
  seen[0] = 1;
  const auto open = [&](QPoint c) {
    raster::FillBox(canvas, {kLeft + c.x() * kPitch, kTop + c.y() * kPitch},
                    {kLeft + c.x() * kPitch + 2, kTop + c.y() * kPitch + 2}, 0xFFFFFFFF);
  };
  open({0, 0});
  while (!stack.empty()) {
    const QPoint c = stack.back();
    QPoint next[4];
    int n = 0;
    for (QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
      const QPoint q = c + d;
      if (q.x() >= 0 && q.y() >= 0 && q.x() < cols && q.y() < rows && !seen[size_t(q.y()) * cols + q.x()])
        next[n++] = q;
    }
    if (n == 0) {
      stack.pop_back();
      continue;
    }
    const QPoint q = next[random.bounded(n)];
    seen[size_t(q.y()) * cols + q.x()] = 1;
    open(q);
    // The wall between the two cells.
    const QPoint a(kLeft + std::min(c.x(), q.x()) * kPitch, kTop + std::min(c.y(), q.y()) * kPitch);
    if (q.y() == c.y())
      raster::FillBox(canvas, a + QPoint(3, 0), a + QPoint(3, 2), 0xFFFFFFFF);
    else
      raster::FillBox(canvas, a + QPoint(0, 3), a + QPoint(2, 3), 0xFFFFFFFF);
    stack.push_back(q);
  }
}

// One click of the fill tool (down and up); alternate colours keep every
// click a fill of the whole region.
void FillClicks(benchmark::State& state, Studio& s, QPoint at) {
  ChooseTool(s.session.editor, s.session.dialogs, Tool::Fill);
  int colour = 1;
  for (auto _ : state) {
    s.session.editor.fillColourIndex = colour;
    CanvasMouseDown(s.session.editor, kLeftButton, at.x(), at.y());
    CanvasMouseUp(s.session.editor, kLeftButton, at.x(), at.y());
    s.settle();
    colour = colour == 1 ? 2 : 1;
  }
}

void BM_FillEmptyArea(benchmark::State& state) {
  Studio s(state.range(0) != 0);
  FillClicks(state, s, {400, 300});
}
BENCHMARK(BM_FillEmptyArea)->ArgName("shown")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_FillMaze(benchmark::State& state) {
  Studio s(state.range(0) != 0);
  DrawMaze(s.session.editor.canvasImage);
  FillClicks(state, s, {8, 8});
  if (s.session.editor.canvasImage.pixel(7 + 797, 7 + 597) == 0xFFFFFFFF) state.SkipWithError("the maze was not filled");
}
BENCHMARK(BM_FillMaze)->ArgName("shown")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One mouse-move of the large brush (33 wide) over `length` pixels, to and
// fro across the middle of the picture.
void BM_LargeBrushStep(benchmark::State& state) {
  Studio s(state.range(1) != 0, state.range(1) == 2 ? 0.78125 : 1.0);
  const int length = int(state.range(0));
  ChooseTool(s.session.editor, s.session.dialogs, Tool::LargeBrush);
  const QPoint a(400 - length / 2, 300 - length / 4), b(400 + length / 2, 300 + length / 4);
  CanvasMouseDown(s.session.editor, kLeftButton, a.x(), a.y());
  bool there = true;
  for (auto _ : state) {
    const QPoint p = there ? b : a;
    CanvasMouseMove(s.session.editor, kLeftButton, p.x(), p.y());
    s.settle();
    there = !there;
  }
  CanvasMouseUp(s.session.editor, kLeftButton, a.x(), a.y());
}
BENCHMARK(BM_LargeBrushStep)
    ->ArgNames({"length", "shown"})
    ->Args({40, 0})
    ->Args({40, 1})
    ->Args({400, 0})
    ->Args({400, 1})
    ->Args({40, 2})
    ->Unit(benchmark::kMicrosecond);

// A pen pressed ever harder and lighter along a 400-pixel stroke across
// the picture: one event moves it 10 pixels on, its width changing with
// the pressure. Shown, each event reaches the canvas panel as a tablet
// event and what it drew is repainted. The bar: one event with its repaint
// well within one 60 Hz frame (16 ms).
void BM_PressureStrokeEvent(benchmark::State& state) {
  Studio s(state.range(0) != 0);
  ChooseTool(s.session.editor, s.session.dialogs, Tool::LargeBrush);
  QPointingDevice pen(QStringLiteral("bench pen"), 4711, QInputDevice::DeviceType::Stylus,
                      QPointingDevice::PointerType::Pen,
                      QInputDevice::Capability::Position | QInputDevice::Capability::Pressure, 1, 2);
  const auto send = [&](QEvent::Type type, QPointF at, double pressure) {
    if (s.view) {
      QTabletEvent event(type, &pen, at, at, pressure, 0, 0, 0, 0, 0, {},
                         type == QEvent::TabletMove ? Qt::NoButton : Qt::LeftButton,
                         type == QEvent::TabletRelease ? Qt::NoButton : Qt::LeftButton);
      QApplication::sendEvent(s.view.get(), &event);
    } else if (type == QEvent::TabletPress) {
      PointerDown(s.session.editor, kPenPointer, float(at.x()), float(at.y()), pressure);
    } else if (type == QEvent::TabletMove) {
      PointerMove(s.session.editor, kPenPointer, float(at.x()), float(at.y()), pressure);
    } else {
      PointerUp(s.session.editor, kPenPointer);
    }
  };
  send(QEvent::TabletPress, {200, 300}, 0.0);
  int step = 0;
  for (auto _ : state) {
    const int k = step % 80;  // 40 events there, 40 back
    const double x = 200 + 10 * (k < 40 ? k + 1 : 79 - k);
    send(QEvent::TabletMove, {x, 300 + double(k % 7)}, (x - 200) / 400.0);
    s.settle();
    ++step;
  }
  send(QEvent::TabletRelease, {200, 300}, 0.0);
}
BENCHMARK(BM_PressureStrokeEvent)->ArgName("shown")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Ten fingers drawing with the medium brush at once: one touch update moves
// every finger 10 pixels on, then (shown) the panel repaints. The bar: one
// update with its repaint within one 60 Hz frame.
void BM_TenFingersEvent(benchmark::State& state) {
  Studio s(state.range(0) != 0);
  ChooseTool(s.session.editor, s.session.dialogs, Tool::MediumBrush);
  for (int finger = 0; finger < 10; ++finger)
    PointerDown(s.session.editor, finger, 200, float(40 + 56 * finger), kNoPressure);
  int step = 0;
  for (auto _ : state) {
    const int k = step % 80;
    const float x = 200 + 10.0f * float(k < 40 ? k + 1 : 79 - k);
    for (int finger = 0; finger < 10; ++finger)
      PointerMove(s.session.editor, finger, x, float(40 + 56 * finger + k % 5), kNoPressure);
    s.settle();
    ++step;
  }
  for (int finger = 0; finger < 10; ++finger) PointerUp(s.session.editor, finger);
}
BENCHMARK(BM_TenFingersEvent)->ArgName("shown")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Fingers landing and lifting beside others. lift = 0: a second finger
// lands beside one that has drawn across the picture, and the first one's
// mask is made from what is drawn and not yet recorded. lift = 1: the
// first of ten fingers, each drawn down the picture, lifts, and its step is
// recorded from its mask alone. Only that event is timed. The bar: within
// one 60 Hz frame.
void BM_FingerBesideOthers(benchmark::State& state) {
  const bool lift = state.range(0) != 0;
  Studio s(false);
  EditorState& editor = s.session.editor;
  ChooseTool(editor, s.session.dialogs, Tool::MediumBrush);
  const int fingers = lift ? 10 : 1;
  for (auto _ : state) {
    state.PauseTiming();
    PointerDown(editor, 0, 10, 10, kNoPressure);
    PointerMove(editor, 0, 800, 600, kNoPressure);
    for (int finger = 1; finger < fingers; ++finger) {
      PointerDown(editor, finger, float(40 + 80 * finger), 20, kNoPressure);
      PointerMove(editor, finger, float(40 + 80 * finger), 590, kNoPressure);
    }
    state.ResumeTiming();
    if (lift) {
      PointerUp(editor, 0);
    } else {
      PointerDown(editor, 1, 400, 50, kNoPressure);
    }
    state.PauseTiming();
    for (int finger = 0; finger < 10; ++finger) PointerUp(editor, finger);
    state.ResumeTiming();
  }
  if (!editor.strokes.empty()) state.SkipWithError("a finger was left drawing");
}
BENCHMARK(BM_FingerBesideOthers)->ArgName("lift")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One mouse-move of a shape's outline: the old outline removed, the new one
// drawn, both with the exclusive-or pen.
void BM_RubberBandStep(benchmark::State& state) {
  const auto tool = Tool(state.range(0));
  Studio s(state.range(1) != 0);
  ChooseTool(s.session.editor, s.session.dialogs, tool);
  CanvasMouseDown(s.session.editor, kLeftButton, 400, 300);
  CanvasMouseUp(s.session.editor, kLeftButton, 400, 300);
  int step = 0;
  for (auto _ : state) {
    const float x = 700 + float(step % 2), y = 550 + float(step % 2);
    CanvasMouseMove(s.session.editor, 0, x, y);
    s.settle();
    ++step;
  }
}
BENCHMARK(BM_RubberBandStep)
    ->ArgNames({"tool", "shown"})
    ->Args({int(Tool::Box), 0})
    ->Args({int(Tool::Box), 1})
    ->Args({int(Tool::Circle), 0})
    ->Args({int(Tool::Circle), 1})
    ->Args({int(Tool::Ellipse), 0})
    ->Unit(benchmark::kMicrosecond);

// A photograph-like picture area: every pixel its own colour, so nothing
// of it shortens a step's record.
void PaintNoise(Studio& s) {
  QRandomGenerator random(11);
  QImage& canvas = s.session.editor.canvasImage;
  for (int y = 7; y < 607; ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(canvas.scanLine(y));
    for (int x = 7; x < 807; ++x) line[x] = 0xFF000000 | (random.generate() & 0xFFFFFF);
  }
  StartPictureHistory(s.session.editor);
}

// The large brush from one corner of the picture to the other and back
// across: a step whose rectangle is the whole picture. Stroke k is moved
// over by 12 k pixels and in a colour of its own among three, so each
// changes what the one before drew.
void WholeStroke(Studio& s, int k = 0) {
  const int shift = 12 * k;
  s.session.editor.penColourIndex = k % 3;
  CanvasMouseDown(s.session.editor, kLeftButton, 8 + shift, 8);
  CanvasMouseMove(s.session.editor, kLeftButton, 805 - shift, 606);
  CanvasMouseMove(s.session.editor, kLeftButton, 805 - shift, 8);
  CanvasMouseMove(s.session.editor, kLeftButton, 8 + shift, 606);
  CanvasMouseUp(s.session.editor, kLeftButton, 8 + shift, 606);
}

// "もどす" (redo = 0) or "やりなおす" (redo = 1) of the whole-picture stroke,
// on white paper or on a photograph; only the chosen one is timed.
void BM_UndoRedoWholeStroke(benchmark::State& state) {
  const bool redo = state.range(0) != 0;
  Studio s(state.range(2) != 0);
  if (state.range(1) != 0) PaintNoise(s);
  ChooseTool(s.session.editor, s.session.dialogs, Tool::LargeBrush);
  WholeStroke(s);
  const QImage drawn = s.session.editor.canvasImage.copy();
  using Clock = std::chrono::steady_clock;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    if (!redo) {
      Undo(s.session.editor);
      s.settle();
    }
    const auto t1 = Clock::now();
    Redo(s.session.editor);
    s.settle();
    const auto t2 = Clock::now();
    if (redo) Undo(s.session.editor);
    state.SetIterationTime(std::chrono::duration<double>(redo ? t2 - t1 : t1 - t0).count());
    if (redo) Redo(s.session.editor);
  }
  if (s.session.editor.canvasImage != drawn) state.SkipWithError("the stroke did not come back");
  Undo(s.session.editor);
  if (s.session.editor.canvasImage == drawn) state.SkipWithError("もどす took nothing away");
}
BENCHMARK(BM_UndoRedoWholeStroke)
    ->ArgNames({"redo", "photo", "shown"})
    ->Args({0, 0, 0})
    ->Args({1, 0, 0})
    ->Args({0, 1, 0})
    ->Args({1, 1, 0})
    ->Args({0, 1, 1})
    ->Args({1, 1, 1})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The release that ends a whole-picture stroke: the frame and the step's
// record. The stroke is drawn beforehand.
void BM_RecordWholeStroke(benchmark::State& state) {
  Studio s(false);
  if (state.range(0) != 0) PaintNoise(s);
  ChooseTool(s.session.editor, s.session.dialogs, Tool::LargeBrush);
  int k = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const int shift = 12 * (k++ % 20);
    CanvasMouseDown(s.session.editor, kLeftButton, 8 + shift, 8);
    CanvasMouseMove(s.session.editor, kLeftButton, 805 - shift, 606);
    state.ResumeTiming();
    CanvasMouseUp(s.session.editor, kLeftButton, 805 - shift, 606);
  }
}
BENCHMARK(BM_RecordWholeStroke)->ArgName("photo")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The history's memory after 50 whole-picture strokes, each one step,
// with its copy of the canvas.
void BM_HistoryMemory(benchmark::State& state) {
  for (auto _ : state) {
    Studio s(false);
    if (state.range(0) != 0) PaintNoise(s);
    ChooseTool(s.session.editor, s.session.dialogs, Tool::LargeBrush);
    for (int k = 0; k < 50; ++k) WholeStroke(s, k);
    if (s.session.editor.history.StepsDone() != 50)
      state.SkipWithError(qPrintable(QStringLiteral("%1 steps").arg(s.session.editor.history.StepsDone())));
    state.counters["history_MB"] = double(s.session.editor.history.Bytes()) / (1024.0 * 1024.0);
  }
}
BENCHMARK(BM_HistoryMemory)->ArgName("photo")->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  bench::UseOffscreenPlatform();
  bench::TemporaryDriveC drive;
  QApplication app(argc, argv);
  return bench::RunBenchmarks(&argc, argv);
}
