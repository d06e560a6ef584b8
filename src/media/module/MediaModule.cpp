// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The media module: everything that needs Qt Multimedia, libsamplerate,
// libsndfile or GStreamer, behind media::Module (media/Media.h). Built as a
// shared module of its own and loaded on first use.

// GLib names a struct member "signals"; Qt defines it as a macro.
#pragma push_macro("signals")
#undef signals
#include <gst/app/gstappsink.h>
#include <gst/app/gstappsrc.h>
#include <gst/gst.h>
#pragma pop_macro("signals")

#include <QAudioDevice>
#include <QAudioOutput>
#include <QAudioSource>
#include <QFile>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QString>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <mutex>
#include <utility>

#include <samplerate.h>
#include <sndfile.h>

#include "media/Media.h"

namespace media {

namespace {

// ---- the microphone ----------------------------------------------------

class QtMicrophone : public Microphone {
 public:
  QtMicrophone() : device_(QMediaDevices::defaultAudioInput()) {
    if (!device_.isNull()) format_ = device_.preferredFormat();
  }
  ~QtMicrophone() override {
    if (!source_) return;
    QObject::disconnect(source_.get(), nullptr, nullptr, nullptr);
    source_->stop();
  }

  QAudioFormat Format() const override { return format_; }

  bool Start(QIODevice* sink, int periodMs) override {
    source_ = std::make_unique<QAudioSource>(device_, format_);
    source_->setBufferSize(format_.bytesForDuration(qint64(periodMs) * 1000));
    source_->start(sink);
    return source_->error() == QAudio::NoError && source_->state() != QAudio::StoppedState;
  }

  void OnFailure(std::function<void()> stopped) override {
    if (!source_) return;
    QAudioSource* source = source_.get();
    QObject::connect(source, &QAudioSource::stateChanged, source, [source, stopped](QAudio::State state) {
      if (state == QAudio::StoppedState && source->error() != QAudio::NoError) stopped();
    });
  }

 private:
  QAudioDevice device_;
  QAudioFormat format_;
  std::unique_ptr<QAudioSource> source_;
};

// ---- playback ----------------------------------------------------------

class QtPlayback : public Playback {
 public:
  QtPlayback() { player_.setAudioOutput(&output_); }
  ~QtPlayback() override { player_.stop(); }

  void Open(const QString& hostPath) override {
    player_.setSource(hostPath.isEmpty() ? QUrl() : QUrl::fromLocalFile(hostPath));
  }
  void Play() override { player_.play(); }
  void Stop() override { player_.stop(); }
  bool IsPlaying() const override { return player_.playbackState() == QMediaPlayer::PlayingState; }

 private:
  QAudioOutput output_;
  QMediaPlayer player_;
};

// ---- conversion --------------------------------------------------------

class SincResampler : public Resampler {
 public:
  SincResampler(SRC_STATE* state, double ratio) : state_(state), ratio_(ratio) {}
  ~SincResampler() override { src_delete(state_); }

  std::unique_ptr<Resampler> Clone() const override {
    int error = 0;
    SRC_STATE* copy = src_clone(state_, &error);
    if (!copy) return nullptr;
    return std::make_unique<SincResampler>(copy, ratio_);
  }

  bool Run(const float* in, long frames, bool last, std::vector<float>& out) override {
    float chunk[4096];
    for (;;) {
      SRC_DATA data{};
      data.data_in = in;
      data.input_frames = frames;
      data.data_out = chunk;
      data.output_frames = long(std::size(chunk));
      data.src_ratio = ratio_;
      data.end_of_input = last ? 1 : 0;
      if (src_process(state_, &data) != 0) return false;
      out.insert(out.end(), chunk, chunk + data.output_frames_gen);
      in += data.input_frames_used;
      frames -= data.input_frames_used;
      if (data.output_frames_gen == 0 && frames == 0) return true;
    }
  }

