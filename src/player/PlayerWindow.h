// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The player's window: black, without a title bar, over the whole screen,
// with the card panel and the buttons of the show. Its layout is made for
// 1024 x 720 pixels and scaled to the screen. Made once, then only hidden
// and shown again.

#include <QWidget>
#include <optional>
#include <vector>

#include "player/StoryPlayer.h"

class FaceButton;
class PicturePanel;

namespace playerlayout {

inline constexpr int kDesignWidth = 1024;
inline constexpr int kDesignHeight = 720;

// Where the 1024 x 720 layout lies on the screen: pixel for pixel from the
// top left when it fits as it is, scaled down to fit a smaller screen, and
// on a larger one scaled up as far as it fits and centred.
struct Layout {
  double scale = 1.0;
  QPoint origin;
};
Layout ChooseLayout(QSize screen);

}  // namespace playerlayout

class PlayerWindow : public QWidget {
  Q_OBJECT
 public:
  // `screen` stands for the screen's size where the tests choose it.
  explicit PlayerWindow(PlayerHost& host, std::optional<QSize> screen = std::nullopt);

  // "じっこう" on the main window.
  void Start() { player_.Start(); }

  StoryPlayer& player() { return player_; }
  PicturePanel* panel() const { return panel_; }
  const playerlayout::Layout& layout() const { return layout_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  struct Placed {
    QWidget* widget;
    QRect logical;
  };
  FaceButton* AddButton(const QString& objectName, const QString& caption, QColor face, QRect logical,
                        const QFont& font, StoryPlayer::Action action);
  void PlaceAll();
  void PlacePanel(QSize surface);
  void Sync();

  StoryPlayer player_;
  QSize screen_;
  playerlayout::Layout layout_;
  QWidget* stage_ = nullptr;
  PicturePanel* panel_ = nullptr;
  FaceButton* endButton_ = nullptr;
  std::vector<Placed> placed_;
};
