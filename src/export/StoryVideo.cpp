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

// H.264 and AAC in MP4, its index at the front so that a browser starts
// playing before the whole file is loaded. Frames waiting for the encoder
// are bounded: the worker waits beyond that, so memory stays bounded
// however long the story.
constexpr media::VideoFormat kFormat{kWidth, kHeight, kFramesPerSecond, kSampleRate, kSamplesPerFrame,
                                     media::VideoCodec::H264, media::AudioCodec::Aac, media::Container::Mp4,
                                     true, 4ull * kWidth * kHeight * 4};

struct CardPlan {
  QString pictureFile;
  NarrationFile narration;
  int holdFrames = 0;
};

}  // namespace

QString VideoFormat::Filter() const { return QStringLiteral("どうが (*.mp4)"); }

QString VideoFormat::Extension() const { return QStringLiteral("mp4"); }

bool VideoFormat::Accepts(const QString& chosenHostPath) const {
  return chosenHostPath.endsWith(QStringLiteral(".mp4"), Qt::CaseInsensitive);
}

QString VideoFormat::ProgressTitle() const { return QStringLiteral("どうが"); }

QString VideoFormat::ProgressText() const { return QStringLiteral("どうがを つくっています。"); }

ExportOutcome VideoFormat::Write(const ExportStory& story, const QString& chosenHostPath,
                                 const ExportProgress& progress, const std::atomic<bool>* cancel) const {
  ExportOutcome result;
  media::Module* media = media::Get();
  if (!media || !media->CanEncode(kFormat)) {
    result.result = ExportOutcome::Result::EncoderMissing;
    return result;
  }
  auto cancelled = [&] { return cancel && cancel->load(); };

  // The plan first: every card's length, so the progress knows the end.
  std::vector<CardPlan> plan;
  const int count = int(story.cardNumbers.size());
  int total = kTitleFrames;
  for (int index = 0; index < count; ++index) {
    const QString stem = CardFileStem(story.folder, story.cardNumbers.at(index));
    CardPlan card;
    card.pictureFile = stem + storyfiles::CardFileSuffix(storyfiles::CardFile::Picture);
    card.narration = ProbeNarration(*media, stem + storyfiles::CardFileSuffix(storyfiles::CardFile::Narration));
    card.holdFrames = HoldFrames(card.narration.samples, index == count - 1);
    total += WipeFrames() + card.holdFrames;
    plan.push_back(card);
  }

  const std::unique_ptr<media::VideoEncoder> encoder = media->StartVideo(kFormat);
  if (!encoder) {
    result.result = ExportOutcome::Result::NotWritten;
    return result;
  }
  auto stop = [&] {
    result.result = cancelled() ? ExportOutcome::Result::Stopped : ExportOutcome::Result::NotWritten;
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

  for (int index = 0; index < count; ++index) {
    const CardPlan& card = plan[size_t(index)];
    bool missing = false;
    presenter.PresentCard(CardBuffer(card.pictureFile, &missing), presentation::Direction::Forward,
                          presentation::ShowMode::Normal);
    if (missing) result.missingPictures << index;
    for (int j = 0; j < WipeFrames(); ++j) {
      while (presenter.busy() && presenter.stepsDone() < 2 * j + 1) presenter.Advance();
      if (!push(Frame(presenter.visibleImage()), nullptr)) return stop();
    }
    presenter.Finish();

    std::vector<int16_t> voice;
    if (card.narration.unreadable) {
      result.unreadableNarrations << index;
    } else if (card.narration.samples > 0) {
      const auto read = media->ReadWave(*card.narration.hostPath, kSampleRate, card.narration.samples);
      if (read) {
        voice = *read;
      } else {
        result.unreadableNarrations << index;
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
    result.result = ExportOutcome::Result::NotWritten;
    return result;
  }
  result.result = ExportOutcome::Result::Written;
  result.written << chosenHostPath;
  return result;
}

QString VideoFormat::Message(const ExportOutcome& result) const {
  switch (result.result) {
    case ExportOutcome::Result::Stopped:
      return {};
    case ExportOutcome::Result::EncoderMissing:
      return QStringLiteral("どうがを つくる どうぐが ありません。\nせんせいに いってね。");
    case ExportOutcome::Result::NotWritten:
      return QStringLiteral("どうがが かけませんでした。");
    case ExportOutcome::Result::Written:
      break;
  }
  QStringList parts;
  if (!result.missingPictures.isEmpty())
    parts << CardPlaces(result.missingPictures) + QStringLiteral("まいめの え が ありません。");
  if (!result.unreadableNarrations.isEmpty())
    parts << CardPlaces(result.unreadableNarrations) + QStringLiteral("まいめの こえ が よめません。");
  parts << QStringLiteral("どうがが できました。");
  return parts.join(u'\n');
}
