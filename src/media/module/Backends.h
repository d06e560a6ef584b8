// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Inside the media module: one file per library behind media::Module, each
// reached only through these procedures. MediaModule.cpp glues them.
//   QtAudio.cpp     Qt Multimedia: the microphone and playback
//   Resampling.cpp  libsamplerate: rate conversion and float to 16-bit
//   WaveFiles.cpp   libsndfile: wave files in memory and on disk
//   GstVideo.cpp    GStreamer: the encoders, from a VideoFormat
//   Speech.cpp      a narration as AAC in MP4, through those encoders

#include "media/Media.h"

namespace media {

// ---- Qt Multimedia ----
std::unique_ptr<Microphone> NewQtMicrophone();
std::unique_ptr<Playback> NewQtPlayback();

// ---- libsamplerate ----
// Nothing when the converter cannot be made.
std::unique_ptr<Resampler> NewSincResampler(double ratio);
// `mono` converted from `fromRate` to `toRate` in one go, at most `room`
// samples of it; nothing on failure.
std::optional<std::vector<float>> ConvertRate(const std::vector<float>& mono, int fromRate, int toRate,
                                              size_t room);
// Samples in -1 .. 1 as 16-bit ones, clipped.
std::vector<short> ToPcm16(const std::vector<float>& samples);

// ---- libsndfile ----
std::optional<QByteArray> EncodeWaveFile(const std::vector<float>& samples, int rate);
std::optional<WaveInfo> ProbeWaveFile(const QString& hostPath);
// Every channel mixed to mono, at the file's own rate (`rate`).
std::optional<std::vector<float>> ReadMonoWaveFile(const QString& hostPath, int* rate);

// ---- GStreamer ----
bool GstCanEncode(const VideoFormat& format);
std::unique_ptr<VideoEncoder> StartGstEncoder(const VideoFormat& format);
// A narration as AAC in an MP4 file, with its length as the file says.
SpeechResult EncodeSpeechAac(const std::vector<int16_t>& samples, int sampleRate, const std::atomic<bool>* stop);

}  // namespace media
