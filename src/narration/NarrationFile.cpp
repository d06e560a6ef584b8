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

bool WriteNarration(const Recording& recording, const QString& pathText) {
  const auto bytes = EncodeNarration(recording);
  return bytes && disk::WriteBytes(pathText, *bytes);
}
