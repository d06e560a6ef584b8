// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// A class folder on the school's file server. Three steps:
//   bench_shared_class setup DIR    a class of 100 stories in DIR, the first
//                                    with 30 drawn cards
//   bench_shared_class open DIR     the class's list shown, then the 30-card
//                                    story picked and its first card shown,
//                                    another card shown, a card opened for
//                                    drawing
//   bench_shared_class idle DIR     the processor time of the re-reading
//                                    done every few seconds while idle
// "open" is meant to run on a slow share: bench/slow_share.sh runs it under
// strace with every file-system call held back 5 ms. The bars: the list
// within 100 ms; a card shown, a story picked (strip and first card) and a
// card opened for drawing (its lock taken) each within 150 ms; the idle
// re-reading (lists and card files) under 1 % of one core.

#include <QDir>
#include <QElapsedTimer>
#include <QApplication>
#include <QPainter>
#include <QRandomGenerator>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "deck/CardFiles.h"
#include "deck/CardList.h"
#include "deck/CardStrip.h"
#include "deck/SharedDeck.h"
#include "drawing/DrawingSession.h"
#include "library/StoryList.h"
#include "NoDialogs.h"
#include "platform/Disk.h"
#include "platform/Imaging.h"
#include "shell/ClassFolderWatch.h"
#include "shell/DataRoot.h"
#include "shell/Session.h"
#include "shell/Startup.h"
#include "drawing/StripClicks.h"

namespace {

QImage Drawing(quint32 seed) {
  QRandomGenerator random(seed);
  QImage image(800, 600, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  for (int k = 0; k < 40; ++k) {
    painter.setBrush(QColor::fromRgb(random.generate() | 0xff000000));
    painter.setPen(QPen(Qt::black, 1 + random.bounded(8)));
    const QRect r(random.bounded(800), random.bounded(600), 20 + random.bounded(300), 20 + random.bounded(200));
    if (k % 2) painter.drawEllipse(r);
    else painter.drawRect(r);
  }
  return image;
}

double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

int Setup(Session& session) {
  QStringList names;
  for (int i = 1; i <= 100; ++i) names.append(QStringLiteral("おはなし%1").arg(i));
  const QString folder = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\");
  disk::CreateFolder(QStringLiteral("C:\\A_PIKORA"));
  disk::CreateFolder(folder);
  for (const QString& name : names) disk::CreateFolder(folder + name);
  disk::WriteLines(folder + QStringLiteral("Menu.txt"), names);
  session.deck.storyFolder = folder + names[0] + u'\\';
  for (int p = 1; p <= 30; ++p) {
    session.deck.currentCard = session.deck.cardCount();
    session.deck.cardText = QStringLiteral("カード%1").arg(p);
    if (SaveCard(session.deck, Drawing(quint32(p))) != CardSave::Saved) return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 3) {
    std::fprintf(stderr, "usage: %s setup|open|idle DIR\n", argv[0]);
    return 2;
  }
  qputenv("PIKORAMA_DRIVE_C", QFile::encodeName(args[2]));
  NoDialogs dialogs;
  Session session{dialogs};
  StartSession(session);
  LayOutSession(session, QSize(1024, 768));
  if (args[1] == u"setup") return Setup(session);

  // The class chosen: its folder and list as the class panel leaves them.
  session.library.classFolder = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\");
  session.screen.Show(Screen::Stories);
  // Fonts and the like are loaded once per run, before anything is timed.
  DrawStoryList(session.library, session.deck);
  DrawCardStrip(session.deck);

  if (args[1] == u"open") {
    // Each step timed apart from the one before, as a child's clicks are:
    // the folder a step held is let go before the next begins.
    const auto pause = [] { QThread::msleep(400); };
    QList<double> list, story, card, drawing;
    for (int round = 0; round < 5; ++round) {
      pause();
      QElapsedTimer clock;
      clock.start();
      ReadStoryList(session.library);
      session.library.selectedStory = 1;
      DrawStoryList(session.library, session.deck);
      list.append(clock.nsecsElapsed() / 1e6);
      // A press on the first row: the 30-card story, its strip of ten
      // thumbnails and its first card, none of them read before (another
      // story was in hand).
      SelectStory(session.library, session.deck, 1);
      pause();
      clock.restart();
      PickStoryAt(session.library, session.deck, QPointF(50, 190));
      story.append(clock.nsecsElapsed() / 1e6);
      if (session.deck.cardCount() != 30) return 1;
      // Another card of the strip shown: its picture and text.
      session.deck.currentCard = 4 + round;
      pause();
      clock.restart();
      LoadCard(session.deck);
      card.append(clock.nsecsElapsed() / 1e6);
      // A tile's body pressed: the card opened for drawing, with its lock.
      pause();
      clock.restart();
      CardStripMouseDown(session.drawing, session.editor, session.deck, dialogs, QPointF(strip::TileLeft(2) + 45, 50));
      drawing.append(clock.nsecsElapsed() / 1e6);
      if (!session.drawing.IsOpen()) return 1;
      // Closed again without saving: the lock goes, the card stays.
      ReleaseDrawingLock(session.deck);
      session.editor.cardOpen = false;
    }
    for (auto* figures : {&list, &story, &card, &drawing}) std::sort(figures->begin(), figures->end());
    std::printf("class list of 100 stories read and drawn: %.1f ms\n", list[2]);
    std::printf("30-card story picked: strip of ten thumbnails and first card: %.1f ms\n", story[2]);
    std::printf("a card of the strip shown: %.1f ms\n", card[2]);
    std::printf("a card opened for drawing, its lock taken: %.1f ms\n", drawing[2]);
    std::printf("(medians of 5)\n");
    return 0;
  }

  if (args[1] == u"idle") {
    ReadStoryList(session.library);
    session.library.selectedStory = 0;
    DrawStoryList(session.library, session.deck);
    ReadCardList(session.deck);
    ShowFirstCard(session.deck);
    QWidget window;
    ClassFolderWatch watch(session, &window, [] { return false; });
    // Each re-reading apart from the one before, as every few seconds: no
    // folder is still held from the last one. The pauses cost no
    // processor time.
    const int rounds = 40;
    double spent = 0;
    for (int i = 0; i < rounds; ++i) {
      QThread::msleep(300);
      const double before = CpuMs();
      watch.Refresh();
      spent += CpuMs() - before;
    }
    const double each = spent / rounds;
    std::printf("one idle re-read: %.3f ms of processor time, %.3f %% of one core every %d ms\n", each,
                100.0 * each / ClassFolderWatch::kIdleMs, ClassFolderWatch::kIdleMs);
    return 0;
  }
  return 2;
}
