// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The story's ePub book: a full story of 30 drawn cards, each with a
// 30-second narration (15 minutes of reading). The bars: the book made at
// least 10 times faster than it is read (under 90 s), resident memory while
// making it under 300 MB, and the book at most 1.2 times the size of the
// pictures and AAC narrations in it. Counters: the reading time, how many
// times faster than reading the book was made (by wall time, and by the
// process's processor time per core for a shared machine), the peak
// resident memory while making it, the book's size, the size of its
// pictures and narrations, and the one against the other.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <cmath>
#include <ctime>
#include <thread>

#include "DrawnStory.h"
#include "export/EpubBook.h"
#include "BenchMain.h"

namespace {

const QString kStory = QStringLiteral("C:\\story\\");
constexpr int kCards = 30;
constexpr int kNarrationSeconds = 30;

// The uncompressed sizes of a zip file's entries whose names end in one of
// `endings`, added up, from its central directory.
qint64 EntryBytes(const QByteArray& zip, const QStringList& endings) {
  const qsizetype end = zip.lastIndexOf(QByteArray("PK\x05\x06", 4));
  if (end < 0 || end + 22 > zip.size()) return 0;
  const auto* z = reinterpret_cast<const uchar*>(zip.constData());
  const int entries = qFromLittleEndian<quint16>(z + end + 10);
  qint64 at = qFromLittleEndian<quint32>(z + end + 16), sum = 0;
  for (int i = 0; i < entries && at + 46 <= zip.size(); ++i) {
    const qint64 size = qFromLittleEndian<quint32>(z + at + 24);
    const int nameLength = qFromLittleEndian<quint16>(z + at + 28);
    const int extra = qFromLittleEndian<quint16>(z + at + 30), comment = qFromLittleEndian<quint16>(z + at + 32);
    const QString name = QString::fromUtf8(zip.mid(at + 46, nameLength));
    for (const QString& ending : endings)
      if (name.endsWith(ending)) sum += size;
    at += 46 + nameLength + extra + comment;
  }
  return sum;
}

void BM_ThirtyCardBook(benchmark::State& state) {
  static DrawnStory story(kCards, kNarrationSeconds, 13, true);
  ExportStory deck{QStringLiteral("ながい おはなし"), kStory, {}};
  for (int n = 1; n <= kCards; ++n) deck.cardNumbers << n;
  RunCost cost;
  double bookMb = 0, partsMb = 0;
  for (auto _ : state) {
    QTemporaryDir out;
    const QString path = out.path() + QStringLiteral("/story.epub");
    ExportOutcome outcome;
    cost = MeasureRun([&] { outcome = EpubBookFormat().Write(deck, path, {}, nullptr); });
    if (!outcome.Complete()) {
      state.SkipWithError("the book was not made whole");
      break;
    }
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray book = file.readAll();
    bookMb = double(book.size()) / 1e6;
    partsMb = double(EntryBytes(book, {QStringLiteral(".png"), QStringLiteral(".m4a")})) / 1e6;
  }
  const double reading = double(kCards) * kNarrationSeconds;
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  state.counters["reading_s"] = reading;
  state.counters["x_reading"] = reading / cost.seconds;
  state.counters["x_reading_cpu"] = reading / (cost.cpuSeconds / cores);
  state.counters["peak_rss_MB"] = cost.peakMb;
  state.counters["book_MB"] = bookMb;
  state.counters["pictures_audio_MB"] = partsMb;
  state.counters["x_parts_size"] = partsMb > 0 ? bookMb / partsMb : 0;
}
BENCHMARK(BM_ThirtyCardBook)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  bench::UseOffscreenPlatform();
  QGuiApplication app(argc, argv);
  return bench::RunBenchmarks(&argc, argv);
}
