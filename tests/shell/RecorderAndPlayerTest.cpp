// The recorder and the story player as the main window joins them to the
// cards: the recorder always works on the card being drawn, and the show
// leaves the main window on the card it ended on.

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTest>

#include "deck/CardStrip.h"
#include "editor/ToolPanel.h"
#include "library/StoryPanel.h"
#include "narration/SoundServer.h"
#include "player/PlayerWindow.h"
#include "shell/MainWindow.h"
#include "shell/Session.h"
#include "support/TestSupport.h"

namespace {

const QString kStory = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\neko\\");

QPushButton* Button(QWidget* window, const char* name) {
  auto* button = window->findChild<QPushButton*>(QLatin1String(name));
  if (!button) qFatal("no button %s", name);
  return button;
}

// A press on the body of the strip tile that shows deck position `position`.
void PressTile(MainWindow& form, int position) {
  QTest::mouseClick(form.cardStrip, Qt::LeftButton, {}, QPoint(strip::TileLeft(position) + 45, 50));
}

// Draws card `position` (a new one when past the deck) in one colour.
void DrawCard(MainWindow& form, Session& m, int position, QRgb colour) {
  PressTile(form, position);
  m.editor.canvasImage.fill(colour);
  Button(&form, "Command10")->click();
}

QRgb CanvasCentre(const Session& m) {
  return m.editor.canvasImage.pixel(m.editor.CanvasOffsetX + 400, m.editor.CanvasOffsetY + 300);
}

}  // namespace

class RecorderAndPlayerTest : public QObject {
  Q_OBJECT
 private slots:
  void recorderFollowsTheOpenCard();
  void showEndsOnItsLastCard();

 private:
  std::unique_ptr<TempDrives> drives_;
  void OpenClass(MainWindow& form, ScriptedDialogs& dialogs) {
    drives_.reset();  // the drives of one test at a time
    drives_ = std::make_unique<TempDrives>();
    WriteHostFile(drives_->c(QStringLiteral("A_PIKORA/CLASS_11/Menu.txt")), "neko\r\n");
    QDir().mkpath(drives_->c(QStringLiteral("A_PIKORA/CLASS_11/neko")));
    dialogs.answers = {true};
    Button(&form, "Command2_0")->click();
  }
};

void RecorderAndPlayerTest::recorderFollowsTheOpenCard() {
  ScriptedDialogs dialogs;
  Session m(dialogs);
  MainWindow form(m, QSize(1024, 768));
  OpenClass(form, dialogs);
  const Recorder& recorder = m.narration.recorder;

  // A new card has no narration file yet: what is saved waits for its number.
  Button(&form, "Command3")->click();
  QCOMPARE(recorder.NarrationFile(), std::nullopt);
  const bool sound = SoundServer::Running();
  if (sound) {
    Button(&form, "Command22")->click();
    QTest::qWait(600);
    Button(&form, "Command21")->click();
    Button(&form, "Command19")->click();
    QVERIFY(recorder.HasPendingNarration());
  }
  Button(&form, "Command10")->click();
  QCOMPARE(m.deck.CardCount, int16_t(1));
  QCOMPARE(recorder.NarrationFile(), kStory + QStringLiteral("Card_01_x.wav"));
  QVERIFY(!recorder.HasPendingNarration());
  const QString wave = drives_->c(QStringLiteral("A_PIKORA/CLASS_11/neko/Card_01_x.wav"));
  if (sound) QVERIFY(ReadHostFile(wave).startsWith("RIFF"));

  // "えをかく" on the saved card, then the new-card tile: each time the
  // recorder is on the card the editor shows.
  Button(&form, "Command3")->click();
  QCOMPARE(recorder.NarrationFile(), kStory + QStringLiteral("Card_01_x.wav"));
  Button(&form, "Command10")->click();
  PressTile(form, 2);
  QCOMPARE(recorder.NarrationFile(), std::nullopt);
  QCOMPARE(dialogs.told, QStringList());
  if (!sound) QSKIP(qPrintable(SoundServer::Problem()));
}

void RecorderAndPlayerTest::showEndsOnItsLastCard() {
  ScriptedDialogs dialogs;
  Session m(dialogs);
  MainWindow form(m, QSize(1024, 768));
  OpenClass(form, dialogs);

  // No cards: a beep and no window.
  Button(&form, "Command6")->click();
  QCOMPARE(dialogs.beeps, 1);
  QVERIFY(!form.playerWindow()->isVisible());

  const QRgb colours[] = {qRgb(250, 0, 0), qRgb(0, 250, 0), qRgb(0, 0, 250)};
  for (int p = 1; p <= 3; ++p) DrawCard(form, m, p, colours[p - 1]);
  QCOMPARE(m.deck.CardCount, int16_t(3));

  PlayerWindow* player = form.playerWindow();
  Button(&form, "Command6")->click();
  QVERIFY(player->isVisible());
  QCOMPARE(player->player().position(), 0);
  auto forward = [&](int expected) {
    Button(player, "Command3")->click();
    QTRY_VERIFY(!player->player().presenter().busy());
    QCOMPARE(m.deck.CurrentCard, int16_t(expected));
    QCOMPARE(CanvasCentre(m), colours[expected - 1]);
  };
  forward(1);
  forward(2);
  Button(player, "Command1")->click();
  Button(player, "Command4")->click();
  QVERIFY(!player->isVisible());

  // The main window is on card 2: the strip marks it, the canvas shows it
  // and "えをかく" opens it.
  QCOMPARE(m.deck.CurrentCard, int16_t(2));
  QCOMPARE(m.deck.stripImage.pixel(strip::TileLeft(2) + 45, 5), strip::kCurrentBand.rgb());
  QCOMPARE(m.deck.stripImage.pixel(strip::TileLeft(3) + 45, 5), strip::kBand.rgb());
  QCOMPARE(CanvasCentre(m), colours[1]);
  Button(&form, "Command3")->click();
  QCOMPARE(m.deck.CurrentCard, int16_t(2));
  QCOMPARE(CanvasCentre(m), colours[1]);
  QCOMPARE(m.narration.recorder.NarrationFile(), kStory + QStringLiteral("Card_02_x.wav"));
}

int main(int argc, char** argv) {
  RecorderAndPlayerTest test;
  return RunWithSoundServer(test, argc, argv);
}
#include "RecorderAndPlayerTest.moc"
