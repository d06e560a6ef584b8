// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The narration recorder of the card being drawn: record, stop, save,
// delete and play, and the poll of the recording position that drives the
// position bar. Works on the audio device and the narration player; the
// buttons, the bar and the poll timer only show this state and pass clicks.
//
// The card is known only by its narration file (a path text), or by
// nothing while it is a new card that has not been saved: then "save"
// keeps the recording pending until the card's first save has given it a
// number (SavePendingNarration), and "delete" deletes no file.
//
// "Play" plays what the card would keep: a take kept pending or brought
// back, written for that to a file of the program's own in the user's
// runtime folder (never beside the card, whose file appears only with the
// card's save), else the card's narration file. A take just recorded and
// not saved is not played: "play" lets the child hear what is kept.
//
// A recording that failed (see AudioDevice) is told to the child and is
// gone; a recording with no sound in it is never saved, so a narration is
// only ever replaced by a real take.

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include "narration/AudioDevice.h"

class Dialogs;
class NarrationPlayer;

// What the child is told.
namespace recorder_message {
inline const QString kNoMicrophone = QStringLiteral("マイクが みつかりません。");
inline const QString kCannotRecord = QStringLiteral("ろくおんが はじめられません。");
inline const QString kNotRecorded = QStringLiteral("こえが ろくおんできませんでした。");
inline const QString kCannotSave = QStringLiteral("こえを ほぞんできませんでした。");
}  // namespace recorder_message

class Recorder : public QObject {
  Q_OBJECT
 public:
  // The longest recording and the bar's maximum, in milliseconds.
  static constexpr int kRecordMax = 30000;

  Recorder(AudioDevice& device, NarrationPlayer& player, Dialogs& dialogs,
           QObject* parent = nullptr);
  ~Recorder() override;

  // A card is open for drawing (also on entering the editor): its narration
  // file, or nothing for a new card. Closes the device, dropping a recording
  // of the card before, and drops any pending one: the bar shows 0 until the
  // next recording, and no recording can end up on another card.
  void CardOpened(std::optional<QString> narrationFile);
  // The open card has just been saved for the first time and so has its
  // number and narration file (or a save after one that failed): a pending
  // recording is written there. A card saved under a number of its own
  // after its old one was taken over elsewhere takes along the take saved
  // to the old file since it was opened. False (and the child is told) when
  // it could not be written; the recording then stays pending.
  bool SavePendingNarration(const QString& narrationFile);
  // Before "えをかく おわり": the take recorded and not yet saved is kept
  // pending, to be written by the card's save that follows (and to stay,
  // with the card open, when it cannot be).
  void KeepForCardSave();
  // Asked before the card's own narration file is written or deleted: false
  // when the card is no longer this computer's to write (its lock was taken
  // over). A take saved then stays pending instead. None: always.
  void SetWriteCheck(std::function<bool()> check) { writeCheck_ = std::move(check); }

  // The buttons.
  void Record();  // "録音"
  void Stop();    // "■"
  void Save();    // "保存"
  void Delete();  // "削除"
  void Play();    // "▼"
  // The poll, every 100 ms while TimerEnabled().
  void Tick();

  int RecordMax() const { return recordMax_; }
  // A shorter limit, for trying the limit without waiting half a minute.
  void SetRecordMax(int ms) { recordMax_ = ms; }
  // Milliseconds recorded so far in the take being recorded.
  int RecordPosition() const { return recordPosition_; }
  int BarMax() const { return barMax_; }
  int BarValue() const { return barValue_; }
  bool TimerEnabled() const { return timerEnabled_; }
  bool HasPendingNarration() const { return pending_.has_value(); }
  // A recording was made and neither saved, deleted nor dropped by opening
  // another card.
  bool HasUnsavedRecording() const { return unsaved_; }
  std::optional<QString> NarrationFile() const { return narrationFile_; }

  // The take that would be lost if the program ended now: the recording
  // not yet saved (also while it is being recorded), else the one kept
  // pending for the card's save. Cheap: the samples are shared.
  struct KeptTake {
    Recording recording;
    bool saved = false;  // saved with "保存" and waiting for the card's save
  };
  std::optional<KeptTake> Kept() const;
  // A take brought back (the bytes of a narration file) after the card
  // was opened. One the child had saved is kept pending, to be written by
  // the card's next save as a take saved on a new card is; one never saved
  // comes back unsaved, to be saved with "保存" or offered at the card's
  // end like a take just recorded. False for bytes that are no narration.
  bool TakeBack(const QByteArray& narrationBytes, bool saved);

 signals:
  // The bar or the timer state changed.
  void changed();
  // What Kept() gives may have changed: a take was started, grew, ended,
  // was kept pending, written to the card or dropped.
  void keptChanged();

 private:
  void SetBar(int value);
  void Failed(AudioError error);
  void Tell(AudioError error);
  bool MayWrite() const { return !writeCheck_ || writeCheck_(); }
  // The take "▼" plays instead of the card's file, if any.
  const Recording* TakeToPlay() const;
  // Removes the file written for "▼" once it no longer holds that take.
  void DropStalePlayFile();

  AudioDevice& device_;
  NarrationPlayer& player_;
  Dialogs& dialogs_;
  std::optional<QString> narrationFile_;
  std::optional<Recording> pending_;
  // The take last written to the card's file since the card was opened.
  std::optional<Recording> savedTake_;
  // A take never saved, brought back by TakeBack; the device holds none.
  std::optional<Recording> takenBack_;
  std::function<bool()> writeCheck_;
  // The host file written for "▼" and the samples it holds (shared with
  // the take, so telling whether it is still that take costs nothing).
  QString playFile_;
  QByteArray playFileSamples_;
  int recordMax_ = kRecordMax;
  int recordPosition_ = 0;
  int barMax_ = kRecordMax;
  int barValue_ = 0;
  bool timerEnabled_ = false;
  bool unsaved_ = false;
};
