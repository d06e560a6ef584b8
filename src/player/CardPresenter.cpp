// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "player/CardPresenter.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/Numbers.h"
#include "platform/Widgets.h"

namespace presentation {

std::vector<WipeStep> WipeSteps(float width, float height, bool centreOut) {
  // Single precision as the surfaces measure: half the width may end in .5,
  // and every coordinate goes to the nearest pixel, halves to the even one.
  const float w = width, h = height, half = w / 2.0f, step = float(kColumnWidth);
  const int rows = int(RoundHalfEven(h));
  auto at = [&](float c) {
    return WipeStep{QRect(int(RoundHalfEven(c)), 0, kColumnWidth, rows),
                    QRect(int(RoundHalfEven(w - c - 7.0f)), 0, kColumnWidth, rows)};
  };
  std::vector<WipeStep> steps;
  if (centreOut) {
    for (float c = half; c >= 0.0f; c -= step) steps.push_back(at(c));
  } else {
    for (float c = 0.0f; c <= half; c += step) steps.push_back(at(c));
  }
  return steps;
}

}  // namespace presentation

using namespace presentation;

CardPresenter::CardPresenter(QColor background, QObject* parent)
    : QObject(parent), background_(background) {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &CardPresenter::onTick);
}

void CardPresenter::setPanel(PicturePanel* panel) {
  panel_ = panel;
  if (panel_) panel_->setSurface(&visible_);
}

namespace {

// The surface cut or widened to `size`, keeping what it shows at the top
// left; new parts take the panel's background.
void Resize(QImage& image, QSize size, QColor background) {
  if (image.size() == size && image.format() == QImage::Format_RGB32) return;
  QImage resized(size, QImage::Format_RGB32);
  resized.fill(background);
  if (!image.isNull()) {
    QPainter painter(&resized);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, image);
  }
  image.swap(resized);
}

}  // namespace

void CardPresenter::PresentCard(const QImage& card, Direction direction, ShowMode mode) {
  if (busy_) Finish();
  const float w = float(card.width()) - 1.0f, h = float(card.height());
  const QSize size(std::max(0, int(RoundHalfEven(w))), std::max(0, int(RoundHalfEven(h))));

  Resize(visible_, size, background_);
  previous_ = visible_.copy();
  new_ = card.copy(0, 0, size.width(), size.height()).convertToFormat(QImage::Format_RGB32);
  emit surfaceResized(size);

  if (mode != ShowMode::Normal || size.isEmpty()) {
    steps_.clear();
    next_ = 0;
    ShowWhole();
    return;
  }
  steps_ = WipeSteps(w, h, direction == Direction::Forward);
  next_ = 0;
  busy_ = true;
  holding_ = false;
  clock_.start();
  Schedule();
}

void CardPresenter::Refresh() {
  if (panel_) panel_->showSurface();
}

void CardPresenter::Hold(int ms) {
  if (busy_) Finish();
  steps_.clear();
  next_ = 0;
  busy_ = true;
  holding_ = true;
  holdMs_ = ms;
  clock_.start();
  Schedule();
}

void CardPresenter::Schedule() {
  if (!timed_) return;
  // Step k is due k sixtieths of a second after the start, so the wipe keeps
  // sixty steps a second even though the timer counts whole milliseconds.
  const double due = holding_ ? holdMs_ : double(next_) * 1000.0 / kStepsPerSecond;
  const double wait = due - double(clock_.nsecsElapsed()) / 1e6;
  timer_.start(std::max(0, int(std::ceil(wait))));
}

void CardPresenter::onTick() {
  if (Advance()) Schedule();
}

bool CardPresenter::Advance() {
  if (!busy_) return false;
  if (holding_) {
    Done();
    return false;
  }
  if (next_ < steps_.size()) ApplyStep(steps_[next_++]);
  if (next_ >= steps_.size()) {
    ShowWhole();
    Done();
    return false;
  }
  return true;
}

void CardPresenter::Finish() {
  while (busy_) Advance();
}

void CardPresenter::ApplyStep(const WipeStep& step) {
  for (const QRect& column : {step.first, step.second}) {
    const QRect r = column & visible_.rect();
    if (r.isEmpty()) continue;
    const size_t bytes = size_t(r.width()) * 4;
    for (int y = r.top(); y <= r.bottom(); ++y)
      std::memcpy(visible_.scanLine(y) + r.left() * 4, new_.constScanLine(y) + r.left() * 4, bytes);
    if (panel_) panel_->showSurface(r);
  }
}

void CardPresenter::ShowWhole() {
  visible_ = new_.copy();
  if (panel_) {
    panel_->setSurface(&visible_);
    panel_->showSurface();
  }
}

void CardPresenter::Done() {
  timer_.stop();
  busy_ = false;
  holding_ = false;
  emit finished();
}
