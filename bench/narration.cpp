// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// Narration against the tests' private sound server (its microphone hears
// a steady tone): the time from "録音" to the first captured samples, the
// save of a 30-second narration (mixing down, resampling, encoding and the
// atomic file write), and the processor time recording takes per second of
// sound. The bars: recording starts within 100 ms, a 30-second save within
// 50 ms, recording under 2 % of one core.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QAudioDevice>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <ctime>

#include "NoDialogs.h"
#include "narration/AudioDevice.h"
#include "narration/NarrationPlayer.h"
#include "narration/Recorder.h"
#include "narration/SoundServer.h"

namespace {

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + t.tv_nsec / 1e9;
}

// A recorder on a card, as the editor holds one.
struct RecorderOnCard {
  NoDialogs dialogs;
  AudioDevice device;
  NarrationPlayer player;
  Recorder recorder{device, player, dialogs};
  RecorderOnCard() { recorder.CardOpened(QStringLiteral("C:\\Card_01_x.wav")); }
};

// "録音" on the recorder until the device has the first samples.
void BM_RecordToFirstSample(benchmark::State& state) {
  RecorderOnCard bench;
  AudioDevice& device = bench.device;
  Recorder& recorder = bench.recorder;
  for (auto _ : state) {
    QEventLoop wait;
    QObject::connect(&device, &AudioDevice::captured, &wait, &QEventLoop::quit);
    QTimer::singleShot(2000, &wait, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    recorder.Record();
    wait.exec();
    state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    if (!device.CurrentRecording() || device.CurrentRecording()->frames() == 0)
      state.SkipWithError("the microphone delivered nothing within 2 s");
    recorder.Stop();
  }
}
BENCHMARK(BM_RecordToFirstSample)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// 30 seconds of a tone in the microphone's own format, saved as a narration
// file: as recorded (converted while the samples came in, 50 ms at a time)
// with range(0) = 1, from the raw samples alone with 0.
void BM_SaveThirtySeconds(benchmark::State& state) {
  const QAudioDevice input = QMediaDevices::defaultAudioInput();
  Recording recording{input.preferredFormat(), {}, {}};
  const int channels = recording.format.channelCount();
  const qint64 frames = qint64(recording.format.sampleRate()) * 30;
  recording.bytes.resize(qsizetype(recording.format.bytesForFrames(frames)));
  auto* p = recording.bytes.data();
  for (qint64 f = 0; f < frames; ++f) {
    const float v = 0.5f * std::sin(float(f) * 2 * 3.14159265f * 440 / recording.format.sampleRate());
    for (int c = 0; c < channels; ++c) {
      switch (recording.format.sampleFormat()) {
        case QAudioFormat::Int16: reinterpret_cast<int16_t*>(p)[0] = int16_t(v * 32767); break;
        case QAudioFormat::Int32: reinterpret_cast<int32_t*>(p)[0] = int32_t(v * 2147483647.0); break;
        case QAudioFormat::Float: reinterpret_cast<float*>(p)[0] = v; break;
        default: *reinterpret_cast<uint8_t*>(p) = uint8_t(128 + v * 127); break;
      }
      p += recording.format.bytesPerSample();
    }
  }
  if (state.range(0) == 1) {
    recording.converted = NarrationConverter(recording.format);
    const qint64 step = recording.format.framesForDuration(50000);
    for (qint64 f = 0; f < frames; f += step)
      recording.converted.Add(recording.bytes.constData() + recording.format.bytesForFrames(f),
                              std::min(step, frames - f));
  }
  for (auto _ : state) {
    if (!WriteNarration(recording, QStringLiteral("C:\\Card_01_x.wav")))
      state.SkipWithError("the narration could not be written");
  }
  state.SetLabel(QStringLiteral("from %1 Hz, %2 channels").arg(recording.format.sampleRate())
                     .arg(channels).toStdString());
}
BENCHMARK(BM_SaveThirtySeconds)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// One second of recording with the position poll running; the counter is
// the share of one core the whole program used meanwhile.
void BM_RecordingCpu(benchmark::State& state) {
  RecorderOnCard bench;
  Recorder& recorder = bench.recorder;
  QTimer poll;
  poll.setInterval(100);
  QObject::connect(&poll, &QTimer::timeout, &recorder, &Recorder::Tick);
  double cpu = 0, wall = 0;
  for (auto _ : state) {
    recorder.Record();
    poll.start();
    // Settle past the start before measuring.
    QEventLoop settle;
    QTimer::singleShot(300, &settle, &QEventLoop::quit);
    settle.exec();
    QElapsedTimer clock;
    clock.start();
    const double before = CpuSeconds();
    QEventLoop second;
    QTimer::singleShot(1000, &second, &QEventLoop::quit);
    second.exec();
    cpu += CpuSeconds() - before;
    wall += clock.nsecsElapsed() / 1e9;
    state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    poll.stop();
    recorder.Stop();
  }
  state.counters["cpu_percent"] = 100.0 * cpu / wall;
}
BENCHMARK(BM_RecordingCpu)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  if (!SoundServer::Start()) {
    std::fprintf(stderr, "%s\n", qPrintable(SoundServer::Problem()));
    return 1;
  }
  int result = 0;
  {
    QCoreApplication app(argc, argv);
    if (!SoundServer::WaitForMicrophone()) {
      std::fprintf(stderr, "%s\n", qPrintable(SoundServer::Problem()));
      return 1;
    }
    QTemporaryDir drive;
    qputenv("PIKORAMA_DRIVE_C", drive.path().toLocal8Bit());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
  }
  SoundServer::Stop();
  return result;
}
