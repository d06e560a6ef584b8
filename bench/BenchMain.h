// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What every benchmark program does around its benchmarks: Qt on the
// offscreen platform unless another one is named, drive C in a folder of
// its own, and Google Benchmark's run of the benchmarks asked for.

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QTemporaryDir>
#include <QtGlobal>

namespace bench {

// The offscreen platform, unless QT_QPA_PLATFORM names one.
inline void UseOffscreenPlatform() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Drive C (PIKORAMA_DRIVE_C) in a temporary folder, gone with this.
class TemporaryDriveC {
 public:
  TemporaryDriveC() { qputenv("PIKORAMA_DRIVE_C", folder_.path().toUtf8()); }

 private:
  QTemporaryDir folder_;
};

// Runs the benchmarks the command line names (all of them by default).
inline int RunBenchmarks(int* argc, char** argv) {
  benchmark::Initialize(argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace bench
