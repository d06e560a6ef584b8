// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The card deck's drawing and picture files: the card strip with ten
// thumbnails, and a card picture or thumbnail between file and picture.
// The bar is one 60 Hz frame (16 ms) for a strip drawn or a card shown.
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "deck/CardDeck.h"
#include "drawing/Canvas.h"
#include "drawing/DrawingSession.h"
#include "platform/Disk.h"
#include "platform/Imaging.h"
#include "NoDialogs.h"
#include "shell/Session.h"
#include "shell/Startup.h"
#include "BenchMain.h"

namespace {

const QString kStory = QStringLiteral("C:\\story\\");

// A child's drawing: flat colours, filled shapes and strokes.
QImage Drawing(QSize size, quint32 seed) {
  QRandomGenerator random(seed);
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  const double s = size.width() / 800.0;
  for (int k = 0; k < 40; ++k) {
    painter.setBrush(QColor::fromRgb(random.generate() | 0xff000000));
    painter.setPen(QPen(Qt::black, 1 + random.bounded(8) * s));
    const QRectF r(random.bounded(800) * s, random.bounded(600) * s, (20 + random.bounded(300)) * s,
                   (20 + random.bounded(200)) * s);
    if (k % 2)
      painter.drawEllipse(r);
    else
      painter.drawRect(r);
  }
  return image;
}

// A placed photograph: every pixel different.
QImage Photo(QSize size, quint32 seed) {
  QRandomGenerator random(seed);
  QImage image(size, QImage::Format_RGB32);
  for (int y = 0; y < size.height(); ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < size.width(); ++x)
      line[x] = qRgb((x + random.bounded(24)) & 255, (y + random.bounded(24)) & 255,
                     (x + y + random.bounded(24)) & 255);
  }
  return image;
}

struct Story {
  Story() : session(dialogs) {
    session.deck.storyFolder = kStory;
    for (int n = 1; n <= 10; ++n) {
      session.deck.cardNumbers.append(n);
      imaging::WriteThumbnail(CardFileStem(session.deck, n) + ".BMP", Drawing(imaging::kThumbnailSize, n));
    }
    session.deck.currentCard = 2;  // card 3
    LayOutSession(session, QSize(1024, 768));
    imaging::WriteCardPicture(CardFileStem(session.deck, 3) + ".PNG", Drawing(imaging::kCardSize, 3));
    disk::WriteLines(CardFileStem(session.deck, 3) + ".txt", {QStringLiteral("ねこが あるいて いました。")});
    imaging::WriteCardPicture(kStory + "Drawing.PNG", Drawing(imaging::kCardSize, 1));
    imaging::WriteCardPicture(kStory + "Photo.PNG", Photo(imaging::kCardSize, 1));
  }
  NoDialogs dialogs;
  Session session;
};

Story* g_story = nullptr;

void BM_DrawCardStrip(benchmark::State& state) {
  Session& session = g_story->session;
  for (auto _ : state) {
    DrawCardStrip(session.deck);
    benchmark::DoNotOptimize(session.deck.stripImage.constBits());
  }
}
BENCHMARK(BM_DrawCardStrip)->Unit(benchmark::kMillisecond);

// A card shown: picture and text from their files onto the canvas.
void BM_LoadCard(benchmark::State& state) {
  Session& session = g_story->session;
  session.deck.currentCard = 2;
  for (auto _ : state) {
    LoadCard(session.deck);
    ShowCardPicture(session.editor, session.deck);
    PaintCanvasFrame(session.editor);
    benchmark::DoNotOptimize(session.editor.canvasImage.constBits());
  }
}
BENCHMARK(BM_LoadCard)->Unit(benchmark::kMillisecond);

// A card saved: card list, thumbnail, PNG picture and text.
void BM_SaveCard(benchmark::State& state) {
  Session& session = g_story->session;
  session.deck.currentCard = 2;
  LoadCard(session.deck);
  for (auto _ : state) {
    if (!SaveDrawnCard(session.editor, session.deck, session.dialogs) || !WriteCardList(session.deck)) state.SkipWithError("save failed");
  }
}
BENCHMARK(BM_SaveCard)->Unit(benchmark::kMillisecond);

void BM_ReadCardPicture(benchmark::State& state, const char* name) {
  const QString file = kStory + name + ".PNG";
  for (auto _ : state) {
    auto picture = imaging::ReadCardPicture(file);
    if (!picture) state.SkipWithError("unreadable picture");
    benchmark::DoNotOptimize(picture);
  }
}
BENCHMARK_CAPTURE(BM_ReadCardPicture, drawing, "Drawing")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadCardPicture, photo, "Photo")->Unit(benchmark::kMillisecond);

void BM_WriteCardPicture(benchmark::State& state, bool photo) {
  const QImage picture = photo ? Photo(imaging::kCardSize, 2) : Drawing(imaging::kCardSize, 2);
  const QString file = kStory + "Card_30.PNG";
  for (auto _ : state) {
    if (!imaging::WriteCardPicture(file, picture)) state.SkipWithError("write failed");
  }
}
BENCHMARK_CAPTURE(BM_WriteCardPicture, drawing, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteCardPicture, photo, true)->Unit(benchmark::kMillisecond);

void BM_WriteThumbnail(benchmark::State& state) {
  const QImage thumbnail = Drawing(imaging::kThumbnailSize, 3);
  const QString file = kStory + "Card_30.BMP";
  for (auto _ : state) {
    if (!imaging::WriteThumbnail(file, thumbnail)) state.SkipWithError("write failed");
  }
}
BENCHMARK(BM_WriteThumbnail)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  bench::UseOffscreenPlatform();
  QGuiApplication app(argc, argv);
  bench::TemporaryDriveC drive;
  disk::CreateFolder(kStory);
  Story story;
  g_story = &story;
  return bench::RunBenchmarks(&argc, argv);
}
