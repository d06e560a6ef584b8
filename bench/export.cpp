// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// Web page export of a full story: 30 cards, each with a ~300 KB picture and
// a ~1 MB narration (about 40 MB), against plainly copying the same 60 files
// into the same kind of folder. The bar is 1.5 times the plain copy.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "export/WebPages.h"
#include "BenchMain.h"

namespace {

const QString kStory = QStringLiteral("C:\\story\\");

struct Story {
  QTemporaryDir drive;
  QStringList files;  // host paths of the pictures and narrations

  Story() {
    qputenv("PIKORAMA_DRIVE_C", drive.path().toUtf8());
    QDir(drive.path()).mkdir(QStringLiteral("story"));
    QRandomGenerator random(7);
    auto write = [&](const QString& name, qsizetype size) {
      QByteArray bytes(size, Qt::Uninitialized);
      random.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
      const QString path = drive.path() + QStringLiteral("/story/") + name;
      QFile file(path);
      file.open(QIODevice::WriteOnly);
      file.write(bytes);
      files << path;
    };
    for (int n = 1; n <= 30; ++n) {
      const QString stem = QStringLiteral("Card_%1").arg(n, 2, 10, QChar(u'0'));
      write(stem + QStringLiteral(".PNG"), 300 * 1024);
      write(stem + QStringLiteral("_x.wav"), 1024 * 1024);
      QFile text(drive.path() + QStringLiteral("/story/") + stem + QStringLiteral(".txt"));
      text.open(QIODevice::WriteOnly);
      text.write("hello\r\n");
    }
  }
};

Story& TheStory() {
  static Story story;
  return story;
}

void BM_ExportThirtyCards(benchmark::State& state) {
  ExportStory story{QStringLiteral("bench"), kStory, {}};
  for (int n = 30; n >= 1; --n) story.cardNumbers << n;
  TheStory();
  for (auto _ : state) {
    QTemporaryDir web;
    const ExportOutcome result = WebPagesFormat().Write(story, web.path() + QStringLiteral("/Story.html"), {}, nullptr);
    if (!result.Complete()) state.SkipWithError("export failed");
  }
}
BENCHMARK(BM_ExportThirtyCards)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CopySameFiles(benchmark::State& state) {
  const QStringList& files = TheStory().files;
  for (auto _ : state) {
    QTemporaryDir web;
    for (const QString& file : files) {
      QFile::copy(file, web.path() + u'/' + QFileInfo(file).fileName());
    }
  }
}
BENCHMARK(BM_CopySameFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  return bench::RunBenchmarks(&argc, argv);
}
