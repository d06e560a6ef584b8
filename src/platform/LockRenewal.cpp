// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/LockRenewal.h"

#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace lockfile {

void Registry::Renew(const Held& h) {
  if (h.state->lost) return;
  const auto started = Clock::now();
  const int fd = ::open(h.path.constData(), O_RDWR | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return;
  char buffer[512];
  const ssize_t n = ::pread(fd, buffer, sizeof buffer, 0);
  if (n > 0 && !QByteArray(buffer, int(n)).contains(' ' + h.token + ' ')) {
    h.state->lost = true;
  } else if (n > 0 && !h.state->lost) {
    const QByteArray fresh = Content(h.token, ++h.state->count);
    if (::pwrite(fd, fresh.constData(), size_t(fresh.size()), 0) == fresh.size()) h.state->renewed(started);
  }
  ::close(fd);
}

void Registry::Run() {
  std::unique_lock<std::mutex> guard(mutex);
  for (;;) {
    auto next = Clock::now() + std::chrono::seconds(60);
    for (auto& [key, h] : held)
      if (!h.state->lost && h.next < next) next = h.next;
    wake.wait_until(guard, next);
    const auto now = Clock::now();
    std::vector<Held> due;
    for (auto& [key, h] : held) {
      if (h.state->lost || h.next > now) continue;
      due.push_back(h);
      h.next = now + h.every;
    }
    guard.unlock();
    for (const Held& h : due) Renew(h);
    guard.lock();
  }
}

void Registry::Add(const void* key, Held h) {
  std::lock_guard<std::mutex> guard(mutex);
  held[key] = std::move(h);
  if (!running) {
    running = true;
    std::thread([this] { Run(); }).detach();
  }
  wake.notify_all();
}

void Registry::Remove(const void* key) {
  std::lock_guard<std::mutex> guard(mutex);
  held.erase(key);
}

bool Registry::HoldsToken(const QByteArray& content) {
  std::lock_guard<std::mutex> guard(mutex);
  for (const auto& [key, h] : held)
    if (content.contains(' ' + h.token + ' ')) return true;
  return false;
}

Registry& Locks() {
  static Registry* registry = new Registry;
  return *registry;
}

}  // namespace lockfile
