// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cardtext/HiraganaKeyboard.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTouchEvent>
#include <algorithm>

#include "platform/Dialogs.h"
#include "platform/Fonts.h"
#include "platform/Widgets.h"

namespace hiragana {

namespace {

const QString kPlain = QStringLiteral("かきくけこさしすせそたちつてとはひふへほ");
const QString kVoiced = QStringLiteral("がぎぐげござじずぜぞだぢづでどばびぶべぼ");
const QString kSemiVoiced = QStringLiteral("ぱぴぷぺぽ");
const qsizetype kFirstHa = kPlain.indexOf(u'は');

QList<Key> MakeKeys() {
  // Columns of the chart, あ column first; a space is a gap in the chart.
  const QStringList chart{
      QStringLiteral("あいうえお"), QStringLiteral("かきくけこ"), QStringLiteral("さしすせそ"),
      QStringLiteral("たちつてと"), QStringLiteral("なにぬねの"), QStringLiteral("はひふへほ"),
      QStringLiteral("まみむめも"), QStringLiteral("や ゆ よ"),   QStringLiteral("らりるれろ"),
      QStringLiteral("わ を  "),   QStringLiteral("ん    "),
  };
  QList<Key> keys;
  auto letter = [&keys](const QString& s, int row, int column) {
    keys.append({s, KeyKind::Letter, s, row, column, 1});
  };
  for (int c = 0; c < chart.size(); ++c)
    for (int r = 0; r < kLetterRows; ++r)
      if (chart[c].at(r) != u' ') letter(chart[c].at(r), r, kColumns - 1 - c);
  // The small letters and the long mark at the left of the chart.
  const QString small = QStringLiteral("ぁぃぅぇぉ");
  for (int r = 0; r < kLetterRows; ++r) letter(small.at(r), r, 1);
  const QString smallToo = QStringLiteral("っゃゅょー");
  for (int r = 0; r < kLetterRows; ++r) letter(smallToo.at(r), r, 0);
  // The bottom row.
  const int bottom = kRows - 1;
  keys.append({QStringLiteral("゛"), KeyKind::Voiced, {}, bottom, 0, 1});
  keys.append({QStringLiteral("゜"), KeyKind::SemiVoiced, {}, bottom, 1, 1});
  letter(QStringLiteral("、"), bottom, 2);
  letter(QStringLiteral("。"), bottom, 3);
  keys.append({QStringLiteral("すきま"), KeyKind::Letter, kSpace, bottom, 4, 2});
  keys.append({QStringLiteral("けす"), KeyKind::Erase, {}, bottom, 6, 2});
  keys.append({QStringLiteral("かいぎょう"), KeyKind::NewLine, {}, bottom, 8, 3});
  // Columns 11 and 12 of the bottom row hold the button that hides the keys.
  return keys;
}

}  // namespace

const QList<Key>& Keys() {
  static const QList<Key> keys = MakeKeys();
  return keys;
}

std::optional<QChar> WithVoicedMark(QChar letter) {
  if (const qsizetype i = kPlain.indexOf(letter); i >= 0) return kVoiced.at(i);
  if (const qsizetype i = kVoiced.indexOf(letter); i >= 0) return kPlain.at(i);
  if (const qsizetype i = kSemiVoiced.indexOf(letter); i >= 0) return kVoiced.at(kFirstHa + i);
  return std::nullopt;
}

std::optional<QChar> WithSemiVoicedMark(QChar letter) {
  if (const qsizetype i = kSemiVoiced.indexOf(letter); i >= 0) return kPlain.at(kFirstHa + i);
  for (const QString* row : {&kPlain, &kVoiced}) {
    const qsizetype i = row->indexOf(letter);
    if (i >= kFirstHa) return kSemiVoiced.at(i - kFirstHa);
  }
  return std::nullopt;
}

}  // namespace hiragana

using hiragana::Key;
using hiragana::KeyKind;

