// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "recovery/DrawingRecovery.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QPainter>

#include "deck/CardFiles.h"
#include "deck/CardList.h"
#include "deck/DeckState.h"
#include "deck/StoryFiles.h"
#include "drawing/Canvas.h"
#include "drawing/DrawingSession.h"
#include "drawing/DrawingTools.h"
#include "drawing/EditorState.h"
#include "library/LibraryState.h"
#include "platform/FileCopy.h"
#include "platform/Disk.h"
#include "platform/StateFiles.h"

namespace {

const QByteArray kMagic = QByteArrayLiteral("PIKORAMA DRAWING 1");
// The same with the voice after the picture.
const QByteArray kMagicWithVoice = QByteArrayLiteral("PIKORAMA DRAWING 2");

QByteArray Field(const char* key, const QString& value) {
  return QByteArray(key) + '=' + value.toUtf8().toPercentEncoding() + '\n';
}

// The picture without its last column, which the canvas frame covers.
QImage Comparable(const QImage& picture) {
  return picture.copy(0, 0, 799, 600).convertToFormat(QImage::Format_RGB32);
}

}  // namespace

QByteArray EncodeSnapshot(const DrawingSnapshot& snapshot) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  snapshot.picture.save(&buffer, "PNG");
  const bool voice = !snapshot.voice.isEmpty();
  QByteArray bytes = (voice ? kMagicWithVoice : kMagic) + '\n';
  bytes += Field("root", snapshot.dataRoot);
  bytes += Field("class", snapshot.classFolder);
  bytes += Field("story", snapshot.storyName);
  bytes += Field("card", QString::number(snapshot.cardNumber));
  bytes += Field("time", QString::number(snapshot.writtenMs));
  bytes += Field("text", snapshot.text);
  bytes += Field("png", QString::number(png.size()));
  if (voice) {
    bytes += Field("voice", QString::number(snapshot.voice.size()));
    bytes += Field("voicesaved", snapshot.voiceSaved ? QStringLiteral("1") : QStringLiteral("0"));
  }
  bytes += '\n';
  return bytes + png + snapshot.voice;
}

std::optional<DrawingSnapshot> DecodeSnapshot(const QByteArray& bytes) {
  const qsizetype end = bytes.indexOf("\n\n");
  if (end < 0) return std::nullopt;
  const QList<QByteArray> lines = bytes.left(end).split('\n');
  const bool withVoice = lines.value(0) == kMagicWithVoice;
  if (lines.value(0) != kMagic && !withVoice) return std::nullopt;
  QHash<QByteArray, QString> fields;
  for (qsizetype i = 1; i < lines.size(); ++i) {
    const qsizetype eq = lines[i].indexOf('=');
    if (eq > 0) fields.insert(lines[i].left(eq), QString::fromUtf8(QByteArray::fromPercentEncoding(lines[i].mid(eq + 1))));
  }
  bool ok = false;
  const qsizetype pngSize = fields.value("png").toLongLong(&ok);
  if (!ok || pngSize < 0) return std::nullopt;
  const qsizetype voiceSize = withVoice ? fields.value("voice").toLongLong(&ok) : 0;
  if (!ok || voiceSize < 0 || bytes.size() - (end + 2) != pngSize + voiceSize) return std::nullopt;
  const QByteArray png = bytes.mid(end + 2, pngSize);
  DrawingSnapshot snapshot;
  snapshot.voice = bytes.mid(end + 2 + pngSize);
  snapshot.voiceSaved = fields.value("voicesaved") == QLatin1String("1");
  snapshot.dataRoot = fields.value("root");
  snapshot.classFolder = fields.value("class");
  snapshot.storyName = fields.value("story");
  snapshot.cardNumber = fields.value("card").toInt(&ok);
  if (!ok || snapshot.cardNumber < 0 || snapshot.cardNumber > kMaxCards) return std::nullopt;
  snapshot.writtenMs = fields.value("time").toLongLong(&ok);
  if (!ok) return std::nullopt;
  snapshot.text = fields.value("text");
  snapshot.picture = QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32);
  if (snapshot.picture.size() != QSize(800, 600) || snapshot.storyName.isEmpty()) return std::nullopt;
  return snapshot;
}

