// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// GLib names a struct member "signals"; Qt defines it as a macro.
#pragma push_macro("signals")
#undef signals
#include <gst/app/gstappsink.h>
#include <gst/app/gstappsrc.h>
#include <gst/gst.h>
#pragma pop_macro("signals")

#include "export/StoryVideo.h"

#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include <samplerate.h>
#include <sndfile.h>

#include "deck/CardList.h"
#include "platform/Disk.h"
#include "platform/HostFiles.h"
#include "platform/Imaging.h"
#include "player/CardPresenter.h"
#include "player/StoryPlayer.h"

namespace video {

namespace {

// The wipe of the card buffer the player shows a card from (800 x 600).
int WipeStepCount() {
  return int(presentation::WipeSteps(float(imaging::kCardSize.width()) - 1.0f,
                                     float(imaging::kCardSize.height()), true)
                 .size());
}

}  // namespace

int WipeFrames() {
  // Frame j shows the wipe's first 2j + 1 steps (step k is due at k / 60 s):
  // the frames before the one with every step done, which shows the card
  // whole.
  return WipeStepCount() / 2;
}

int HoldFrames(qint64 narrationSamples, bool last) {
  if (narrationSamples <= 0) return kSilentCardFrames;
  const int spoken = int((narrationSamples + kSamplesPerFrame - 1) / kSamplesPerFrame);
  return spoken + (last ? kAfterLastNarrationFrames : kAfterNarrationFrames);
}

}  // namespace video

using namespace video;

