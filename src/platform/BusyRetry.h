// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A file that another computer, or this one a moment ago, still has open on
// a network share cannot be renamed or removed for a short while: the
// share's client lets go of it a little after the program closed it (a
// Samba client may keep it a second or so), and lock files are opened for
// a moment all the time by every computer watching them. Such a rename or
// removal is tried again for a bounded time before it counts as failed. A
// Samba client says so with EBUSY, or, for a file put in place of one open
// on another computer, with EEXIST (which a rename over a file never means
// on a local disk).

#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

namespace disk {

inline constexpr std::chrono::milliseconds kBusyWait{1000};

// Calls `call` (a system call that returns 0 on success, -1 and errno on
// failure) again while it fails with EBUSY (or `alsoBusy`, when not 0), for
// up to `bound`, with short pauses that grow and differ at random between
// computers. Its last result, errno as it left it.
template <typename Call>
int RetryWhileBusy(Call call, std::chrono::steady_clock::duration bound = kBusyWait, int alsoBusy = 0) {
  const auto until = std::chrono::steady_clock::now() + bound;
  auto pause = std::chrono::milliseconds(2);
  for (;;) {
    const int result = call();
    if (result == 0 || (errno != EBUSY && (alsoBusy == 0 || errno != alsoBusy))) return result;
    if (std::chrono::steady_clock::now() + pause > until) return result;
    std::this_thread::sleep_for(pause +
                                std::chrono::milliseconds(QRandomGenerator::global()->bounded(int(pause.count()) + 1)));
    pause = std::min(pause * 2, std::chrono::milliseconds(40));
  }
}

}  // namespace disk
