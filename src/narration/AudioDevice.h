// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The recording device: one wave recorder on the alias "wfile", driven by
// text commands as the recorder sends them.
//
//   "close wfile"                          discard the recording, close
//   "open new type waveaudio alias wfile"  a new, empty recording on the
//                                          default input, in its own format
//   "set wfile time format ms"             positions in milliseconds
//   "record wfile" / "record wfile to N"   start (or go on) recording; with
//                                          "to N" it stops by itself at N ms
//   "stop wfile"                           stop, keeping what was recorded
//   "save wfile <path text>"               write the recording as a wave file
//   "status wfile position"                the length so far in ms, as text
//   "status wfile mode"                    "recording" or "stopped"
//
// Status 0 is success and the reply holds the answer (or is empty). Any
// other status comes with a short error text in the reply. Recording runs
// in the audio system; the samples arrive on the event loop, are converted
// to the narration format as they come, and stay in memory until they are
// saved. Only "record" talks to the sound system (one short round trip to
// start the input); no command waits for sound.

#include <QAudioFormat>
#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class QAudioSource;
typedef struct SRC_STATE_tag SRC_STATE;

// Narration files: PCM 16-bit, mono, 22050 Hz.
constexpr int kNarrationRate = 22050;

// Turns the input's samples into narration samples (one channel at the
// narration rate) as they arrive, so that saving has little left to do.
// A copy goes on independently of the original.
class NarrationConverter {
 public:
  NarrationConverter() = default;
  explicit NarrationConverter(const QAudioFormat& input);
  NarrationConverter(const NarrationConverter& other);
  NarrationConverter& operator=(const NarrationConverter& other);
  ~NarrationConverter();

  bool valid() const { return valid_; }
  // Whole frames in the input's format.
  void Add(const char* data, qint64 frames);
  // The samples still held back by the converter's filter; nothing may be
  // added afterwards.
  void Finish();
  qint64 framesIn() const { return framesIn_; }
  const std::vector<float>& samples() const { return out_; }

 private:
  void Run(const float* in, long frames, bool last);

  QAudioFormat format_;
  SRC_STATE* state_ = nullptr;  // none when the input is at the narration rate
  std::vector<float> out_;
  qint64 framesIn_ = 0;
  bool valid_ = false;
};

// Samples as the input delivered them, and as far as they are converted.
struct Recording {
  QAudioFormat format;
  QByteArray bytes;
  NarrationConverter converted;  // may lag behind or be empty

  qint64 frames() const;
  qint64 milliseconds() const;
};

// The recording as the bytes of a narration file; nothing when the format
// cannot be read or the encoder fails.
std::optional<QByteArray> EncodeNarration(const Recording& recording);
// Writes the recording to the file named by the path text, replacing it
// whole; on failure the old file is left as it was.
bool WriteNarration(const Recording& recording, const QString& pathText);

// The device's error texts.
namespace audio_error {
inline const QString kNotOpen = QStringLiteral("ろくおんの じゅんびが できていません。");
inline const QString kNoMicrophone = QStringLiteral("マイクが みつかりません。");
inline const QString kCannotRecord = QStringLiteral("ろくおんが はじめられません。");
inline const QString kCannotSave = QStringLiteral("こえを ほぞんできませんでした。");
inline const QString kUnknownCommand = QStringLiteral("わからない めいれいです。");
}  // namespace audio_error

class AudioDevice : public QObject {
  Q_OBJECT
 public:
  enum Status {
    kOk = 0,
    kUnknownCommand = 1,
    kNotOpen = 2,
    kNoMicrophone = 3,
    kCannotRecord = 4,
    kCannotSave = 5,
  };

  explicit AudioDevice(QObject* parent = nullptr);
  ~AudioDevice() override;

  int SendAudioCommand(const QString& command, QString& reply);

  // What has been recorded since the device was opened; nothing when no
  // device is open. Cheap: the samples are shared, not copied.
  std::optional<Recording> CurrentRecording() const;

 signals:
  // Samples arrived (at most once per delivery from the input).
  void captured();

 private:
  int Open(QString& reply);
  int Record(std::optional<qint64> untilMs, QString& reply);
  void Stop();
  void Close();
  void Append(const char* data, qint64 size);
  void Convert();
  qint64 PositionMs() const;

  class Capture;
  std::unique_ptr<QAudioSource> source_;
  std::unique_ptr<Capture> capture_;
  bool recordingOn_ = false;
  Recording recording_;
  std::optional<qint64> limitBytes_;
  bool open_ = false;
};
