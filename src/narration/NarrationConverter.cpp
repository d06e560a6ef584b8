// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "narration/NarrationConverter.h"

#include <cstring>

#include "media/Media.h"

namespace {

// Frames mixed down to one channel of floats in -1 .. 1; nothing for a
// sample format that cannot be read.
bool MixDown(const QAudioFormat& format, const char* p, qint64 frames, std::vector<float>& mono) {
  const int channels = format.channelCount();
  const int sampleBytes = format.bytesPerSample();
  mono.resize(size_t(frames));
  const float share = 1.0f / float(channels);
  auto mix = [&](auto read) {
    for (qint64 f = 0; f < frames; ++f) {
      float sum = 0;
      for (int c = 0; c < channels; ++c, p += sampleBytes) sum += read(p);
      mono[size_t(f)] = sum * share;
    }
  };
  switch (format.sampleFormat()) {
    case QAudioFormat::UInt8:
      mix([](const char* s) { return (float(uint8_t(*s)) - 128.0f) / 128.0f; });
      return true;
    case QAudioFormat::Int16:
      mix([](const char* s) {
        int16_t v;
        std::memcpy(&v, s, sizeof v);
        return float(v) / 32768.0f;
      });
      return true;
    case QAudioFormat::Int32:
      mix([](const char* s) {
        int32_t v;
        std::memcpy(&v, s, sizeof v);
        return float(double(v) / 2147483648.0);
      });
      return true;
    case QAudioFormat::Float:
      mix([](const char* s) {
        float v;
        std::memcpy(&v, s, sizeof v);
        return v;
      });
      return true;
    default:
      return false;
  }
}

}  // namespace

NarrationConverter::NarrationConverter(const QAudioFormat& input) : format_(input) {
  if (input.channelCount() <= 0 || input.sampleRate() <= 0 || input.bytesPerSample() <= 0 ||
      input.sampleFormat() == QAudioFormat::Unknown)
    return;
  if (input.sampleRate() != kNarrationRate) {
    media::Module* media = media::Get();
    if (media) resampler_ = media->NewResampler(double(kNarrationRate) / input.sampleRate());
    if (!resampler_) return;
  }
  valid_ = true;
}

NarrationConverter::NarrationConverter(const NarrationConverter& other) { *this = other; }

NarrationConverter& NarrationConverter::operator=(const NarrationConverter& other) {
  if (this == &other) return *this;
  format_ = other.format_;
  out_ = other.out_;
  framesIn_ = other.framesIn_;
  valid_ = other.valid_;
  resampler_ = other.resampler_ ? other.resampler_->Clone() : nullptr;
  if (other.resampler_ && !resampler_) valid_ = false;
  return *this;
}

NarrationConverter::~NarrationConverter() = default;

void NarrationConverter::Add(const char* data, qint64 frames) {
  if (!valid_ || frames <= 0) return;
  std::vector<float> mono;
  if (!MixDown(format_, data, frames, mono)) {
    valid_ = false;
    return;
  }
  framesIn_ += frames;
  if (!resampler_) {
    out_.insert(out_.end(), mono.begin(), mono.end());
    return;
  }
  Run(mono.data(), qint64(mono.size()), false);
}

void NarrationConverter::Finish() {
  if (valid_ && resampler_) Run(nullptr, 0, true);
}

void NarrationConverter::Run(const float* in, qint64 frames, bool last) {
  if (!resampler_->Run(in, frames, last, out_)) valid_ = false;
}
