// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/SharedLock.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <optional>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/BusyRetry.h"
#include "platform/Disk.h"
#include "platform/HiddenNames.h"
#include "platform/LockFile.h"
#include "platform/LockRenewal.h"
#include "platform/LockStaleness.h"

using namespace lockfile;

namespace {

constexpr char kMark[] = ".~pikorama-lock";

// A holder's token in the lock file's text: fourteen of 36 characters, no
// fewer tokens than twelve of upper and lower case gave.
constexpr int kTokenLength = 14;

std::optional<QByteArray> HostFile(const QString& lockFile) {
  const auto host = disk::HostPath(lockFile);
  if (!host) return std::nullopt;
  return QFile::encodeName(*host);
}

}  // namespace

SharedLock::SharedLock(QString file, QString hostPath, QByteArray token, std::shared_ptr<Renewal> renewal)
    : file_(std::move(file)),
      hostPath_(std::move(hostPath)),
      token_(std::move(token)),
      renewal_(std::move(renewal)) {}

std::unique_ptr<SharedLock> SharedLock::Take(const QString& lockFile, Duration staleAfter, Duration wait) {
  const auto path = HostFile(lockFile);
  if (!path) return nullptr;
  const auto deadline = Clock::now() + wait;
  int pause = 5;
  int quickTries = 0;
  for (;;) {
    const auto started = Clock::now();
    const int fd = ::open(path->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      const QByteArray token = disk::RandomNamePart(kTokenLength).toLatin1();
      const QByteArray content = Content(token, 0);
      const bool written = ::write(fd, content.constData(), size_t(content.size())) == content.size();
      if (::close(fd) != 0 || !written) {
        ::unlink(path->constData());
        return nullptr;
      }
      Held h;
      h.path = *path;
      h.token = token;
      h.every = staleAfter / 5;
      h.next = Clock::now() + h.every;
      h.state = std::make_shared<Renewal>();
      h.state->trusted = staleAfter / 2;
      h.state->renewed(started);
      std::unique_ptr<SharedLock> lock(new SharedLock(lockFile, QFile::decodeName(*path), token, h.state));
      Locks().Add(lock.get(), std::move(h));
      return lock;
    }
    // A folder that is gone or may not be written never frees up.
    if (errno != EEXIST) return nullptr;
    // Whatever is there, readable or not, is waited on like a held lock.
    bool freed = true;  // let go between the create and the read
    if (const auto seen = ReadLock(*path)) freed = IsStale(*path, *seen, staleAfter) && TakeAway(*path, *seen);
    else Forget(*path);
    if (freed && ++quickTries <= 3) continue;
    const auto now = Clock::now();
    if (now >= deadline) return nullptr;
    // Thirty computers asking at once: each waits a little longer and at
    // random, so they do not all ask again at the same moment.
    const Duration nap(pause + QRandomGenerator::global()->bounded(pause + 1));
    std::this_thread::sleep_for(std::min<Clock::duration>(nap, deadline - now));
    pause = std::min(pause * 2, 80);
  }
}

SharedLock::State SharedLock::Inspect(const QString& lockFile, Duration staleAfter) {
  const auto path = HostFile(lockFile);
  if (!path) return State::Free;
  for (int attempt = 0; attempt < 3; ++attempt) {
    const auto seen = ReadLock(*path);
    if (!seen) {
      Forget(*path);
      return State::Free;
    }
    if (seen->readable && Locks().HoldsToken(seen->content)) return State::HeldHere;
    if (!IsStale(*path, *seen, staleAfter)) return State::HeldElsewhere;
    if (TakeAway(*path, *seen)) return State::Free;
  }
  return State::HeldElsewhere;
}

SharedLock::~SharedLock() {
  renewal_->lost = true;
  Locks().Remove(this);
  const QByteArray path = QFile::encodeName(hostPath_);
  const auto seen = ReadLock(path);
  if (!seen || !seen->readable || !seen->content.contains(' ' + token_ + ' ')) return;
  // Another computer reading the lock at this moment keeps it from going
  // on a share: tried again while nobody may judge it stale yet.
  const auto left = renewal_->trusted - (Clock::now() - Clock::time_point(Clock::duration(renewal_->lastRenewed.load())));
  if (left > Clock::duration::zero()) disk::RetryWhileBusy([&] { return ::unlink(path.constData()); }, left);
}

bool SharedLock::stillHeld() const {
  // Not renewed within the stale period: another computer may be taking it.
  if (renewal_->lost || !renewal_->fresh()) return false;
  const auto seen = ReadLock(QFile::encodeName(hostPath_));
  return seen && seen->readable && seen->content.contains(' ' + token_ + ' ');
}

QString SharedLock::LockFileFor(const QString& folderText, const QString& name) {
  return folderText + name + QLatin1String(kMark);
}

bool SharedLock::IsLockName(const QString& fileName) {
  static const QRegularExpression re(QRegularExpression::escape(QLatin1String(kMark)) +
                                     QStringLiteral("(-[A-Za-z0-9]{6,7})?$"));
  return re.match(fileName).hasMatch();
}

bool SharedLock::IsTakeoverName(const QString& fileName) {
  return IsLockName(fileName) && !fileName.endsWith(QLatin1String(kMark));
}

QStringList SharedLock::LockNamesIn(const QString& folderText) {
  const auto host = disk::HostPath(folderText);
  if (!host) return {};
  QStringList names;
  for (const QString& entry : QDir(*host).entryList(QDir::Files | QDir::Hidden | QDir::System))
    if (IsLockName(entry)) names.append(entry);
  return names;
}
