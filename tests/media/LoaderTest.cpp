// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The media module's loader: only a module of this interface version is
// taken, and another is let go before its module is asked for.

#include <QTest>
#include <cstdlib>

#include "media/Media.h"

class LoaderTest : public QObject {
  Q_OBJECT

 private slots:
  // Modules of another version, an older one without a version, and no file
  // at all are refused alike, with a reason for the log, and nothing of a
  // refused module runs but its version. One of this version is taken, and
  // so is the program's own.
  void takesOnlyAModuleOfThisVersion() {
    struct Case {
      const char* path;
      const char* inReason;
    };
    const Case refused[] = {{NEWER_MODULE, "interface version"},
                            {UNVERSIONED_MODULE, "no interface version"},
                            {"/nonexistent/libpikorama-media.so", "libpikorama-media.so"}};
    for (const Case& c : refused) {
      ::unsetenv("PIKORAMA_STAND_IN_ENTERED");
      const media::LoadedModule loaded = media::LoadModule(c.path);
      QVERIFY2(!loaded.module, c.path);
      QVERIFY2(loaded.problem.contains(QLatin1String(c.inReason)), qPrintable(loaded.problem));
      QVERIFY2(!qEnvironmentVariableIsSet("PIKORAMA_STAND_IN_ENTERED"), c.path);
    }

    const media::LoadedModule current = media::LoadModule(CURRENT_MODULE);
    QVERIFY2(current.module, qPrintable(current.problem));
    QVERIFY(qEnvironmentVariableIsSet("PIKORAMA_STAND_IN_ENTERED"));

    const media::LoadedModule program = media::LoadModule(PROGRAM_MODULE);
    QVERIFY2(program.module, qPrintable(program.problem));
    QVERIFY(program.module != current.module);
  }
};

QTEST_GUILESS_MAIN(LoaderTest)
#include "LoaderTest.moc"
