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

#include "export/StoryVideo.h"

namespace {

const QString kStory = QStringLiteral("C:\\story\\");

QByteArray Wav(const std::vector<qint16>& samples) {
  QByteArray wav("RIFF");
  auto u32 = [&](quint32 v) { wav.append(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](quint16 v) { wav.append(reinterpret_cast<const char*>(&v), 2); };
  const quint32 bytes = quint32(samples.size() * 2);
  u32(36 + bytes);
  wav.append("WAVEfmt ");
  u32(16), u16(1), u16(1), u32(22050), u32(44100), u16(2), u16(16);
  wav.append("data");
  u32(bytes);
  wav.append(reinterpret_cast<const char*>(samples.data()), qsizetype(bytes));
  return wav;
}

struct Story {
  QTemporaryDir drive;

  Story() {
    qputenv("PIKORAMA_DRIVE_C", drive.path().toUtf8());
    QDir(drive.path()).mkdir(QStringLiteral("story"));
    QRandomGenerator random(11);
    for (int n = 1; n <= 30; ++n) {
      const QString stem = drive.path() + QStringLiteral("/story/Card_%1").arg(n, 2, 10, QChar(u'0'));
      // A child's drawing: a coloured ground, shapes and brush strokes.
      QImage picture(800, 600, QImage::Format_RGB32);
      picture.fill(QColor::fromHsv(int(random.bounded(360)), 60, 250));
      QPainter painter(&picture);
      painter.setRenderHint(QPainter::Antialiasing, false);
      for (int s = 0; s < 40; ++s) {
        painter.setPen(QPen(QColor::fromHsv(int(random.bounded(360)), 200, 200), 1 + random.bounded(30)));
        painter.setBrush(s % 3 ? Qt::NoBrush : QBrush(QColor::fromHsv(int(random.bounded(360)), 180, 230)));
        const QRect r(random.bounded(700), random.bounded(500), 20 + random.bounded(300), 20 + random.bounded(200));
        if (s % 2) painter.drawEllipse(r);
        else painter.drawLine(r.topLeft(), r.bottomRight());
      }
      painter.end();
      picture.save(stem + QStringLiteral(".PNG"), "PNG");
      // 5 s of a voice-like sound: a wavering tone with some noise.
      std::vector<qint16> samples(5 * 22050);
      for (size_t i = 0; i < samples.size(); ++i) {
        const double t = double(i) / 22050;
        samples[i] = qint16(6000 * std::sin(2 * M_PI * (200 + 80 * std::sin(3 * t)) * t) +
                            int(random.bounded(2000)) - 1000);
      }
      QFile wav(stem + QStringLiteral("_x.wav"));
      wav.open(QIODevice::WriteOnly);
      wav.write(Wav(samples));
    }
  }
};

// Resident memory now, in MB.
double ResidentMb() {
  QFile statm(QStringLiteral("/proc/self/statm"));
  if (!statm.open(QIODevice::ReadOnly)) return 0;
  const QList<QByteArray> fields = statm.readAll().split(' ');
  return fields.size() > 1 ? fields[1].toDouble() * 4096 / 1e6 : 0;
}

double ProcessSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

void BM_ThirtyCardVideo(benchmark::State& state) {
  static Story story;
  ExportStory deck{QStringLiteral("ながい おはなし"), kStory, {}};
  for (int n = 1; n <= 30; ++n) deck.cardNumbers << n;
  double peak = 0, seconds = 0, cpu = 0;
  int frames = 0;
  for (auto _ : state) {
    QTemporaryDir out;
    std::atomic<bool> sampling{true};
    std::thread sampler([&] {
      while (sampling) {
        peak = std::max(peak, ResidentMb());
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    });
    const double cpuBefore = ProcessSeconds();
    const auto start = std::chrono::steady_clock::now();
    const ExportOutcome result = VideoFormat().Write(
        deck, out.path() + QStringLiteral("/story.mp4"), [&](int, int total) { frames = total; }, nullptr);
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cpu = ProcessSeconds() - cpuBefore;
    sampling = false;
    sampler.join();
    if (!result.Complete()) state.SkipWithError("the video was not made");
  }
  const double length = double(frames) / video::kFramesPerSecond;
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  state.counters["video_s"] = length;
  state.counters["x_realtime"] = length / seconds;
  state.counters["x_realtime_cpu"] = length / (cpu / cores);
  state.counters["peak_rss_MB"] = peak;
}
BENCHMARK(BM_ThirtyCardVideo)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
