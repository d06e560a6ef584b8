// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Playback of narration files, as a multimedia control is driven: for each
// playback the command "close", then the file name (a path text), then the
// commands "OPEN" and "PLAY". A new playback ends the one before; nothing
// waits for the sound system, and a file that cannot be played is silently
// not heard.

#include <QObject>
#include <QString>
#include <memory>

namespace media {
class Playback;
}

class NarrationPlayer : public QObject {
  Q_OBJECT
 public:
  explicit NarrationPlayer(QObject* parent = nullptr);
  ~NarrationPlayer() override;

  // "close", "OPEN" or "PLAY" (any letter case); anything else is ignored.
  void SetCommand(const QString& command);
  // The file the next "OPEN" opens, as a path text.
  void SetFileName(const QString& pathText);
  QString FileName() const { return fileName_; }

  // The whole sequence for one file: close, file name, OPEN, PLAY.
  void Play(const QString& pathText);
  // Ends the playback, if any ("close").
  void Stop();

  // The path text of the file now open for playback; empty when none is.
  QString OpenFile() const { return openFile_; }
  bool IsPlaying() const;

 private:
  bool EnsurePlayer();

  std::unique_ptr<media::Playback> player_;
  QString fileName_;
  QString openFile_;
};
