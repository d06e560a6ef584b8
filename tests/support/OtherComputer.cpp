// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/OtherComputer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

extern char** environ;

namespace {

constexpr char kFlag[] = "--other-computer";
constexpr char kOtherDrive[] = "PIKORAMA_OTHER_DRIVE_";

QString SelfPath() { return QFile::symLinkTarget(QStringLiteral("/proc/self/exe")); }

}  // namespace

bool IsOtherComputer(int argc, char** argv) { return argc > 1 && std::strcmp(argv[1], kFlag) == 0; }

bool OtherComputer::OwnHostNames() {
  static const bool own = [] {
    if (::geteuid() != 0) return false;
    const pid_t probe = ::fork();
    if (probe == 0) _exit(::unshare(CLONE_NEWUTS) == 0 ? 0 : 1);
    int status = 0;
    ::waitpid(probe, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }();
  return own;
}

bool OtherComputer::OwnPidNamespaces() {
  static const bool own = [] {
    if (::geteuid() != 0) return false;
    const pid_t probe = ::fork();
    if (probe == 0) _exit(::unshare(CLONE_NEWPID | CLONE_NEWUTS) == 0 ? 0 : 1);
    int status = 0;
    ::waitpid(probe, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }();
  return own;
}

OtherComputer::OtherComputer(const QString& name, const QStringList& args, const ComputerSetup& setup) {
  // Its own runtime folder, as on a computer of its own; left for the
  // system's temporary folder cleaning like any runtime folder.
  const QString runtime = QDir::tempPath() + QStringLiteral("/pikorama-computer-") + name + u'-' +
                          QString::number(QCoreApplication::applicationPid());
  QDir().mkpath(runtime);
  QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  // Everything the child needs is made before the fork: between fork and
  // exec only plain system calls run.
  const QByteArray self = QFile::encodeName(SelfPath());
  const QByteArray host = name.toUtf8();
  std::vector<QByteArray> argBytes{self, kFlag};
  for (const QString& a : args) argBytes.push_back(a.toUtf8());
  std::vector<char*> argvv;
  for (QByteArray& a : argBytes) argvv.push_back(a.data());
  argvv.push_back(nullptr);
  // Its drives are this test's, except those named in
  // PIKORAMA_OTHER_DRIVE_<letter>: a share mounted elsewhere on the other
  // computers (tests/support/samba_share.sh).
  std::vector<QByteArray> envBytes;
  QList<QByteArray> ownDrives;
  for (char** e = environ; *e; ++e) {
    if (std::strncmp(*e, kOtherDrive, sizeof kOtherDrive - 1) == 0) {
      const QByteArray drive = QByteArray("PIKORAMA_DRIVE_") + (*e + sizeof kOtherDrive - 1);
      ownDrives.append(drive.left(drive.indexOf('=') + 1));
      envBytes.push_back(drive);
    }
  }
  for (char** e = environ; *e; ++e) {
    const QByteArray entry(*e);
    if (entry.startsWith("XDG_RUNTIME_DIR=") || entry.startsWith(kOtherDrive)) continue;
    if (std::any_of(ownDrives.cbegin(), ownDrives.cend(), [&](const QByteArray& d) { return entry.startsWith(d); }))
      continue;
    envBytes.push_back(entry);
  }
  envBytes.push_back("XDG_RUNTIME_DIR=" + QFile::encodeName(runtime));
  for (const QString& e : setup.environment) envBytes.push_back(e.toUtf8());
  std::vector<char*> envp;
  for (QByteArray& e : envBytes) envp.push_back(e.data());
  envp.push_back(nullptr);
  const bool ownHost = OwnHostNames() && !setup.sameComputer;

  int out[2], in[2];
  if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(in, O_CLOEXEC) != 0) return;
  // In a PID namespace of its own the child is that namespace's first
  // process, started as fork() starts one.
  pid_ = setup.ownPidNamespace ? pid_t(::syscall(SYS_clone, CLONE_NEWPID | SIGCHLD, nullptr, nullptr, nullptr, nullptr))
                               : ::fork();
  if (pid_ == 0) {
    if (ownHost && (::unshare(CLONE_NEWUTS) != 0 || ::sethostname(host.constData(), size_t(host.size())) != 0))
      _exit(120);
    if (setup.asNobody &&
        (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0))
      _exit(122);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // after the change of user, which clears it
    ::dup2(out[1], 1);
    ::dup2(in[0], 0);
    ::execve(self.constData(), argvv.data(), envp.data());
    _exit(121);
  }
  ::close(out[1]);
  ::close(in[0]);
  out_ = out[0];
  in_ = in[1];
}

OtherComputer::~OtherComputer() {
  // A computer that waits for its input goes on and ends by itself; one
  // that does not end within a few seconds is switched off.
  closeInput();
  for (int i = 0; i < 200 && !reaped_ && pid_ > 0; ++i) {
    if (::waitpid(pid_, &status_, WNOHANG) == pid_) reaped_ = true;
    else ::usleep(50000);
  }
  if (!reaped_) kill();
  if (out_ >= 0) ::close(out_);
  if (in_ >= 0) ::close(in_);
}

QString OtherComputer::readLine(int ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    const qsizetype end = pending_.indexOf('\n');
    if (end >= 0) {
      const QString line = QString::fromUtf8(pending_.left(end));
      pending_.remove(0, end + 1);
      return line;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || out_ < 0) return {};
    pollfd p{out_, POLLIN, 0};
    if (::poll(&p, 1, int(left.count())) <= 0) continue;
    char buffer[512];
    const ssize_t n = ::read(out_, buffer, sizeof buffer);
    if (n <= 0) return {};
    pending_.append(buffer, n);
  }
}

void OtherComputer::closeInput() {
  if (in_ >= 0) ::close(in_);
  in_ = -1;
}

int OtherComputer::wait() {
  if (!reaped_ && pid_ > 0) {
    ::waitpid(pid_, &status_, 0);
    reaped_ = true;
  }
  return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
}

void OtherComputer::kill() {
  if (pid_ > 0 && !reaped_) ::kill(pid_, SIGKILL);
  wait();
}
