// The player window and the show: its layout, the moves between title,
// cards and the end, flip mode, the narrations, the keys, and what the user
// does while a card change is on the screen.

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "FakeHost.h"
#include "player/PlayerWindow.h"
#include "platform/Widgets.h"

using namespace presentation;
using Action = StoryPlayer::Action;

namespace {

const QRgb kPanel = qRgb(192, 255, 255);

// A player window on a 1024 x 768 screen whose card changes wait for the
// test to run them.
struct Show {
  explicit Show(int cards, QSize screen = {1024, 768}) : host(cards), window(host, screen) {
    presenter().setTimed(false);
  }
  CardPresenter& presenter() { return window.player().presenter(); }
  StoryPlayer& player() { return window.player(); }
  QPushButton* button(const char* name) { return window.findChild<QPushButton*>(QLatin1String(name)); }
  void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
  // Lets every change that is running or waiting come to its end.
  void settle() { presenter().Finish(); }
  bool endShown() { return button("Command4")->isVisible(); }
  int position() { return window.player().position(); }
  // The panel shows card `p` whole.
  bool shows(int p) { return presenter().visibleImage() == host.card(p).copy(0, 0, 799, 600); }
  bool showsTitle() {
    const QImage& panel = presenter().visibleImage();
    int dark = 0;
    for (int y = 200; y < 260; ++y)
      for (int x = 0; x < panel.width(); ++x) dark += qGray(panel.pixel(x, y)) < 100;
    return panel.pixel(5, 5) == kPanel && panel.pixel(400, 150) == kPanel && dark > 200;
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
  QCOMPARE(show.window.objectName(), QStringLiteral("Form6"));
  QVERIFY(show.window.windowFlags() & Qt::FramelessWindowHint);
  const struct {
    const char* name;
    QString caption;
    QRect at;
    int pixels;
  } buttons[] = {{"Command1", QStringLiteral("■"), {4, 4, 73, 49}, 27},
                 {"Command2", QStringLiteral("＜"), {84, 4, 73, 49}, 27},
                 {"Command3", QStringLiteral("＞"), {164, 4, 73, 49}, 27},
                 {"Command6", QStringLiteral("音声"), {244, 4, 73, 49}, 27},
                 {"Command5", QStringLiteral("ﾊﾟﾗﾊﾟﾗ"), {324, 4, 73, 49}, 19},
                 {"Command4", QStringLiteral("おしまい"), {376, 270, 273, 181}, 32}};
  for (const auto& b : buttons) {
    auto* button = qobject_cast<FaceButton*>(show.button(b.name));
    QVERIFY2(button, b.name);
    QCOMPARE(button->text(), b.caption);
    QCOMPARE(button->accessibleName(), b.caption);
    QCOMPARE(QRect(button->mapTo(&show.window, QPoint()), button->size()), b.at);
    QCOMPARE(button->font().pixelSize(), b.pixels);
    QCOMPARE(button->focusPolicy(), Qt::NoFocus);
    QCOMPARE(button->face(), QString(b.name) == "Command4" ? QColor(255, 255, 192) : QColor(192, 255, 192));
  }
  QCOMPARE(show.button("Command4")->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
  auto* panel = show.window.findChild<PicturePanel*>(QStringLiteral("Picture1"));
  QCOMPARE(panel, show.window.panel());
  QCOMPARE(QRect(panel->mapTo(&show.window, QPoint()), panel->size()), QRect(111, 80, 799, 600));

  show.window.Start();
  QVERIFY(show.window.isVisible());
  QCOMPARE(show.window.geometry().size(), QSize(1024, 768));
  QVERIFY(!show.endShown());

  // Smaller screens take the layout scaled down from the top left, larger
  // ones scaled up as far as it fits and centred.
  auto fits = [](QSize screen) { return playerlayout::ChooseLayout(screen); };
  QCOMPARE(fits({1024, 768}).scale, 1.0);
  QCOMPARE(fits({1024, 768}).origin, QPoint(0, 0));
  QCOMPARE(fits({800, 600}).scale, 800.0 / 1024);
  QCOMPARE(fits({800, 600}).origin, QPoint(0, 0));
  QCOMPARE(fits({1920, 1080}).scale, 1.5);
  QCOMPARE(fits({1920, 1080}).origin, QPoint(192, 0));
  Show large(3, {1920, 1080});
  QCOMPARE(QRect(large.window.panel()->mapTo(&large.window, QPoint()), large.window.panel()->size()),
           QRect(192 + 167, 120, 1198, 900));
  QCOMPARE(large.button("Command3")->mapTo(&large.window, QPoint()), QPoint(192 + 246, 6));
}

void StoryPlayerTest::forwardBackAndTheEnd() {
  // A story without cards: a beep and no window, the title still printed.
  Show empty(0);
  empty.window.Start();
  QCOMPARE(empty.host.beeps, 1);
  QVERIFY(!empty.window.isVisible());
  QVERIFY(empty.showsTitle());

  Show show(3);
  show.host.narrated = {1, 3};
  show.window.Start();
  QVERIFY(show.window.isVisible());
  QCOMPARE(show.position(), 0);
  QVERIFY(show.showsTitle());
  show.click("Command6");  // the title has no narration

  // "＞" from the title: card 1 opens from the middle, then its narration.
  show.click("Command3");
  QCOMPARE(show.host.loaded, std::vector<int>{1});
  QVERIFY(show.presenter().busy());
  QCOMPARE(show.presenter().steps().front().first.x(), 400);
  QVERIFY(show.host.played.isEmpty());
  show.settle();
  QVERIFY(show.shows(1));
  QCOMPARE(show.host.played, QStringList{QStringLiteral("Card_01_x.wav")});

  // Card 2 has no narration: nothing is played.
  show.click("Command3");
  show.settle();
  QCOMPARE(show.host.played.size(), 1);
  show.click("Command3");
  show.settle();
  QVERIFY(show.shows(3));
  QCOMPARE(show.host.played.last(), QStringLiteral("Card_03_x.wav"));

  // Past the last card: "おしまい", no narration, nothing loaded, and the
  // place holds however often "＞" is pressed; "音声" there plays nothing.
  for (int press = 0; press < 3; ++press) {
    show.click("Command3");
    QVERIFY(!show.presenter().busy());
    QVERIFY(show.endShown());
    QCOMPARE(show.position(), 4);
  }
  show.click("Command6");
  QCOMPARE(show.host.played.size(), 2);
  QCOMPARE(show.host.loaded, (std::vector<int>{1, 2, 3}));

  // "＜" shows the last card again, closing in from the edges.
  show.click("Command2");
  QVERIFY(!show.endShown());
  QCOMPARE(show.position(), 3);
  QCOMPARE(show.presenter().steps().front().first.x(), 0);
  show.settle();
  QVERIFY(show.shows(3));
  show.click("Command6");
  QCOMPARE(show.host.played.size(), 3);

  // "■" only shows "おしまい"; "おしまい" hides the window and sends the main
  // window back to the card last shown.
  show.click("Command1");
  QVERIFY(show.endShown());
  QCOMPARE(show.position(), 3);
  show.click("Command4");
  QVERIFY(!show.window.isVisible());
  QCOMPARE(show.host.closed, std::vector<int>{3});

  // Closed past the end, the main window gets the last card, not a place
  // past the deck; closed on the title, the first card.
  show.window.Start();
  show.player().Do(Action::Flip);
  show.settle();
  show.player().Do(Action::Forward);
  QCOMPARE(show.position(), 4);
  show.player().Do(Action::End);
  show.window.Start();
  QCOMPARE(show.position(), 0);
  show.player().Do(Action::End);
  QCOMPARE(show.host.closed, (std::vector<int>{3, 3, 1}));
}

void StoryPlayerTest::titleBackAndFlipMode() {
  Show show(3);
  show.host.narrated = {1, 2, 3};
  show.window.Start();

  // "＜" on the title: place 1, nothing drawn; then "＞" shows card 2.
  show.click("Command2");
  QCOMPARE(show.position(), 1);
  QVERIFY(show.host.loaded.empty());
  QVERIFY(show.showsTitle());
  show.click("Command3");
  show.settle();
  QVERIFY(show.shows(2));
  // At card 1, "＜" keeps card 1 and draws nothing.
  show.click("Command2");
  show.settle();
  show.click("Command2");
  QCOMPARE(show.position(), 1);
  QCOMPARE(show.host.loaded, (std::vector<int>{2, 1}));

  // "ﾊﾟﾗﾊﾟﾗ" from the title: cards 1, 2, 3 at once each, every card held a
  // moment, no narration, "おしまい" hidden.
  show.window.Start();
  show.host.loaded.clear();
  show.host.played.clear();
  show.click("Command5");
  QCOMPARE(show.player().mode(), kFlipMode);
  QVERIFY(show.shows(1));
  QVERIFY(show.presenter().busy());  // card 1 stays up
  QVERIFY(show.presenter().steps().empty());
  show.presenter().Advance();  // card 1 was up long enough
  QVERIFY(show.shows(2));
  show.settle();
  QVERIFY(show.shows(3));
  QCOMPARE(show.host.loaded, (std::vector<int>{1, 2, 3}));
  QVERIFY(show.host.played.isEmpty());
  QVERIFY(!show.endShown());
  // Again: past the end, "おしまい".
  show.click("Command5");
  QVERIFY(show.endShown());
  QCOMPARE(show.position(), 4);

  // Back without animation, and "＞" runs on to the last card playing only
  // its narration.
  show.click("Command2");
  QVERIFY(!show.presenter().busy());
  QVERIFY(show.shows(3));
  show.click("Command2");
  show.click("Command2");
  QVERIFY(show.shows(1));
  show.click("Command3");
  show.settle();
  QVERIFY(show.shows(3));
  QCOMPARE(show.host.played, QStringList{QStringLiteral("Card_03_x.wav")});

  // A new start is at the title in normal mode.
  show.click("Command1");
  show.click("Command4");
  show.window.Start();
  QCOMPARE(show.position(), 0);
  QCOMPARE(show.player().mode(), kNormalShow);
  QVERIFY(show.showsTitle());
  QVERIFY(!show.endShown());
  show.click("Command3");
  QVERIFY(!show.presenter().steps().empty());
}

void StoryPlayerTest::clicksDuringAWipeWaitTheirTurn() {
  Show show(3);
  show.host.narrated = {1, 2};
  show.window.Start();
  show.click("Command3");
  QVERIFY(show.presenter().Advance());
  // Made during the wipe: kept, none starting a wipe of its own.
  show.click("Command3");
  QTest::keyClick(&show.window, Qt::Key_Left);
  show.click("Command6");
  show.click("Command1");
  QCOMPARE(show.player().waiting(), size_t(4));
  QCOMPARE(show.host.loaded, std::vector<int>{1});
  QCOMPARE(show.presenter().stepsDone(), 1);
  QVERIFY(!show.endShown());

  // Acted on afterwards, in order.
  show.settle();
  QCOMPARE(show.host.loaded, (std::vector<int>{1, 2, 1}));
  QCOMPARE(show.host.played, (QStringList{QStringLiteral("Card_01_x.wav"), QStringLiteral("Card_02_x.wav"),
                                          QStringLiteral("Card_01_x.wav")}));
  QVERIFY(show.shows(1));
  QVERIFY(show.endShown());
  QCOMPARE(show.player().waiting(), size_t(0));

  // The same on the real frame timer, ending with the window closed.
  show.presenter().setTimed(true);
  show.click("Command3");
  QTest::keyClick(&show.window, Qt::Key_Escape);
  QTest::keyClick(&show.window, Qt::Key_Escape);
  QVERIFY(show.window.isVisible());
  QTRY_VERIFY_WITH_TIMEOUT(!show.window.isVisible(), 5000);
  QVERIFY(show.shows(2));
  QCOMPARE(show.host.closed, std::vector<int>{2});
}

void StoryPlayerTest::keys() {
  Show show(3);
  show.window.Start();
  for (Qt::Key key : {Qt::Key_Right, Qt::Key_Space, Qt::Key_PageDown}) {
    QTest::keyClick(&show.window, key);
    show.settle();
  }
  QCOMPARE(show.host.loaded, (std::vector<int>{1, 2, 3}));
  for (Qt::Key key : {Qt::Key_Left, Qt::Key_PageUp}) {
    QTest::keyClick(&show.window, key);
    show.settle();
  }
  QCOMPARE(show.position(), 1);
  QTest::keyClick(&show.window, Qt::Key_Return);  // nothing while "おしまい" is hidden
  QVERIFY(show.window.isVisible());
  QTest::keyClick(&show.window, Qt::Key_Escape);
  QVERIFY(show.endShown());
  QTest::keyClick(&show.window, Qt::Key_Escape);
  QVERIFY(!show.window.isVisible());
  show.window.Start();
  QTest::keyClick(&show.window, Qt::Key_Escape);
  QTest::keyClick(&show.window, Qt::Key_Return);
  QVERIFY(!show.window.isVisible());
  // Closed by the system, the show ends as with "おしまい".
  show.window.Start();
  show.window.close();
  QVERIFY(!show.window.isVisible());
  QCOMPARE(show.host.closed, (std::vector<int>{1, 1, 1}));
}

QTEST_MAIN(StoryPlayerTest)
#include "StoryPlayerTest.moc"
