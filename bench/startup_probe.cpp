// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The program as bench_startup starts it: it runs as pikorama does, prints
// "first-paint rss-kb <resident kB>" when the main window is first painted,
// and leaves at once.

#include <QEvent>
#include <QFile>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

#include "shell/Program.h"

#include "Resident.h"

namespace {

class FirstPaint : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      std::printf("first-paint rss-kb %ld\n", ResidentKb());
      std::fflush(stdout);
      // Measuring only: leave at once, before the event loop may even run.
      std::_Exit(0);
    }
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

int main(int argc, char** argv) {
  FirstPaint probe;
  return RunProgram(argc, argv, [&probe](QWidget& window) { window.installEventFilter(&probe); });
}
