// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// One running copy per data folder, held by a real second process.

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <optional>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/InstanceLock.h"
#include "support/TestSupport.h"

class InstanceLockTest : public QObject {
  Q_OBJECT
 private slots:
  void oneCopyPerDataFolder();
};

void InstanceLockTest::oneCopyPerDataFolder() {
  TempDrives drives(QStringLiteral("CD"));
  QTemporaryDir runtime;
  qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
  QVERIFY(QDir().mkdir(drives.c(QStringLiteral("A_PIKORA"))));
  const QString root = QStringLiteral("C:\\A_PIKORA\\");

  // The lock lives in the runtime folder, the same for every spelling of the
  // root and another for another drive's root.
  const QString lockFile = InstanceLock::LockFilePath(root);
  QCOMPARE(QFileInfo(lockFile).path(), runtime.path());
  QCOMPARE(InstanceLock::LockFilePath(QStringLiteral("c:\\a_pikora")), lockFile);
  QVERIFY(InstanceLock::LockFilePath(QStringLiteral("D:\\A_PIKORA\\")) != lockFile);

  // Another process takes the lock and keeps running.
  int ready[2];
  QCOMPARE(pipe(ready), 0);
  const pid_t other = fork();
  QVERIFY(other >= 0);
  if (other == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const auto held = InstanceLock::Acquire(root);
    const char answer = held && held->held() ? 'y' : 'n';
    (void)!write(ready[1], &answer, 1);
    for (;;) pause();
  }
  // The other copy ends with this test, passed or failed.
  struct Reaper {
    explicit Reaper(pid_t p) : pid(p) {}
    pid_t pid;
    ~Reaper() {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  };
  std::optional<Reaper> reaper;
  reaper.emplace(other);
  char answer = 0;
  QCOMPARE(read(ready[0], &answer, 1), ssize_t(1));
  QCOMPARE(answer, 'y');
  QVERIFY(!InstanceLock::Acquire(root));
  QVERIFY(!InstanceLock::Acquire(QStringLiteral("c:\\a_pikora\\")));
  // Another data root is free.
  QVERIFY(InstanceLock::Acquire(QStringLiteral("D:\\A_PIKORA\\")));

  // Killed, it leaves its lock file behind; the next copy takes it over.
  reaper.reset();
  QVERIFY(QFileInfo::exists(lockFile));
  {
    const auto mine = InstanceLock::Acquire(root);
    QVERIFY(mine && mine->held());
    QVERIFY(QDir(drives.c(QStringLiteral("A_PIKORA"))).isEmpty());  // nothing among the data
  }
  // Released at the end of the program.
  QVERIFY(!QFileInfo::exists(lockFile));
  close(ready[0]);
  close(ready[1]);
}

QTEST_GUILESS_MAIN(InstanceLockTest)
#include "InstanceLockTest.moc"
