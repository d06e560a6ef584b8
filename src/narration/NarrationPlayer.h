// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Playback of narration files: a file is opened, then played, and stopped
// (which closes it). Opening or playing another file ends the playback
// before; nothing waits for the sound system, and a file that cannot be
// played is silently not heard.

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

  // Closes what was open and opens `pathText` (a path text); nothing is
  // open afterwards when the file is missing or nothing can play here.
  void Open(const QString& pathText);
  // Plays the open file, if any.
  void Play();
  // Opens `pathText` and plays it.
  void Play(const QString& pathText);
  // Opens the host file `hostPath` (one of the program's own, not a card's)
  // and plays it; OpenFile() then gives that host path.
  void PlayHostFile(const QString& hostPath);
  // Ends the playback, if any, and closes its file.
  void Stop();

  // The path text (or host path) of the file now open for playback; empty
  // when none is.
  QString OpenFile() const { return openFile_; }
  bool IsPlaying() const;

 private:
  bool EnsurePlayer();

  std::unique_ptr<media::Playback> player_;
  QString openFile_;
};
