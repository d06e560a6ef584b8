// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The lock of a shared class folder against real other processes standing
// for computers: cloned from one disk image, with clocks minutes off, gone
// to sleep, crashed, and lock files that are not what a lock should be.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSysInfo>
#include <QTest>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>

#include "platform/SharedLock.h"
#include "support/OtherComputer.h"
#include "support/TestSupport.h"

namespace {

using Ms = SharedLock::Duration;
const QString kLock = QStringLiteral("C:\\Menu.txt.~pikorama-lock");
const QString kFakeTime = QStringLiteral("/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1");

void Say(const QByteArray& line) {
  std::fputs((line + '\n').constData(), stdout);
  std::fflush(stdout);
}

// The other computer.
//   hold FILE STALE: takes the lock, says "held" or "busy", and once its
//     input closes says whether it still holds it ("held" or "lost").
//   take FILE STALE WAIT...: tries once per wait, saying "held MS" or
//     "busy MS" with the time the try took, and lets go each time.
int RunAsOtherComputer(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments().mid(2);
  const Ms stale(args.value(2).toInt());
  if (args.value(0) == u"hold") {
    const auto lock = SharedLock::Take(args.value(1), stale, Ms(0));
    Say(lock ? "held" : "busy");
    char c;
    while (std::fread(&c, 1, 1, stdin) == 1) {
    }
    Say(lock && lock->stillHeld() ? "held" : "lost");
    return 0;
  }
  for (const QString& wait : args.mid(3)) {
    QElapsedTimer clock;
    clock.start();
    const bool held = SharedLock::Take(args.value(1), stale, Ms(wait.toInt())) != nullptr;
    Say((held ? "held " : "busy ") + QByteArray::number(clock.elapsed()));
  }
  return 0;
}

}  // namespace

class SharedLockTest : public QObject {
  Q_OBJECT
 private slots:
  void othersKeepOffALiveLock();
  void sleepingAndCrashedHolders();
  void oddLockFilesAreWaitedOn();
};

