// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The drawing tools, driven through the canvas mouse handlers on the large
// layout's canvas: flood fills of the whole picture area, empty and maze-like,
// one large-brush stroke segment, and one step of a shape's outline following
// the pointer. With shown = 1 the canvas panel also repaints what the step
// signalled (2: the panel scaled for the small layout); offscreen platform
// unless QT_QPA_PLATFORM says otherwise. The bar: one mouse-move step well under 1 ms, a fill of the
// whole area within one 60 Hz frame (16 ms).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "editor/Canvas.h"
#include "editor/CanvasView.h"
#include "editor/DrawingTools.h"
#include "editor/Raster.h"
#include "editor/ToolPalette.h"
#include "NoDialogs.h"
#include "shell/Session.h"
#include "shell/Startup.h"

namespace {

// A started program in drawing mode, optionally with the canvas panel on
// the (offscreen) screen repainting what each step signals.
struct Studio {
  NoDialogs dialogs;
  Session m{dialogs};
  std::unique_ptr<CanvasView> view;

  explicit Studio(bool shown, double scale = 1.0) {
    Initialise(m);
    LoadStep(m, QSize(1024, 768));
    PaintCanvasFrame(m.editor);
    if (shown) {
      view = std::make_unique<CanvasView>(m.editor, nullptr);
      view->setScale(scale);
      view->resize((QSizeF(m.editor.canvasImage.size()) * scale).toSize());
      QObject::connect(&m.editor, &EditorState::surfaceChanged, view.get(), &PicturePanel::showSurface);
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
  ChooseTool(s.m.editor, s.m.dialogs, Tool::Fill);
  int colour = 1;
  for (auto _ : state) {
    s.m.editor.fillColourIndex = colour;
    CanvasMouseDown(s.m.editor, kLeftButton, at.x(), at.y());
    CanvasMouseUp(s.m.editor, kLeftButton, at.x(), at.y());
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
  DrawMaze(s.m.editor.canvasImage);
  FillClicks(state, s, {8, 8});
  if (s.m.editor.canvasImage.pixel(7 + 797, 7 + 597) == 0xFFFFFFFF) state.SkipWithError("the maze was not filled");
}
BENCHMARK(BM_FillMaze)->ArgName("shown")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One mouse-move of the large brush (33 wide) over `length` pixels, to and
// fro across the middle of the picture.
void BM_LargeBrushStep(benchmark::State& state) {
  Studio s(state.range(1) != 0, state.range(1) == 2 ? 0.78125 : 1.0);
  const int length = int(state.range(0));
  ChooseTool(s.m.editor, s.m.dialogs, Tool::LargeBrush);
  const QPoint a(400 - length / 2, 300 - length / 4), b(400 + length / 2, 300 + length / 4);
  CanvasMouseDown(s.m.editor, kLeftButton, a.x(), a.y());
  bool there = true;
  for (auto _ : state) {
    const QPoint p = there ? b : a;
    CanvasMouseMove(s.m.editor, kLeftButton, p.x(), p.y());
    s.settle();
    there = !there;
  }
  CanvasMouseUp(s.m.editor, kLeftButton, a.x(), a.y());
}
BENCHMARK(BM_LargeBrushStep)
    ->ArgNames({"length", "shown"})
    ->Args({40, 0})
    ->Args({40, 1})
    ->Args({400, 0})
    ->Args({400, 1})
    ->Args({40, 2})
    ->Unit(benchmark::kMicrosecond);

// One mouse-move of a shape's outline: the old outline removed, the new one
// drawn, both with the exclusive-or pen.
void BM_RubberBandStep(benchmark::State& state) {
  const auto tool = Tool(state.range(0));
  Studio s(state.range(1) != 0);
  ChooseTool(s.m.editor, s.m.dialogs, tool);
  CanvasMouseDown(s.m.editor, kLeftButton, 400, 300);
  CanvasMouseUp(s.m.editor, kLeftButton, 400, 300);
  int step = 0;
  for (auto _ : state) {
    const float x = 700 + float(step % 2), y = 550 + float(step % 2);
    CanvasMouseMove(s.m.editor, 0, x, y);
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

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir drive;
  qputenv("PIKORAMA_DRIVE_C", drive.path().toUtf8());
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
