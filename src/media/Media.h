// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The sound and video libraries, kept out of start-up. Qt Multimedia (the
// microphone and narration playback), libsamplerate and libsndfile (the
// narrations' conversion and wave files) and GStreamer (the story's
// video) are used only by the program's media module, loaded the first
// time one of them is wanted: the class screen never waits for them.
//
// media::Get() loads the module; nothing when it cannot be loaded (a
// broken installation). Then nothing records, plays or encodes, and each
// caller treats it as a missing microphone, an unplayable file or a
// missing encoder.

// QAudioFormat is used as a value only, from its header: the program
// itself does not link Qt Multimedia.
#include <QAudioFormat>
#include <QByteArray>
#include <QImage>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QIODevice;

namespace media {

// The default microphone, used on the thread that opened it.
class Microphone {
 public:
  virtual ~Microphone() = default;  // stops it
  // The input's own format; invalid when there is no microphone.
  virtual QAudioFormat Format() const = 0;
  // Starts writing samples into `sink`, about every `periodMs`; false when
  // the input refused. May wait as long as the sound server holds the
  // input.
  virtual bool Start(QIODevice* sink, int periodMs) = 0;
  // `stopped` runs on this thread when the input ends by itself with an
  // error (a failed server or device).
  virtual void OnFailure(std::function<void()> stopped) = 0;
};

// Playback of a sound file through the sound server.
class Playback {
 public:
  virtual ~Playback() = default;
  // The file to play, by its host path; empty for none.
  virtual void Open(const QString& hostPath) = 0;
  virtual void Play() = 0;
  virtual void Stop() = 0;
  virtual bool IsPlaying() const = 0;
};

// Converts one channel of float samples to another rate, as they come.
class Resampler {
 public:
  virtual ~Resampler() = default;
  // A copy that goes on independently, filter state and all.
  virtual std::unique_ptr<Resampler> Clone() const = 0;
  // Converts `frames` samples (`last`: no more follow), appending what
  // comes out to `out`; false on failure.
  virtual bool Run(const float* in, long frames, bool last, std::vector<float>& out) = 0;
};

// What a wave file's header says.
struct WaveInfo {
  int rate = 0;
  int channels = 0;
  qint64 frames = 0;
};

// What the video encoder is given: a GStreamer pipeline with the sources
// "video" (BGRx pictures) and "audio" (mono 16-bit samples) and the sink
// "out", and the pace of its frames.
struct VideoFormat {
  const char* pipeline = nullptr;
  int framesPerSecond = 0;
  int sampleRate = 0;
  int samplesPerFrame = 0;
  quint64 queuedVideoBytes = 0;  // pictures waiting for the encoder at most
};

// A video being encoded into memory, frame by frame.
class VideoEncoder {
 public:
  virtual ~VideoEncoder() = default;
  // One frame of picture and its sound (silence without samples); false
  // when the pipeline failed or `cancel` was set while waiting for room.
  virtual bool Push(const QImage& frame, const int16_t* samples, const std::atomic<bool>* cancel) = 0;
  // Ends both streams and waits for the whole file; nothing on failure or
  // when cancelled.
  virtual std::optional<QByteArray> Finish(const std::atomic<bool>* cancel) = 0;
};

// A narration encoded for an ePub book: AAC in an MP4 file (audio/mp4).
struct SpeechResult {
  enum class Outcome {
    Encoded,         // `bytes` hold the whole file
    Stopped,         // `stop` was set; nothing made
    EncoderMissing,  // the AAC encoder or the MP4 writer is not installed
    Failed,          // the encoder failed
  };
  Outcome outcome = Outcome::Failed;
  QByteArray bytes;
  // The sound's length as the file's header says it, in seconds: what a
  // reader plays, the encoder's short lead-in of silence included.
  double seconds = 0;
};

class Module {
 public:
  virtual std::unique_ptr<Microphone> OpenMicrophone() = 0;
  virtual std::unique_ptr<Playback> NewPlayback() = 0;
  // Nothing when the converter cannot be made.
  virtual std::unique_ptr<Resampler> NewResampler(double ratio) = 0;
  // Mono samples in -1 .. 1 as the bytes of a 16-bit PCM wave file.
  virtual std::optional<QByteArray> EncodeWave(const std::vector<float>& samples, int rate) = 0;
  virtual std::optional<WaveInfo> ProbeWave(const QString& hostPath) = 0;
  // The file's sound mixed to mono at `rate`, exactly `samples` long (cut
  // or padded with silence); nothing when it cannot be read.
  virtual std::optional<std::vector<int16_t>> ReadWave(const QString& hostPath, int rate, qint64 samples) = 0;
  // Every GStreamer element named is installed.
  virtual bool HasElements(const std::vector<const char*>& names) = 0;
  // Nothing when the pipeline cannot be started.
  virtual std::unique_ptr<VideoEncoder> StartVideo(const VideoFormat& format) = 0;
  // Mono 16-bit samples at `sampleRate` as an AAC sound in an MP4 file;
  // `stop` set from another thread ends it soon.
  virtual SpeechResult EncodeSpeech(const std::vector<int16_t>& samples, int sampleRate,
                                    const std::atomic<bool>* stop) = 0;

 protected:
  ~Module() = default;
};

// The module, loaded on the first call from any thread; nothing when it
// cannot be loaded.
Module* Get();

}  // namespace media

// The module's entry point.
using PikoramaMediaEntry = media::Module*();
inline constexpr char kPikoramaMediaEntry[] = "pikorama_media_module";
