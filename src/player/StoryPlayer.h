// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The story show: the title screen, then the cards one by one, forward with
// the card's narration, back, or flipping through to the end, and the end
// button that closes the show. Everything the user does while a card change
// is on the screen waits its turn and is done afterwards, in order.

#include <QObject>
#include <deque>

#include "player/CardPresenter.h"
#include "player/PlayerHost.h"

class StoryPlayer : public QObject {
  Q_OBJECT
 public:
  // What the user can ask for: the buttons, and the keys that read the
  // state of the moment (Escape stops, or ends once the end button shows;
  // Return ends while it shows).
  enum class Action { Forward, Back, Flip, Sound, Stop, End, Escape, Return };

  // A card stays up this long while flipping.
  static constexpr int kFlipCardMs = 100;
  // The title screen: the panel's background, font and print position.
  static const QColor kPanelColour;
  static constexpr double kTitlePoints = 36;
  static constexpr int kTitleTop = 200;
  static constexpr int kTitleWidth = 800;

  explicit StoryPlayer(PlayerHost& host, QObject* parent = nullptr);

  // The title screen on `panel`: the panel's background with `name` printed
  // in the title font, centred over the 800 pixels of a card. Pure drawing,
  // shared with the story's video.
  static void DrawTitleScreen(QImage& panel, const QString& name);

  CardPresenter& presenter() { return presenter_; }

  // "じっこう" on the main window: the title screen, then the show, in
  // normal mode. A story without cards only gets a beep.
  void Start();
  // A button or a key; waits while a card change runs.
  void Do(Action action);

  // The place in the show: kTitle, a card's deck position
  // (0..CardCount() - 1), or CardCount() past the end.
  static constexpr int kTitle = -1;
  int position() const { return position_; }
  presentation::ShowMode mode() const { return mode_; }
  presentation::Direction direction() const { return direction_; }
  bool endShown() const { return endShown_; }
  bool open() const { return open_; }
  size_t waiting() const { return queue_.size(); }

 signals:
  // The window shows or hides itself and the end button from the state.
  void changed();

 private:
  enum class Next { None, ForwardShown, FlipShown, ForwardStep, FlipStep };

  void Run(Action action);
  void PrintTitle();
  void StepForward(bool flipping);
  void AfterShown(bool flipping);
  void PlayNarrationAt(int position);
  void onPresenterFinished();
  void Drain();

  PlayerHost& host_;
  CardPresenter presenter_;
  int position_ = kTitle;
  presentation::ShowMode mode_ = presentation::ShowMode::Normal;
  presentation::Direction direction_ = presentation::Direction::Forward;
  bool endShown_ = false;
  bool open_ = false;
  Next next_ = Next::None;
  std::deque<Action> queue_;
  bool draining_ = false;
};
