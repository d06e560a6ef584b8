// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "export/StoryVideo.h"

#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "deck/CardList.h"
#include "deck/StoryFiles.h"
#include "media/Media.h"
#include "platform/Disk.h"
#include "platform/HostFiles.h"
#include "platform/Imaging.h"
#include "player/CardPresenter.h"
#include "player/StoryPlayer.h"

namespace video {

namespace {

// The wipe of the card buffer the player shows a card from (800 x 600).
int WipeStepCount() {
  return int(presentation::WipeSteps(float(imaging::kCardSize.width()) - 1.0f,
                                     float(imaging::kCardSize.height()), true)
                 .size());
}

}  // namespace

int WipeFrames() {
  // Frame j shows the wipe's first 2j + 1 steps (step k is due at k / 60 s):
  // the frames before the one with every step done, which shows the card
  // whole.
  return WipeStepCount() / 2;
}

int HoldFrames(qint64 narrationSamples, bool last) {
  if (narrationSamples <= 0) return kSilentCardFrames;
  const int spoken = int((narrationSamples + kSamplesPerFrame - 1) / kSamplesPerFrame);
  return spoken + (last ? kAfterLastNarrationFrames : kAfterNarrationFrames);
}

}  // namespace video

using namespace video;

namespace {

// ---- narrations -------------------------------------------------------

constexpr double kLongestNarrationSeconds = 600;

struct NarrationFile {
  std::optional<QString> hostPath;  // set when the card has a narration file
  qint64 samples = 0;               // its length at kSampleRate; 0: silent
  bool unreadable = false;
};

NarrationFile ProbeNarration(media::Module& media, const QString& pathText) {
  NarrationFile narration;
  if (!disk::FileExists(pathText)) return narration;
  narration.hostPath = disk::HostPath(pathText);
  const std::optional<media::WaveInfo> info = narration.hostPath ? media.ProbeWave(*narration.hostPath) : std::nullopt;
  if (!info || info->rate <= 0 || info->channels <= 0) {
    narration.unreadable = true;
    return narration;
  }
  // A header claiming more than any recording holds is a broken file, not
  // hours of sound to make room for.
  if (double(info->frames) / info->rate > kLongestNarrationSeconds) {
    narration.unreadable = true;
    return narration;
  }
  narration.samples = qint64(std::ceil(double(info->frames) * kSampleRate / info->rate));
  return narration;
}

// ---- pictures ---------------------------------------------------------

// The card picture buffer the player would be given: the card's picture,
// or blank paper when it is missing or unreadable.
QImage CardBuffer(const QString& pictureFile, bool* missing) {
  QImage card(imaging::kCardSize, QImage::Format_RGB32);
  card.fill(Qt::white);
  const std::optional<QImage> picture = imaging::ReadCardPicture(pictureFile);
  *missing = !picture || picture->isNull();
  if (*missing) return card;
  if (picture->size() == imaging::kCardSize) return picture->convertToFormat(QImage::Format_RGB32);
  QPainter painter(&card);
  painter.drawImage(0, 0, *picture);
  return card;
}

// A video frame from the player's panel: its pixels from the top left, the
// columns and rows it lacks repeating its last ones.
QImage Frame(const QImage& panel) {
  QImage frame(kWidth, kHeight, QImage::Format_RGB32);
  if (panel.isNull() || panel.width() <= 0 || panel.height() <= 0) {
    frame.fill(StoryPlayer::kPanelColour);
    return frame;
  }
  const QImage source = panel.convertToFormat(QImage::Format_RGB32);
  const int w = std::min(kWidth, source.width());
  for (int y = 0; y < kHeight; ++y) {
    const auto* from = reinterpret_cast<const QRgb*>(source.constScanLine(std::min(y, source.height() - 1)));
    auto* to = reinterpret_cast<QRgb*>(frame.scanLine(y));
    std::memcpy(to, from, size_t(w) * sizeof(QRgb));
    std::fill(to + w, to + kWidth, from[w - 1]);
  }
  return frame;
}

// ---- the encoder ------------------------------------------------------

const std::vector<const char*> kElements = {"appsrc", "videoconvert", "x264enc", "audioconvert",
                                            "avenc_aac", "mp4mux", "queue", "appsink"};

constexpr char kPipeline[] =
    "appsrc name=video format=time caps=video/x-raw,format=BGRx,width=800,height=600,framerate=30/1 "
    "! videoconvert ! video/x-raw,format=I420 "
    "! x264enc speed-preset=veryfast pass=qual quantizer=20 key-int-max=60 rc-lookahead=10 "
    "! video/x-h264,profile=main ! queue ! mux. "
    "appsrc name=audio format=time caps=audio/x-raw,format=S16LE,rate=22050,channels=1,layout=interleaved "
    "! audioconvert ! avenc_aac bitrate=64000 ! queue ! mux. "
    "mp4mux name=mux faststart=true ! appsink name=out sync=false";

// Frames waiting for the encoder at most: the worker waits beyond that, so
// memory stays bounded however long the story.
constexpr quint64 kQueuedVideoBytes = 4ull * kWidth * kHeight * 4;

struct CardPlan {
  QString pictureFile;
  NarrationFile narration;
  int holdFrames = 0;
};

QString Places(const QList<int>& positions) {
  QStringList places;
  for (int position : positions) places << QString::number(position);
  return places.join(u'、');
}

}  // namespace

