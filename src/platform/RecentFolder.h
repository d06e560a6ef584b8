// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The story folder the last steps reached, held open a moment for the next
// ones (Disk.h's procedures and HeldFiles reach a folder through it).

#include <QString>
#include <QStringList>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/HeldFolder.h"

namespace disk {

// A held folder shared by its users, closed with the last copy.
std::shared_ptr<const int> Share(Fd fd);

// The folder last reached by its exact spelling, held a moment after its
// last use: the steps of one thing the child does (a card's lock, its
// list, the strip and the card) each name the same story folder, and on a
// file server every walk from the drive's folder costs round trips. Only
// a quarter of a second after its last use it is let go (by a thread of
// its own, so no folder stays held while the program waits: a USB stick
// can be ejected), and a folder renamed or replaced since is walked again.
class RecentFolder {
 public:
  static constexpr std::chrono::milliseconds kKeptFor{250};

  static RecentFolder& Instance() {
    static RecentFolder* const recent = new RecentFolder;  // never destroyed: its thread may outlive statics
    return *recent;
  }

  std::shared_ptr<const int> Find(const QString& root, const QStringList& parts) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (!fd_ || root_ != root || parts_ != parts || Clock::now() >= until_) return nullptr;
    until_ = Clock::now() + kKeptFor;
    return fd_;
  }

  // A folder renamed or removed here is walked again at once.
  void Forget() {
    std::shared_ptr<const int> old;
    std::lock_guard<std::mutex> guard(mutex_);
    old = std::move(fd_);
  }

  void Keep(const QString& root, const QStringList& parts, std::shared_ptr<const int> fd) {
    std::shared_ptr<const int> old;
    {
      std::lock_guard<std::mutex> guard(mutex_);
      old = std::exchange(fd_, std::move(fd));
      root_ = root;
      parts_ = parts;
      until_ = Clock::now() + kKeptFor;
      if (!running_) {
        running_ = true;
        std::thread([this] { LetGo(); }).detach();
      }
    }
    wake_.notify_all();
  }

 private:
  using Clock = std::chrono::steady_clock;

  void LetGo() {
    std::unique_lock<std::mutex> guard(mutex_);
    for (;;) {
      if (!fd_) {
        wake_.wait(guard);
        continue;
      }
      if (wake_.wait_until(guard, until_) == std::cv_status::timeout && Clock::now() >= until_) {
        std::shared_ptr<const int> old = std::move(fd_);
        guard.unlock();
        old.reset();  // closed outside the lock
        guard.lock();
      }
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  bool running_ = false;
  QString root_;
  QStringList parts_;
  std::shared_ptr<const int> fd_;
  Clock::time_point until_;
};

// The folder `parts` (at least one) below the drive folder `root`, spelled
// exactly as on disk and reached without a link: the recent one, or opened
// in one question below the drive's folder and kept. Nothing otherwise.
std::shared_ptr<const int> ExactFolder(const QString& root, const QStringList& parts);

}  // namespace disk
