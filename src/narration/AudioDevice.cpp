// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "narration/AudioDevice.h"

#include <QAudioDevice>
#include <QAudioSource>
#include <QMediaDevices>
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

// Frames mixed down to one channel of floats in -1 .. 1; nothing for a
// sample format that cannot be read.
bool MixDown(const QAudioFormat& format, const char* p, qint64 frames, std::vector<float>& mono) {
  const int channels = format.channelCount();
  const int sampleBytes = format.bytesPerSample();
  mono.resize(size_t(frames));
  const float share = 1.0f / float(channels);
  auto mix = [&](auto read) {
    for (qint64 f = 0; f < frames; ++f) {
      float sum = 0;
      for (int c = 0; c < channels; ++c, p += sampleBytes) sum += read(p);
      mono[size_t(f)] = sum * share;
    }
  };
  switch (format.sampleFormat()) {
    case QAudioFormat::UInt8:
      mix([](const char* s) { return (float(uint8_t(*s)) - 128.0f) / 128.0f; });
      return true;
    case QAudioFormat::Int16:
      mix([](const char* s) {
        int16_t v;
        std::memcpy(&v, s, sizeof v);
        return float(v) / 32768.0f;
      });
      return true;
    case QAudioFormat::Int32:
      mix([](const char* s) {
        int32_t v;
        std::memcpy(&v, s, sizeof v);
        return float(double(v) / 2147483648.0);
      });
      return true;
    case QAudioFormat::Float:
      mix([](const char* s) {
        float v;
        std::memcpy(&v, s, sizeof v);
        return v;
      });
      return true;
    default:
      return false;
  }
}

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

NarrationConverter::NarrationConverter(const QAudioFormat& input) : format_(input) {
  if (input.channelCount() <= 0 || input.sampleRate() <= 0 || input.bytesPerSample() <= 0 ||
      input.sampleFormat() == QAudioFormat::Unknown)
    return;
  if (input.sampleRate() != kNarrationRate) {
    int error = 0;
    state_ = src_new(SRC_SINC_FASTEST, 1, &error);
    if (!state_) return;
  }
  valid_ = true;
}

NarrationConverter::NarrationConverter(const NarrationConverter& other) { *this = other; }

NarrationConverter& NarrationConverter::operator=(const NarrationConverter& other) {
  if (this == &other) return *this;
  if (state_) src_delete(state_);
  state_ = nullptr;
  format_ = other.format_;
  out_ = other.out_;
  framesIn_ = other.framesIn_;
  valid_ = other.valid_;
  if (other.state_) {
    int error = 0;
    state_ = src_clone(other.state_, &error);
    if (!state_) valid_ = false;
  }
  return *this;
}

NarrationConverter::~NarrationConverter() {
  if (state_) src_delete(state_);
}

void NarrationConverter::Add(const char* data, qint64 frames) {
  if (!valid_ || frames <= 0) return;
  std::vector<float> mono;
  if (!MixDown(format_, data, frames, mono)) {
    valid_ = false;
    return;
  }
  framesIn_ += frames;
  if (!state_) {
    out_.insert(out_.end(), mono.begin(), mono.end());
    return;
  }
  Run(mono.data(), long(mono.size()), false);
}

void NarrationConverter::Finish() {
  if (valid_ && state_) Run(nullptr, 0, true);
}

void NarrationConverter::Run(const float* in, long frames, bool last) {
  const double ratio = double(kNarrationRate) / format_.sampleRate();
  float chunk[4096];
  for (;;) {
    SRC_DATA data{};
    data.data_in = in;
    data.input_frames = frames;
    data.data_out = chunk;
    data.output_frames = long(std::size(chunk));
    data.src_ratio = ratio;
    data.end_of_input = last ? 1 : 0;
    if (src_process(state_, &data) != 0) {
      valid_ = false;
      return;
    }
    out_.insert(out_.end(), chunk, chunk + data.output_frames_gen);
    in += data.input_frames_used;
    frames -= data.input_frames_used;
    if (data.output_frames_gen == 0 && frames == 0) return;
  }
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

// Where the input writes its samples.
class AudioDevice::Capture : public QIODevice {
 public:
  explicit Capture(AudioDevice& device) : device_(device) {}

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 size) override {
    device_.Append(data, size);
    return size;
  }

 private:
  AudioDevice& device_;
};

AudioDevice::AudioDevice(QObject* parent) : QObject(parent) {}

AudioDevice::~AudioDevice() { Close(); }

