// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "player/PlayerWindow.h"

#include <QGuiApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QScreen>
#include <algorithm>

#include "platform/Fonts.h"
#include "platform/Numbers.h"
#include "platform/Widgets.h"

namespace playerlayout {

Layout ChooseLayout(QSize screen) {
  const double fit = std::min(double(screen.width()) / kDesignWidth,
                              double(screen.height()) / kDesignHeight);
  Layout layout;
  if (fit <= 1.0) {
    layout.scale = fit;
    return layout;
  }
  layout.scale = fit;
  layout.origin = QPoint(int(RoundHalfEven((screen.width() - kDesignWidth * fit) / 2)),
                         int(RoundHalfEven((screen.height() - kDesignHeight * fit) / 2)));
  return layout;
}

}  // namespace playerlayout

namespace {

const QColor kButtonFace(192, 255, 192);
const QColor kEndFace(255, 255, 192);
constexpr int kButtonTop = 4, kButtonWidth = 73, kButtonHeight = 49;
constexpr int kEndWidth = 273, kEndHeight = 181;
constexpr QPoint kPanelAt(111, 80);

QSize ScreenSize() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry().size() : QSize(1024, 768);
}

QRect Scaled(QRect r, const playerlayout::Layout& layout) {
  const double s = layout.scale;
  return QRectF(r.x() * s, r.y() * s, r.width() * s, r.height() * s).toRect();
}

}  // namespace

PlayerWindow::PlayerWindow(PlayerHost& host, std::optional<QSize> screen)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      player_(host, this),
      screen_(screen.value_or(ScreenSize())),
      layout_(playerlayout::ChooseLayout(screen_)) {
  using Action = StoryPlayer::Action;
  setObjectName(QStringLiteral("Form6"));
  // The show covers the program: nothing else changes the cards meanwhile.
  setWindowModality(Qt::ApplicationModal);
  setWindowTitle(QStringLiteral("じっこう"));
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  setAutoFillBackground(true);
  setFocusPolicy(Qt::StrongFocus);

  stage_ = new QWidget(this);
  const double s = layout_.scale;
  stage_->setGeometry(QRectF(layout_.origin, QSizeF(playerlayout::kDesignWidth * s,
                                                    playerlayout::kDesignHeight * s))
                          .toRect());

  // The window's controls, laid out once when the window is made.
  const QFont big = Gothic(20.25, false, s), small = Gothic(14.25, false, s);
  auto button = [&](int i) { return QRect(4 + 80 * i, kButtonTop, kButtonWidth, kButtonHeight); };
  AddButton(QStringLiteral("Command1"), QStringLiteral("■"), kButtonFace, button(0), big, Action::Stop);
  AddButton(QStringLiteral("Command2"), QStringLiteral("＜"), kButtonFace, button(1), big, Action::Back);
  AddButton(QStringLiteral("Command3"), QStringLiteral("＞"), kButtonFace, button(2), big,
            Action::Forward);
  AddButton(QStringLiteral("Command6"), QStringLiteral("音声"), kButtonFace, button(3), big,
            Action::Sound);
  AddButton(QStringLiteral("Command5"), QStringLiteral("ﾊﾟﾗﾊﾟﾗ"), kButtonFace, button(4), small,
            Action::Flip);
  const QRect end(int(RoundHalfEven((playerlayout::kDesignWidth - kEndWidth) / 2.0)),
                  int(RoundHalfEven((playerlayout::kDesignHeight - kEndHeight) / 2.0)), kEndWidth,
                  kEndHeight);
  endButton_ = AddButton(QStringLiteral("Command4"), QStringLiteral("おしまい"), kEndFace, end,
                         PGothic(24, false, s), Action::End);
  endButton_->hide();

  panel_ = new PicturePanel(QStringLiteral("Picture1"), StoryPlayer::kPanelColour, stage_);
  panel_->setScale(s);
  panel_->lower();
  player_.presenter().setPanel(panel_);
  PlacePanel(player_.presenter().visibleImage().size());
  PlaceAll();

  connect(&player_.presenter(), &CardPresenter::surfaceResized, this, &PlayerWindow::PlacePanel);
  connect(&player_, &StoryPlayer::changed, this, &PlayerWindow::Sync);
}

FaceButton* PlayerWindow::AddButton(const QString& objectName, const QString& caption, QColor face,
                                    QRect logical, const QFont& font, StoryPlayer::Action action) {
  auto* button = new FaceButton(objectName, caption, face, stage_);
  button->setFont(font);
  // The keys belong to the show: no button takes the focus from it.
  button->setFocusPolicy(Qt::NoFocus);
  connect(button, &QPushButton::clicked, this, [this, action] { player_.Do(action); });
  placed_.push_back({button, logical});
  return button;
}

void PlayerWindow::PlaceAll() {
  for (const Placed& p : placed_) p.widget->setGeometry(Scaled(p.logical, layout_));
}

void PlayerWindow::PlacePanel(QSize surface) {
  panel_->setGeometry(Scaled(QRect(kPanelAt, surface), layout_));
}

void PlayerWindow::Sync() {
  endButton_->setVisible(player_.endShown());
  if (player_.open() && !isVisible()) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QPoint at = screen ? screen->geometry().topLeft() : QPoint();
    // Full screen by the window manager, and by its own geometry where none runs.
    setGeometry(QRect(at, screen_));
    showFullScreen();
    activateWindow();
    setFocus();
  } else if (!player_.open() && isVisible()) {
    hide();
  }
}

// Closed by the system (a key of the window manager, the end of the
// program): the same as "おしまい", so the main window still gets its card
// back. Closing only hides the window; it is used again.
void PlayerWindow::closeEvent(QCloseEvent* event) {
  player_.Do(StoryPlayer::Action::End);
  event->accept();
}

void PlayerWindow::keyPressEvent(QKeyEvent* event) {
  using Action = StoryPlayer::Action;
  switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Space:
    case Qt::Key_PageDown:
      player_.Do(Action::Forward);
      break;
    case Qt::Key_Left:
    case Qt::Key_PageUp:
      player_.Do(Action::Back);
      break;
    case Qt::Key_Escape:
      player_.Do(Action::Escape);
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      player_.Do(Action::Return);
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  event->accept();
}
