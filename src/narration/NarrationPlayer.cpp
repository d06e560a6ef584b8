// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "narration/NarrationPlayer.h"

#include <QFileInfo>

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

void NarrationPlayer::Open(const QString& pathText) {
  Stop();
  const auto host = disk::HostPath(pathText);
  if (!host || !disk::FileExists(pathText) || !EnsurePlayer()) return;
  player_->Open(*host);
  openFile_ = pathText;
}

void NarrationPlayer::Play() {
  if (player_ && !openFile_.isEmpty()) player_->Play();
}

void NarrationPlayer::Play(const QString& pathText) {
  Open(pathText);
  Play();
}

void NarrationPlayer::PlayHostFile(const QString& hostPath) {
  Stop();
  if (!QFileInfo(hostPath).isFile() || !EnsurePlayer()) return;
  player_->Open(hostPath);
  openFile_ = hostPath;
  Play();
}

void NarrationPlayer::Stop() {
  if (player_) {
    player_->Stop();
    player_->Open(QString());
  }
  openFile_.clear();
}

bool NarrationPlayer::IsPlaying() const {
  return player_ && player_->IsPlaying();
}
