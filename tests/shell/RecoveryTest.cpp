// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// A drawing in the editor survives a crash: it is offered when its class
// is chosen again (as a new card or a new story when its card or story is
// gone), and goes away when it was saved or declined. The voice recorded
// for the card comes back with it.

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include "deck/SharedDeck.h"
#include "deck/StoryFiles.h"
#include "drawing/DrawingSession.h"
#include "drawing/DrawingTools.h"
#include "drawing/ToolPanel.h"
#include "library/StoryList.h"
#include "library/StoryPanel.h"
#include "narration/NarrationFile.h"
#include "narration/SoundServer.h"
#include "platform/Disk.h"
#include "platform/QtDialogs.h"
#include "platform/StateFiles.h"
#include "shell/ClassPanel.h"
#include "shell/MainWindow.h"
#include "shell/Session.h"
#include "support/TestSupport.h"

namespace {

const QString kOffer = QStringLiteral("まえに かいていた えが あります。つづきを かきますか？");

// Class 1-1 with the stories "ねこ" and "いぬ", just made: no card list yet.
void MakeClass(const TempDrives& drives) {
  WriteHostFile(drives.c(QStringLiteral("A_PIKORA/CLASS_11/Menu.txt")), "\x82\xcb\x82\xb1\r\n\x82\xa2\x82\xca\r\n");
  QDir().mkpath(drives.c(QStringLiteral("A_PIKORA/CLASS_11/ねこ")));
  QDir().mkpath(drives.c(QStringLiteral("A_PIKORA/CLASS_11/いぬ")));
}

// Chooses class 1-1 and opens the first card of "ねこ" in the editor; draws a
// stroke in `colour` through the canvas mouse handlers.
void OpenAndDraw(MainWindow& form, Session& session, int colour) {
  form.classPanel->classButtons[0]->click();
  form.storyPanel->drawButton->click();
  session.editor.tool = Tool::MediumBrush;
  session.editor.penColourIndex = colour;
  CanvasMouseDown(session.editor, kLeftButton, 100, 100);
  for (int i = 1; i <= 40; ++i) CanvasMouseMove(session.editor, kLeftButton, 100 + 9 * i, 100 + 5 * i);
  CanvasMouseUp(session.editor, kLeftButton, 460, 300);
}

// Opens the editor on the story's card, sets a dot at (300, 300) and has
// the recovery file written at once.
void DrawDotAndKeep(MainWindow& form, Session& session) {
  form.storyPanel->drawButton->click();
  session.editor.tool = Tool::MediumBrush;
  CanvasMouseDown(session.editor, kLeftButton, 300, 300);
  CanvasMouseUp(session.editor, kLeftButton, 300, 300);
  session.recovery.WriteNow();
  session.recovery.WaitForWrites();
}

QStringList RecoveryFiles() {
  QStringList files;
  QDirIterator it(qEnvironmentVariable("XDG_DATA_HOME"), {QStringLiteral("*.recovery")}, QDir::Files,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) files << it.next();
  return files;
}

const QString kClass = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\");

// Whether card `number` of `story` holds `picture` (but the column the
// canvas frame covers) and the text "ねこの え".
bool SavedAs(const QString& story, int number, const QImage& picture) {
  const QString folder = kClass + story + u'\\';
  const auto saved = disk::ReadImage(storyfiles::CardFilePath(folder, number, storyfiles::CardFile::Picture));
  return saved && saved->convertToFormat(QImage::Format_RGB32).copy(0, 0, 799, 600) == picture.copy(0, 0, 799, 600) &&
         disk::ReadLines(storyfiles::CardFilePath(folder, number, storyfiles::CardFile::Text)) ==
             std::optional<QStringList>(QStringList{QStringLiteral("ねこの え")});
}

}  // namespace

class RecoveryTest : public QObject {
  Q_OBJECT
  QTemporaryDir stateHome_;
 private slots:
  void initTestCase() { qputenv("XDG_DATA_HOME", stateHome_.path().toUtf8()); }
  void killedDrawingComesBack();
  void oldRecoveryFileComesBack();
  void unsavedVoiceComesBackUnsaved();
  void leftDrawingsGoAway();
  void drawingsOfGoneCardsAndStoriesAreOffered();
};

