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

#include "export/EpubBook.h"

namespace {

const QString kStory = QStringLiteral("C:\\story\\");
constexpr int kCards = 30;
constexpr int kNarrationSeconds = 30;

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
    QRandomGenerator random(13);
    for (int n = 1; n <= kCards; ++n) {
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
      // A line of text, as a child types it (Shift_JIS, CR LF).
      QFile text(stem + QStringLiteral(".txt"));
      text.open(QIODevice::WriteOnly);
      text.write(QByteArray("\x82\xa8\x82\xa9\x82\xb5\x82\xcc \x82\xa8\x82\xcd\x82\xc8\x82\xb5\r\n"));
      // 30 s of a voice-like sound: a wavering tone with some noise.
      std::vector<qint16> samples(size_t(kNarrationSeconds) * 22050);
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

void BM_ThirtyCardBook(benchmark::State& state) {
  static Story story;
  ExportStory deck{QStringLiteral("ながい おはなし"), kStory, {}};
  for (int n = 1; n <= kCards; ++n) deck.cardNumbers << n;
  double peak = 0, seconds = 0, cpu = 0, bookMb = 0, partsMb = 0;
  for (auto _ : state) {
    QTemporaryDir out;
    const QString path = out.path() + QStringLiteral("/story.epub");
    std::atomic<bool> sampling{true};
    std::thread sampler([&] {
      while (sampling) {
        peak = std::max(peak, ResidentMb());
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    });
    const double cpuBefore = ProcessSeconds();
    const auto start = std::chrono::steady_clock::now();
    const ExportOutcome outcome = EpubBookFormat().Write(deck, path, {}, nullptr);
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cpu = ProcessSeconds() - cpuBefore;
    sampling = false;
    sampler.join();
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
  state.counters["x_reading"] = reading / seconds;
  state.counters["x_reading_cpu"] = reading / (cpu / cores);
  state.counters["peak_rss_MB"] = peak;
  state.counters["book_MB"] = bookMb;
  state.counters["pictures_audio_MB"] = partsMb;
  state.counters["x_parts_size"] = partsMb > 0 ? bookMb / partsMb : 0;
}
BENCHMARK(BM_ThirtyCardBook)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
