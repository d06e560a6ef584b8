// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "narration/NarrationPlayer.h"

#include "media/Media.h"
#include "platform/Disk.h"

NarrationPlayer::NarrationPlayer(QObject* parent) : QObject(parent) {}

NarrationPlayer::~NarrationPlayer() {
  if (player_) player_->Stop();
}

bool NarrationPlayer::EnsurePlayer() {
  // Made on the first playback, so a program that never plays sound never
  // starts the media framework.
  if (!player_)
    if (media::Module* media = media::Get()) player_ = media->NewPlayback();
  return bool(player_);
}

void NarrationPlayer::SetCommand(const QString& command) {
  const QString c = command.trimmed().toLower();
  if (c == QLatin1String("close")) {
    if (player_) {
      player_->Stop();
      player_->Open(QString());
    }
    openFile_.clear();
  } else if (c == QLatin1String("open")) {
    SetCommand(QStringLiteral("close"));
    const auto host = disk::HostPath(fileName_);
    if (!host || !disk::FileExists(fileName_) || !EnsurePlayer()) return;
    player_->Open(*host);
    openFile_ = fileName_;
  } else if (c == QLatin1String("play")) {
    if (player_ && !openFile_.isEmpty()) player_->Play();
  }
}

void NarrationPlayer::SetFileName(const QString& pathText) { fileName_ = pathText; }

void NarrationPlayer::Play(const QString& pathText) {
  SetCommand(QStringLiteral("close"));
  SetFileName(pathText);
  SetCommand(QStringLiteral("OPEN"));
  SetCommand(QStringLiteral("PLAY"));
}

void NarrationPlayer::Stop() { SetCommand(QStringLiteral("close")); }

bool NarrationPlayer::IsPlaying() const {
  return player_ && player_->IsPlaying();
}
