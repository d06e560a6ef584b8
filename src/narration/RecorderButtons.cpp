// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "narration/RecorderButtons.h"

#include <QResizeEvent>
#include <QScrollBar>
#include <QTimer>

#include "narration/Recorder.h"
#include "platform/Numbers.h"

namespace {

// Designed places on the tool panel in twips, 15 to a pixel: the row of
// buttons under the panel's other buttons, the bar as wide as the row. The
// row reaches up into the gap below 「ﾌｧｲﾙ読込」 so that its buttons are
// a finger's size; the bar stays where it was.
constexpr int kLeft = 60;
constexpr int kRowTop = 7485;
constexpr int kRowHeight = 510;
constexpr int kBarTop = 8010;
constexpr int kBarWidth = 2685;
constexpr int kBarHeight = 195;

const QColor kRecordFace(255, 128, 128);
const QColor kFace(192, 255, 192);
constexpr double kPoints = 9;

}  // namespace

QRect RecorderButtons::PlaceOnToolPanel() {
  return Twips(kLeft, kRowTop, kBarWidth, kBarTop + kBarHeight - kRowTop);
}

RecorderButtons::RecorderButtons(Recorder& recorder, QWidget* parent)
    : QWidget(parent), recorder_(recorder) {
  recordButton = new FaceButton(QStringLiteral("Command22"), QStringLiteral("録音"), kRecordFace, this);
  stopButton = new FaceButton(QStringLiteral("Command21"), QStringLiteral("■"), kFace, this);
  saveButton = new FaceButton(QStringLiteral("Command19"), QStringLiteral("保存"), kFace, this);
  deleteButton = new FaceButton(QStringLiteral("Command18"), QStringLiteral("削除"), kFace, this);
  playButton = new FaceButton(QStringLiteral("Command20"), QStringLiteral("▼"), kFace, this);
  positionBar = new QScrollBar(Qt::Horizontal, this);
  positionBar->setObjectName(QStringLiteral("HScroll1"));
  // The bar only shows the position.
  positionBar->setAttribute(Qt::WA_TransparentForMouseEvents);
  positionBar->setFocusPolicy(Qt::NoFocus);
  pollTimer = new QTimer(this);
  pollTimer->setObjectName(QStringLiteral("Timer1"));
  pollTimer->setInterval(100);

  // Places relative to this widget's corner on the panel.
  const QPoint origin = PlaceOnToolPanel().topLeft();
  const struct {
    QWidget* control;
    int width;
  } row[] = {{recordButton, 645}, {stopButton, 510}, {saveButton, 510}, {deleteButton, 510}, {playButton, 510}};
  int left = kLeft;
  for (const auto& b : row) {
    controls_.add(b.control, Twips(left, kRowTop, b.width, kRowHeight).translated(-origin), kPoints, true);
    left += b.width;
  }
  controls_.add(positionBar, Twips(kLeft, kBarTop, kBarWidth, kBarHeight).translated(-origin));
  controls_.apply(1.0);

  connect(recordButton, &QPushButton::clicked, &recorder_, &Recorder::Record);
  connect(stopButton, &QPushButton::clicked, &recorder_, &Recorder::Stop);
  connect(saveButton, &QPushButton::clicked, &recorder_, &Recorder::Save);
  connect(deleteButton, &QPushButton::clicked, &recorder_, &Recorder::Delete);
  connect(playButton, &QPushButton::clicked, &recorder_, &Recorder::Play);
  connect(pollTimer, &QTimer::timeout, &recorder_, &Recorder::Tick);
  connect(&recorder_, &Recorder::changed, this, &RecorderButtons::Sync);
  Sync();
}

void RecorderButtons::resizeEvent(QResizeEvent* event) {
  const int logicalWidth = PlaceOnToolPanel().width();
  controls_.apply(logicalWidth > 0 ? double(event->size().width()) / logicalWidth : 1.0);
}

void RecorderButtons::Sync() {
  positionBar->setRange(0, recorder_.BarMax());
  positionBar->setValue(recorder_.BarValue());
  if (recorder_.TimerEnabled() != pollTimer->isActive()) {
    if (recorder_.TimerEnabled()) {
      pollTimer->start();
    } else {
      pollTimer->stop();
    }
  }
}
