// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// libsamplerate: the recorder's conversion as the samples come, a whole
// narration's in one go, and samples to 16 bits.

#include <iterator>

#include <samplerate.h>

#include "media/module/Backends.h"

namespace media {

namespace {

class SincResampler : public Resampler {
 public:
  SincResampler(SRC_STATE* state, double ratio) : state_(state), ratio_(ratio) {}
  ~SincResampler() override { src_delete(state_); }

  std::unique_ptr<Resampler> Clone() const override {
    int error = 0;
    SRC_STATE* copy = src_clone(state_, &error);
    if (!copy) return nullptr;
    return std::make_unique<SincResampler>(copy, ratio_);
  }

  bool Run(const float* in, long frames, bool last, std::vector<float>& out) override {
    float chunk[4096];
    for (;;) {
      SRC_DATA data{};
      data.data_in = in;
      data.input_frames = frames;
      data.data_out = chunk;
      data.output_frames = long(std::size(chunk));
      data.src_ratio = ratio_;
      data.end_of_input = last ? 1 : 0;
      if (src_process(state_, &data) != 0) return false;
      out.insert(out.end(), chunk, chunk + data.output_frames_gen);
      in += data.input_frames_used;
      frames -= data.input_frames_used;
      if (data.output_frames_gen == 0 && frames == 0) return true;
    }
  }

 private:
  SRC_STATE* state_;
  double ratio_;
};

}  // namespace

std::unique_ptr<Resampler> NewSincResampler(double ratio) {
  int error = 0;
  SRC_STATE* state = src_new(SRC_SINC_FASTEST, 1, &error);
  if (!state) return nullptr;
  return std::make_unique<SincResampler>(state, ratio);
}

std::optional<std::vector<float>> ConvertRate(const std::vector<float>& mono, int fromRate, int toRate,
                                              size_t room) {
  std::vector<float> converted(room);
  SRC_DATA data{};
  data.data_in = mono.data();
  data.input_frames = long(mono.size());
  data.data_out = converted.data();
  data.output_frames = long(converted.size());
  data.src_ratio = double(toRate) / fromRate;
  if (src_simple(&data, SRC_SINC_MEDIUM_QUALITY, 1) != 0) return std::nullopt;
  converted.resize(size_t(data.output_frames_gen));
  return converted;
}

std::vector<short> ToPcm16(const std::vector<float>& samples) {
  std::vector<short> pcm(samples.size());
  src_float_to_short_array(samples.data(), pcm.data(), int(samples.size()));
  return pcm;
}

}  // namespace media