 private:
  SRC_STATE* state_;
  double ratio_;
};

// ---- wave files --------------------------------------------------------

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

// ---- the video encoder ---------------------------------------------------

struct Output {
  QByteArray bytes;
};

GstFlowReturn OnSample(GstAppSink* sink, gpointer data) {
  auto* output = static_cast<Output*>(data);
  GstSample* sample = gst_app_sink_pull_sample(sink);
  if (!sample) return GST_FLOW_EOS;
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  GstMapInfo map;
  if (buffer && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
    output->bytes.append(reinterpret_cast<const char*>(map.data), qsizetype(map.size));
    gst_buffer_unmap(buffer, &map);
  }
  gst_sample_unref(sample);
  return GST_FLOW_OK;
}

void InitGStreamer() {
  static std::once_flag once;
  std::call_once(once, [] { gst_init(nullptr, nullptr); });
}

class GstVideoEncoder : public VideoEncoder {
 public:
  explicit GstVideoEncoder(const VideoFormat& format) : format_(format) {}
  ~GstVideoEncoder() override {
    if (pipeline_) {
      gst_element_set_state(pipeline_, GST_STATE_NULL);
      if (video_) gst_object_unref(video_);
      if (audio_) gst_object_unref(audio_);
      if (bus_) gst_object_unref(bus_);
      gst_object_unref(pipeline_);
    }
  }

  bool Start() {
    GError* error = nullptr;
    pipeline_ = gst_parse_launch(format_.pipeline, &error);
    if (error) {
      g_error_free(error);
      if (pipeline_) gst_object_unref(pipeline_);
      pipeline_ = nullptr;
      return false;
    }
    if (!pipeline_) return false;
    video_ = gst_bin_get_by_name(GST_BIN(pipeline_), "video");
    audio_ = gst_bin_get_by_name(GST_BIN(pipeline_), "audio");
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline_), "out");
    bus_ = gst_element_get_bus(pipeline_);
    if (!video_ || !audio_ || !sink) {
      if (sink) gst_object_unref(sink);
      return false;
    }
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = OnSample;
    gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, &output_, nullptr);
    gst_object_unref(sink);
    return gst_element_set_state(pipeline_, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
  }

  bool Push(const QImage& frame, const int16_t* samples, const std::atomic<bool>* cancel) override {
    while (gst_app_src_get_current_level_bytes(GST_APP_SRC(video_)) >= format_.queuedVideoBytes) {
      if (Failed() || (cancel && cancel->load())) return false;
      g_usleep(2000);
    }
    if (Failed()) return false;

    auto* kept = new QImage(frame);  // shares the pixels until the encoder is done with them
    GstBuffer* picture = gst_buffer_new_wrapped_full(
        GST_MEMORY_FLAG_READONLY, const_cast<uchar*>(kept->constBits()), gsize(kept->sizeInBytes()), 0,
        gsize(kept->sizeInBytes()), kept, [](gpointer image) { delete static_cast<QImage*>(image); });
    const guint64 fps = guint64(format_.framesPerSecond);
    GST_BUFFER_PTS(picture) = gst_util_uint64_scale(guint64(frames_), GST_SECOND, fps);
    GST_BUFFER_DURATION(picture) =
        gst_util_uint64_scale(guint64(frames_ + 1), GST_SECOND, fps) - GST_BUFFER_PTS(picture);
    if (gst_app_src_push_buffer(GST_APP_SRC(video_), picture) != GST_FLOW_OK) return false;

    const gsize bytes = gsize(format_.samplesPerFrame) * sizeof(int16_t);
    GstBuffer* sound = gst_buffer_new_allocate(nullptr, bytes, nullptr);
    if (samples) {
      gst_buffer_fill(sound, 0, samples, bytes);
    } else {
      gst_buffer_memset(sound, 0, 0, bytes);
    }
    const guint64 rate = guint64(format_.sampleRate);
    const guint64 first = guint64(frames_) * guint64(format_.samplesPerFrame);
    GST_BUFFER_PTS(sound) = gst_util_uint64_scale(first, GST_SECOND, rate);
    GST_BUFFER_DURATION(sound) =
        gst_util_uint64_scale(first + guint64(format_.samplesPerFrame), GST_SECOND, rate) - GST_BUFFER_PTS(sound);
    if (gst_app_src_push_buffer(GST_APP_SRC(audio_), sound) != GST_FLOW_OK) return false;
    ++frames_;
    return true;
  }

