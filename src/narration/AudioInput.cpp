// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "narration/AudioInput.h"

#include <QIODevice>

#include "media/Media.h"

// Where the input writes its samples: handed on to the device's thread as
// they come, about every 50 ms.
class AudioInput::Capture : public QIODevice {
 public:
  Capture(AudioInput& input, int take) : input_(input), take_(take) {}

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 size) override {
    if (size > 0 && input_.wanted_->load() == take_) emit input_.delivered(take_, QByteArray(data, qsizetype(size)));
    return size;
  }

 private:
  AudioInput& input_;
  const int take_;
};

AudioInput::AudioInput(std::shared_ptr<std::atomic<int>> wanted) : wanted_(std::move(wanted)) {}

AudioInput::~AudioInput() { Close(); }

void AudioInput::Start(int take) {
  Close();
  if (wanted_->load() != take) return;  // given up while it waited its turn
  media::Module* media = media::Get();
  std::unique_ptr<media::Microphone> microphone = media ? media->OpenMicrophone() : nullptr;
  // The input's own format: a format the input refuses would deliver nothing.
  const QAudioFormat format = microphone ? microphone->Format() : QAudioFormat();
  if (!format.isValid()) {
    emit failed(take, Failure::NoMicrophone);
    return;
  }
  take_ = take;
  source_ = std::move(microphone);
  capture_ = std::make_unique<Capture>(*this, take);
  capture_->open(QIODevice::WriteOnly | QIODevice::Unbuffered);
  // May wait as long as the sound server holds the input. Deliveries every
  // 50 ms: prompt enough for the position bar, few wake-ups.
  const bool running = source_->Start(capture_.get(), 50);
  if (wanted_->load() != take) {
    Close();
    return;
  }
  if (!running) {
    Close();
    emit failed(take, Failure::CannotStart);
    return;
  }
  source_->OnFailure([this] { InputStopped(); });
  emit started(take, format);
}

void AudioInput::Stop() { Close(); }

void AudioInput::InputStopped() {
  // The input ended by itself: the server or the device failed. Closed
  // once the source has finished telling so.
  if (!source_) return;
  const int take = take_;
  emit failed(take, Failure::Stopped);
  QMetaObject::invokeMethod(this, [this, take] { if (take_ == take) Close(); }, Qt::QueuedConnection);
}

void AudioInput::Close() {
  // Ending a source may run this thread's waiting events, a Start of the
  // next take among them: what is closed here is taken out first, so that
  // only it goes and never the next take's source or sink.
  std::unique_ptr<media::Microphone> source = std::move(source_);
  std::unique_ptr<Capture> capture = std::move(capture_);
  take_ = 0;
  source.reset();  // disconnected and stopped
  capture.reset();
}
