// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The player window and the show: its layout, the moves between title,
// cards and the end, flip mode, narrations, keys, and what the user does
// while a card change is on the screen.

#include <QTest>

#include "FakeHost.h"
#include "player/PlayerWindow.h"
#include "platform/Widgets.h"

using namespace presentation;
using Action = StoryPlayer::Action;

namespace {

// A player window whose card changes wait for the test to run them.
struct Show {
  explicit Show(int cards, QSize screen = {1024, 768}) : host(cards), window(host, screen) {
    presenter().setTimed(false);
  }
  CardPresenter& presenter() { return window.player().presenter(); }
  StoryPlayer& player() { return window.player(); }
  FaceButton* button(const char* name) { return window.findChild<FaceButton*>(QLatin1String(name)); }
  void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
  void press(std::initializer_list<const char*> names) {
    for (const char* name : names) click(name), presenter().Finish();
  }
  void key(Qt::Key key) { QTest::keyClick(&window, key), presenter().Finish(); }
  bool endShown() { return button("Command4")->isVisible(); }
  int position() { return player().position(); }
  bool wiping() { return presenter().busy() && !presenter().steps().empty(); }
  bool shows(int p) { return presenter().visibleImage() == host.card(p).copy(0, 0, 799, 600); }
  QRect placed(QWidget* w) { return QRect(w->mapTo(&window, QPoint()), w->size()); }
  // The story's name in black on the panel's colour, from y = 200.
  bool showsTitle() {
    const QImage& panel = presenter().visibleImage();
    int dark = 0;
    for (int x = 0; x < panel.width(); ++x) dark += qGray(panel.pixel(x, 225)) < 100;
    return panel.pixel(5, 5) == qRgb(192, 255, 255) && panel.pixel(400, 195) == qRgb(192, 255, 255) && dark > 20;
  }

  FakeHost host;
  PlayerWindow window;
};

}  // namespace

class StoryPlayerTest : public QObject {
  Q_OBJECT
 private slots:
  void layout();
  void forwardBackAndTheEnd();
  void titleBackAndFlipMode();
  void clicksDuringAWipeWaitTheirTurn();
  void keys();
};

