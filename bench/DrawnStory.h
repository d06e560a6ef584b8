// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A story of drawn cards with narrations on a drive of its own, for the
// benchmarks of the exports that read a whole story (the video, the ePub
// book), and the process's memory and processor time they report.

#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cmath>
#include <ctime>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

// A mono 16-bit wave file of 22050 Hz.
inline QByteArray WaveFileBytes(const std::vector<qint16>& samples) {
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

// Drive C: in a temporary folder holding the story folder "C:\story\" with
// cards 1 .. `cards`: each a child's drawing (a coloured ground, shapes and
// brush strokes), a narration of `narrationSeconds` of a voice-like sound
// and, with `texts`, a line of text. `seed` chooses the drawings.
struct DrawnStory {
  QTemporaryDir drive;

  DrawnStory(int cards, int narrationSeconds, quint32 seed, bool texts) {
    qputenv("PIKORAMA_DRIVE_C", drive.path().toUtf8());
    QDir(drive.path()).mkdir(QStringLiteral("story"));
    QRandomGenerator random(seed);
    for (int n = 1; n <= cards; ++n) {
      const QString stem = drive.path() + QStringLiteral("/story/Card_%1").arg(n, 2, 10, QChar(u'0'));
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
      if (texts) {
        // A line of text, as a child types it (Shift_JIS, CR LF).
        QFile text(stem + QStringLiteral(".txt"));
        text.open(QIODevice::WriteOnly);
        text.write(QByteArray("\x82\xa8\x82\xa9\x82\xb5\x82\xcc \x82\xa8\x82\xcd\x82\xc8\x82\xb5\r\n"));
      }
      // A wavering tone with some noise.
      std::vector<qint16> samples(size_t(narrationSeconds) * 22050);
      for (size_t i = 0; i < samples.size(); ++i) {
        const double t = double(i) / 22050;
        samples[i] = qint16(6000 * std::sin(2 * M_PI * (200 + 80 * std::sin(3 * t)) * t) +
                            int(random.bounded(2000)) - 1000);
      }
      QFile wav(stem + QStringLiteral("_x.wav"));
      wav.open(QIODevice::WriteOnly);
      wav.write(WaveFileBytes(samples));
    }
  }
};

// Resident memory now, in MB.
inline double ResidentMb() {
  QFile statm(QStringLiteral("/proc/self/statm"));
  if (!statm.open(QIODevice::ReadOnly)) return 0;
  const QList<QByteArray> fields = statm.readAll().split(' ');
  return fields.size() > 1 ? fields[1].toDouble() * 4096 / 1e6 : 0;
}

// The processor time of this process so far, all threads, in seconds.
inline double ProcessSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// What one run of `work` cost: its wall-clock and processor seconds, and
// the largest resident memory seen while it ran (looked at every 20 ms).
struct RunCost {
  double seconds = 0;
  double cpuSeconds = 0;
  double peakMb = 0;
};
template <class Work>
RunCost MeasureRun(Work&& work) {
  RunCost cost;
  std::atomic<bool> sampling{true};
  std::thread sampler([&] {
    while (sampling) {
      cost.peakMb = std::max(cost.peakMb, ResidentMb());
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  const double cpuBefore = ProcessSeconds();
  const auto start = std::chrono::steady_clock::now();
  work();
  cost.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  cost.cpuSeconds = ProcessSeconds() - cpuBefore;
  sampling = false;
  sampler.join();
  return cost;
}
