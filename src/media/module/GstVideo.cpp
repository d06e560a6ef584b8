// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// GStreamer: the encoders behind a VideoFormat. Every element, its settings
// and the pipeline's text are chosen here from the plain description.

// GLib names a struct member "signals"; Qt defines it as a macro.
#pragma push_macro("signals")
#undef signals
#include <gst/app/gstappsink.h>
#include <gst/app/gstappsrc.h>
#include <gst/gst.h>
#pragma pop_macro("signals")

#include <QList>
#include <mutex>

#include "media/module/Backends.h"

namespace media {

namespace {

void InitGStreamer() {
  static std::once_flag once;
  std::call_once(once, [] { gst_init(nullptr, nullptr); });
}

// A pipeline's text and the elements it uses, built side by side so that
// the check for installed elements names every one the text does.
struct Pipeline {
  QByteArray text;
  std::vector<const char*> elements;

  // An element with its settings, as one link of a branch.
  QByteArray Element(const char* name, const QByteArray& settings = {}) {
    elements.push_back(name);
    return settings.isEmpty() ? QByteArray(name) : QByteArray(name) + ' ' + settings;
  }
  // Links from a source on: elements, caps and "name." for a named one.
  void Branch(const QList<QByteArray>& links) {
    if (!text.isEmpty()) text += ' ';
    text += links.join(" ! ");
  }
};

// The sources "video" (BGRx pictures; none for a sound-only file) and
// "audio" (mono 16-bit samples), the muxer "mux" and the sink "out". The
// settings are those the story's videos have always had: x264 at a fixed
// quantizer with a key frame every two seconds, Main profile for every
// player, AAC at 64 kbit/s.
Pipeline Describe(const VideoFormat& format) {
  Pipeline p;
  switch (format.video) {
    case VideoCodec::None:
      break;
    case VideoCodec::H264:
      p.Branch({p.Element("appsrc", QByteArrayLiteral("name=video format=time caps=video/x-raw,format=BGRx,width=") +
                                        QByteArray::number(format.width) + ",height=" +
                                        QByteArray::number(format.height) + ",framerate=" +
                                        QByteArray::number(format.framesPerSecond) + "/1"),
                p.Element("videoconvert"), "video/x-raw,format=I420",
                p.Element("x264enc", "speed-preset=veryfast pass=qual quantizer=20 key-int-max=" +
                                         QByteArray::number(2 * format.framesPerSecond) + " rc-lookahead=10"),
                "video/x-h264,profile=main", p.Element("queue"), "mux."});
      break;
  }
  switch (format.audio) {
    case AudioCodec::Aac:
      p.Branch({p.Element("appsrc", "name=audio format=time caps=audio/x-raw,format=S16LE,rate=" +
                                        QByteArray::number(format.sampleRate) + ",channels=1,layout=interleaved"),
                p.Element("audioconvert"), p.Element("avenc_aac", "bitrate=64000"), p.Element("queue"), "mux."});
      break;
  }
  switch (format.container) {
    case Container::Mp4:
      p.Branch({p.Element("mp4mux", format.indexAtFront ? "name=mux faststart=true" : "name=mux faststart=false"),
                p.Element("appsink", "name=out sync=false")});
      break;
  }
  return p;
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

class GstEncoder : public VideoEncoder {
 public:
  explicit GstEncoder(const VideoFormat& format) : format_(format) {}
  ~GstEncoder() override {
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
    pipeline_ = gst_parse_launch(Describe(format_).text.constData(), &error);
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
    if ((HasPictures() && !video_) || !audio_ || !sink) {
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
    if (HasPictures() ? !PushPicture(frame, cancel) : Failed()) return false;

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
    if (video_) gst_app_src_end_of_stream(GST_APP_SRC(video_));
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
  bool HasPictures() const { return format_.video != VideoCodec::None; }

  bool PushPicture(const QImage& frame, const std::atomic<bool>* cancel) {
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
    return gst_app_src_push_buffer(GST_APP_SRC(video_), picture) == GST_FLOW_OK;
  }

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

}  // namespace

bool GstCanEncode(const VideoFormat& format) {
  InitGStreamer();
  for (const char* name : Describe(format).elements) {
    GstElementFactory* factory = gst_element_factory_find(name);
    if (!factory) return false;
    gst_object_unref(factory);
  }
  return true;
}

std::unique_ptr<VideoEncoder> StartGstEncoder(const VideoFormat& format) {
  InitGStreamer();
  auto encoder = std::make_unique<GstEncoder>(format);
  if (!encoder->Start()) return nullptr;
  return encoder;
}

}  // namespace media