namespace {

constexpr int kMargin = 4;
constexpr int kMinimumKey = 40;
// Keys squeezed into a small room go down to this; smaller, a finger
// misses them, and the panel folds to its bar instead.
constexpr int kSmallestKey = 28;
// A finger down on a key this long is taken to have lost its release.
constexpr qint64 kLostTapMs = 5000;
// The keys take at most this share of the host's height; the text keeps the rest.
constexpr double kHeightShare = 0.55;
const QColor kPanelColour(0xF0, 0xE6, 0xC8);
const QColor kKeyFace(0xFF, 0xFF, 0xF4);
const QString kHideCaption = QStringLiteral("しまう");
const QString kShowCaption = QStringLiteral("ひらがな");

// The font for a caption on a key `width` pixels wide: the letter size of
// the keys, smaller for a long caption, never below 18 points.
QFont KeyFont(int keySize, int width, const QString& caption) {
  const double letterPoints = std::max(18.0, keySize * 0.5 * 72.0 / 96.0);
  const double fitPoints = (width - 8) / double(std::max<qsizetype>(1, caption.size())) * 72.0 / 96.0;
  return Gothic(std::max(18.0, std::min(letterPoints, fitPoints)));
}


// The card text box as the keys' target: a key is sent to it as a key
// press, so that its own key handling refuses what the card text file
// cannot hold, and the cursor stays in view.
class BoxKeys : public KeyTarget {
 public:
  explicit BoxKeys(QPlainTextEdit& box) : box_(box) {}

  void insert(const QString& letter) override { sendKey(Qt::Key_unknown, letter); }
  QChar letterBeforeCursor() override {
    // The mark belongs to the letter written last: a selection is given up.
    QTextCursor cursor = box_.textCursor();
    if (cursor.hasSelection()) {
      cursor.clearSelection();
      box_.setTextCursor(cursor);
    }
    const int position = cursor.position();
    return position == 0 ? QChar() : box_.document()->characterAt(position - 1);
  }
  void eraseOne() override { sendKey(Qt::Key_Backspace, QString()); }
  void newLine() override { sendKey(Qt::Key_Return, QStringLiteral("\r")); }

 private:
  void sendKey(int qtKey, const QString& text) {
    QKeyEvent down(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&box_, &down);
    QKeyEvent up(QEvent::KeyRelease, qtKey, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&box_, &up);
    box_.ensureCursorVisible();
  }

  QPlainTextEdit& box_;
};

}  // namespace

HiraganaKeyboard::HiraganaKeyboard(QPlainTextEdit& box, Dialogs& dialogs)
    : HiraganaKeyboard(box, *new BoxKeys(box), dialogs) {
  ownTarget_.reset(&target_);
}

HiraganaKeyboard::HiraganaKeyboard(QWidget& host, KeyTarget& target, Dialogs& dialogs)
    : QWidget(&host), host_(host), target_(target), dialogs_(dialogs) {
  setObjectName(QStringLiteral("hiraganaKeyboard"));
  setFocusPolicy(Qt::NoFocus);
  setCursor(Qt::ArrowCursor);
  // A press or a finger on the keyboard is the keyboard's, between the keys
  // too: it never reaches the host (on the canvas it would start new words
  // there).
  setAttribute(Qt::WA_NoMousePropagation);
  // Each finger is a key of its own; Qt would make only one of them a mouse.
  setAttribute(Qt::WA_AcceptTouchEvents);
  for (const Key& key : hiragana::Keys()) {
    auto* button = new FaceButton(QStringLiteral("hiraganaKey"), key.caption, kKeyFace, this);
    button->setFocusPolicy(Qt::NoFocus);  // the host keeps the keys
    connect(button, &QPushButton::clicked, this, [this, &key] { press(key); });
    keys_.append(button);
  }
  showHide_ = new FaceButton(QStringLiteral("hiraganaShowHide"), kHideCaption, kPanelColour.darker(115), this);
  showHide_->setFocusPolicy(Qt::NoFocus);
  connect(showHide_, &QPushButton::clicked, this, [this] { setKeysShown(!keysShown_); });
  placeInside();
}

HiraganaKeyboard::~HiraganaKeyboard() = default;

bool HiraganaKeyboard::placeAlong(KeyboardEdge edge, int room) {
  edge_ = edge;
  room_ = room;
  placeInside();
  return fits_;
}

QPushButton* HiraganaKeyboard::key(const QString& caption) const {
  for (QPushButton* button : keys_)
    if (button->accessibleName() == caption) return button;
  return nullptr;
}

int HiraganaKeyboard::coveredHeight() const { return covered_; }

void HiraganaKeyboard::setKeysShown(bool shown) {
  keysShown_ = shown;
  placeInside();
}

