// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// Starts pikorama several times and reports, for each start, the time from
// process start to the first paint of the main window and the resident
// memory at that moment; then the medians. Each start is paired with one of
// the floor: a bare Qt window with one Japanese button in IPA Gothic (this
// program started again with --floor), measured the same way. The bar:
// pikorama within 1.3 times the floor. Run it on a display (xvfb-run) or
// with QT_QPA_PLATFORM=offscreen.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Resident.h"

namespace {

// The floor: reports its first paint as pikorama does, and ends.
class FloorWindow : public QWidget {
 protected:
  void paintEvent(QPaintEvent* event) override {
    QWidget::paintEvent(event);
    std::printf("first-paint rss-kb %ld\n", ResidentKb());
    std::fflush(stdout);
    std::_Exit(0);
  }
};

int Floor(int argc, char** argv) {
  QApplication app(argc, argv);
  FloorWindow window;
  auto* layout = new QVBoxLayout(&window);
  auto* button = new QPushButton(QStringLiteral("あなたのクラスをえらんでください。"), &window);
  QFont font(QStringLiteral("IPAGothic"));
  font.setPixelSize(12);
  button->setFont(font);
  layout->addWidget(button);
  window.resize(1024, 740);
  window.show();
  return app.exec();
}

struct Start {
  double ms = 0;     // wall time to the first paint
  double cpuMs = 0;  // processor time of the process, which ends there
  long rssKb = 0;
};

// One start of `program`: time to the first paint it reports, its
// processor time and its resident memory then; nothing when it reports
// none. Started by hand rather than by QProcess, for the child's processor
// time (wait4), which a machine shared with other work does not inflate as
// much as the wall time.
std::optional<Start> StartOnce(const QByteArray& program, const QByteArray& argument) {
  int out[2];
  if (::pipe(out) != 0) return std::nullopt;
  QElapsedTimer clock;
  clock.start();
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    ::close(out[0]);
    ::close(out[1]);
    ::execl(program.constData(), program.constData(), argument.isEmpty() ? nullptr : argument.constData(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(out[1]);
  QByteArray text;
  char buffer[256];
  ssize_t n = 0;
  while (!text.contains('\n') && (n = ::read(out[0], buffer, sizeof buffer)) > 0) text.append(buffer, n);
  const double elapsed = clock.nsecsElapsed() / 1e6;
  ::close(out[0]);
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  const QList<QByteArray> words = text.trimmed().split(' ');
  if (words.size() < 3 || words[0] != "first-paint") {
    std::fprintf(stderr, "%s: no first paint reported\n", program.constData());
    return std::nullopt;
  }
  const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
  return Start{elapsed, ms(usage.ru_utime) + ms(usage.ru_stime), words[2].toLong()};
}

template <typename T>
T Median(std::vector<T> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && qstrcmp(argv[1], "--floor") == 0) return Floor(1, argv);
  QCoreApplication app(argc, argv);
  const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
  QTemporaryDir drive;
  qputenv("PIKORAMA_DRIVE_C", drive.path().toLocal8Bit());
  const QByteArray self = QCoreApplication::applicationFilePath().toLocal8Bit();
  std::vector<double> ms, floorMs, cpu, floorCpu;
  std::vector<long> rss, floorRss;
  for (int i = 0; i < runs; ++i) {
    const auto floor = StartOnce(self, "--floor");
    const auto start = StartOnce(PIKORAMA_EXE, {});
    if (!floor || !start) return 1;
    floorMs.push_back(floor->ms), floorCpu.push_back(floor->cpuMs), floorRss.push_back(floor->rssKb);
    ms.push_back(start->ms), cpu.push_back(start->cpuMs), rss.push_back(start->rssKb);
    std::printf("run %2d: first paint %7.1f ms (processor %6.1f ms), resident %6ld kB | floor %7.1f ms (%6.1f ms), %6ld kB\n",
                i + 1, start->ms, start->cpuMs, start->rssKb, floor->ms, floor->cpuMs, floor->rssKb);
  }
  std::printf("median: first paint %.1f ms, processor %.1f ms, resident %ld kB (%d runs)\n", Median(ms), Median(cpu),
              Median(rss), runs);
  std::printf("floor:  first paint %.1f ms, processor %.1f ms, resident %ld kB\n", Median(floorMs), Median(floorCpu),
              Median(floorRss));
  std::printf("ratio:  %.2f wall, %.2f processor (bar 1.30)\n", Median(ms) / Median(floorMs),
              Median(cpu) / Median(floorCpu));
  return 0;
}
