// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The recorder's controls at the bottom of the editor's tool panel: five
// buttons in a row ("録音", "■", "保存", "削除", "▼"), the position bar
// below them and the 100 ms poll timer. They show the recorder's state and
// pass clicks to it.
//
// The widget covers PlaceOnToolPanel() in the tool panel's logical pixels;
// whatever size it is given, it lays its controls out at that scale, so it
// can be placed among the panel's controls like any of them.

#include <QRect>
#include <QWidget>

#include "platform/Widgets.h"

class QScrollBar;
class QTimer;
class Recorder;

class RecorderButtons : public QWidget {
  Q_OBJECT
 public:
  RecorderButtons(Recorder& recorder, QWidget* parent);

  // Where the controls sit on the tool panel, in its logical pixels.
  static QRect PlaceOnToolPanel();

  FaceButton* recordButton;
  FaceButton* stopButton;
  FaceButton* saveButton;
  FaceButton* deleteButton;
  FaceButton* playButton;
  QScrollBar* positionBar;
  QTimer* pollTimer;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Sync();

  Recorder& recorder_;
  Placements controls_;
};
