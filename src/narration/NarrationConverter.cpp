// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "narration/NarrationConverter.h"

#include <samplerate.h>

#include <cstring>
#include <iterator>

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
    int error = 0;
    state_ = src_new(SRC_SINC_FASTEST, 1, &error);
    if (!state_) return;
  }
  valid_ = true;
}

NarrationConverter::NarrationConverter(const NarrationConverter& other) { *this = other; }

NarrationConverter& NarrationConverter::operator=(const NarrationConverter& other) {
  if (this == &other) return *this;
  if (state_) src_delete(state_);
  state_ = nullptr;
  format_ = other.format_;
  out_ = other.out_;
  framesIn_ = other.framesIn_;
  valid_ = other.valid_;
  if (other.state_) {
    int error = 0;
    state_ = src_clone(other.state_, &error);
    if (!state_) valid_ = false;
  }
  return *this;
}

NarrationConverter::~NarrationConverter() {
  if (state_) src_delete(state_);
}

void NarrationConverter::Add(const char* data, qint64 frames) {
  if (!valid_ || frames <= 0) return;
  std::vector<float> mono;
  if (!MixDown(format_, data, frames, mono)) {
    valid_ = false;
    return;
  }
  framesIn_ += frames;
  if (!state_) {
    out_.insert(out_.end(), mono.begin(), mono.end());
    return;
  }
  Run(mono.data(), long(mono.size()), false);
}

void NarrationConverter::Finish() {
  if (valid_ && state_) Run(nullptr, 0, true);
}

void NarrationConverter::Run(const float* in, long frames, bool last) {
  const double ratio = double(kNarrationRate) / format_.sampleRate();
  float chunk[4096];
  for (;;) {
    SRC_DATA data{};
    data.data_in = in;
    data.input_frames = frames;
    data.data_out = chunk;
    data.output_frames = long(std::size(chunk));
    data.src_ratio = ratio;
    data.end_of_input = last ? 1 : 0;
    if (src_process(state_, &data) != 0) {
      valid_ = false;
      return;
    }
    out_.insert(out_.end(), chunk, chunk + data.output_frames_gen);
    in += data.input_frames_used;
    frames -= data.input_frames_used;
    if (data.output_frames_gen == 0 && frames == 0) return;
  }
}
