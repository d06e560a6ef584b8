// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A file that another computer, or this one a moment ago, still has open on
// a network share cannot be renamed or removed for a short while: the
// share's client lets go of it a little after the program closed it (a
// Samba client may keep it a second or so). Such a rename or removal is
// tried again for up to about a second before it counts as failed. A Samba
// client says so with EBUSY, or, for a file put in place of one open on
// another computer, with EEXIST (which a rename over a file never means on
// a local disk).

#include <cerrno>
#include <chrono>
#include <thread>

namespace disk {

// Calls `call` (a system call that returns 0 on success, -1 and errno on
// failure) again while it fails with EBUSY (or `alsoBusy`, when not 0), up
// to about a second in all.
template <typename Call>
int RetryWhileBusy(Call call, int alsoBusy = 0) {
  for (int attempt = 0;; ++attempt) {
    const int result = call();
    if (result == 0 || (errno != EBUSY && (alsoBusy == 0 || errno != alsoBusy)) || attempt >= 40) return result;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
}

}  // namespace disk
