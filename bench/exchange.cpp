// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// Copying a whole story to the stick: a 30-card story with its narrations
// (about 40 MB) through the exchange, against `cp -r` followed by `sync` of
// the same files. Both end with the files on the device. The bar is the
// exchange within 1.2 times the plain copy.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdlib>

#include "NoDialogs.h"
#include "exchange/ExchangeHost.h"
#include "exchange/StoryExchange.h"
#include "BenchMain.h"

namespace {

const QString kClass = QStringLiteral("C:\\CLASS_11\\");

class BenchHost : public ExchangeHost {
 public:
  QString ClassFolder() const override { return kClass; }
  QStringList ClassStories() const override { return {QStringLiteral("おはなし")}; }
  void ReloadClassStories() override {}
  QString ExchangeDrive() const override { return QStringLiteral("D:\\"); }
  void SetExchangeDrive(const QString&) override {}
  Dialogs& MessageBox() override { return dialogs; }
  NoDialogs dialogs;
};

void WriteRandom(const QString& path, qint64 size, quint32 seed) {
  QRandomGenerator random(seed);
  QByteArray bytes(size, Qt::Uninitialized);
  random.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
  QFile f(path);
  if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

struct Story {
  Story() {
    qputenv("PIKORAMA_DRIVE_C", drive.path().toUtf8());
    qputenv("PIKORAMA_DRIVE_D", stick.path().toUtf8());
    folder = drive.path() + QStringLiteral("/CLASS_11/おはなし");
    QDir().mkpath(folder);
    QByteArray list;
    for (int n = 1; n <= 30; ++n) {
      const QString stem = folder + QStringLiteral("/Card_%1").arg(n, 2, 10, QLatin1Char('0'));
      WriteRandom(stem + QStringLiteral(".PNG"), 300 * 1024, n);
      WriteRandom(stem + QStringLiteral(".BMP"), 90 * 64 * 3 + 54, n + 100);
      WriteRandom(stem + QStringLiteral(".txt"), 60, n + 200);
      WriteRandom(stem + QStringLiteral("_x.wav"), 1000 * 1024, n + 300);
      list += " " + QByteArray::number(n) + " \r\n";
    }
    QFile f(folder + QStringLiteral("/CardData.txt"));
    if (f.open(QIODevice::WriteOnly)) f.write(list);
    QFile(drive.path() + QStringLiteral("/CLASS_11/Menu.txt")).open(QIODevice::WriteOnly);
  }
  void EmptyStick() {
    QDir(stick.path()).removeRecursively();
    QDir().mkpath(stick.path());
    ::sync();  // what earlier rounds left behind is not this round's work
  }
  QTemporaryDir drive;
  QTemporaryDir stick;
  QString folder;
};

Story& TheStory() {
  static Story story;
  return story;
}

void BM_ExchangeCopy(benchmark::State& state) {
  Story& story = TheStory();
  BenchHost host;
  for (auto _ : state) {
    state.PauseTiming();
    story.EmptyStick();
    StoryExchange exchange(host);
    exchange.Load();
    state.ResumeTiming();
    if (exchange.CopyToDrive() != ExchangeOutcome::Copied) state.SkipWithError("copy failed");
  }
  state.SetBytesProcessed(state.iterations() * 40 * 1024 * 1024);
}

void BM_CpAndSync(benchmark::State& state) {
  Story& story = TheStory();
  const QByteArray command = "cp -r '" + QFile::encodeName(story.folder) + "' '" +
                             QFile::encodeName(story.stick.path()) + "/' && sync";
  for (auto _ : state) {
    state.PauseTiming();
    story.EmptyStick();
    state.ResumeTiming();
    if (std::system(command.constData()) != 0) state.SkipWithError("cp failed");
  }
  state.SetBytesProcessed(state.iterations() * 40 * 1024 * 1024);
}

BENCHMARK(BM_ExchangeCopy)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(8)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_CpAndSync)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(8)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  bench::UseOffscreenPlatform();
  QGuiApplication app(argc, argv);
  return bench::RunBenchmarks(&argc, argv);
}
