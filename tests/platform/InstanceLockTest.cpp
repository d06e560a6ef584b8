// One running copy per data folder, held by a real second process.

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
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
    const auto held = InstanceLock::Acquire(root);
    const char answer = held && held->held() ? 'y' : 'n';
    (void)!write(ready[1], &answer, 1);
    for (;;) pause();
  }
  char answer = 0;
  QCOMPARE(read(ready[0], &answer, 1), ssize_t(1));
  QCOMPARE(answer, 'y');
  QVERIFY(!InstanceLock::Acquire(root));
  QVERIFY(!InstanceLock::Acquire(QStringLiteral("c:\\a_pikora\\")));
  // Another data root is free.
  QVERIFY(InstanceLock::Acquire(QStringLiteral("D:\\A_PIKORA\\")));

  // Killed, it leaves its lock file behind; the next copy takes it over.
  kill(other, SIGKILL);
  waitpid(other, nullptr, 0);
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
