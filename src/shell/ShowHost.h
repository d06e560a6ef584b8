// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The main window as the story player sees it: the current story's name and
// cards, loaded one by one into the main window, their narrations played
// through the program's one playback control, and the card the show ended
// on left as the current card.

#include "player/PlayerHost.h"

class Session;

class ShowHost : public PlayerHost {
 public:
  explicit ShowHost(Session& session) : session_(session) {}

  QString StoryName() const override;
  int CardCount() const override;
  const QImage& LoadCard(int position) override;
  std::optional<QString> NarrationFile(int position) const override;
  bool FileExists(const QString& pathText) const override;
  void PlayNarration(const QString& pathText) override;
  void Beep() override;
  void PlayerClosed(int position) override;

 private:
  Session& session_;
};
