// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "export/EpubBook.h"

#include <QDateTime>
#include <QFileInfo>
#include <QUuid>
#include <cmath>

#include "deck/StoryFiles.h"
#include "export/EpubDocuments.h"
#include "export/EpubPackage.h"
#include "media/Media.h"
#include "platform/Disk.h"
#include "platform/HostFiles.h"
#include "platform/Imaging.h"

namespace {

// The narrations' rate in the book. The AAC encoder starts with 1024
// samples of silence and fills its last block of 1024: at twice the
// recordings' own rate that is 23 ms each, not 46, so the voice is heard
// as soon as its text lights up and the overlay ends close to its end.
constexpr int kSpeechRate = 44100;
// A header claiming more than any recording holds is a broken file.
constexpr double kLongestNarrationSeconds = 600;

// The identifier stays the same for books made from the same story folder.
const QUuid kBookNamespace(QStringLiteral("{6b3f0c2e-8d2a-4f51-9a57-2f4e0c9d7a10}"));

// The card's picture as PNG bytes for the book: the file itself when it is
// an 800 x 600 PNG, else the picture as the program reads it. Blank paper
// for a picture that is missing (`missing`) or cannot be read (`unreadable`).
QByteArray PictureBytes(const QString& file, bool* missing, bool* unreadable) {
  *missing = !disk::Exists(file);
  if (!*missing) {
    const std::optional<QByteArray> bytes = disk::ReadBytes(file);
    const std::optional<QImage> decoded = bytes ? imaging::Decode(*bytes) : std::nullopt;
    if (decoded && !decoded->isNull()) {
      if (bytes->startsWith("\x89PNG\r\n\x1a\n") && decoded->size() == imaging::kCardSize) return *bytes;
      return imaging::EncodePng(imaging::ToCardPicture(*decoded));
    }
    *unreadable = true;
  }
  QImage blank(imaging::kCardSize, QImage::Format_RGB32);
  blank.fill(Qt::white);
  return imaging::EncodePng(blank);
}

// The card's text, its trailing empty lines left out; nothing when the
// file is there but cannot be read.
std::optional<QString> CardText(const QString& file) {
  if (!disk::Exists(file)) return QString();
  std::optional<QStringList> lines = disk::ReadLines(file);
  if (!lines) return std::nullopt;
  while (!lines->isEmpty() && lines->last().isEmpty()) lines->removeLast();
  return lines->join(u'\n');
}

// The samples of a narration that is there, at kSpeechRate; nothing when
// it cannot be read (not a plain file, or no sound in it).
std::optional<std::vector<int16_t>> NarrationSamples(media::Module& media, const QString& file) {
  if (!disk::FileExists(file)) return std::nullopt;
  const std::optional<QString> hostPath = disk::HostPath(file);
  if (!hostPath) return std::nullopt;
  const std::optional<media::WaveInfo> info = media.ProbeWave(*hostPath);
  if (!info || info->rate <= 0 || info->channels <= 0 ||
      double(info->frames) / info->rate > kLongestNarrationSeconds)
    return std::nullopt;
  const qint64 samples = qint64(std::ceil(double(info->frames) * kSpeechRate / info->rate));
  return media.ReadWave(*hostPath, kSpeechRate, samples);
}

ExportOutcome Ended(ExportOutcome outcome, ExportOutcome::Result result) {
  outcome.result = result;
  return outcome;
}

}  // namespace

QString EpubBookFormat::Filter() const { return QStringLiteral("えほん (*.epub)"); }
QString EpubBookFormat::Extension() const { return QStringLiteral("epub"); }
bool EpubBookFormat::Accepts(const QString& chosenHostPath) const {
  return chosenHostPath.endsWith(QStringLiteral(".epub"), Qt::CaseInsensitive);
}
QString EpubBookFormat::ProgressTitle() const { return QStringLiteral("えほん"); }
QString EpubBookFormat::ProgressText() const { return QStringLiteral("えほんを つくっています。"); }

