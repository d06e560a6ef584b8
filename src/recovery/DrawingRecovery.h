// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A drawing survives a crash. While the editor is open, the picture area of
// the canvas and the card text go to a recovery file in the program's own
// state folder a few seconds after they change; the encoding and writing
// run on a worker thread of their own, so a stroke never waits for them.
// The file names the data root, the class folder, the story and the card
// (0 for the new card). There is one recovery file per class folder, so a
// recovery of another class waits until that class is chosen.
//
// The narration take that would be lost with the drawing (recorded and not
// saved, or saved on a card that waits for its save) goes into the file
// too, as the bytes of a narration file. What it is, and where it goes
// back, is the business of whoever sets keptVoice and voiceBack: here it
// is only bytes.

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <functional>
#include <optional>

class DeckState;
class EditorState;
class LibraryState;

struct DrawingSnapshot {
  QString dataRoot;     // "C:\A_PIKORA\"
  QString classFolder;  // "CLASS_11"
  QString storyName;
  int cardNumber = 0;   // 0: the new card
  qint64 writtenMs = 0;
  QImage picture;       // 800 x 600
  QString text;         // lines ended by CR LF
  QByteArray voice;     // a narration file's bytes; empty for none
  bool voiceSaved = false;  // saved by the child, waiting for the card's save
};

// The take to keep with the drawing, as found when the file is written.
struct KeptVoice {
  bool saved = false;
  // Gives the bytes; runs on the writer's thread, so it must hold copies
  // of what it encodes.
  std::function<QByteArray()> encode;
};

// The whole recovery file: a short text header, then the picture as PNG,
// then the voice when there is one. A file without a voice is written as
// before there were voices, and such files are read as ever.
QByteArray EncodeSnapshot(const DrawingSnapshot& snapshot);
// Nothing for a file that is not a whole recovery file.
std::optional<DrawingSnapshot> DecodeSnapshot(const QByteArray& bytes);

// The name of the recovery file of the class folder `classFolder` (a path
// text such as "C:\A_PIKORA\CLASS_11\").
QString RecoveryFileName(const QString& classFolder);

// Where a recovered drawing can go now.
enum class RecoveryPlace {
  CardThere,  // its card (or the story's new card, for one never saved)
  CardGone,   // its story is there but the card is not: the story's new card
  StoryGone,  // its story is renamed or thrown away, or holds all the cards it can
};

// A recovery found for the class now chosen, with where its card is now.
struct PendingDrawing {
  DrawingSnapshot snapshot;
  RecoveryPlace place = RecoveryPlace::CardThere;
  int storyIndex = -1;  // row in the library's storyNames; -1 when StoryGone
  int position = -1;    // deck position from 0; cardCount() for the new card; -1 when StoryGone
};

class DrawingRecovery : public QObject {
  Q_OBJECT
 public:
  DrawingRecovery(EditorState& editor, DeckState& deck, LibraryState& library);
  ~DrawingRecovery() override;

  // From now on changes to the canvas and the card text are kept.
  void Start();
  // Something the child made changed: the recovery file is written once
  // the changes rest for `delayMs`, and at the latest `maxDelayMs` after
  // the first change not yet written. Only notes the time and arms the
  // timer when it is not running.
  void Changed();
  // Writes what is open now (also called by the timer).
  void WriteNow();
  // Waits until every write asked for so far has ended.
  void WaitForWrites();
  // The drawing open now could not be saved into its story: it is written
  // at once, is on disk when this returns, and stays there, neither
  // removed nor written over in this run, until the class is chosen again.
  void Keep();
  // The drawing is saved, started over or given up: this run's recovery
  // file goes, and nothing more is written until the next change.
  void Discard();

  // The recovery of the class now chosen, to be offered, with where it
  // can go now. Only a file that is broken, or older than its card's saved
  // picture, is removed without asking; one whose card or story is gone is
  // found as such and left for the caller to offer.
  std::optional<PendingDrawing> FindForClass();
  // The offered recovery was taken up (it is this run's from now on) or
  // turned down (it is removed).
  void Adopt(const PendingDrawing& pending);
  void Decline(const PendingDrawing& pending);

  // The drawing's voice was taken up with it: the voice goes where
  // voiceBack puts it. Nothing when it has none, or when its card's own
  // narration was saved after it.
  void RestoreVoice(const PendingDrawing& pending) const;

  int delayMs = 3000;
  int maxDelayMs = 10000;
  // The take to keep now, asked when the file is written; none when unset.
  std::function<std::optional<KeptVoice>()> keptVoice;
  std::function<void(const QByteArray& voice, bool saved)> voiceBack;

 private:
  EditorState& editor_;
  DeckState& deck_;
  LibraryState& library_;
  // The timer's end: writes, or waits on while the changes go on.
  void TimerEnded();

  QElapsedTimer clock_;
  QTimer timer_;
  QThreadPool writer_;  // one thread: writes and removals keep their order
  qint64 firstChangeMs_ = -1;  // the oldest change not yet written
  qint64 lastChangeMs_ = -1;
  QString ownFile_;            // the recovery file this run wrote or took up
};

// Puts a recovered picture and text on the canvas and into the card now
// open in the editor.
void RestoreDrawing(EditorState& editor, DeckState& deck, const DrawingSnapshot& snapshot);
