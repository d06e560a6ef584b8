// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The story's video: a full story of 30 drawn cards, each with a 5-second
// narration (about 3 minutes of video). The bars: encoding at least 4 times
// faster than the video plays, and resident memory while encoding under
// 300 MB. Counters: the video's length, how many times faster than real
// time it was made (by wall time, and by the process's processor time per
// core for a shared machine), and the peak resident memory while encoding.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cmath>
#include <ctime>
#include <thread>

#include "DrawnStory.h"
#include "export/StoryVideo.h"
#include "BenchMain.h"

namespace {

const QString kStory = QStringLiteral("C:\\story\\");

void BM_ThirtyCardVideo(benchmark::State& state) {
  static DrawnStory story(30, 5, 11, false);
  ExportStory deck{QStringLiteral("ながい おはなし"), kStory, {}};
  for (int n = 1; n <= 30; ++n) deck.cardNumbers << n;
  RunCost cost;
  int frames = 0;
  for (auto _ : state) {
    QTemporaryDir out;
    ExportOutcome result;
    cost = MeasureRun([&] {
      result = VideoFormat().Write(
          deck, out.path() + QStringLiteral("/story.mp4"), [&](int, int total) { frames = total; }, nullptr);
    });
    if (!result.Complete()) state.SkipWithError("the video was not made");
  }
  const double length = double(frames) / video::kFramesPerSecond;
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  state.counters["video_s"] = length;
  state.counters["x_realtime"] = length / cost.seconds;
  state.counters["x_realtime_cpu"] = length / (cost.cpuSeconds / cores);
  state.counters["peak_rss_MB"] = cost.peakMb;
}
BENCHMARK(BM_ThirtyCardVideo)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  bench::UseOffscreenPlatform();
  QGuiApplication app(argc, argv);
  return bench::RunBenchmarks(&argc, argv);
}
