// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "narration/SoundServer.h"

#include <QApplication>
#include <QAudioDevice>
#include <QAudioSource>
#include <QBuffer>
#include <QMediaDevices>
#include <QTest>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

struct State {
  QTemporaryDir* dir = nullptr;
  pid_t pid = 0;
  QString problem = QStringLiteral("the test sound server was not started");
};

State& state() {
  static State s;
  return s;
}

bool ProcessGone(pid_t pid) {
  if (::kill(pid, 0) != 0) return true;
  // A daemon nobody reaps lingers as a zombie.
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string pidText, name, status;
  stat >> pidText >> name >> status;
  return status == "Z" || status == "X";
}

}  // namespace

bool SoundServer::Start(int sineFrequency) {
  State& s = state();
  if (s.pid) return true;
  s.dir = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/pikorama-sound-XXXXXX"));
  if (!s.dir->isValid()) {
    s.problem = QStringLiteral("no temporary folder for the test sound server");
    return false;
  }
  const QString folder = s.dir->path();
  ::chmod(folder.toLocal8Bit().constData(), 0700);
  const QString script = folder + QStringLiteral("/server.pa");
  {
    std::ofstream out(script.toStdString());
    // The microphone is a remapped monitor of a sink the tone plays into: a
    // sine source or a monitor is no microphone to the sound system's
    // clients (the one delivers in two-second blocks, the other is not
    // offered as an input). A loopback keeps that sink at a short latency,
    // as a real microphone is, from the first recording on.
    out << "load-module module-native-protocol-unix socket=" << (folder + "/native").toStdString()
        << " auth-anonymous=1\n"
        << "load-module module-null-sink sink_name=speaker\n"
        << "load-module module-null-sink sink_name=air\n"
        << "load-module module-null-sink sink_name=drain\n"
        << "load-module module-sine sink=air frequency=" << sineFrequency << "\n"
        << "load-module module-remap-source source_name=mic master=air.monitor\n"
        << "load-module module-loopback source=air.monitor sink=drain latency_msec=20"
           " source_dont_move=true sink_dont_move=true\n"
        << "set-default-sink speaker\n"
        << "set-default-source mic\n";
  }

  const pid_t child = ::fork();
  if (child == 0) {
    const QByteArray f = folder.toLocal8Bit();
    ::setenv("XDG_RUNTIME_DIR", f.constData(), 1);
    ::setenv("HOME", f.constData(), 1);
    ::unsetenv("PULSE_SERVER");
    const QByteArray scriptArg = ("--file=" + script).toLocal8Bit();
    const QByteArray logArg = ("--log-target=file:" + folder + "/server.log").toLocal8Bit();
    ::execlp("pulseaudio", "pulseaudio", "-n", "--daemonize=yes", "--exit-idle-time=10",
             "--system=false", "--disallow-exit", "--disable-shm=yes", "--use-pid-file=yes",
             scriptArg.constData(), logArg.constData(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    s.problem = QStringLiteral("pulseaudio could not be started (is it installed?)");
    return false;
  }
  // The daemon writes its id once it is ready.
  std::ifstream pidFile((folder + "/pulse/pid").toStdString());
  long pid = 0;
  pidFile >> pid;
  if (pid <= 0 || !QFileInfo::exists(folder + QStringLiteral("/native"))) {
    s.problem = QStringLiteral("pulseaudio started but left no socket or process id");
    return false;
  }
  s.pid = pid_t(pid);
  // Stopped at exit; should the test process die instead, the server ends
  // by itself ten seconds after its last client went.
  static bool atExit = false;
  if (!atExit) atExit = std::atexit(+[] { SoundServer::Stop(); }) == 0;
  ::setenv("XDG_RUNTIME_DIR", folder.toLocal8Bit().constData(), 1);
  ::setenv("PULSE_SERVER", ("unix:" + folder + "/native").toLocal8Bit().constData(), 1);
  return true;
}

void SoundServer::Stop() {
  State& s = state();
  if (s.pid) {
    ::kill(s.pid, SIGTERM);
    for (int i = 0; i < 200 && !ProcessGone(s.pid); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!ProcessGone(s.pid)) ::kill(s.pid, SIGKILL);
    s.pid = 0;
    s.problem = QStringLiteral("the test sound server was stopped");
  }
  delete s.dir;
  s.dir = nullptr;
}

bool SoundServer::Running() { return state().pid != 0; }
QString SoundServer::Problem() { return state().problem; }
QString SoundServer::Folder() { return state().dir ? state().dir->path() : QString(); }

bool SoundServer::WaitForMicrophone() {
  State& s = state();
  if (!s.pid) return false;
  const QAudioDevice input = QMediaDevices::defaultAudioInput();
  if (input.id() != QByteArrayLiteral("mic")) {
    s.problem = QStringLiteral("the sound system does not offer the test microphone");
    Stop();
    return false;
  }
  // A new server runs its sinks in long blocks for a while; wait until the
  // microphone delivers steadily, three tenths of a second in a row.
  QAudioSource source(input, input.preferredFormat());
  QBuffer heard;
  heard.open(QIODevice::WriteOnly);
  source.start(&heard);
  qint64 before = 0;
  int steady = 0;
  for (int tenth = 0; tenth < 80 && steady < 3; ++tenth) {
    QTest::qWait(100);
    steady = heard.size() > before ? steady + 1 : 0;
    before = heard.size();
  }
  source.stop();
  if (steady < 3) {
    s.problem = QStringLiteral("the test microphone delivers no sound");
    Stop();
    return false;
  }
  return true;
}

int RunWithSoundServer(QObject& test, int argc, char** argv) {
  SoundServer::Start();
  int result = 0;
  {
    QApplication app(argc, argv);
    SoundServer::WaitForMicrophone();
    result = QTest::qExec(&test, argc, argv);
  }
  SoundServer::Stop();
  return result;
}
