// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// Starts pikorama several times and reports, for each start, the time from
// process start to the first paint of the main window and the resident
// memory at that moment; then the median. Run it on a display (xvfb-run) or
// with QT_QPA_PLATFORM=offscreen.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
  QTemporaryDir drive;
  std::vector<double> ms;
  std::vector<long> rss;
  for (int i = 0; i < runs; ++i) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PIKORAMA_STARTUP_REPORT"), QStringLiteral("1"));
    env.insert(QStringLiteral("PIKORAMA_DRIVE_C"), drive.path());
    process.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral(PIKORAMA_EXE), {});
    QByteArray out;
    while (!out.contains('\n') && process.waitForReadyRead(20000)) out += process.readAllStandardOutput();
    const double elapsed = clock.nsecsElapsed() / 1e6;
    process.waitForFinished(20000);
    const QList<QByteArray> words = out.trimmed().split(' ');
    if (words.size() < 3 || words[0] != "first-paint") {
      std::fprintf(stderr, "no first paint reported: %s\n", process.readAllStandardError().constData());
      return 1;
    }
    ms.push_back(elapsed);
    rss.push_back(words[2].toLong());
    std::printf("run %2d: first paint %7.1f ms, resident %6ld kB\n", i + 1, elapsed, rss.back());
  }
  std::sort(ms.begin(), ms.end());
  std::sort(rss.begin(), rss.end());
  std::printf("median: first paint %.1f ms, resident %ld kB (%d runs)\n", ms[ms.size() / 2],
              rss[rss.size() / 2], runs);
  return 0;
}