  std::optional<QByteArray> Finish(const std::atomic<bool>* cancel) override {
    gst_app_src_end_of_stream(GST_APP_SRC(video_));
    gst_app_src_end_of_stream(GST_APP_SRC(audio_));
    for (;;) {
      if (cancel && cancel->load()) return std::nullopt;
      GstMessage* message = gst_bus_timed_pop_filtered(
          bus_, 100 * GST_MSECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
      if (!message) continue;
      const bool ended = GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
      gst_message_unref(message);
      if (!ended) return std::nullopt;
      gst_element_set_state(pipeline_, GST_STATE_NULL);
      return std::move(output_.bytes);
    }
  }

 private:
  bool Failed() {
    if (failed_) return true;
    if (GstMessage* message = gst_bus_pop_filtered(bus_, GST_MESSAGE_ERROR)) {
      gst_message_unref(message);
      failed_ = true;
    }
    return failed_;
  }

  VideoFormat format_;
  GstElement* pipeline_ = nullptr;
  GstElement* video_ = nullptr;
  GstElement* audio_ = nullptr;
  GstBus* bus_ = nullptr;
  Output output_;
  qint64 frames_ = 0;
  bool failed_ = false;
};

// ---- narrations for ePub books (GStreamer) -------------------------------
//
// A narration as AAC in an MP4 file. The encoder puts a lead-in of silence
// (its 1024 priming samples) before the sound and fills its last block; the
// length a reader plays, lead-in and all, is read back from the file's own
// header.

const char* const kSpeechElements[] = {"appsrc", "audioconvert", "avenc_aac", "mp4mux", "appsink"};

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

SpeechResult EncodeSpeechWithGStreamer(const std::vector<int16_t>& samples, int sampleRate,
                                       const std::atomic<bool>* stop) {
  SpeechResult result;
  auto stopped = [&] { return stop && stop->load(); };
  for (const char* name : kSpeechElements) {
    GstElementFactory* factory = gst_element_factory_find(name);
    if (!factory) {
      result.outcome = SpeechResult::Outcome::EncoderMissing;
      return result;
    }
    gst_object_unref(factory);
  }
  const QByteArray description =
      QStringLiteral("appsrc name=speech format=time caps=audio/x-raw,format=S16LE,rate=%1,channels=1,"
                     "layout=interleaved ! audioconvert ! avenc_aac bitrate=64000 "
                     "! mp4mux faststart=true ! appsink name=out sync=false")
          .arg(sampleRate)
          .toUtf8();
  GError* error = nullptr;
  GstElement* pipeline = gst_parse_launch(description.constData(), &error);
  if (error) {
    g_error_free(error);
    if (pipeline) gst_object_unref(pipeline);
    return result;
  }
  if (!pipeline) return result;
  GstElement* source = gst_bin_get_by_name(GST_BIN(pipeline), "speech");
  GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "out");
  GstBus* bus = gst_element_get_bus(pipeline);
  Output output;
  auto finish = [&](SpeechResult::Outcome outcome) {
    gst_element_set_state(pipeline, GST_STATE_NULL);
    if (source) gst_object_unref(source);
    if (sink) gst_object_unref(sink);
    gst_object_unref(bus);
    gst_object_unref(pipeline);
    result.outcome = outcome;
    if (outcome == SpeechResult::Outcome::Encoded) {
      result.bytes = std::move(output.bytes);
      result.seconds = MovieSeconds(result.bytes);
    }
    return result;
  };
  if (!source || !sink) return finish(SpeechResult::Outcome::Failed);
  GstAppSinkCallbacks callbacks{};
  callbacks.new_sample = OnSample;
  gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, &output, nullptr);
  if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
    return finish(SpeechResult::Outcome::Failed);

  // A second of sound at a time, so a stop is seen soon.
  const size_t chunk = size_t(sampleRate);
  for (size_t first = 0; first < samples.size(); first += chunk) {
    if (stopped()) return finish(SpeechResult::Outcome::Stopped);
    const size_t count = std::min(chunk, samples.size() - first);
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, count * sizeof(int16_t), nullptr);
    gst_buffer_fill(buffer, 0, samples.data() + first, count * sizeof(int16_t));
    GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(first, GST_SECOND, guint64(sampleRate));
    GST_BUFFER_DURATION(buffer) =
        gst_util_uint64_scale(first + count, GST_SECOND, guint64(sampleRate)) - GST_BUFFER_PTS(buffer);
    if (gst_app_src_push_buffer(GST_APP_SRC(source), buffer) != GST_FLOW_OK)
      return finish(SpeechResult::Outcome::Failed);
  }
  gst_app_src_end_of_stream(GST_APP_SRC(source));
  for (;;) {
    if (stopped()) return finish(SpeechResult::Outcome::Stopped);
    GstMessage* message =
        gst_bus_timed_pop_filtered(bus, 50 * GST_MSECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    if (!message) continue;
    const bool ended = GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    gst_message_unref(message);
    if (!ended || output.bytes.isEmpty()) return finish(SpeechResult::Outcome::Failed);
    return finish(SpeechResult::Outcome::Encoded);
  }
}