void RecoveryTest::killedDrawingComesBack() {
  TempDrives drives;
  MakeClass(drives);
  const QString reference = stateHome_.filePath(QStringLiteral("drawn.png"));
  const QString voiceReference = stateHome_.filePath(QStringLiteral("voice.wav"));
  int ready[2];
  QVERIFY(pipe(ready) == 0);
  fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    // The program that crashes: it draws, types, waits for its recovery
    // file and tells the test, which then kills it.
    ScriptedDialogs dialogs;
    dialogs.answers = {true};
    Session session(dialogs);
    MainWindow form(session, QSize(1024, 768));
    session.recovery.delayMs = 200;
    OpenAndDraw(form, session, 2);
    form.cardText->setPlainText(QStringLiteral("あかい せん\nおわり"));
    // With a microphone, a take saved with "保存" on this new card, which
    // waits for the card's first save.
    Recorder& recorder = session.narration.recorder;
    const bool voice = SoundServer::Running() && SoundServer::WaitForMicrophone();
    if (voice) {
      form.findChild<QPushButton*>(QStringLiteral("Command22"))->click();
      for (int i = 0; i < 250 && recorder.RecordPosition() == 0; ++i) QTest::qWait(20);
      QTest::qWait(300);
      form.findChild<QPushButton*>(QStringLiteral("Command21"))->click();
      form.findChild<QPushButton*>(QStringLiteral("Command19"))->click();
      const auto kept = recorder.Kept();
      if (kept) WriteHostFile(voiceReference, EncodeNarration(kept->recording).value_or(QByteArray()));
      QTest::qWait(3 * session.recovery.delayMs);  // the take's own write
    }
    while (RecoveryFiles().isEmpty()) QTest::qWait(20);
    session.recovery.WaitForWrites();
    CanvasPicture(session.editor).save(reference, "PNG");
    (void)!write(ready[1], voice ? "v" : "x", 1);
    for (;;) pause();
  }
  ::close(ready[1]);
  char byte = 0;
  const bool told = read(ready[0], &byte, 1) == 1;
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  ::close(ready[0]);
  QVERIFY(told);
  QCOMPARE(RecoveryFiles().size(), 1);

  ScriptedDialogs dialogs;
  dialogs.answers = {true, true};
  Session session(dialogs);
  MainWindow form(session, QSize(1024, 768));
  form.classPanel->classButtons[0]->click();
  QCOMPARE(dialogs.asked, (QStringList{QStringLiteral("１年１組でよろしいですか"), kOffer}));
  QVERIFY(session.drawing.IsOpen());
  QCOMPARE(session.library.currentStoryName, QStringLiteral("ねこ"));
  QCOMPARE(session.deck.currentCard, 0);
  const QImage drawn = QImage(reference).convertToFormat(QImage::Format_RGB32);
  QCOMPARE(CanvasPicture(session.editor).convertToFormat(QImage::Format_RGB32), drawn);
  QCOMPARE(session.deck.cardText, QStringLiteral("あかい せん\r\nおわり"));
  QCOMPARE(form.cardText->toPlainText(), QStringLiteral("あかい せん\nおわり"));
  QCOMPARE(session.narration.recorder.HasPendingNarration(), byte == 'v');

  // Finishing saves the drawing as the card, with the voice, and leaves no
  // recovery.
  form.toolPanel->finishButton->click();
  QVERIFY(!session.drawing.IsOpen());
  QCOMPARE(RecoveryFiles(), QStringList());
  const auto saved = disk::ReadImage(QStringLiteral("C:\\A_PIKORA\\CLASS_11\\ねこ\\Card_01.PNG"));
  QVERIFY(saved);
  QCOMPARE(saved->convertToFormat(QImage::Format_RGB32).copy(0, 0, 799, 600), drawn.copy(0, 0, 799, 600));
  if (byte != 'v') QSKIP(qPrintable(QStringLiteral("no voice recorded: ") + SoundServer::Problem()));
  const auto take = DecodeNarration(ReadHostFile(voiceReference));
  const auto written = DecodeNarration(ReadHostFile(drives.c(QStringLiteral("A_PIKORA/CLASS_11/ねこ/Card_01_x.wav"))));
  QVERIFY(take && written);
  QVERIFY(take->frames() > 0);
  QCOMPARE(written->bytes, take->bytes);
}

