// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What the story player needs from the main window: the story being shown,
// its cards, their narrations and the sound. The player owns no files.

#include <QImage>
#include <QString>
#include <optional>

class PlayerHost {
 public:
  virtual ~PlayerHost() = default;
  // The name printed on the title screen.
  virtual QString StoryName() const = 0;
  // Number of cards of the story, 0..30.
  virtual int CardCount() const = 0;
  // Loads the card at `position` (0..CardCount() - 1) into the main window,
  // which makes it the current card, and returns the card picture buffer.
  virtual const QImage& LoadCard(int position) = 0;
  // Path text of the narration file of the card at `position`
  // (0..CardCount() - 1); nothing for any other position.
  virtual std::optional<QString> NarrationFile(int position) const = 0;
  virtual bool FileExists(const QString& pathText) const = 0;
  // Plays a narration file from its start, ending any narration playing.
  virtual void PlayNarration(const QString& pathText) = 0;
  virtual void Beep() = 0;
  // The player was closed; the main window returns to the card at
  // `position` (0..CardCount() - 1), the last card the player showed.
  virtual void PlayerClosed(int position) = 0;
};
