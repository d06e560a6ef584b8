// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "narration/AudioDevice.h"

#include <QThread>

#include <algorithm>

AudioDevice::AudioDevice(QObject* parent) : QObject(parent) {
  silence_.setSingleShot(true);
  silence_.setInterval(kSilenceLimitMs);
  connect(&silence_, &QTimer::timeout, this, [this] {
    if (state_ == State::Starting || state_ == State::Recording) GiveUp(AudioError::InputStopped);
  });
}

AudioDevice::~AudioDevice() {
  wanted_->store(0);
  if (!thread_) return;
  thread_->quit();
  // A sound server that holds the input holds its thread: the window does
  // not wait for it, and the thread is left to end with the process.
  if (thread_->wait(kSilenceLimitMs)) delete thread_;
}

void AudioDevice::Record(std::optional<qint64> limitMs) {
  Close();
  if (!thread_) {
    thread_ = new QThread;
    thread_->setObjectName(QStringLiteral("microphone"));
    input_ = new AudioInput(wanted_);
    input_->moveToThread(thread_);
    connect(thread_, &QThread::finished, input_, &QObject::deleteLater);
    connect(input_, &AudioInput::started, this, &AudioDevice::Started);
    connect(input_, &AudioInput::delivered, this, &AudioDevice::Delivered);
    connect(input_, &AudioInput::failed, this, &AudioDevice::InputFailed);
    thread_->start();
  }
  take_ = ++lastTake_;
  state_ = State::Starting;
  stopWhenStarted_ = false;
  limitMs_ = limitMs;
  wanted_->store(take_);
  QMetaObject::invokeMethod(input_, [input = input_, take = take_] { input->Start(take); }, Qt::QueuedConnection);
  // Counts from here: an input that does not even start is given up too.
  silence_.start();
}

void AudioDevice::Started(int take, const QAudioFormat& format) {
  if (take != take_ || state_ != State::Starting) return;
  recording_ = Recording{format, {}, NarrationConverter(format)};
  state_ = State::Recording;
  if (stopWhenStarted_) Stop();
}

void AudioDevice::Delivered(int take, const QByteArray& samples) {
  if (take != take_ || state_ != State::Recording) return;
  silence_.start();
  const QAudioFormat& format = recording_.format;
  qsizetype size = samples.size();
  bool atLimit = false;
  if (limitMs_) {
    const qint64 limitBytes = *limitMs_ * format.sampleRate() / 1000 * format.bytesPerFrame();
    const qint64 room = std::max<qint64>(limitBytes - recording_.bytes.size(), 0);
    atLimit = room <= size;
    size = qsizetype(std::min<qint64>(room, size));
  }
  recording_.bytes.append(samples.constData(), size);
  NarrationConverter& c = recording_.converted;
  const qint64 done = c.framesIn();
  c.Add(recording_.bytes.constData() + done * format.bytesPerFrame(), recording_.frames() - done);
  if (atLimit) Stop();
  emit captured();
}

void AudioDevice::InputFailed(int take, AudioInput::Failure failure) {
  // A take that was stopped keeps what it has.
  if (take != take_ || !(state_ == State::Starting || state_ == State::Recording)) return;
  switch (failure) {
    case AudioInput::Failure::NoMicrophone:
      GiveUp(AudioError::NoMicrophone);
      return;
    case AudioInput::Failure::CannotStart:
      GiveUp(AudioError::CannotRecord);
      return;
    case AudioInput::Failure::Stopped:
      GiveUp(AudioError::InputStopped);
      return;
  }
}

void AudioDevice::GiveUp(AudioError error) {
  Close();
  emit failed(error);
}

void AudioDevice::StopInput() {
  silence_.stop();
  if (input_) QMetaObject::invokeMethod(input_, [input = input_] { input->Stop(); }, Qt::QueuedConnection);
}

void AudioDevice::Stop() {
  if (state_ == State::Starting) {
    stopWhenStarted_ = true;
  } else if (state_ == State::Recording) {
    state_ = State::Stopped;
    StopInput();
  }
}

void AudioDevice::Close() {
  if (state_ == State::Closed) return;
  // A start still waiting for the server is dropped once it returns.
  wanted_->store(0);
  if (state_ != State::Stopped) StopInput();
  state_ = State::Closed;
  take_ = 0;
  recording_ = Recording{};
  limitMs_.reset();
}

AudioError AudioDevice::Save(const QString& pathText) const {
  if (state_ == State::Closed || state_ == State::Starting) return AudioError::NotOpen;
  if (recording_.frames() == 0) return AudioError::NothingRecorded;
  if (pathText.isEmpty() || !WriteNarration(recording_, pathText)) return AudioError::CannotSave;
  return AudioError::None;
}

std::optional<Recording> AudioDevice::CurrentRecording() const {
  if (state_ == State::Closed || state_ == State::Starting) return std::nullopt;
  return recording_;
}
