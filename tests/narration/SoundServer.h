// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A private PulseAudio server for tests that need real sound: a null sink
// "speaker" as the loudspeaker (the default sink; what is played can be
// recorded from "speaker.monitor") and a source "mic" as the microphone
// (the default source) that hears a steady sine tone of a set frequency.
// It runs in its own runtime folder and is stopped by its process id (at
// the latest when the process exits; if the process dies, the server quits
// ten seconds after its last client has gone).
//
// Start it before the QApplication exists: the sound system reads
// PULSE_SERVER and XDG_RUNTIME_DIR, which Start() sets for this process,
// when the first audio object is made. RunWithSoundServer() does it all:
//
//   int main(int argc, char** argv) {
//     MyTest test;
//     return RunWithSoundServer(test, argc, argv);
//   }
//
// and in a test: if (!SoundServer::Running()) QSKIP(SoundServer::Problem());

#include <QByteArray>
#include <QString>
#include <sys/types.h>

class QObject;

class SoundServer {
 public:
  // Starts the server; false (and Problem() says why) when it cannot run.
  static bool Start(int sineFrequency = 440);
  // Once the QApplication exists: waits (up to 8 s) until the sound system
  // offers the microphone and it delivers steadily. False, with the server
  // stopped and Problem() saying why, when it does not.
  static bool WaitForMicrophone();
  // Stops the server and waits until it is gone.
  static void Stop();
  static bool Running();
  static QString Problem();
  // The folder the server lives in (its socket is "native" inside).
  static QString Folder();
};

// Starts the server, makes the QApplication, runs the test object with
// QTest::qExec and stops the server.
int RunWithSoundServer(QObject& test, int argc, char** argv);
