// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The player's card change on a shown panel (offscreen platform unless
// QT_QPA_PLATFORM says otherwise): one wipe step with and without the
// panel's repaint of its two columns (argument 1; 2 with the panel scaled
// by 1.5 as on a 1920 x 1080 screen), a whole wipe on the frame timer (wall
// time and frames the panel painted), and the presentation of one card in
// flip mode. The bar: a step well under 1 ms; a wipe of 50 steps on 50
// frames, about 0.8 s.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <memory>

#include "player/CardPresenter.h"
#include "platform/Widgets.h"
#include "BenchMain.h"

namespace {

using namespace presentation;

const QColor kPanel(192, 255, 255);

QImage Filled(QRgb colour) {
  QImage image(800, 600, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

struct PaintCounter : QObject {
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

// A presenter showing its surface on a panel on the screen.
struct Stage {
  PicturePanel panel{QStringLiteral("Picture1"), kPanel, nullptr};
  CardPresenter presenter{kPanel};
  QImage cards[2] = {Filled(qRgb(200, 100, 50)), Filled(qRgb(10, 20, 30))};
  int next = 0;

  explicit Stage(bool timed, double scale = 1.0) {
    panel.setScale(scale);
    panel.resize(int(799 * scale), int(600 * scale));
    panel.show();
    presenter.setPanel(&panel);
    presenter.setTimed(timed);
    presenter.PresentCard(cards[1], Direction::Forward, ShowMode::Flip);
    Settle();
  }
  void Present(ShowMode mode) {
    presenter.PresentCard(cards[next], Direction::Forward, mode);
    next = 1 - next;
  }
  static void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  }
};

void BM_WipeStep(benchmark::State& state) {
  const bool repaint = state.range(0) != 0;
  Stage stage(false, state.range(0) == 2 ? 1.5 : 1.0);
  for (auto _ : state) {
    if (!stage.presenter.busy()) {
      state.PauseTiming();
      stage.Present(ShowMode::Normal);
      Stage::Settle();
      state.ResumeTiming();
    }
    stage.presenter.Advance();
    if (repaint) QCoreApplication::processEvents();
  }
}
BENCHMARK(BM_WipeStep)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_WholeWipe(benchmark::State& state) {
  Stage stage(true);
  PaintCounter counter;
  stage.panel.installEventFilter(&counter);
  int wipes = 0, frames = 0, steps = 0;
  for (auto _ : state) {
    counter.paints = 0;
    QEventLoop loop;
    QObject::connect(&stage.presenter, &CardPresenter::finished, &loop, &QEventLoop::quit);
    stage.Present(ShowMode::Normal);
    loop.exec();
    Stage::Settle();  // the last frame
    ++wipes;
    frames += counter.paints;
    steps += stage.presenter.stepsDone();
  }
  state.counters["steps"] = double(steps) / wipes;
  state.counters["frames"] = double(frames) / wipes;
}
BENCHMARK(BM_WholeWipe)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_PresentCard(benchmark::State& state) {
  Stage stage(false);
  for (auto _ : state) stage.Present(ShowMode::Flip);
}
BENCHMARK(BM_PresentCard)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  bench::UseOffscreenPlatform();
  QApplication app(argc, argv);
  return bench::RunBenchmarks(&argc, argv);
}
