// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "player/StoryPlayer.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

#include "platform/Fonts.h"
#include "platform/Numbers.h"

using namespace presentation;

const QColor StoryPlayer::kPanelColour(192, 255, 255);

StoryPlayer::StoryPlayer(PlayerHost& host, QObject* parent)
    : QObject(parent), host_(host), presenter_(kPanelColour, this) {
  // The panel as the window lays it out, before any card resizes it.
  QImage& panel = presenter_.visibleImage();
  panel = QImage(799, 600, QImage::Format_RGB32);
  panel.fill(kPanelColour);
  connect(&presenter_, &CardPresenter::finished, this, &StoryPlayer::onPresenterFinished);
}

void StoryPlayer::Start() {
  // A show still running from before is cut short and forgotten.
  queue_.clear();
  next_ = Next::None;
  presenter_.Finish();

  endShown_ = false;
  PrintTitle();
  if (host_.CardCount() <= 0) {
    host_.Beep();
    emit changed();
    return;
  }
  position_ = kTitle;
  mode_ = ShowMode::Normal;
  direction_ = Direction::Forward;
  open_ = true;
  emit changed();
}

void StoryPlayer::DrawTitleScreen(QImage& panel, const QString& name) {
  panel.fill(kPanelColour);
  const QFont font = Gothic(kTitlePoints);
  const QFontMetricsF metrics(font, &panel);
  const double x = double(RoundHalfEven((kTitleWidth - metrics.horizontalAdvance(name)) / 2.0));
  QPainter painter(&panel);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(QPointF(x, kTitleTop + metrics.ascent()), name);
}

void StoryPlayer::PrintTitle() {
  DrawTitleScreen(presenter_.visibleImage(), host_.StoryName());
  presenter_.Refresh();
}

void StoryPlayer::Do(Action action) {
  queue_.push_back(action);
  Drain();
}

void StoryPlayer::Drain() {
  if (draining_) return;
  draining_ = true;
  while (!presenter_.busy() && !queue_.empty()) {
    const Action action = queue_.front();
    queue_.pop_front();
    Run(action);
  }
  draining_ = false;
  emit changed();
}

void StoryPlayer::Run(Action action) {
  if (!open_) return;
  switch (action) {
    case Action::Forward:
      endShown_ = false;
      StepForward(false);
      break;
    case Action::Flip:
      endShown_ = false;
      mode_ = ShowMode::Flip;
      StepForward(true);
      break;
    case Action::Back: {
      endShown_ = false;
      direction_ = Direction::Backward;
      const int count = host_.CardCount();
      position_ = std::min(position_, count) - 1;
      if (position_ < 0) {
        position_ = 0;
        break;
      }
      presenter_.PresentCard(host_.LoadCard(position_), direction_, mode_);
      break;
    }
    case Action::Sound:
      PlayNarrationAt(position_);
      break;
    case Action::Stop:
      endShown_ = true;
      break;
    case Action::Escape:
      Run(endShown_ ? Action::End : Action::Stop);
      break;
    case Action::Return:
      if (endShown_) Run(Action::End);
      break;
    case Action::End: {
      open_ = false;
      const int count = host_.CardCount();
      // The main window goes back to the last card shown: never the title,
      // never a place past the deck.
      if (count > 0) host_.PlayerClosed(std::clamp(position_, 0, count - 1));
      break;
    }
  }
}

void StoryPlayer::StepForward(bool flipping) {
  direction_ = Direction::Forward;
  const int count = host_.CardCount();
  // Past the last card the show holds its place: further presses show the
  // end button again and read nothing beyond the deck.
  position_ = std::min(position_ + 1, count);
  if (position_ >= count) {
    endShown_ = true;
    return;
  }
  presenter_.PresentCard(host_.LoadCard(position_), direction_, mode_);
  if (presenter_.busy()) {
    next_ = flipping ? Next::FlipShown : Next::ForwardShown;
    return;
  }
  AfterShown(flipping);
}

void StoryPlayer::AfterShown(bool flipping) {
  if (mode_ == ShowMode::Flip && position_ < host_.CardCount() - 1) {
    // Flipping: every card stays up a moment, like the pages of a flip book.
    next_ = flipping ? Next::FlipStep : Next::ForwardStep;
    presenter_.Hold(kFlipCardMs);
    return;
  }
  if (!flipping) PlayNarrationAt(position_);
}

void StoryPlayer::PlayNarrationAt(int position) {
  // The title and the place past the end have no narration.
  if (position < 0 || position >= host_.CardCount()) return;
  const auto file = host_.NarrationFile(position);
  if (file && host_.FileExists(*file)) host_.PlayNarration(*file);
}

void StoryPlayer::onPresenterFinished() {
  const Next next = next_;
  next_ = Next::None;
  switch (next) {
    case Next::None:
      break;
    case Next::ForwardShown:
      AfterShown(false);
      break;
    case Next::FlipShown:
      AfterShown(true);
      break;
    case Next::ForwardStep:
      StepForward(false);
      break;
    case Next::FlipStep:
      StepForward(true);
      break;
  }
  Drain();
}
