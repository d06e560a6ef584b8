// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The story as a video that plays on any phone, tablet or computer: what the
// player shows on its panel, frame for frame, with the children's voices.
//
// The title screen for 2 s, then each card brought in with the player's
// centre-out column wipe (two wipe steps a frame, as the player's sixty
// steps a second), then held while its narration plays from the moment the
// card is whole and 1 s after it; a card without narration stays 3 s, and
// the last card 2 s after its narration. 30 frames a second, 800 x 600 (the
// player's 799-pixel panel with its last column repeated, as H.264 wants
// even sizes), H.264 video and AAC audio (mono, 22050 Hz, the narrations'
// own rate) in an MP4 file whose index is at the front, so it starts
// playing while it downloads. A story without narrations has a silent
// sound track all the same.
//
// Encoded by GStreamer (x264enc, avenc_aac, mp4mux) into memory and written
// whole or not at all.

#include <QString>

#include "export/ExportFormat.h"

namespace video {

inline constexpr int kFramesPerSecond = 30;
inline constexpr int kWidth = 800;
inline constexpr int kHeight = 600;
inline constexpr int kSampleRate = 22050;
inline constexpr int kSamplesPerFrame = kSampleRate / kFramesPerSecond;
inline constexpr int kTitleFrames = 2 * kFramesPerSecond;
inline constexpr int kAfterNarrationFrames = 1 * kFramesPerSecond;
inline constexpr int kAfterLastNarrationFrames = 2 * kFramesPerSecond;
inline constexpr int kSilentCardFrames = 3 * kFramesPerSecond;

// Frames of a card's wipe before the card shows whole.
int WipeFrames();
// Frames a card stays whole: `narrationSamples` is the narration's length
// at kSampleRate, 0 for none.
int HoldFrames(qint64 narrationSamples, bool last);

}  // namespace video

// 「どうが (*.mp4)」: a name ending in ".mp4". Slow: made on a worker thread
// with the progress window 「どうが」.
//
// Write: the video at the host path the user chose, whole or not at all: a
// file already there stays byte for byte unless the new one is complete. A
// card whose picture is missing or unreadable is shown blank; a narration
// file that is there but cannot be read leaves its card silent for 3 s
// (`unreadableNarrations`). `progress` hears of frames encoded out of all
// the video's frames, on the encoding thread; `stop` set from another
// thread ends the work within a frame. Runs on the calling thread.
class VideoFormat : public ExportFormat {
 public:
  QString Filter() const override;
  QString Extension() const override;
  bool Accepts(const QString& chosenHostPath) const override;
  bool Slow() const override { return true; }
  QString ProgressTitle() const override;
  QString ProgressText() const override;
  ExportOutcome Write(const ExportStory& story, const QString& chosenHostPath, const ExportProgress& progress,
                      const std::atomic<bool>* stop) const override;
  // Empty for a stopped video.
  QString Message(const ExportOutcome& outcome) const override;
};
