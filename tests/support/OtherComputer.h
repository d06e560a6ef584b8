// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Another computer working in the same class folder: this test program
// started again as a process of its own, with its own runtime folder and,
// where the tests run as root, a host name of its own in a UTS namespace.
// The drives are the test's own (the environment is inherited), but for a
// letter whose folder PIKORAMA_OTHER_DRIVE_<letter> names: that is the
// drive's folder there, as for a share that the other computers mount
// elsewhere (TempDrives sets it when the tests run on a share).
//
// A test program using it starts with
//   if (IsOtherComputer(argc, argv)) return RunAsOtherComputer(argc, argv);
// where RunAsOtherComputer is its own and reads its work from argv[2...].

#include <QString>
#include <QStringList>
#include <sys/types.h>

bool IsOtherComputer(int argc, char** argv);

// More about another computer than its name.
struct ComputerSetup {
  // This very computer: no host name of its own (a second run here).
  bool sameComputer = false;
  // A PID namespace of its own as well (root only), as on another computer
  // or in a container; with this one's host name it is a computer installed
  // from the same disk image.
  bool ownPidNamespace = false;
  // Runs as the user nobody (root only).
  bool asNobody = false;
  // More "NAME=value" entries for its environment (LD_PRELOAD=...).
  QStringList environment;
};

class OtherComputer {
 public:
  // Starts computer `name` (a host name) running `args`; its standard
  // output comes to this process through a pipe.
  OtherComputer(const QString& name, const QStringList& args, const ComputerSetup& setup = {});
  // Closes its input and waits for its end; kills it when it does not end
  // within ten seconds.
  ~OtherComputer();
  OtherComputer(const OtherComputer&) = delete;
  OtherComputer& operator=(const OtherComputer&) = delete;

  // Waits up to `ms` for a line on its standard output; empty when none.
  QString readLine(int ms = 20000);
  // Closes its standard input: a computer that waits for it goes on.
  void closeInput();
  // Waits for the end; its exit code, or -1 when it was killed.
  int wait();
  void kill();
  pid_t pid() const { return pid_; }
  // Whether computers got host names of their own (root only).
  static bool OwnHostNames();
  // Whether computers may get PID namespaces of their own (root only).
  static bool OwnPidNamespaces();

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int in_ = -1;
  bool reaped_ = false;
  int status_ = 0;
  QByteArray pending_;
};
