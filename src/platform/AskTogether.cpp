// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/Disk.h"

#include <QThreadPool>

#include <cstddef>
#include <functional>
#include <latch>
#include <vector>

namespace disk {

void AskTogether(const std::vector<std::function<void()>>& questions) {
  if (questions.empty()) return;
  // Never destroyed, and its threads kept while the program runs: the
  // strip's ten thumbnails and a card's two files are the most asked
  // together, questions asked within questions included.
  static QThreadPool* const pool = [] {
    auto* threads = new QThreadPool;
    threads->setMaxThreadCount(32);
    threads->setExpiryTimeout(-1);
    return threads;
  }();
  std::latch done(std::ptrdiff_t(questions.size()) - 1);
  for (std::size_t i = 1; i < questions.size(); ++i)
    pool->start([&questions, &done, i] {
      questions[i]();
      done.count_down();
    });
  questions[0]();
  done.wait();
}

}  // namespace disk