int AudioDevice::SendAudioCommand(const QString& command, QString& reply) {
  const auto fail = [&reply](int status, const QString& text) {
    reply = text;
    return status;
  };
  static const QString kSave = QStringLiteral("save wfile ");
  if (command.startsWith(kSave, Qt::CaseInsensitive)) {
    const QString path = command.mid(kSave.size());
    if (!open_) return fail(kNotOpen, audio_error::kNotOpen);
    if (path.isEmpty() || !WriteNarration(recording_, path))
      return fail(kCannotSave, audio_error::kCannotSave);
    reply.clear();
    return kOk;
  }

  const QStringList words = command.simplified().toLower().split(QLatin1Char(' '));
  const auto is = [&words](std::initializer_list<const char*> want) {
    if (words.size() != qsizetype(want.size())) return false;
    qsizetype i = 0;
    for (const char* w : want)
      if (words[i++] != QLatin1String(w)) return false;
    return true;
  };

  if (is({"open", "new", "type", "waveaudio", "alias", "wfile"})) {
    if (open_) return fail(kNotOpen, audio_error::kNotOpen);  // the alias is taken
    return Open(reply);
  }
  if (words.size() >= 2 && words[1] != QLatin1String("wfile"))
    return fail(kUnknownCommand, audio_error::kUnknownCommand);

  if (is({"close", "wfile"})) {
    if (!open_) return fail(kNotOpen, audio_error::kNotOpen);
    Close();
    reply.clear();
    return kOk;
  }
  if (is({"set", "wfile", "time", "format", "ms"}) || is({"set", "wfile", "time", "format", "milliseconds"})) {
    if (!open_) return fail(kNotOpen, audio_error::kNotOpen);
    reply.clear();
    return kOk;
  }
  if (is({"record", "wfile"})) return Record(std::nullopt, reply);
  if (words.size() == 4 && words[0] == QLatin1String("record") && words[2] == QLatin1String("to")) {
    bool ok = false;
    const qint64 until = words[3].toLongLong(&ok);
    if (!ok || until < 0) return fail(kUnknownCommand, audio_error::kUnknownCommand);
    return Record(until, reply);
  }
  if (is({"stop", "wfile"})) {
    if (!open_) return fail(kNotOpen, audio_error::kNotOpen);
    Stop();
    reply.clear();
    return kOk;
  }
  if (is({"status", "wfile", "position"})) {
    if (!open_) return fail(kNotOpen, audio_error::kNotOpen);
    reply = QString::number(PositionMs());
    return kOk;
  }
  if (is({"status", "wfile", "mode"})) {
    if (!open_) return fail(kNotOpen, audio_error::kNotOpen);
    reply = recordingOn_ ? QStringLiteral("recording") : QStringLiteral("stopped");
    return kOk;
  }
  return fail(kUnknownCommand, audio_error::kUnknownCommand);
}

std::optional<Recording> AudioDevice::CurrentRecording() const {
  if (!open_) return std::nullopt;
  return recording_;
}

int AudioDevice::Open(QString& reply) {
  const QAudioDevice input = QMediaDevices::defaultAudioInput();
  if (input.isNull()) {
    reply = audio_error::kNoMicrophone;
    return kNoMicrophone;
  }
  // The input's own format: a format the input refuses would deliver nothing.
  const QAudioFormat format = input.preferredFormat();
  if (!format.isValid()) {
    reply = audio_error::kNoMicrophone;
    return kNoMicrophone;
  }
  source_ = std::make_unique<QAudioSource>(input, format);
  // Deliveries every 50 ms: prompt enough for the position bar, few
  // wake-ups.
  source_->setBufferSize(format.bytesForDuration(50000));
  recording_ = Recording{format, {}, NarrationConverter(format)};
  limitBytes_.reset();
  open_ = true;
  reply.clear();
  return kOk;
}

int AudioDevice::Record(std::optional<qint64> untilMs, QString& reply) {
  if (!open_) {
    reply = audio_error::kNotOpen;
    return kNotOpen;
  }
  const QAudioFormat& format = recording_.format;
  if (untilMs) {
    limitBytes_ = format.bytesForFrames(format.framesForDuration(*untilMs * 1000));
  } else {
    limitBytes_.reset();
  }
  reply.clear();
  if (limitBytes_ && recording_.bytes.size() >= *limitBytes_) return kOk;  // already there
  if (recordingOn_) return kOk;
  if (!capture_) {
    capture_ = std::make_unique<Capture>(*this);
    capture_->open(QIODevice::WriteOnly | QIODevice::Unbuffered);
  }
  source_->start(capture_.get());
  if (source_->error() != QAudio::NoError) {
    source_->stop();
    reply = audio_error::kCannotRecord;
    return kCannotRecord;
  }
  recordingOn_ = true;
  return kOk;
}

void AudioDevice::Append(const char* data, qint64 size) {
  if (!recordingOn_) return;
  if (limitBytes_) {
    const qint64 room = *limitBytes_ - recording_.bytes.size();
    if (room <= size) {
      recording_.bytes.append(data, qsizetype(std::max<qint64>(room, 0)));
      Convert();
      // At the limit: stop once the input has finished this delivery.
      recordingOn_ = false;
      QMetaObject::invokeMethod(this, [this] { if (!recordingOn_ && source_) source_->stop(); },
                                Qt::QueuedConnection);
      emit captured();
      return;
    }
  }
  recording_.bytes.append(data, qsizetype(size));
  Convert();
  emit captured();
}

void AudioDevice::Convert() {
  NarrationConverter& c = recording_.converted;
  const qint64 done = c.framesIn();
  c.Add(recording_.bytes.constData() + done * recording_.format.bytesPerFrame(), recording_.frames() - done);
}

void AudioDevice::Stop() {
  if (!source_) return;
  recordingOn_ = false;
  source_->stop();
}

void AudioDevice::Close() {
  Stop();
  source_.reset();
  capture_.reset();
  recording_ = Recording{};
  limitBytes_.reset();
  open_ = false;
}

qint64 AudioDevice::PositionMs() const { return recording_.milliseconds(); }
