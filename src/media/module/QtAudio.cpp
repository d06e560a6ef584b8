// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// Qt Multimedia: the default microphone and narration playback.

#include <QAudioDevice>
#include <QAudioOutput>
#include <QAudioSource>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

#include "media/module/Backends.h"

namespace media {

namespace {

class QtMicrophone : public Microphone {
 public:
  QtMicrophone() : device_(QMediaDevices::defaultAudioInput()) {
    if (!device_.isNull()) format_ = device_.preferredFormat();
  }
  ~QtMicrophone() override {
    if (!source_) return;
    QObject::disconnect(source_.get(), nullptr, nullptr, nullptr);
    source_->stop();
  }

  QAudioFormat Format() const override { return format_; }

  bool Start(QIODevice* sink, int periodMs) override {
    source_ = std::make_unique<QAudioSource>(device_, format_);
    source_->setBufferSize(format_.bytesForDuration(qint64(periodMs) * 1000));
    source_->start(sink);
    return source_->error() == QAudio::NoError && source_->state() != QAudio::StoppedState;
  }

  void OnFailure(std::function<void()> stopped) override {
    if (!source_) return;
    QAudioSource* source = source_.get();
    QObject::connect(source, &QAudioSource::stateChanged, source, [source, stopped](QAudio::State state) {
      if (state == QAudio::StoppedState && source->error() != QAudio::NoError) stopped();
    });
  }

 private:
  QAudioDevice device_;
  QAudioFormat format_;
  std::unique_ptr<QAudioSource> source_;
};

class QtPlayback : public Playback {
 public:
  QtPlayback() { player_.setAudioOutput(&output_); }
  ~QtPlayback() override { player_.stop(); }

  void Open(const QString& hostPath) override {
    player_.setSource(hostPath.isEmpty() ? QUrl() : QUrl::fromLocalFile(hostPath));
  }
  void Play() override { player_.play(); }
  void Stop() override { player_.stop(); }
  bool IsPlaying() const override { return player_.playbackState() == QMediaPlayer::PlayingState; }

 private:
  QAudioOutput output_;
  QMediaPlayer player_;
};

}  // namespace

std::unique_ptr<Microphone> NewQtMicrophone() { return std::make_unique<QtMicrophone>(); }

std::unique_ptr<Playback> NewQtPlayback() { return std::make_unique<QtPlayback>(); }

}  // namespace media
