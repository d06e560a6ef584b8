// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/Layout.h"

#include <QGuiApplication>
#include <QInputDevice>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace {

constexpr QSize kLargeWindow(1024, 740);
// Scaling up by less than this is not worth a blurred list.
constexpr double kLeastGain = 1.05;

}  // namespace

Layout ChooseLayout(const ScreenFacts& screen) {
  Layout layout;
  // The class panel is centred without rounding: (1024 - 617) / 2 = 203.5 keeps
  // the left edge of a pixel grid at 203.
  layout.classPanel = QRect((1024 - 617) / 2, 200, 617, 293);
  if (screen.size.width() < 1024 || screen.size.height() < 768) {
    layout.large = false;
    layout.window = QSize(800, 600);
    layout.scale = std::min(800.0 / 1024.0, 600.0 / 740.0);
    return layout;
  }
  if (!screen.touch) return layout;
  // Up by as much as the smallest target needs to reach a finger's size,
  // or as much as the available area holds when that is less.
  const double wanted = double(kFingerPixels) / kSmallestTarget;
  const double room = std::min(double(screen.available.width()) / kLargeWindow.width(),
                               double(screen.available.height() - kTitleBarRoom) / kLargeWindow.height());
  const double scale = std::min(wanted, room);
  if (scale < kLeastGain) return layout;
  layout.touch = true;
  layout.scale = scale;
  // Whole pixels that still fit: rounding down keeps the window inside the area.
  layout.window = QSize(int(std::floor(kLargeWindow.width() * scale)), int(std::floor(kLargeWindow.height() * scale)));
  return layout;
}

ScreenFacts ThisScreen() {
  ScreenFacts facts;
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    facts.size = screen->geometry().size();
    facts.available = screen->availableGeometry().size();
  }
  const QByteArray forced = qgetenv("PIKORAMA_TOUCH");
  if (forced == "1" || forced == "0") {
    facts.touch = forced == "1";
  } else {
    const QList<const QInputDevice*> devices = QInputDevice::devices();
    facts.touch = std::any_of(devices.begin(), devices.end(), [](const QInputDevice* device) {
      return device->type() == QInputDevice::DeviceType::TouchScreen;
    });
  }
  return facts;
}
