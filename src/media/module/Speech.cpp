// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// A narration as AAC in an MP4 file, for the ePub book: the sound-only use
// of the GStreamer encoder (GstVideo.cpp). The encoder puts a lead-in of
// silence (its 1024 priming samples) before the sound and fills its last
// block; the length a reader plays, lead-in and all, is read back from the
// file's own header.

#include <QImage>
#include <algorithm>
#include <cstring>
#include <utility>

#include "media/module/Backends.h"

namespace media {

namespace {

// The movie header's length in seconds ("mvhd" inside "moov"), 0 when the
// file has none.
double MovieSeconds(const QByteArray& file) {
  auto u32 = [&](qint64 at) {
    const auto* p = reinterpret_cast<const uchar*>(file.constData() + at);
    return (quint64(p[0]) << 24) | (quint64(p[1]) << 16) | (quint64(p[2]) << 8) | quint64(p[3]);
  };
  auto find = [&](qint64 from, qint64 end, const char* type) -> std::pair<qint64, qint64> {
    for (qint64 at = from; at + 8 <= end;) {
      const qint64 size = qint64(u32(at));
      if (size < 8 || at + size > end) return {-1, -1};
      if (std::memcmp(file.constData() + at + 4, type, 4) == 0) return {at + 8, at + size};
      at += size;
    }
    return {-1, -1};
  };
  const auto [moov, moovEnd] = find(0, file.size(), "moov");
  if (moov < 0) return 0;
  const auto [mvhd, mvhdEnd] = find(moov, moovEnd, "mvhd");
  if (mvhd < 0 || mvhdEnd - mvhd < 32) return 0;
  const bool wide = file.at(mvhd) == 1;
  const quint64 scale = u32(mvhd + (wide ? 20 : 12));
  const quint64 duration = wide ? (u32(mvhd + 24) << 32) | u32(mvhd + 28) : u32(mvhd + 16);
  return scale ? double(duration) / double(scale) : 0;
}

}  // namespace

SpeechResult EncodeSpeechAac(const std::vector<int16_t>& samples, int sampleRate, const std::atomic<bool>* stop) {
  SpeechResult result;
  const auto stopped = [&] { return stop && stop->load(); };
  // Pushed a hundredth of a second at a time: a stop is seen soon, and the
  // last push, filled up with silence, lengthens the sound by less than
  // that.
  VideoFormat format;
  format.video = VideoCodec::None;
  format.audio = AudioCodec::Aac;
  format.container = Container::Mp4;
  format.indexAtFront = true;
  format.sampleRate = sampleRate;
  format.framesPerSecond = 100;
  format.samplesPerFrame = std::max(1, sampleRate / format.framesPerSecond);
  if (!GstCanEncode(format)) {
    result.outcome = SpeechResult::Outcome::EncoderMissing;
    return result;
  }
  std::unique_ptr<VideoEncoder> encoder = StartGstEncoder(format);
  if (!encoder) return result;

  const size_t step = size_t(format.samplesPerFrame);
  std::vector<int16_t> tail(step, 0);
  for (size_t first = 0; first < samples.size(); first += step) {
    if (stopped()) {
      result.outcome = SpeechResult::Outcome::Stopped;
      return result;
    }
    const int16_t* chunk = samples.data() + first;
    if (samples.size() - first < step) {
      std::copy(samples.begin() + qsizetype(first), samples.end(), tail.begin());
      chunk = tail.data();
    }
    if (!encoder->Push(QImage(), chunk, stop)) return result;
  }
  std::optional<QByteArray> bytes = encoder->Finish(stop);
  if (stopped()) {
    result.outcome = SpeechResult::Outcome::Stopped;
    return result;
  }
  if (!bytes || bytes->isEmpty()) return result;
  result.bytes = std::move(*bytes);
  result.seconds = MovieSeconds(result.bytes);
  result.outcome = SpeechResult::Outcome::Encoded;
  return result;
}

}  // namespace media