namespace {

// ---- narrations -------------------------------------------------------

constexpr double kLongestNarrationSeconds = 600;

struct NarrationFile {
  std::optional<QString> hostPath;  // set when the card has a narration file
  qint64 samples = 0;               // its length at kSampleRate; 0: silent
  bool unreadable = false;
};

NarrationFile ProbeNarration(const QString& pathText) {
  NarrationFile narration;
  if (!disk::FileExists(pathText)) return narration;
  narration.hostPath = disk::HostPath(pathText);
  SF_INFO info{};
  SNDFILE* file = narration.hostPath ? sf_open(QFile::encodeName(*narration.hostPath).constData(), SFM_READ, &info)
                                     : nullptr;
  if (!file || info.samplerate <= 0 || info.channels <= 0) {
    if (file) sf_close(file);
    narration.unreadable = true;
    return narration;
  }
  sf_close(file);
  // A header claiming more than any recording holds is a broken file, not
  // hours of sound to make room for.
  if (double(info.frames) / info.samplerate > kLongestNarrationSeconds) {
    narration.unreadable = true;
    return narration;
  }
  narration.samples = qint64(std::ceil(double(info.frames) * kSampleRate / info.samplerate));
  return narration;
}

// The narration as mono samples at kSampleRate, exactly `samples` long
// (cut or padded with silence); nothing when it cannot be read.
std::optional<std::vector<int16_t>> ReadNarration(const QString& hostPath, qint64 samples) {
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
  if (info.samplerate != kSampleRate && !mono.empty()) {
    std::vector<float> converted(size_t(samples) + 64);
    SRC_DATA data{};
    data.data_in = mono.data();
    data.input_frames = long(mono.size());
    data.data_out = converted.data();
    data.output_frames = long(converted.size());
    data.src_ratio = double(kSampleRate) / info.samplerate;
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

// ---- pictures ---------------------------------------------------------

// The card picture buffer the player would be given: the card's picture,
// or blank paper when it is missing or unreadable.
QImage CardBuffer(const QString& pictureFile, bool* missing) {
  QImage card(imaging::kCardSize, QImage::Format_RGB32);
  card.fill(Qt::white);
  const std::optional<QImage> picture = imaging::ReadCardPicture(pictureFile);
  *missing = !picture || picture->isNull();
  if (*missing) return card;
  if (picture->size() == imaging::kCardSize) return picture->convertToFormat(QImage::Format_RGB32);
  QPainter painter(&card);
  painter.drawImage(0, 0, *picture);
  return card;
}

// A video frame from the player's panel: its pixels from the top left, the
// columns and rows it lacks repeating its last ones.
QImage Frame(const QImage& panel) {
  QImage frame(kWidth, kHeight, QImage::Format_RGB32);
  if (panel.isNull() || panel.width() <= 0 || panel.height() <= 0) {
    frame.fill(StoryPlayer::kPanelColour);
    return frame;
  }
  const QImage source = panel.convertToFormat(QImage::Format_RGB32);
  const int w = std::min(kWidth, source.width());
  for (int y = 0; y < kHeight; ++y) {
    const auto* from = reinterpret_cast<const QRgb*>(source.constScanLine(std::min(y, source.height() - 1)));
    auto* to = reinterpret_cast<QRgb*>(frame.scanLine(y));
    std::memcpy(to, from, size_t(w) * sizeof(QRgb));
    std::fill(to + w, to + kWidth, from[w - 1]);
  }
  return frame;
}

// ---- the encoder ------------------------------------------------------

constexpr const char* kElements[] = {"appsrc", "videoconvert", "x264enc", "audioconvert",
                                     "avenc_aac", "mp4mux", "queue", "appsink"};

constexpr char kPipeline[] =
    "appsrc name=video format=time caps=video/x-raw,format=BGRx,width=800,height=600,framerate=30/1 "
    "! videoconvert ! video/x-raw,format=I420 "
    "! x264enc speed-preset=veryfast pass=qual quantizer=20 key-int-max=60 rc-lookahead=10 "
    "! video/x-h264,profile=main ! queue ! mux. "
    "appsrc name=audio format=time caps=audio/x-raw,format=S16LE,rate=22050,channels=1,layout=interleaved "
    "! audioconvert ! avenc_aac bitrate=64000 ! queue ! mux. "
    "mp4mux name=mux faststart=true ! appsink name=out sync=false";

// Frames waiting for the encoder at most: the worker waits beyond that, so
// memory stays bounded however long the story.
constexpr guint64 kQueuedVideoBytes = 4ull * kWidth * kHeight * 4;

void InitGStreamer() {
  static std::once_flag once;
  std::call_once(once, [] { gst_init(nullptr, nullptr); });
}

bool ElementsInstalled() {
  for (const char* name : kElements) {
    GstElementFactory* factory = gst_element_factory_find(name);
    if (!factory) return false;
    gst_object_unref(factory);
  }
  return true;
}

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

class Encoder {
 public:
  ~Encoder() {
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
    pipeline_ = gst_parse_launch(kPipeline, &error);
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

  // One frame of picture and its sound; false when the pipeline failed or
  // `cancel` was set while waiting for room.
  bool Push(const QImage& frame, const int16_t* samples, const std::atomic<bool>* cancel) {
    while (gst_app_src_get_current_level_bytes(GST_APP_SRC(video_)) >= kQueuedVideoBytes) {
      if (Failed() || (cancel && cancel->load())) return false;
      g_usleep(2000);
    }
    if (Failed()) return false;

    auto* kept = new QImage(frame);  // shares the pixels until the encoder is done with them
    GstBuffer* picture = gst_buffer_new_wrapped_full(
        GST_MEMORY_FLAG_READONLY, const_cast<uchar*>(kept->constBits()), gsize(kept->sizeInBytes()), 0,
        gsize(kept->sizeInBytes()), kept, [](gpointer image) { delete static_cast<QImage*>(image); });
    GST_BUFFER_PTS(picture) = gst_util_uint64_scale(guint64(frames_), GST_SECOND, kFramesPerSecond);
    GST_BUFFER_DURATION(picture) =
        gst_util_uint64_scale(guint64(frames_ + 1), GST_SECOND, kFramesPerSecond) - GST_BUFFER_PTS(picture);
    if (gst_app_src_push_buffer(GST_APP_SRC(video_), picture) != GST_FLOW_OK) return false;

    const gsize bytes = gsize(kSamplesPerFrame) * sizeof(int16_t);
    GstBuffer* sound = gst_buffer_new_allocate(nullptr, bytes, nullptr);
    if (samples) {
      gst_buffer_fill(sound, 0, samples, bytes);
    } else {
      gst_buffer_memset(sound, 0, 0, bytes);
    }
    const guint64 first = guint64(frames_) * kSamplesPerFrame;
    GST_BUFFER_PTS(sound) = gst_util_uint64_scale(first, GST_SECOND, kSampleRate);
    GST_BUFFER_DURATION(sound) =
        gst_util_uint64_scale(first + kSamplesPerFrame, GST_SECOND, kSampleRate) - GST_BUFFER_PTS(sound);
    if (gst_app_src_push_buffer(GST_APP_SRC(audio_), sound) != GST_FLOW_OK) return false;
    ++frames_;
    return true;
  }

  // Ends both streams and waits for the whole file; nothing on failure or
  // when cancelled.
  std::optional<QByteArray> Finish(const std::atomic<bool>* cancel) {
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

  GstElement* pipeline_ = nullptr;
  GstElement* video_ = nullptr;
  GstElement* audio_ = nullptr;
  GstBus* bus_ = nullptr;
  Output output_;
  qint64 frames_ = 0;
  bool failed_ = false;
};

struct CardPlan {
  QString pictureFile;
  NarrationFile narration;
  int holdFrames = 0;
};

QString Places(const QList<int>& positions) {
  QStringList places;
  for (int position : positions) places << QString::number(position);
  return places.join(u'、');
}

}  // namespace

VideoResult WriteStoryVideo(const ExportStory& story, const QString& chosenHostPath,
                            const std::atomic<bool>* cancel, const VideoProgress& progress) {
  VideoResult result;
  InitGStreamer();
  if (!ElementsInstalled()) {
    result.outcome = VideoResult::Outcome::EncoderMissing;
    return result;
  }
  auto cancelled = [&] { return cancel && cancel->load(); };

  // The plan first: every card's length, so the progress knows the end.
  std::vector<CardPlan> plan;
  const int count = int(story.cardNumbers.size());
  int total = kTitleFrames;
  for (int position = 1; position <= count; ++position) {
    const QString stem = CardFileStem(story.folder, story.cardNumbers.at(position - 1));
    CardPlan card;
    card.pictureFile = stem + QStringLiteral(".PNG");
    card.narration = ProbeNarration(stem + QStringLiteral("_x.wav"));
    card.holdFrames = HoldFrames(card.narration.samples, position == count);
    total += WipeFrames() + card.holdFrames;
    plan.push_back(card);
  }
  result.frames = total;

  Encoder encoder;
  if (!encoder.Start()) {
    result.outcome = VideoResult::Outcome::Failed;
    return result;
  }
  auto stop = [&] {
    result.outcome = cancelled() ? VideoResult::Outcome::Cancelled : VideoResult::Outcome::Failed;
    return result;
  };

  int done = 0;
  auto push = [&](const QImage& frame, const int16_t* samples) {
    if (cancelled() || !encoder.Push(frame, samples, cancel)) return false;
    ++done;
    if (progress) progress(done, total);
    return true;
  };

  // The player's own panel and presenter, stepped by hand: the title screen
  // on the panel as the window lays it out, then every card's wipe.
  CardPresenter presenter(StoryPlayer::kPanelColour);
  presenter.setTimed(false);
  QImage& panel = presenter.visibleImage();
  panel = QImage(imaging::kCardSize.width() - 1, imaging::kCardSize.height(), QImage::Format_RGB32);
  StoryPlayer::DrawTitleScreen(panel, story.name);
  const QImage title = Frame(panel);
  for (int i = 0; i < kTitleFrames; ++i)
    if (!push(title, nullptr)) return stop();

  for (int position = 1; position <= count; ++position) {
    const CardPlan& card = plan[size_t(position - 1)];
    bool missing = false;
    presenter.PresentCard(CardBuffer(card.pictureFile, &missing), presentation::Direction::Forward,
                          presentation::ShowMode::Normal);
    if (missing) result.missingPictures << position;
    for (int j = 0; j < WipeFrames(); ++j) {
      while (presenter.busy() && presenter.stepsDone() < 2 * j + 1) presenter.Advance();
      if (!push(Frame(presenter.visibleImage()), nullptr)) return stop();
    }
    presenter.Finish();

    std::vector<int16_t> voice;
    if (card.narration.unreadable) {
      result.unreadableNarrations << position;
    } else if (card.narration.samples > 0) {
      const auto read = ReadNarration(*card.narration.hostPath, card.narration.samples);
      if (read) {
        voice = *read;
      } else {
        result.unreadableNarrations << position;
      }
    }
    const QImage whole = Frame(presenter.visibleImage());
    for (int j = 0; j < card.holdFrames; ++j) {
      const size_t first = size_t(j) * kSamplesPerFrame;
      const int16_t* samples = nullptr;
      std::vector<int16_t> part;
      if (first < voice.size()) {
        part.assign(voice.begin() + qsizetype(first),
                    voice.begin() + qsizetype(std::min(voice.size(), first + kSamplesPerFrame)));
        part.resize(kSamplesPerFrame, 0);
        samples = part.data();
      }
      if (!push(whole, samples)) return stop();
    }
  }

  const std::optional<QByteArray> bytes = encoder.Finish(cancel);
  if (!bytes || bytes->isEmpty()) return stop();
  if (cancelled()) return stop();
  if (!host::WriteWholeFile(chosenHostPath, *bytes) || !host::FlushRemovable(QFileInfo(chosenHostPath).absolutePath())) {
    result.outcome = VideoResult::Outcome::Failed;
    return result;
  }
  result.outcome = VideoResult::Outcome::Written;
  return result;
}

QString VideoMessage(const VideoResult& result) {
  switch (result.outcome) {
    case VideoResult::Outcome::Cancelled:
      return {};
    case VideoResult::Outcome::EncoderMissing:
      return QStringLiteral("どうがを つくる どうぐが ありません。\nせんせいに いってね。");
    case VideoResult::Outcome::Failed:
      return QStringLiteral("どうがが かけませんでした。");
    case VideoResult::Outcome::Written:
      break;
  }
  QStringList parts;
  if (!result.missingPictures.isEmpty())
    parts << Places(result.missingPictures) + QStringLiteral("まいめの え が ありません。");
  if (!result.unreadableNarrations.isEmpty())
    parts << Places(result.unreadableNarrations) + QStringLiteral("まいめの こえ が よめません。");
  parts << QStringLiteral("どうがが できました。");
  return parts.join(u'\n');
}

bool IsVideoName(const QString& chosenHostPath) {
  return chosenHostPath.endsWith(QStringLiteral(".mp4"), Qt::CaseInsensitive);
}
