// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The drawing kept against a crash costs a stroke nothing it would notice:
// one mouse-move of the large brush (33 wide, 40 pixels) with the recovery
// off and on. "delay" is the wait after the changes in milliseconds: 3000
// as the program runs, 30 to have the recovery file written over and over
// (on its worker thread, with the picture copied on this one) while the
// strokes go on. Each step also runs the event loop, as the program does
// between two mouse-moves. The bar: recovery on within 10 % of off.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

#include "NoDialogs.h"
#include "drawing/Canvas.h"
#include "drawing/DrawingTools.h"
#include "drawing/ToolActions.h"
#include "shell/Session.h"
#include "shell/Startup.h"
#include "BenchMain.h"

namespace {

void BM_BrushStepWithRecovery(benchmark::State& state) {
  const bool on = state.range(0) != 0;
  NoDialogs dialogs;
  Session session(dialogs);
  StartSession(session);
  LayOutSession(session, QSize(1024, 768));
  PaintCanvasFrame(session.editor);
  session.library.classFolder = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\");
  session.deck.storyFolder = session.library.classFolder + QStringLiteral("ねこ\\");
  session.editor.cardOpen = true;
  session.recovery.delayMs = int(state.range(1));
  session.recovery.maxDelayMs = 2 * session.recovery.delayMs;
  if (on) session.recovery.Start();
  ChooseTool(session.editor, dialogs, Tool::LargeBrush);
  const QPoint a(380, 290), b(420, 310);
  CanvasMouseDown(session.editor, kLeftButton, a.x(), a.y());
  bool there = true;
  for (auto _ : state) {
    const QPoint p = there ? b : a;
    CanvasMouseMove(session.editor, kLeftButton, p.x(), p.y());
    QCoreApplication::processEvents();
    there = !there;
  }
  CanvasMouseUp(session.editor, kLeftButton, a.x(), a.y());
  session.recovery.WaitForWrites();
}
BENCHMARK(BM_BrushStepWithRecovery)
    ->ArgNames({"recovery", "delay"})
    ->Args({0, 3000})
    ->Args({1, 3000})
    ->Args({0, 30})
    ->Args({1, 30})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  bench::UseOffscreenPlatform();
  QTemporaryDir drive, stateHome;
  qputenv("PIKORAMA_DRIVE_C", drive.path().toUtf8());
  qputenv("XDG_DATA_HOME", stateHome.path().toUtf8());
  QApplication app(argc, argv);
  return bench::RunBenchmarks(&argc, argv);
}
