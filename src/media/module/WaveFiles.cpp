// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// libsndfile: a narration's wave file made in memory, and wave files read
// from the disk.

#include <QFile>
#include <algorithm>
#include <cstring>

#include <sndfile.h>

#include "media/module/Backends.h"

namespace media {

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

std::optional<QByteArray> EncodeWaveFile(const std::vector<float>& samples, int rate) {
  std::vector<short> pcm = ToPcm16(samples);
  MemoryFile file;
  file.bytes.reserve(qsizetype(pcm.size() * 2 + 64));
  SF_VIRTUAL_IO io{MemLength, MemSeek, MemRead, MemWrite, MemTell};
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* sf = sf_open_virtual(&io, SFM_WRITE, &info, &file);
  if (!sf) return std::nullopt;
  const sf_count_t written = sf_writef_short(sf, pcm.data(), sf_count_t(pcm.size()));
  const bool closed = sf_close(sf) == 0;
  if (written != sf_count_t(pcm.size()) || !closed) return std::nullopt;
  return file.bytes;
}

std::optional<WaveInfo> ProbeWaveFile(const QString& hostPath) {
  SF_INFO info{};
  SNDFILE* file = sf_open(QFile::encodeName(hostPath).constData(), SFM_READ, &info);
  if (!file) return std::nullopt;
  sf_close(file);
  return WaveInfo{info.samplerate, info.channels, qint64(info.frames)};
}

std::optional<std::vector<float>> ReadMonoWaveFile(const QString& hostPath, int* rate) {
  SF_INFO info{};
  SNDFILE* file = sf_open(QFile::encodeName(hostPath).constData(), SFM_READ, &info);
  if (!file) return std::nullopt;
  std::vector<float> interleaved(size_t(info.frames) * size_t(info.channels));
  const sf_count_t read = sf_readf_float(file, interleaved.data(), info.frames);
  sf_close(file);
  if (read < 0 || info.channels <= 0 || info.samplerate <= 0) return std::nullopt;
  std::vector<float> mono(static_cast<size_t>(read));
  for (sf_count_t i = 0; i < read; ++i) {
    float sum = 0;
    for (int c = 0; c < info.channels; ++c) sum += interleaved[size_t(i) * size_t(info.channels) + size_t(c)];
    mono[size_t(i)] = sum / float(info.channels);
  }
  *rate = info.samplerate;
  return mono;
}

}  // namespace media