ExportOutcome EpubBookFormat::Write(const ExportStory& story, const QString& chosenHostPath,
                                    const ExportProgress& progress, const std::atomic<bool>* stop) const {
  using Result = ExportOutcome::Result;
  using storyfiles::CardFile;
  ExportOutcome outcome;
  auto stopped = [&] { return stop && stop->load(); };

  epub::Book book;
  book.title = story.name;
  book.identifier =
      QStringLiteral("urn:uuid:") + QUuid::createUuidV5(kBookNamespace, story.folder).toString(QUuid::WithoutBraces);
  book.modified = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"));
  std::vector<QByteArray> pictures, sounds;
  const int count = int(story.cardNumbers.size());
  for (int index = 0; index < count; ++index) {
    if (stopped()) return Ended(outcome, Result::Stopped);
    const int number = story.cardNumbers.at(index);
    epub::CardPage card;

    bool missing = false, unreadable = false;
    pictures.push_back(
        PictureBytes(storyfiles::CardFilePath(story.folder, number, CardFile::Picture), &missing, &unreadable));
    const std::optional<QString> text = CardText(storyfiles::CardFilePath(story.folder, number, CardFile::Text));
    card.text = text.value_or(QString());
    if (missing) outcome.missingPictures << index;
    if (unreadable || !text) outcome.unreadableCards << index;

    QByteArray sound;
    const QString narrationFile = storyfiles::CardFilePath(story.folder, number, CardFile::Narration);
    if (disk::Exists(narrationFile)) {
      media::Module* media = media::Get();
      if (!media) return Ended(outcome, Result::EncoderMissing);
      const std::optional<std::vector<int16_t>> samples = NarrationSamples(*media, narrationFile);
      if (!samples) {
        outcome.unreadableNarrations << index;
      } else if (!samples->empty()) {
        const media::SpeechResult speech = media->EncodeSpeech(*samples, kSpeechRate, stop);
        switch (speech.outcome) {
          case media::SpeechResult::Outcome::Stopped: return Ended(outcome, Result::Stopped);
          case media::SpeechResult::Outcome::EncoderMissing: return Ended(outcome, Result::EncoderMissing);
          case media::SpeechResult::Outcome::Failed: return Ended(outcome, Result::NotWritten);
          case media::SpeechResult::Outcome::Encoded: break;
        }
        sound = speech.bytes;
        card.hasNarration = true;
        card.narrationMs = int(std::lround(speech.seconds * 1000));
      }
    }
    sounds.push_back(sound);
    book.cards.push_back(card);
    if (progress) progress(index + 1, count);
  }
  if (stopped()) return Ended(outcome, Result::Stopped);

  const QString& root = epub::kFolder;
  epub::Package package;
  bool packed = package.Add(QStringLiteral("META-INF/container.xml"), epub::ContainerXml()) &&
                package.Add(root + QStringLiteral("package.opf"), epub::PackageDocument(book)) &&
                package.Add(root + QStringLiteral("nav.xhtml"), epub::NavigationDocument(book)) &&
                package.Add(root + QStringLiteral("book.css"), epub::StyleSheet()) &&
                package.Add(root + QStringLiteral("title.xhtml"), epub::TitlePage(book));
  for (int index = 0; packed && index < count; ++index) {
    packed = package.Add(root + epub::PageName(index), epub::PageDocument(book, index)) &&
             package.Add(root + epub::PictureName(index), pictures[size_t(index)]);
    if (packed && book.cards[size_t(index)].hasNarration)
      packed = package.Add(root + epub::AudioName(index), sounds[size_t(index)]) &&
               package.Add(root + epub::OverlayName(index), epub::OverlayDocument(book, index));
  }
  if (!packed) return Ended(outcome, Result::NotWritten);
  if (stopped()) return Ended(outcome, Result::Stopped);
  if (!host::WriteWholeFile(chosenHostPath, package.Finish()) ||
      !host::FlushRemovable(QFileInfo(chosenHostPath).absolutePath()))
    return Ended(outcome, Result::NotWritten);
  outcome.written << chosenHostPath;
  return Ended(outcome, Result::Written);
}

QString EpubBookFormat::Message(const ExportOutcome& outcome) const {
  switch (outcome.result) {
    case ExportOutcome::Result::Stopped:
      return {};
    case ExportOutcome::Result::EncoderMissing:
      return QStringLiteral("えほんを つくる どうぐが ありません。\nせんせいに いってね。");
    case ExportOutcome::Result::NotWritten:
      return QStringLiteral("えほんが かけませんでした。");
    case ExportOutcome::Result::Written:
      break;
  }
  if (outcome.Complete()) return QStringLiteral("えほんが できました。");
  QStringList parts;
  if (!outcome.missingPictures.isEmpty())
    parts << CardPlaces(outcome.missingPictures) + QStringLiteral("まいめの え が ありません。");
  if (!outcome.unreadableCards.isEmpty())
    parts << CardPlaces(outcome.unreadableCards) + QStringLiteral("まいめの カードが よめませんでした。");
  if (!outcome.unreadableNarrations.isEmpty())
    parts << CardPlaces(outcome.unreadableNarrations) + QStringLiteral("まいめの こえ が よめません。");
  return parts.join(u'\n');
}
