// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// 「はんこ」 on the large layout's canvas, offscreen platform unless
// QT_QPA_PLATFORM says otherwise: the stamp box opened from the tool panel
// and drawn (the first time in the run, with its tiles rendered, and again),
// the stamp's preview following the pointer with the canvas panel
// repainting, and a stamp placed with its step recorded. The bars: the box
// open within 100 ms, a preview step within one 60 Hz frame (16.7 ms), a
// placement under 5 ms. Also 「もじ」: a character typed into words on the
// picture and taken off again, each repainted, within one 60 Hz frame.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <memory>

#include "drawing/Canvas.h"
#include "drawing/CanvasView.h"
#include "drawing/DrawingTools.h"
#include "drawing/StampBox.h"
#include "drawing/StampTable.h"
#include "drawing/ToolActions.h"
#include "drawing/ToolPanel.h"
#include "NoDialogs.h"
#include "shell/Session.h"
#include "shell/Startup.h"
#include "BenchMain.h"

namespace {

struct Studio {
  NoDialogs dialogs;
  Session session{dialogs};
  std::unique_ptr<CanvasView> view;

  explicit Studio(int size) {
    StartSession(session);
    LayOutSession(session, QSize(1024, 768));
    PaintCanvasFrame(session.editor);
    StartPictureHistory(session.editor);
    session.editor.stamp.size = size;
    ChooseStamp(session.editor, 0, 0);
    view = std::make_unique<CanvasView>(session.editor, nullptr);
    view->resize(session.editor.canvasImage.size());
    QObject::connect(&session.editor, &EditorState::surfaceChanged, view.get(), &PicturePanel::showSurface);
    view->show();
    QApplication::processEvents();
  }
};

bool NoFont(benchmark::State& state) {
  if (!StampFontFamily().isEmpty()) return false;
  state.SkipWithError("the colour emoji font (fonts-noto-color-emoji) is not installed");
  return true;
}

// The first open of a run: the box made and every tile of the first tab
// rendered from the font (and the font loaded), measured once.
void BM_OpenStampBoxFirst(benchmark::State& state) {
  NoDialogs dialogs;
  Session session{dialogs};
  StartSession(session);
  ToolPanel panel(session.editor, dialogs, nullptr);
  if (NoFont(state)) return;
  for (auto _ : state) {
    panel.stampButton->click();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_OpenStampBoxFirst)->Iterations(1)->Unit(benchmark::kMillisecond);

// The stamp button to the box on the screen. Arg 1: a new panel each time,
// so the box is made and its tiles drawn as on the first open of a run
// (the tiles' pictures are kept for the run after the very first).
void BM_OpenStampBox(benchmark::State& state) {
  if (NoFont(state)) return;
  NoDialogs dialogs;
  Session session{dialogs};
  StartSession(session);
  std::unique_ptr<ToolPanel> panel;
  if (state.range(0) == 0) panel = std::make_unique<ToolPanel>(session.editor, dialogs, nullptr);
  for (auto _ : state) {
    if (state.range(0) != 0) {
      state.PauseTiming();
      panel = std::make_unique<ToolPanel>(session.editor, dialogs, nullptr);
      state.ResumeTiming();
    }
    panel->stampButton->click();
    QApplication::processEvents();
    state.PauseTiming();
    panel->stampBox()->hide();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenStampBox)->ArgName("new")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One move of the pointer with the largest stamp's preview, repainted.
void BM_PreviewStep(benchmark::State& state) {
  if (NoFont(state)) return;
  Studio s(int(state.range(0)));
  int i = 0;
  for (auto _ : state) {
    const float x = 100 + float(i % 600), y = 100 + float(i % 400);
    CanvasMouseMove(s.session.editor, 0, x, y);
    QApplication::processEvents();
    ++i;
  }
}
BENCHMARK(BM_PreviewStep)->ArgName("size")->Arg(48)->Arg(160)->Unit(benchmark::kMicrosecond);

// A click and release with the stamp tool: the stamp on the picture and its
// step recorded, repainted.
void BM_PlaceStamp(benchmark::State& state) {
  if (NoFont(state)) return;
  Studio s(int(state.range(0)));
  int i = 0;
  for (auto _ : state) {
    const float x = 100 + float(i * 37 % 600), y = 100 + float(i * 53 % 400);
    CanvasMouseDown(s.session.editor, kLeftButton, x, y);
    CanvasMouseUp(s.session.editor, kLeftButton, x, y);
    QApplication::processEvents();
    ++i;
  }
}
BENCHMARK(BM_PlaceStamp)->ArgName("size")->Arg(48)->Arg(160)->Unit(benchmark::kMillisecond);

// 「もじ」: a character typed after ten on the words being typed, then
// Backspace, each with the preview repainted; in a bubble or not.
void BM_TypeWords(benchmark::State& state) {
  Studio s(48);
  EditorState& editor = s.session.editor;
  ChooseTool(editor, s.dialogs, Tool::Words);
  ChangeWordsLook(editor, {kWordsSizes[2], state.range(0) != 0});
  CanvasMouseDown(editor, kLeftButton, 100, 300);
  CanvasMouseUp(editor, kLeftButton, 100, 300);
  TypeWords(editor, s.dialogs, QStringLiteral("おはなしを かいたよ"));
  for (auto _ : state) {
    TypeWords(editor, s.dialogs, QStringLiteral("ね"));
    QApplication::processEvents();
    EraseLastCharacter(editor);
    QApplication::processEvents();
  }
}
BENCHMARK(BM_TypeWords)->ArgName("bubble")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  bench::UseOffscreenPlatform();
  bench::TemporaryDriveC drive;
  QApplication app(argc, argv);
  return bench::RunBenchmarks(&argc, argv);
}