// ---- the module ----------------------------------------------------------

class MediaModule : public Module {
 public:
  std::unique_ptr<Microphone> OpenMicrophone() override { return std::make_unique<QtMicrophone>(); }

  std::unique_ptr<Playback> NewPlayback() override { return std::make_unique<QtPlayback>(); }

  std::unique_ptr<Resampler> NewResampler(double ratio) override {
    int error = 0;
    SRC_STATE* state = src_new(SRC_SINC_FASTEST, 1, &error);
    if (!state) return nullptr;
    return std::make_unique<SincResampler>(state, ratio);
  }

  std::optional<QByteArray> EncodeWave(const std::vector<float>& samples, int rate) override {
    std::vector<short> pcm(samples.size());
    src_float_to_short_array(samples.data(), pcm.data(), int(samples.size()));
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

  std::optional<WaveInfo> ProbeWave(const QString& hostPath) override {
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(hostPath).constData(), SFM_READ, &info);
    if (!file) return std::nullopt;
    sf_close(file);
    return WaveInfo{info.samplerate, info.channels, qint64(info.frames)};
  }

  std::optional<std::vector<int16_t>> ReadWave(const QString& hostPath, int rate, qint64 samples) override {
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
    if (info.samplerate != rate && !mono.empty()) {
      std::vector<float> converted(size_t(samples) + 64);
      SRC_DATA data{};
      data.data_in = mono.data();
      data.input_frames = long(mono.size());
      data.data_out = converted.data();
      data.output_frames = long(converted.size());
      data.src_ratio = double(rate) / info.samplerate;
      if (src_simple(&data, SRC_SINC_MEDIUM_QUALITY, 1) != 0) return std::nullopt;
      converted.resize(size_t(data.output_frames_gen));
      mono.swap(converted);
    }
    std::vector<int16_t> out(size_t(samples), 0);
    const size_t n = std::min(out.size(), mono.size());
    for (size_t i = 0; i < n; ++i)
      out[i] = int16_t(std::lround(std::clamp(mono[i], -1.0f, 1.0f) * 32767.0f));
    return out;
  }

  bool HasElements(const std::vector<const char*>& names) override {
    InitGStreamer();
    for (const char* name : names) {
      GstElementFactory* factory = gst_element_factory_find(name);
      if (!factory) return false;
      gst_object_unref(factory);
    }
    return true;
  }

  std::unique_ptr<VideoEncoder> StartVideo(const VideoFormat& format) override {
    InitGStreamer();
    auto encoder = std::make_unique<GstVideoEncoder>(format);
    if (!encoder->Start()) return nullptr;
    return encoder;
  }

  SpeechResult EncodeSpeech(const std::vector<int16_t>& samples, int sampleRate,
                            const std::atomic<bool>* stop) override {
    InitGStreamer();
    return EncodeSpeechWithGStreamer(samples, sampleRate, stop);
  }
};

}  // namespace

}  // namespace media

extern "C" Q_DECL_EXPORT media::Module* pikorama_media_module() {
  static media::MediaModule module;
  return &module;
}
