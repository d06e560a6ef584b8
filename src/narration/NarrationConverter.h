// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The resampler: turns the input's samples into narration samples (one
// channel at the narration rate) as they arrive, so that saving has little
// left to do. A copy goes on independently of the original.

#include <QAudioFormat>
#include <memory>
#include <vector>

#include "media/Media.h"

// Narration files: PCM 16-bit, mono, 22050 Hz.
constexpr int kNarrationRate = 22050;

class NarrationConverter {
 public:
  NarrationConverter() = default;
  explicit NarrationConverter(const QAudioFormat& input);
  NarrationConverter(const NarrationConverter& other);
  NarrationConverter& operator=(const NarrationConverter& other);
  ~NarrationConverter();

  bool valid() const { return valid_; }
  // Whole frames in the input's format.
  void Add(const char* data, qint64 frames);
  // The samples still held back by the converter's filter; nothing may be
  // added afterwards.
  void Finish();
  qint64 framesIn() const { return framesIn_; }
  const std::vector<float>& samples() const { return out_; }

 private:
  void Run(const float* in, qint64 frames, bool last);

  QAudioFormat format_;
  std::unique_ptr<media::Resampler> resampler_;  // none when the input is at the narration rate
  std::vector<float> out_;
  qint64 framesIn_ = 0;
  bool valid_ = false;
};
