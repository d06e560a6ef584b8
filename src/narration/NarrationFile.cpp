// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "narration/NarrationFile.h"

#include <samplerate.h>
#include <sndfile.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/Disk.h"

qint64 Recording::frames() const {
  const int frameBytes = format.bytesPerFrame();
  return frameBytes > 0 ? bytes.size() / frameBytes : 0;
}

qint64 Recording::milliseconds() const {
  const int rate = format.sampleRate();
  return rate > 0 ? frames() * 1000 / rate : 0;
}

namespace {

// libsndfile writing into memory.
struct MemoryFile {
  QByteArray bytes;
  sf_count_t at = 0;
};

sf_count_t MemLength(void* user) { return static_cast<MemoryFile*>(user)->bytes.size(); }

sf_count_t MemSeek(sf_count_t offset, int whence, void* user) {
  auto* f = static_cast<MemoryFile*>(user);
  sf_count_t base = whence == SEEK_CUR ? f->at : whence == SEEK_END ? f->bytes.size() : 0;
  f->at = std::max<sf_count_t>(0, base + offset);
  return f->at;
}

sf_count_t MemRead(void* ptr, sf_count_t count, void* user) {
  auto* f = static_cast<MemoryFile*>(user);
  const sf_count_t n = std::clamp<sf_count_t>(f->bytes.size() - f->at, 0, count);
  std::memcpy(ptr, f->bytes.constData() + f->at, size_t(n));
  f->at += n;
  return n;
}

sf_count_t MemWrite(const void* ptr, sf_count_t count, void* user) {
  auto* f = static_cast<MemoryFile*>(user);
  if (f->at + count > f->bytes.size()) f->bytes.resize(qsizetype(f->at + count));
  std::memcpy(f->bytes.data() + f->at, ptr, size_t(count));
  f->at += count;
  return count;
}

sf_count_t MemTell(void* user) { return static_cast<MemoryFile*>(user)->at; }

}  // namespace

std::optional<QByteArray> EncodeNarration(const Recording& recording) {
  NarrationConverter converter = recording.converted.valid() && recording.converted.framesIn() <= recording.frames()
                                     ? recording.converted
                                     : NarrationConverter(recording.format);
  const int frameBytes = recording.format.bytesPerFrame();
  const qint64 done = converter.framesIn();
  converter.Add(recording.bytes.constData() + done * frameBytes, recording.frames() - done);
  converter.Finish();
  if (!converter.valid()) return std::nullopt;
  const std::vector<float>& out = converter.samples();
  std::vector<short> pcm(out.size());
  src_float_to_short_array(out.data(), pcm.data(), int(out.size()));

  MemoryFile file;
  file.bytes.reserve(qsizetype(pcm.size() * 2 + 64));
  SF_VIRTUAL_IO io{MemLength, MemSeek, MemRead, MemWrite, MemTell};
  SF_INFO info{};
  info.samplerate = kNarrationRate;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* sf = sf_open_virtual(&io, SFM_WRITE, &info, &file);
  if (!sf) return std::nullopt;
  const sf_count_t written = sf_writef_short(sf, pcm.data(), sf_count_t(pcm.size()));
  const bool closed = sf_close(sf) == 0;
  if (written != sf_count_t(pcm.size()) || !closed) return std::nullopt;
  return file.bytes;
}

bool WriteNarration(const Recording& recording, const QString& pathText) {
  const auto bytes = EncodeNarration(recording);
  return bytes && disk::WriteBytes(pathText, *bytes);
}