// A lock held and renewed here is not taken by a computer with this one's
// host name (one disk image) nor by one whose clock is ten minutes off, and
// one renewed where only stat sees it is not taken either.
void SharedLockTest::othersKeepOffALiveLock() {
  TempDrives drives;
  const auto mine = SharedLock::Take(kLock, Ms(1000), Ms(0));
  QVERIFY(mine);
  const QStringList tries{QStringLiteral("take"), kLock, QStringLiteral("1000"), QStringLiteral("0"),
                          QStringLiteral("2500")};
  QStringList notRun;
  if (OtherComputer::OwnPidNamespaces()) {
    ComputerSetup cloned;
    cloned.ownPidNamespace = true;
    OtherComputer clone(QSysInfo::machineHostName(), tries, cloned);
    QCOMPARE(clone.readLine().section(u' ', 0, 0), QStringLiteral("busy"));
    QCOMPARE(clone.readLine().section(u' ', 0, 0), QStringLiteral("busy"));
  } else {
    notRun << QStringLiteral("no PID namespaces (not root)");
  }
  if (QFile::exists(kFakeTime)) {
    for (const char* offset : {"+10m", "-10m"}) {
      ComputerSetup skew;
      skew.environment = {QStringLiteral("LD_PRELOAD=") + kFakeTime, QStringLiteral("FAKETIME=") + QLatin1String(offset),
                          QStringLiteral("NO_FAKE_STAT=1")};
      OtherComputer skewed(QStringLiteral("pc-clock"), tries, skew);
      QCOMPARE(skewed.readLine().section(u' ', 0, 0), QStringLiteral("busy"));
      QCOMPARE(skewed.readLine().section(u' ', 0, 0), QStringLiteral("busy"));
    }
  } else {
    notRun << QStringLiteral("no libfaketime");
  }
  QVERIFY(mine->stillHeld());

  // A holder whose renewals a file server's cache hands out late: its text
  // stays as it was, but the times stat shows move on. Live, not stale.
  const QString d = drives.c(QStringLiteral("Card_01.~pikorama-lock"));
  WriteHostFile(d, "pikorama pc-x/y/z 123 abcdefghijkl 0000000001\n");
  std::atomic<bool> done{false};
  std::thread renewing([&] {
    while (!done) {
      ::utimensat(AT_FDCWD, QFile::encodeName(d).constData(), nullptr, 0);
      std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
  });
  OtherComputer cached(QStringLiteral("pc-cache"), {QStringLiteral("take"), QStringLiteral("C:\\Card_01.~pikorama-lock"),
                                                    QStringLiteral("1000"), QStringLiteral("0"), QStringLiteral("2500")});
  const QString first = cached.readLine(10000), second = cached.readLine(10000);
  done = true;
  renewing.join();
  QCOMPARE(first.section(u' ', 0, 0), QStringLiteral("busy"));
  QCOMPARE(second.section(u' ', 0, 0), QStringLiteral("busy"));
  if (!notRun.isEmpty()) QSKIP(qPrintable(notRun.join(QStringLiteral(", "))));
}

// A holder gone to sleep keeps its lock for the stale period watched here
// and knows it lost it when it wakes; a run that crashed on this computer
// leaves nothing that waits.
void SharedLockTest::sleepingAndCrashedHolders() {
  TempDrives drives;
  {
    OtherComputer sleeper(QStringLiteral("pc-sleep"), {QStringLiteral("hold"), kLock, QStringLiteral("6000")});
    QCOMPARE(sleeper.readLine(), QStringLiteral("held"));
    QCOMPARE(::kill(sleeper.pid(), SIGSTOP), 0);
    QElapsedTimer clock;
    clock.start();
    const auto lock = SharedLock::Take(kLock, SharedLock::kListStale, SharedLock::kListWait);
    const qint64 took = clock.elapsed();
    ::kill(sleeper.pid(), SIGCONT);
    QVERIFY(lock);
    QVERIFY2(took >= SharedLock::kListStale.count(), qPrintable(QString::number(took)));
    sleeper.closeInput();
    QCOMPARE(sleeper.readLine(), QStringLiteral("lost"));
    QVERIFY(lock->stillHeld());
  }
  QVERIFY(!QFile::exists(drives.c(QStringLiteral("Menu.txt.~pikorama-lock"))));

  ComputerSetup here;
  here.sameComputer = true;
  OtherComputer crashed(QStringLiteral("here"), {QStringLiteral("hold"), kLock, QStringLiteral("30000")}, here);
  QCOMPARE(crashed.readLine(), QStringLiteral("held"));
  QVERIFY(!SharedLock::Take(kLock, SharedLock::kCardStale, Ms(0)));
  crashed.kill();
  QVERIFY(SharedLock::Take(kLock, SharedLock::kCardStale, Ms(1000)));
}

// A pipe, a folder, text that is no lock and a file another user may not
// read: each is waited on with the deadline kept, and taken away once it
// stayed unchanged for the stale period.
void SharedLockTest::oddLockFilesAreWaitedOn() {
  TempDrives drives;
  const QString root = drives.root(u'C');
  ::chmod(QFile::encodeName(root).constData(), 0777);
  const QByteArray host = QFile::encodeName(drives.c(QStringLiteral("Menu.txt.~pikorama-lock")));
  const bool asRoot = ::geteuid() == 0;
  for (const char* kind : {"pipe", "folder", "text", "another user's"}) {
    const QByteArray what(kind);
    if (what == "another user's" && !asRoot) QSKIP("not root: no file of another user");
    if (what == "pipe") QCOMPARE(::mkfifo(host.constData(), 0666), 0);
    if (what == "folder") QCOMPARE(::mkdir(host.constData(), 0777), 0);
    if (what == "text") WriteHostFile(QFile::decodeName(host), "\x01\x02 no lock\n");
    if (what == "another user's") {
      WriteHostFile(QFile::decodeName(host), "pikorama pc-x/y/z 123 abcdefghijkl 0000000001\n");
      QCOMPARE(::chmod(host.constData(), 0600), 0);
    }
    ComputerSetup user;
    user.asNobody = what == "another user's";
    OtherComputer other(QStringLiteral("pc-odd"),
                        {QStringLiteral("take"), kLock, QStringLiteral("1000"), QStringLiteral("300"),
                         QStringLiteral("3000")},
                        user);
    const QString first = other.readLine(10000);
    QVERIFY2(first.startsWith(QStringLiteral("busy ")) && first.mid(5).toInt() < 1300, kind);
    QVERIFY2(other.readLine(10000).startsWith(QStringLiteral("held ")), kind);
    QCOMPARE(other.wait(), 0);
    QVERIFY2(QDir(root).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).isEmpty(),
             kind);
  }
}

int main(int argc, char** argv) {
  if (IsOtherComputer(argc, argv)) return RunAsOtherComputer(argc, argv);
  QCoreApplication app(argc, argv);
  SharedLockTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "SharedLockTest.moc"
