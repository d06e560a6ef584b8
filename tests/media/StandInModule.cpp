// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// A media module that does nothing, built for the interface version
// STAND_IN_VERSION (without it, as modules were before versions). Its entry
// leaves a mark in the environment, so the test sees whether it ran.

#include <QtGlobal>
#include <cstdlib>

#include "media/Media.h"

namespace {

class StandIn : public media::Module {
 public:
  std::unique_ptr<media::Microphone> OpenMicrophone() override { return nullptr; }
  std::unique_ptr<media::Playback> NewPlayback() override { return nullptr; }
  std::unique_ptr<media::Resampler> NewResampler(double) override { return nullptr; }
  std::optional<QByteArray> EncodeWave(const std::vector<float>&, int) override { return std::nullopt; }
  std::optional<media::WaveInfo> ProbeWave(const QString&) override { return std::nullopt; }
  std::optional<std::vector<int16_t>> ReadWave(const QString&, int, qint64) override { return std::nullopt; }
  bool CanEncode(const media::VideoFormat&) override { return false; }
  std::unique_ptr<media::VideoEncoder> StartVideo(const media::VideoFormat&) override { return nullptr; }
  media::SpeechResult EncodeSpeech(const std::vector<int16_t>&, int, const std::atomic<bool>*) override { return {}; }
};

}  // namespace

#ifdef STAND_IN_VERSION
extern "C" Q_DECL_EXPORT int pikorama_media_interface_version() { return STAND_IN_VERSION; }
#endif

extern "C" Q_DECL_EXPORT media::Module* pikorama_media_module() {
  ::setenv("PIKORAMA_STAND_IN_ENTERED", "1", 1);
  static StandIn module;
  return &module;
}
