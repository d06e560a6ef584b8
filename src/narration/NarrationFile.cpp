// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "narration/NarrationFile.h"

#include <vector>

#include "media/Media.h"
#include "platform/Disk.h"

qint64 Recording::frames() const {
  const int frameBytes = format.bytesPerFrame();
  return frameBytes > 0 ? bytes.size() / frameBytes : 0;
}

qint64 Recording::milliseconds() const {
  const int rate = format.sampleRate();
  return rate > 0 ? frames() * 1000 / rate : 0;
}

std::optional<QByteArray> EncodeNarration(const Recording& recording) {
  NarrationConverter converter = recording.converted.valid() && recording.converted.framesIn() <= recording.frames()
                                     ? recording.converted
                                     : NarrationConverter(recording.format);
  const int frameBytes = recording.format.bytesPerFrame();
  const qint64 done = converter.framesIn();
  converter.Add(recording.bytes.constData() + done * frameBytes, recording.frames() - done);
  converter.Finish();
  if (!converter.valid()) return std::nullopt;
  media::Module* media = media::Get();
  if (!media) return std::nullopt;
  return media->EncodeWave(converter.samples(), kNarrationRate);
}

std::optional<Recording> DecodeNarration(const QByteArray& bytes) {
  if (!bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE") return std::nullopt;
  const auto word = [&bytes](qsizetype at, int size) {
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | quint8(bytes[at + i]);
    return value;
  };
  bool pcm = false;
  // Chunks after the header: "fmt " says what the samples are, "data" holds them.
  for (qsizetype at = 12; at + 8 <= bytes.size();) {
    const QByteArray id = bytes.mid(at, 4);
    const qsizetype size = word(at + 4, 4);
    const qsizetype body = at + 8;
    if (id == "fmt " && size >= 16 && body + 16 <= bytes.size())
      pcm = word(body, 2) == 1 && word(body + 2, 2) == 1 && word(body + 4, 4) == quint32(kNarrationRate) &&
            word(body + 14, 2) == 16;
    if (id == "data") {
      if (!pcm) return std::nullopt;
      Recording recording;
      recording.format.setSampleRate(kNarrationRate);
      recording.format.setChannelCount(1);
      recording.format.setSampleFormat(QAudioFormat::Int16);
      recording.bytes = bytes.mid(body, std::min(size, bytes.size() - body) & ~qsizetype(1));
      return recording;
    }
    at = body + size + (size & 1);
  }
  return std::nullopt;
}

bool WriteNarration(const Recording& recording, const QString& pathText) {
  const auto bytes = EncodeNarration(recording);
  return bytes && disk::WriteBytes(pathText, *bytes);
}