void HiraganaKeyboard::placeInside() {
  const QSize area = host_.size();
  const int across = (area.width() - 2 * kMargin) / hiragana::kColumns;
  const int down = int((area.height() * kHeightShare - 2 * kMargin) / hiragana::kRows);
  const int usual = std::max(kMinimumKey, std::min(across, down));
  int keySize = usual;
  // A room smaller than the usual keys: the keys shrink to it, or, when they
  // would be too small for a finger, the panel folds to its bar (with the
  // keys put away, the bar alone is fitted).
  cramped_ = false;
  fits_ = true;
  if (room_ > 0) {
    keySize = std::min(usual, (room_ - 2 * kMargin) / hiragana::kRows);
    if (keySize < kSmallestKey || !keysShown_) {
      cramped_ = keysShown_;
      keySize = std::min(usual, room_ - 2 * kMargin);
      fits_ = keySize >= kSmallestKey;
      keySize = std::max(1, keySize);
    }
  }
  const bool keysOut = keysShown_ && !cramped_;
  const int tableWidth = keySize * hiragana::kColumns;
  const int left = std::max(kMargin, (area.width() - tableWidth) / 2);

  for (QPushButton* button : keys_) button->setVisible(keysOut);
  // Folded for want of room, the bar's button waits until there is room.
  showHide_->setEnabled(!cramped_);
  int height;
  if (keysOut) {
    height = keySize * hiragana::kRows + 2 * kMargin;
    const QList<Key>& keys = hiragana::Keys();
    for (qsizetype i = 0; i < keys.size(); ++i) {
      const Key& key = keys.at(i);
      const int width = keySize * key.rowSpan;
      keys_[i]->setGeometry(left + key.column * keySize, kMargin + key.row * keySize, width, keySize);
      QFont font = KeyFont(keySize, width, key.caption);
      // The marks are drawn small in the corner of their cell: larger, they show.
      if (key.kind == KeyKind::Voiced || key.kind == KeyKind::SemiVoiced) font.setPixelSize(font.pixelSize() * 3 / 2);
      keys_[i]->setFont(font);
    }
    showHide_->setGeometry(left + (hiragana::kColumns - 2) * keySize, kMargin + (hiragana::kRows - 1) * keySize,
                           2 * keySize, keySize);
    showHide_->setFont(KeyFont(keySize, 2 * keySize, kHideCaption));
    showHide_->setCaption(kHideCaption);
  } else {
    // Only the button that brings the keys back, at the right.
    height = keySize + 2 * kMargin;
    const int width = 3 * keySize;
    showHide_->setGeometry(left + tableWidth - width, kMargin, width, keySize);
    showHide_->setFont(KeyFont(keySize, width, kShowCaption));
    showHide_->setCaption(kShowCaption);
  }
  setGeometry(0, edge_ == KeyboardEdge::Bottom ? area.height() - height : 0, area.width(), height);
  raise();
  if (height != covered_) {
    covered_ = height;
    emit coveredHeightChanged(height);
  }
}

bool HiraganaKeyboard::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
      touch(static_cast<QTouchEvent*>(event));
      return true;
    default:
      return QWidget::event(event);
  }
}