QString RecoveryFileName(const QString& classFolder) {
  const QByteArray key = classFolder.toLower().toUtf8();
  return QStringLiteral("Drawing-") +
         QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16)) +
         QStringLiteral(".recovery");
}

DrawingRecovery::DrawingRecovery(EditorState& editor, DeckState& deck, LibraryState& library)
    : editor_(editor), deck_(deck), library_(library) {
  timer_.setSingleShot(true);
  writer_.setMaxThreadCount(1);
  clock_.start();
  connect(&timer_, &QTimer::timeout, this, &DrawingRecovery::TimerEnded);
}

// Ending normally is quitting: the program's recovery goes with it.
DrawingRecovery::~DrawingRecovery() { Discard(); }

void DrawingRecovery::Start() {
  connect(&editor_, &EditorState::surfaceChanged, this, &DrawingRecovery::Changed, Qt::UniqueConnection);
  connect(&deck_, &DeckState::changed, this, &DrawingRecovery::Changed, Qt::UniqueConnection);
}

void DrawingRecovery::Changed() {
  if (!editor_.cardOpen) return;
  lastChangeMs_ = clock_.elapsed();
  if (firstChangeMs_ < 0) firstChangeMs_ = lastChangeMs_;
  if (!timer_.isActive()) timer_.start(delayMs);
}

void DrawingRecovery::TimerEnded() {
  if (firstChangeMs_ < 0) return;
  const qint64 now = clock_.elapsed();
  // Changes that never rest (a long stroke) still get written.
  const qint64 wait = std::min(delayMs - (now - lastChangeMs_), maxDelayMs - (now - firstChangeMs_));
  if (wait > 0) {
    timer_.start(int(wait));
    return;
  }
  WriteNow();
}

void DrawingRecovery::WriteNow() {
  if (!editor_.cardOpen || editor_.canvasImage.isNull()) return;
  if (OutlineShown(editor_)) {  // an outline is no part of the picture
    timer_.start(delayMs);  // once the shape is done
    return;
  }
  firstChangeMs_ = -1;
  const QString& folder = library_.classFolder;
  const QString name = RecoveryFileName(folder);
  const QImage picture = CanvasPicture(editor_);
  // Nothing drawn or typed since the card was loaded or saved: there is
  // nothing to lose.
  std::optional<KeptVoice> voice = keptVoice ? keptVoice() : std::nullopt;
  if (!voice && deck_.cardText == deck_.loadedText && !deck_.cardImage.isNull() &&
      Comparable(picture) == Comparable(deck_.cardImage)) {
    if (!ownFile_.isEmpty()) {
      const QString own = ownFile_;
      writer_.start([own] { state::Remove(own); });
      ownFile_.clear();
    }
    return;
  }
  // A drawing kept earlier in this run (one that could not be saved into
  // its story) is not written over by the next one.
  if (ownFile_.isEmpty() && state::Exists(name)) return;
  DrawingSnapshot snapshot;
  const qsizetype cut = folder.left(folder.size() - 1).lastIndexOf(u'\\');
  snapshot.dataRoot = folder.left(cut + 1);
  snapshot.classFolder = folder.mid(cut + 1).chopped(folder.endsWith(u'\\') ? 1 : 0);
  snapshot.storyName = deck_.storyFolder.mid(folder.size()).chopped(1);
  snapshot.cardNumber = IsNewCard(deck_) ? 0 : deck_.cardNumbers[deck_.currentCard];
  snapshot.writtenMs = QDateTime::currentMSecsSinceEpoch();
  snapshot.picture = picture;
  snapshot.text = deck_.cardText;
  snapshot.voiceSaved = voice && voice->saved;
  ownFile_ = name;
  // The voice is encoded here too, away from the child's clicks.
  writer_.start([snapshot, name, encode = voice ? std::move(voice->encode) : std::function<QByteArray()>()]() mutable {
    if (encode) snapshot.voice = encode();
    state::Write(name, EncodeSnapshot(snapshot));
  });
}

void DrawingRecovery::WaitForWrites() { writer_.waitForDone(); }

