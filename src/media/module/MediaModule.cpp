// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The media module: everything that needs Qt Multimedia, libsamplerate,
// libsndfile or GStreamer, behind media::Module (media/Media.h). Built as a
// shared module of its own and loaded on first use. Each library is in a
// file of its own (module/Backends.h); this one glues them and carries the
// entry points.

#include <QtGlobal>
#include <algorithm>
#include <cmath>

#include "media/module/Backends.h"

namespace media {

namespace {

class MediaModule : public Module {
 public:
  std::unique_ptr<Microphone> OpenMicrophone() override { return NewQtMicrophone(); }

  std::unique_ptr<Playback> NewPlayback() override { return NewQtPlayback(); }

  std::unique_ptr<Resampler> NewResampler(double ratio) override { return NewSincResampler(ratio); }

  std::optional<QByteArray> EncodeWave(const std::vector<float>& samples, int rate) override {
    return EncodeWaveFile(samples, rate);
  }

  std::optional<WaveInfo> ProbeWave(const QString& hostPath) override { return ProbeWaveFile(hostPath); }

  std::optional<std::vector<int16_t>> ReadWave(const QString& hostPath, int rate, qint64 samples) override {
    int fileRate = 0;
    std::optional<std::vector<float>> mono = ReadMonoWaveFile(hostPath, &fileRate);
    if (!mono) return std::nullopt;
    if (fileRate != rate && !mono->empty()) {
      mono = ConvertRate(*mono, fileRate, rate, size_t(samples) + 64);
      if (!mono) return std::nullopt;
    }
    std::vector<int16_t> out(size_t(samples), 0);
    const size_t n = std::min(out.size(), mono->size());
    for (size_t i = 0; i < n; ++i)
      out[i] = int16_t(std::lround(std::clamp((*mono)[i], -1.0f, 1.0f) * 32767.0f));
    return out;
  }

  bool CanEncode(const VideoFormat& format) override { return GstCanEncode(format); }

  std::unique_ptr<VideoEncoder> StartVideo(const VideoFormat& format) override { return StartGstEncoder(format); }

  SpeechResult EncodeSpeech(const std::vector<int16_t>& samples, int sampleRate,
                            const std::atomic<bool>* stop) override {
    return EncodeSpeechAac(samples, sampleRate, stop);
  }
};

}  // namespace

}  // namespace media

// Asked by the loader before anything else.
extern "C" Q_DECL_EXPORT int pikorama_media_interface_version() { return media::kMediaInterfaceVersion; }

extern "C" Q_DECL_EXPORT media::Module* pikorama_media_module() {
  static media::MediaModule module;
  return &module;
}