void StoryPlayerTest::layout() {
  Show show(3);
  QVERIFY(show.window.objectName() == "Form6" && show.window.windowFlags() & Qt::FramelessWindowHint);
  const struct {
    const char* name;
    const char* caption;
    QRect at;
    int pixels;
  } buttons[] = {{"Command1", "■", {4, 4, 73, 49}, 27},         {"Command2", "＜", {84, 4, 73, 49}, 27},
                 {"Command3", "＞", {164, 4, 73, 49}, 27},       {"Command6", "音声", {244, 4, 73, 49}, 27},
                 {"Command5", "ﾊﾟﾗﾊﾟﾗ", {324, 4, 73, 49}, 19}, {"Command4", "おしまい", {376, 270, 273, 181}, 32}};
  for (const auto& b : buttons) {
    FaceButton* button = show.button(b.name);
    QVERIFY2(button, b.name);
    QCOMPARE(button->accessibleName(), QString::fromUtf8(b.caption));
    QCOMPARE(show.placed(button), b.at);
    QCOMPARE(button->font().pixelSize(), b.pixels);
    QCOMPARE(button->focusPolicy(), Qt::NoFocus);
    QCOMPARE(button->face(), b.pixels == 32 ? QColor(255, 255, 192) : QColor(192, 255, 192));
  }
  QCOMPARE(show.button("Command4")->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
  QCOMPARE(show.window.findChild<PicturePanel*>(QStringLiteral("Picture1")), show.window.panel());
  QCOMPARE(show.placed(show.window.panel()), QRect(111, 80, 799, 600));
  show.window.Start();
  QVERIFY(show.window.isVisible() && show.window.size() == QSize(1024, 768) && !show.endShown());

  // Smaller screens: scaled down from the top left; larger: scaled up as far
  // as it fits, centred.
  QCOMPARE(playerlayout::ChooseLayout({1024, 768}).scale, 1.0);
  const auto small = playerlayout::ChooseLayout({800, 600});
  QVERIFY(small.scale == 800.0 / 1024 && small.origin.isNull());
  Show large(3, {1920, 1080});
  QCOMPARE(large.window.layout().scale, 1.5);
  QCOMPARE(large.placed(large.window.panel()), QRect(192 + 167, 120, 1198, 900));
  QCOMPARE(large.placed(large.button("Command3")), QRect(192 + 246, 6, 110, 74));
}

void StoryPlayerTest::forwardBackAndTheEnd() {
  // A story without cards: a beep and no window, the title still printed.
  Show empty(0);
  empty.window.Start();
  QVERIFY(empty.host.beeps == 1 && !empty.window.isVisible() && empty.showsTitle());

  Show show(3);
  show.host.narrated = {0, 2};
  show.window.Start();
  QVERIFY(show.position() == StoryPlayer::kTitle && show.showsTitle());
  show.click("Command6");  // the title has no narration

  // "＞" from the title: card 1 opens from the middle, then its narration.
  show.click("Command3");
  QVERIFY(show.wiping() && show.presenter().steps().front().first.x() == 400 && show.host.played.isEmpty());
  show.presenter().Finish();
  QVERIFY(show.shows(0));
  QCOMPARE(show.host.played, QStringList{QStringLiteral("Card_01_x.wav")});
  show.press({"Command3", "Command3"});  // card 2 has no narration
  QVERIFY(show.shows(2));
  QCOMPARE(show.host.played.join(' '), QStringLiteral("Card_01_x.wav Card_03_x.wav"));

  // Past the last card: "おしまい", nothing played or loaded, and the place
  // holds however often "＞" is pressed; "音声" there plays nothing.
  for (int i = 0; i < 3; ++i) {
    show.click("Command3");
    QVERIFY(show.endShown() && !show.presenter().busy() && show.position() == 3);
  }
  show.click("Command6");
  QVERIFY(show.host.played.size() == 2 && show.host.loaded == (std::vector<int>{0, 1, 2}));

  // "＜" brings the last card back, closing in from the edges.
  show.click("Command2");
  QVERIFY(!show.endShown() && show.presenter().steps().front().first.x() == 0);
  show.press({"Command6"});
  QVERIFY(show.shows(2) && show.host.played.size() == 3);

  // "■" only shows "おしまい", which hides the window and sends the main
  // window back to the card last shown: past the end the last card, on the
  // title the first.
  show.click("Command1");
  QCOMPARE(show.position(), 2);
  show.click("Command4");
  QVERIFY(!show.window.isVisible());
  show.window.Start();
  show.press({"Command5", "Command3", "Command4"});
  show.window.Start();
  show.press({"Command1", "Command4"});
  QCOMPARE(show.host.closed, (std::vector<int>{2, 2, 0}));
}

void StoryPlayerTest::titleBackAndFlipMode() {
  Show show(3);
  show.host.narrated = {0, 1, 2};
  show.window.Start();
  // "＜" on the title: card 1's place, nothing drawn; then "＞" shows card
  // 2. At card 1, "＜" keeps it and draws nothing.
  show.click("Command2");
  QVERIFY(show.position() == 0 && show.showsTitle());
  show.press({"Command3"});
  QVERIFY(show.shows(1));
  show.press({"Command2", "Command2"});
  QCOMPARE(show.host.loaded, (std::vector<int>{1, 0}));

  // "ﾊﾟﾗﾊﾟﾗ" from the title: cards 1, 2, 3 at once, each held a moment, no
  // narration, "おしまい" hidden; again: "おしまい".
  show.window.Start();
  show.host.loaded.clear();
  show.host.played.clear();
  show.click("Command5");
  QCOMPARE(show.player().mode(), ShowMode::Flip);
  QVERIFY(show.shows(0) && show.presenter().busy() && !show.wiping());
  show.presenter().Advance();
  QVERIFY(show.shows(1));
  show.presenter().Finish();
  QVERIFY(show.shows(2) && show.host.played.isEmpty() && !show.endShown());
  QCOMPARE(show.host.loaded, (std::vector<int>{0, 1, 2}));
  show.click("Command5");
  QVERIFY(show.endShown());

  // Back without animation; "＞" runs on to the last card and plays only
  // its narration.
  show.click("Command2");
  QVERIFY(show.shows(2) && !show.presenter().busy());
  show.press({"Command2", "Command2"});
  QVERIFY(show.shows(0));
  show.press({"Command3"});
  QVERIFY(show.shows(2));
  QCOMPARE(show.host.played, QStringList{QStringLiteral("Card_03_x.wav")});

  // A new start is at the title in normal mode.
  show.press({"Command1", "Command4"});
  show.window.Start();
  QVERIFY(show.position() == StoryPlayer::kTitle && show.player().mode() == ShowMode::Normal && show.showsTitle() && !show.endShown());
  show.click("Command3");
  QVERIFY(show.wiping());
}

void StoryPlayerTest::clicksDuringAWipeWaitTheirTurn() {
  Show show(3);
  show.host.narrated = {0, 1};
  show.window.Start();
  show.click("Command3");
  show.presenter().Advance();
  // Made during the wipe: kept in order, none starting a wipe of its own.
  show.click("Command3");
  QTest::keyClick(&show.window, Qt::Key_Left);
  show.click("Command6");
  show.click("Command1");
  QCOMPARE(show.player().waiting(), size_t(4));
  QVERIFY(show.host.loaded.size() == 1 && show.presenter().stepsDone() == 1 && !show.endShown());
  show.presenter().Finish();
  QCOMPARE(show.host.loaded, (std::vector<int>{0, 1, 0}));
  QCOMPARE(show.host.played.join(' '), QStringLiteral("Card_01_x.wav Card_02_x.wav Card_01_x.wav"));
  QVERIFY(show.shows(0) && show.endShown());

  // The same on the frame timer, ending with the window closed.
  show.presenter().setTimed(true);
  show.click("Command3");
  QTest::keyClick(&show.window, Qt::Key_Escape);
  QTest::keyClick(&show.window, Qt::Key_Escape);
  QVERIFY(show.window.isVisible() && show.presenter().busy());
  QTRY_VERIFY_WITH_TIMEOUT(!show.window.isVisible(), 5000);
  QVERIFY(show.shows(1));
  QCOMPARE(show.host.closed, std::vector<int>{1});
}

void StoryPlayerTest::keys() {
  Show show(3);
  show.window.Start();
  for (Qt::Key key : {Qt::Key_Right, Qt::Key_Space, Qt::Key_PageDown, Qt::Key_Left, Qt::Key_PageUp})
    show.key(key);
  QCOMPARE(show.host.loaded, (std::vector<int>{0, 1, 2, 1, 0}));
  show.key(Qt::Key_Return);  // nothing while "おしまい" is hidden
  show.key(Qt::Key_Escape);
  QVERIFY(show.window.isVisible() && show.endShown());
  show.key(Qt::Key_Escape);
  QVERIFY(!show.window.isVisible());
  show.window.Start();
  show.key(Qt::Key_Escape);
  show.key(Qt::Key_Return);
  QVERIFY(!show.window.isVisible());
  // Closed by the system, the show ends as with "おしまい".
  show.window.Start();
  show.window.close();
  QCOMPARE(show.host.closed, (std::vector<int>{0, 0, 0}));
}

QTEST_MAIN(StoryPlayerTest)
#include "StoryPlayerTest.moc"
