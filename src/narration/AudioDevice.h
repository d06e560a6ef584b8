// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The recording device: one recording at a time from the default input, in
// the input's own format, kept in memory until it is saved.
//
// Nothing here waits for sound. Record() hands the start to the input's own
// thread (AudioInput) and returns at once; the samples arrive on the event
// loop, are converted to the narration format as they come, and are kept.
// What goes wrong with the input is announced as failed(): no microphone,
// an input that cannot start, and an input that stops, fails or delivers
// nothing for about a second while recording (a stalled sound server, an
// unplugged microphone). A failed recording is closed: nothing of it can
// be saved. Errors are values; the recorder chooses the child's words.

#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <memory>
#include <optional>

#include "narration/AudioInput.h"
#include "narration/NarrationFile.h"

class QThread;

enum class AudioError {
  None,
  NotOpen,          // no recording: none made, or closed
  NoMicrophone,     // the sound system offers no input
  CannotRecord,     // the input refused to start
  InputStopped,     // the input stopped, failed or gave nothing while recording
  NothingRecorded,  // the recording holds no sound
  CannotSave,       // the file could not be written; the old one stays
};

class AudioDevice : public QObject {
  Q_OBJECT
 public:
  // How long a recording input may deliver nothing before it is given up.
  static constexpr int kSilenceLimitMs = 1000;

  explicit AudioDevice(QObject* parent = nullptr);
  ~AudioDevice() override;

  // Closes the recording before and starts a new one; with a limit it stops
  // by itself at that length.
  void Record(std::optional<qint64> limitMs = std::nullopt);
  // Stops recording, keeping what was recorded.
  void Stop();
  // Drops the recording.
  void Close();
  // Writes the recording as a narration file, replacing the file whole.
  AudioError Save(const QString& pathText) const;

  // A recording is open from Record() to Close() or a failure.
  bool IsOpen() const { return state_ != State::Closed; }
  // Recording, or waiting for the input to start.
  bool IsRecording() const { return (state_ == State::Starting && !stopWhenStarted_) || state_ == State::Recording; }
  // The length recorded so far; 0 with no recording.
  qint64 PositionMs() const { return recording_.milliseconds(); }
  // What has been recorded since Record(); nothing when no recording is
  // open or its input has not started yet. Cheap: the samples are shared,
  // not copied.
  std::optional<Recording> CurrentRecording() const;

 signals:
  // Samples arrived (at most once per delivery from the input).
  void captured();
  // The recording failed and is closed.
  void failed(AudioError error);

 private:
  void Started(int take, const QAudioFormat& format);
  void Delivered(int take, const QByteArray& samples);
  void InputFailed(int take, AudioInput::Failure failure);
  void GiveUp(AudioError error);
  void StopInput();

  enum class State {
    Closed,
    Starting,  // the input was asked to start and has not answered
    Recording,
    Stopped,  // what was recorded is kept
  };

  std::shared_ptr<std::atomic<int>> wanted_ = std::make_shared<std::atomic<int>>(0);
  QThread* thread_ = nullptr;  // made on the first recording
  AudioInput* input_ = nullptr;  // lives on thread_
  QTimer silence_;
  int take_ = 0;  // the take being recorded or kept; 0 for none
  int lastTake_ = 0;
  State state_ = State::Closed;
  // "■" came while the input was starting: it stops once started, and
  // is still given up if it never answers.
  bool stopWhenStarted_ = false;
  Recording recording_;
  std::optional<qint64> limitMs_;
};