void HiraganaKeyboard::touch(QTouchEvent* event) {
  event->accept();  // no mouse made of the fingers: each is a key of its own
  const bool cancelled = event->type() == QEvent::TouchCancel;
  const auto forget = [](Tap& tap) {
    if (tap.button) tap.button->setDown(false);
    tap.button = nullptr;
    tap.lifted = true;
  };
  // A finger held on a key longer than any tap lost its release (a message
  // opened over it, say): it types nothing and holds back no later key.
  for (Tap& tap : taps_)
    if (!tap.lifted && tap.down.hasExpired(kLostTapMs)) forget(tap);
  // Qt gives the keyboard also new fingers landing near it on the host
  // (the canvas the keys lie over): those go on to the host as a touch of
  // their own, the first one down beginning it, the last one up ending it.
  if (event->type() == QEvent::TouchBegin) handedToHost_.clear();
  QWidget* host = parentWidget();
  const bool hostTouched = host && host->testAttribute(Qt::WA_AcceptTouchEvents);
  const bool hostTouchedBefore = !handedToHost_.empty();
  QList<QEventPoint> forHost;
  for (const QEventPoint& point : event->points()) {
    const QPointF global = point.globalPosition();
    if (point.state() == QEventPoint::State::Pressed) {
      handedToHost_.erase(point.id());
      if (hostTouched && !rect().contains(mapFromGlobal(global).toPoint())) handedToHost_.insert(point.id());
    }
    if (handedToHost_.count(point.id())) {
      forHost.append(QEventPoint(point.id(), point.state(), point.scenePosition(), global));
      if (cancelled || point.state() == QEventPoint::State::Released) handedToHost_.erase(point.id());
      continue;
    }
    // Placed by the screen, so that points handed on by the host (which
    // carry the host's positions) are found too.
    QWidget* under = childAt(mapFromGlobal(global).toPoint());
    auto* button = qobject_cast<QPushButton*>(under);
    if (button && !button->isEnabled()) button = nullptr;
    auto tap = std::find_if(taps_.begin(), taps_.end(), [&](const Tap& t) { return t.id == point.id() && !t.lifted; });
    if (point.state() == QEventPoint::State::Pressed) {
      if (tap != taps_.end()) forget(*tap);  // its release never came
      taps_.append({point.id(), button, false, {}});
      taps_.back().down.start();
      if (button) button->setDown(true);
    } else if (tap != taps_.end()) {
      // A finger slid off its key presses nothing, as with the mouse.
      if (point.state() == QEventPoint::State::Updated && tap->button && button != tap->button) {
        tap->button->setDown(false);
        tap->button = nullptr;
      }
      if (cancelled) {
        forget(*tap);
      } else if (point.state() == QEventPoint::State::Released) {
        if (tap->button) tap->button->setDown(false);
        tap->lifted = true;
      }
    }
  }
  if (cancelled) {
    // A cancelled touch types nothing, also for fingers it does not name.
    for (Tap& tap : taps_)
      if (!tap.lifted) forget(tap);
    if (hostTouchedBefore || !forHost.isEmpty()) {
      QTouchEvent handed(QEvent::TouchCancel, event->pointingDevice(), event->modifiers(), forHost);
      QCoreApplication::sendEvent(host, &handed);
    }
    handedToHost_.clear();
  } else if (!forHost.isEmpty()) {
    const QEvent::Type type = !hostTouchedBefore     ? QEvent::TouchBegin
                              : handedToHost_.empty() ? QEvent::TouchEnd
                                                      : QEvent::TouchUpdate;
    QTouchEvent handed(type, event->pointingDevice(), event->modifiers(), forHost);
    QCoreApplication::sendEvent(host, &handed);
  }
  typeLiftedTaps();
}

void HiraganaKeyboard::hideEvent(QHideEvent* event) {
  // Put away, the keys under fingers still down press nothing.
  for (const Tap& tap : taps_)
    if (tap.button) tap.button->setDown(false);
  taps_.clear();
  QWidget::hideEvent(event);
}

void HiraganaKeyboard::typeLiftedTaps() {
  while (!taps_.isEmpty() && taps_.front().lifted) {
    QPushButton* button = taps_.takeFirst().button;
    // A key may have been hidden meanwhile (the bar's button pressed).
    if (button && button->isVisible()) button->click();
  }
}

void HiraganaKeyboard::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kPanelColour);
  painter.setPen(kPanelColour.darker(140));
  const int edgeLine = edge_ == KeyboardEdge::Bottom ? 0 : height() - 1;
  painter.drawLine(0, edgeLine, width(), edgeLine);
}

void HiraganaKeyboard::applyMark(KeyKind mark) {
  const QChar before = target_.letterBeforeCursor();
  const std::optional<QChar> marked =
      before.isNull() ? std::nullopt
                      : (mark == KeyKind::Voiced ? hiragana::WithVoicedMark : hiragana::WithSemiVoicedMark)(before);
  if (!marked) {
    dialogs_.Beep();  // nothing the mark can go on
    return;
  }
  target_.eraseOne();
  target_.insert(QString(*marked));
}

void HiraganaKeyboard::press(const Key& key) {
  switch (key.kind) {
    case KeyKind::Letter:
      target_.insert(key.letter);
      break;
    case KeyKind::Voiced:
    case KeyKind::SemiVoiced:
      applyMark(key.kind);
      break;
    case KeyKind::Erase:
      target_.eraseOne();
      break;
    case KeyKind::NewLine:
      target_.newLine();
      break;
  }
}