void DrawingRecovery::Keep() {
  timer_.stop();
  WriteNow();
  WaitForWrites();
  // No longer this run's to remove or write over: it waits for the class
  // to be chosen again.
  ownFile_.clear();
}

void DrawingRecovery::Discard() {
  timer_.stop();
  firstChangeMs_ = -1;
  writer_.waitForDone();
  if (!ownFile_.isEmpty()) state::Remove(ownFile_);
  ownFile_.clear();
}

std::optional<PendingDrawing> DrawingRecovery::FindForClass() {
  const QString& folder = library_.classFolder;
  const QString name = RecoveryFileName(folder);
  const auto bytes = state::Read(name);
  if (!bytes) return std::nullopt;
  const auto snapshot = DecodeSnapshot(*bytes);
  if (!snapshot) {
    state::Remove(name);
    return std::nullopt;
  }
  // Another class whose name happens to give the same file name.
  if (QString(snapshot->dataRoot + snapshot->classFolder + u'\\').compare(folder, Qt::CaseInsensitive) != 0)
    return std::nullopt;
  PendingDrawing pending;
  pending.snapshot = *snapshot;
  int row = -1;
  for (int i = 0; i < library_.storyNames.size() && row < 0; ++i)
    if (library_.storyNames[i].compare(snapshot->storyName, Qt::CaseInsensitive) == 0) row = i;
  DeckState story;
  if (row >= 0) story.storyFolder = folder + library_.storyNames[row] + u'\\';
  // Renamed or thrown away, perhaps on another computer: the drawing can
  // only become a story of its own.
  if (row < 0 || !disk::FolderExists(story.storyFolder)) {
    pending.place = RecoveryPlace::StoryGone;
    return pending;
  }
  // A story whose first card was never saved has no card list yet: its
  // deck is empty and the drawing is its new card.
  ReadCardList(story);
  int position = story.cardCount();
  if (snapshot->cardNumber != 0) {
    position = int(story.cardNumbers.indexOf(snapshot->cardNumber));
    if (position < 0) {
      pending.place = RecoveryPlace::CardGone;
      position = story.cardCount();
    } else {
      // The card's picture saved after the recovery was written holds more.
      const auto saved = disk::ModifiedMs(storyfiles::CardFilePath(
          story.storyFolder, snapshot->cardNumber, storyfiles::CardFile::Picture));
      if (saved && *saved >= snapshot->writtenMs) {
        state::Remove(name);
        return std::nullopt;
      }
      // So is its narration saved after it: the voice kept with the
      // drawing is older and does not replace it.
      const auto voiceSaved = disk::ModifiedMs(storyfiles::CardFilePath(
          story.storyFolder, snapshot->cardNumber, storyfiles::CardFile::Narration));
      if (voiceSaved && *voiceSaved >= snapshot->writtenMs) pending.snapshot.voice.clear();
    }
  }
  // A new card in a story that holds all the cards it can has no room.
  if (position == story.cardCount() && position >= kMaxCards) {
    pending.place = RecoveryPlace::StoryGone;
    return pending;
  }
  pending.storyIndex = row;
  pending.position = position;
  return pending;
}

void DrawingRecovery::Adopt(const PendingDrawing&) { ownFile_ = RecoveryFileName(library_.classFolder); }

void DrawingRecovery::RestoreVoice(const PendingDrawing& pending) const {
  if (!pending.snapshot.voice.isEmpty() && voiceBack) voiceBack(pending.snapshot.voice, pending.snapshot.voiceSaved);
}

void DrawingRecovery::Decline(const PendingDrawing&) { state::Remove(RecoveryFileName(library_.classFolder)); }

void RestoreDrawing(EditorState& editor, DeckState& deck, const DrawingSnapshot& snapshot) {
  if (editor.canvas().isNull()) return;
  QPainter painter(&editor.canvas());
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(QPoint(editor.canvasOffsetX, editor.canvasOffsetY), snapshot.picture);
  painter.end();
  PaintCanvasFrame(editor);
  editor.notifySurface(QRect(editor.canvasOffsetX, editor.canvasOffsetY, 800, 600));
  StartPictureHistory(editor);  // the card opens as it was drawn, with no steps before
  deck.cardText = snapshot.text;
  deck.notifyChanged();
}