VideoResult WriteStoryVideo(const ExportStory& story, const QString& chosenHostPath,
                            const std::atomic<bool>* cancel, const VideoProgress& progress) {
  VideoResult result;
  media::Module* media = media::Get();
  if (!media || !media->HasElements(kElements)) {
    result.outcome = VideoResult::Outcome::EncoderMissing;
    return result;
  }
  auto cancelled = [&] { return cancel && cancel->load(); };

  // The plan first: every card's length, so the progress knows the end.
  std::vector<CardPlan> plan;
  const int count = int(story.cardNumbers.size());
  int total = kTitleFrames;
  for (int position = 1; position <= count; ++position) {
    const QString stem = CardFileStem(story.folder, story.cardNumbers.at(position - 1));
    CardPlan card;
    card.pictureFile = stem + storyfiles::CardFileSuffix(storyfiles::CardFile::Picture);
    card.narration = ProbeNarration(*media, stem + storyfiles::CardFileSuffix(storyfiles::CardFile::Narration));
    card.holdFrames = HoldFrames(card.narration.samples, position == count);
    total += WipeFrames() + card.holdFrames;
    plan.push_back(card);
  }
  result.frames = total;

  const std::unique_ptr<media::VideoEncoder> encoder =
      media->StartVideo({kPipeline, kFramesPerSecond, kSampleRate, kSamplesPerFrame, kQueuedVideoBytes});
  if (!encoder) {
    result.outcome = VideoResult::Outcome::Failed;
    return result;
  }
  auto stop = [&] {
    result.outcome = cancelled() ? VideoResult::Outcome::Cancelled : VideoResult::Outcome::Failed;
    return result;
  };

  int done = 0;
  auto push = [&](const QImage& frame, const int16_t* samples) {
    if (cancelled() || !encoder->Push(frame, samples, cancel)) return false;
    ++done;
    if (progress) progress(done, total);
    return true;
  };

  // The player's own panel and presenter, stepped by hand: the title screen
  // on the panel as the window lays it out, then every card's wipe.
  CardPresenter presenter(StoryPlayer::kPanelColour);
  presenter.setTimed(false);
  QImage& panel = presenter.visibleImage();
  panel = QImage(imaging::kCardSize.width() - 1, imaging::kCardSize.height(), QImage::Format_RGB32);
  StoryPlayer::DrawTitleScreen(panel, story.name);
  const QImage title = Frame(panel);
  for (int i = 0; i < kTitleFrames; ++i)
    if (!push(title, nullptr)) return stop();

  for (int position = 1; position <= count; ++position) {
    const CardPlan& card = plan[size_t(position - 1)];
    bool missing = false;
    presenter.PresentCard(CardBuffer(card.pictureFile, &missing), presentation::Direction::Forward,
                          presentation::ShowMode::Normal);
    if (missing) result.missingPictures << position;
    for (int j = 0; j < WipeFrames(); ++j) {
      while (presenter.busy() && presenter.stepsDone() < 2 * j + 1) presenter.Advance();
      if (!push(Frame(presenter.visibleImage()), nullptr)) return stop();
    }
    presenter.Finish();

    std::vector<int16_t> voice;
    if (card.narration.unreadable) {
      result.unreadableNarrations << position;
    } else if (card.narration.samples > 0) {
      const auto read = media->ReadWave(*card.narration.hostPath, kSampleRate, card.narration.samples);
      if (read) {
        voice = *read;
      } else {
        result.unreadableNarrations << position;
      }
    }
    const QImage whole = Frame(presenter.visibleImage());
    for (int j = 0; j < card.holdFrames; ++j) {
      const size_t first = size_t(j) * kSamplesPerFrame;
      const int16_t* samples = nullptr;
      std::vector<int16_t> part;
      if (first < voice.size()) {
        part.assign(voice.begin() + qsizetype(first),
                    voice.begin() + qsizetype(std::min(voice.size(), first + kSamplesPerFrame)));
        part.resize(kSamplesPerFrame, 0);
        samples = part.data();
      }
      if (!push(whole, samples)) return stop();
    }
  }

  const std::optional<QByteArray> bytes = encoder->Finish(cancel);
  if (!bytes || bytes->isEmpty()) return stop();
  if (cancelled()) return stop();
  if (!host::WriteWholeFile(chosenHostPath, *bytes) || !host::FlushRemovable(QFileInfo(chosenHostPath).absolutePath())) {
    result.outcome = VideoResult::Outcome::Failed;
    return result;
  }
  result.outcome = VideoResult::Outcome::Written;
  return result;
}

QString VideoMessage(const VideoResult& result) {
  switch (result.outcome) {
    case VideoResult::Outcome::Cancelled:
      return {};
    case VideoResult::Outcome::EncoderMissing:
      return QStringLiteral("どうがを つくる どうぐが ありません。\nせんせいに いってね。");
    case VideoResult::Outcome::Failed:
      return QStringLiteral("どうがが かけませんでした。");
    case VideoResult::Outcome::Written:
      break;
  }
  QStringList parts;
  if (!result.missingPictures.isEmpty())
    parts << Places(result.missingPictures) + QStringLiteral("まいめの え が ありません。");
  if (!result.unreadableNarrations.isEmpty())
    parts << Places(result.unreadableNarrations) + QStringLiteral("まいめの こえ が よめません。");
  parts << QStringLiteral("どうがが できました。");
  return parts.join(u'\n');
}

bool IsVideoName(const QString& chosenHostPath) {
  return chosenHostPath.endsWith(QStringLiteral(".mp4"), Qt::CaseInsensitive);
}
