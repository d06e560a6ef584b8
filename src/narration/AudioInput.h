// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The microphone, on a thread of its own: finding the default input,
// starting, stopping and closing it all happen there, so a sound server
// that stalls (a held or vanished input) holds up only this thread, never
// the window's. Each recording is a take with its own number; the device
// on the window's thread names the take it still wants, and a take it has
// given up is closed as soon as this thread is free again, its samples
// never delivered.

#include <QAudioFormat>
#include <QByteArray>
#include <QObject>
#include <atomic>
#include <memory>

namespace media {
class Microphone;
}

class AudioInput : public QObject {
  Q_OBJECT
 public:
  enum class Failure { NoMicrophone, CannotStart, Stopped };
  Q_ENUM(Failure)

  // `wanted` is the take the device still wants; 0 for none.
  explicit AudioInput(std::shared_ptr<std::atomic<int>> wanted);
  ~AudioInput() override;

  // Queued from the device's thread.
  void Start(int take);
  void Stop();

 signals:
  void started(int take, QAudioFormat format);
  void delivered(int take, QByteArray samples);
  void failed(int take, AudioInput::Failure failure);

 private:
  class Capture;
  void Close();
  void InputStopped();

  std::shared_ptr<std::atomic<int>> wanted_;
  std::unique_ptr<media::Microphone> source_;
  std::unique_ptr<Capture> capture_;
  int take_ = 0;
};