void RecoveryTest::oldRecoveryFileComesBack() {
  // A recovery file as written before voices were kept with drawings.
  TempDrives drives;
  MakeClass(drives);
  QImage picture(800, 600, QImage::Format_RGB32);
  picture.fill(qRgb(255, 255, 255));
  picture.setPixel(200, 100, qRgb(255, 0, 0));
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  picture.save(&buffer, "PNG");
  const QByteArray old = "PIKORAMA DRAWING 1\nroot=C%3A%5CA_PIKORA%5C\nclass=CLASS_11\nstory=" +
                         QStringLiteral("いぬ").toUtf8().toPercentEncoding() + "\ncard=0\ntime=" +
                         QByteArray::number(QDateTime::currentMSecsSinceEpoch()) + "\ntext=" +
                         QStringLiteral("いぬの え").toUtf8().toPercentEncoding() + "\npng=" +
                         QByteArray::number(png.size()) + "\n\n" + png;
  QVERIFY(state::Write(RecoveryFileName(kClass), old));
  ScriptedDialogs dialogs;
  dialogs.answers = {true, true};
  Session session(dialogs);
  MainWindow form(session, QSize(1024, 768));
  form.classPanel->classButtons[0]->click();
  QCOMPARE(dialogs.asked.value(1), kOffer);
  QCOMPARE(session.library.currentStoryName, QStringLiteral("いぬ"));
  QCOMPARE(CanvasPicture(session.editor).convertToFormat(QImage::Format_RGB32).copy(0, 0, 799, 600), picture.copy(0, 0, 799, 600));
  QCOMPARE(session.deck.cardText, QStringLiteral("いぬの え"));
  QVERIFY(!session.narration.recorder.HasPendingNarration());
}

// A take the child recorded and never saved comes back as such: saved
// only if the child says so when the card is finished, so that it never
// takes the place of the card's narration unasked.
void RecoveryTest::unsavedVoiceComesBackUnsaved() {
  TempDrives drives;
  MakeClass(drives);
  QImage picture(800, 600, QImage::Format_RGB32);
  picture.fill(qRgb(255, 255, 255));
  DrawingSnapshot kept{QStringLiteral("C:\\A_PIKORA\\"), QStringLiteral("CLASS_11"), QStringLiteral("ねこ"), 0,
                       QDateTime::currentMSecsSinceEpoch(), picture, QString()};
  kept.voice = ToneWav(440, 0.5);
  kept.voiceSaved = false;
  for (const bool keep : {false, true}) {
    QVERIFY(state::Write(RecoveryFileName(kClass), EncodeSnapshot(kept)));
    ScriptedDialogs dialogs;
    dialogs.answers = {true, true, keep};
    Session session(dialogs);
    MainWindow form(session, QSize(1024, 768));
    form.classPanel->classButtons[0]->click();
    QCOMPARE(dialogs.asked.value(1), kOffer);
    QVERIFY(session.narration.recorder.HasUnsavedRecording());
    QVERIFY(!session.narration.recorder.HasPendingNarration());
    form.toolPanel->finishButton->click();
    QCOMPARE(dialogs.asked.value(2), QStringLiteral("ろくおんした こえを ほぞんしますか？"));
    const QString wave = drives.c(QStringLiteral("A_PIKORA/CLASS_11/ねこ/Card_%1_x.wav").arg(keep ? "02" : "01"));
    QCOMPARE(QFileInfo::exists(wave), keep);
    if (keep) QCOMPARE(DecodeNarration(ReadHostFile(wave))->bytes, DecodeNarration(kept.voice)->bytes);
  }
}

