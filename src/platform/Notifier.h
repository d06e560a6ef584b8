// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The change notice every part of the program's state gives: `changed()`
// when what its panels show (visibility, captions, faces, texts) changed,
// `surfaceChanged(rect)` when part of the surface it shows was drawn on (an
// empty rectangle: all of it). The windows listen; the procedures only call
// notifyChanged() and notifySurface().

#include <QObject>
#include <QRect>

class Notifier : public QObject {
  Q_OBJECT
 public:
  void notifyChanged() { emit changed(); }
  void notifySurface(const QRect& rect = {}) { emit surfaceChanged(rect); }

 signals:
  void changed();
  void surfaceChanged(QRect rect);
};