void RecoveryTest::leftDrawingsGoAway() {
  TempDrives drives;
  MakeClass(drives);
  QByteArray left;
  QString file;
  {
    ScriptedDialogs dialogs;
    dialogs.answers = {true};
    Session session(dialogs);
    MainWindow form(session, QSize(1024, 768));
    OpenAndDraw(form, session, 4);
    session.recovery.WriteNow();
    session.recovery.WaitForWrites();
    QCOMPARE(RecoveryFiles().size(), 1);
    // A normal finish removes it.
    form.toolPanel->finishButton->click();
    QCOMPARE(RecoveryFiles(), QStringList());
    // What a crash would leave: a drawing newer than the saved card.
    QTest::qWait(5);
    DrawDotAndKeep(form, session);
    file = RecoveryFiles().value(0);
    QVERIFY(!file.isEmpty());
    left = ReadHostFile(file);
  }
  // Its card drawn on another computer: はい opens nothing, and the drawing
  // stays kept, also through another card drawn and finished here.
  {
    WriteHostFile(file, left);
    const auto held = SharedLock::Take(CardLockFile(QStringLiteral("C:\\A_PIKORA\\CLASS_11\\ねこ\\"), 1),
                                       SharedLock::kCardStale, SharedLock::Duration(0));
    QVERIFY(held);
    ScriptedDialogs dialogs;
    dialogs.answers = {true, true};
    Session session(dialogs);
    MainWindow form(session, QSize(1024, 768));
    form.classPanel->classButtons[0]->click();
    QCOMPARE(dialogs.told, QStringList{kCardInUse});
    QVERIFY(!session.drawing.IsOpen());
    SelectStory(session.library, session.deck, 1);
    DrawDotAndKeep(form, session);
    form.toolPanel->finishButton->click();
    QVERIFY(!session.drawing.IsOpen());
    QCOMPARE(RecoveryFiles(), QStringList{file});
    QCOMPARE(ReadHostFile(file), left);
  }
  // Another class leaves it where it is; いいえ in its own class removes it.
  for (int k : {1, 0}) {
    WriteHostFile(file, left);
    ScriptedDialogs dialogs;
    dialogs.answers = {true, false};
    Session session(dialogs);
    MainWindow form(session, QSize(1024, 768));
    form.classPanel->classButtons[k]->click();
    QCOMPARE(dialogs.asked.size(), k == 0 ? 2 : 1);
    QCOMPARE(RecoveryFiles().size(), k == 0 ? 0 : 1);
    QVERIFY(!session.drawing.IsOpen());
  }
  // The drawing of a story whose folder was deleted is offered as a new
  // story; いいえ removes it.
  WriteHostFile(file, left);
  QVERIFY(QDir(drives.c(QStringLiteral("A_PIKORA/CLASS_11/ねこ"))).removeRecursively());
  ScriptedDialogs dialogs;
  dialogs.answers = {true, false};
  Session session(dialogs);
  MainWindow form(session, QSize(1024, 768));
  form.classPanel->classButtons[0]->click();
  QCOMPARE(dialogs.asked.size(), 2);
  QCOMPARE(RecoveryFiles(), QStringList());
  QVERIFY(!session.drawing.IsOpen());
  // Closing the window while drawing saves the card first (into the
  // story's folder, made again by hand: the program makes none).
  QVERIFY(QDir().mkpath(drives.c(QStringLiteral("A_PIKORA/CLASS_11/ねこ"))));
  DrawDotAndKeep(form, session);
  dialogs.answers = {true};
  form.close();
  QVERIFY(!session.drawing.IsOpen());
  QCOMPARE(RecoveryFiles(), QStringList());
  const QImage saved(drives.c(QStringLiteral("A_PIKORA/CLASS_11/ねこ/Card_01.PNG")));
  QVERIFY(saved.pixel(300 - session.editor.canvasOffsetX, 300 - session.editor.canvasOffsetY) != qRgb(255, 255, 255));
}

void RecoveryTest::drawingsOfGoneCardsAndStoriesAreOffered() {
  TempDrives drives;
  MakeClass(drives);
  QString file;
  QByteArray left;
  QImage picture;
  {  // What a crash leaves of card 1 of "ねこ", saved and drawn on again.
    ScriptedDialogs dialogs;
    dialogs.answers = {true};
    Session session(dialogs);
    MainWindow form(session, QSize(1024, 768));
    OpenAndDraw(form, session, 4);
    form.cardText->setPlainText(QStringLiteral("ねこの え"));
    form.toolPanel->finishButton->click();
    QTest::qWait(5);
    DrawDotAndKeep(form, session);
    file = RecoveryFiles().value(0);
    left = ReadHostFile(file);
    picture = CanvasPicture(session.editor).convertToFormat(QImage::Format_RGB32);
  }
  const QString neko = drives.c(QStringLiteral("A_PIKORA/CLASS_11/ねこ"));

  // Another computer puts a card in front of it while the question is up:
  // はい still opens its own card, not the one now in its place.
  WriteHostFile(file, left);
  {
    struct AskingDialogs : ScriptedDialogs {
      std::function<void()> whileAsked;
      bool Ask(const QString& text) override {
        if (text == kOffer && whileAsked) std::exchange(whileAsked, nullptr)();
        return ScriptedDialogs::Ask(text);
      }
    } dialogs;
    dialogs.answers = {true, true};
    dialogs.whileAsked = [&] {
      const QString story = kClass + QStringLiteral("ねこ\\");
      for (const auto kind : storyfiles::kCardFiles)
        disk::CopyFile(storyfiles::CardFilePath(story, 1, kind), storyfiles::CardFilePath(story, 2, kind));
      QVERIFY(disk::WriteBytes(story + storyfiles::kCardList, " 2 \r\n 1 \r\n"));
    };
    Session session(dialogs);
    MainWindow form(session, QSize(1024, 768));
    form.classPanel->classButtons[0]->click();
    QVERIFY(dialogs.asked.contains(kOffer));
    form.toolPanel->finishButton->click();
    QVERIFY(SavedAs(QStringLiteral("ねこ"), 1, picture));
    QCOMPARE(RecoveryFiles(), QStringList());
    QVERIFY(disk::WriteBytes(kClass + QStringLiteral("ねこ\\") + storyfiles::kCardList, " 1 \r\n"));
  }

  // Its card erased meanwhile: はい makes it the story's new card.
  WriteHostFile(file, left);
  for (const QString& name : QDir(neko).entryList(QDir::Files)) QVERIFY(QFile::remove(neko + u'/' + name));
  {
    ScriptedDialogs dialogs;
    dialogs.answers = {true, true};
    Session session(dialogs);
    MainWindow form(session, QSize(1024, 768));
    form.classPanel->classButtons[0]->click();
    QCOMPARE(dialogs.asked.value(1), QStringLiteral("まえに かいていた えが あります。あたらしい カードに しますか？"));
    QCOMPARE(session.library.currentStoryName, QStringLiteral("ねこ"));
    form.toolPanel->finishButton->click();
    QVERIFY(SavedAs(QStringLiteral("ねこ"), 1, picture));
    QCOMPARE(RecoveryFiles(), QStringList());
  }

  // Its story renamed elsewhere, its name on a folder no list names and
  // "ねこ2" listed: the real message boxes, answered with Return (はい),
  // make "ねこ3" with the drawing as its new card.
  WriteHostFile(file, left);
  QVERIFY(QDir().rename(neko, drives.c(QStringLiteral("A_PIKORA/CLASS_11/とら"))));
  QVERIFY(QDir().mkpath(neko));
  const QStringList names{QStringLiteral("とら"), QStringLiteral("いぬ"), QStringLiteral("ねこ2")};
  QVERIFY(disk::WriteLines(kClass + QStringLiteral("Menu.txt"), names));
  const QString newStory = QStringLiteral("まえに かいていた えが あります。あたらしい おはなしに しますか？");
  {
    QtDialogs dialogs;
    Session session(dialogs);
    MainWindow form(session, QSize(1024, 768));
    form.show();
    dialogs.SetParent(&form);
    QStringList shown;
    QTimer answerer;
    connect(&answerer, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible()) return;
      shown << box->text().remove(u'\n').remove(u' ');
      QTest::keyClick(box, Qt::Key_Return);
    });
    answerer.start(20);
    form.classPanel->classButtons[0]->click();
    answerer.stop();
    QCOMPARE(shown.value(1), QString(newStory).remove(u' '));
    QCOMPARE(session.library.currentStoryName, QStringLiteral("ねこ3"));
    QCOMPARE(CanvasPicture(session.editor).convertToFormat(QImage::Format_RGB32), picture);
    // Kept for its new place at once: a crash now offers no other story.
    session.recovery.WaitForWrites();
    QCOMPARE(DecodeSnapshot(state::Read(RecoveryFileName(kClass)).value_or(QByteArray()))->storyName,
             QStringLiteral("ねこ3"));
    form.toolPanel->finishButton->click();
    QVERIFY(SavedAs(QStringLiteral("ねこ3"), 1, picture));
    QCOMPARE(RecoveryFiles(), QStringList());
  }
  QCOMPARE(disk::ReadLines(kClass + QStringLiteral("Menu.txt")), std::optional(names + QStringList{QStringLiteral("ねこ3")}));

  // A list of 100 stories takes no new one: the child is told, and the
  // drawing stays kept, byte for byte, and is offered at the next choice.
  WriteHostFile(file, left);
  QStringList hundred;
  for (int i = 0; i < kMaxStories; ++i) hundred << QStringLiteral("え%1").arg(i);
  QVERIFY(disk::WriteLines(kClass + QStringLiteral("Menu.txt"), hundred));
  ScriptedDialogs dialogs;
  dialogs.answers = {true, true, true, false};
  Session session(dialogs);
  MainWindow form(session, QSize(1024, 768));
  form.classPanel->classButtons[0]->click();
  QCOMPARE(dialogs.told.size(), 1);
  QVERIFY(dialogs.told[0].startsWith(QStringLiteral("ぴこらまは 100こまでです。")));
  QVERIFY(!session.drawing.IsOpen());
  QCOMPARE(ReadHostFile(file), left);
  form.classPanel->classButtons[0]->click();
  QCOMPARE(dialogs.asked.value(3), newStory);
  QCOMPARE(RecoveryFiles(), QStringList());
}

// The sound server is only started here: the microphone is first used by
// the run that is killed, a process of its own.
int main(int argc, char** argv) {
  SoundServer::Start();
  int result = 0;
  {
    QApplication app(argc, argv);
    RecoveryTest test;
    result = QTest::qExec(&test, argc, argv);
  }
  SoundServer::Stop();
  return result;
}
#include "RecoveryTest.moc"
