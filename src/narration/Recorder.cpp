// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "narration/Recorder.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <limits>

#include "narration/NarrationPlayer.h"
#include "platform/Dialogs.h"
#include "platform/Disk.h"
#include "platform/HostFiles.h"

Recorder::Recorder(AudioDevice& device, NarrationPlayer& player, Dialogs& dialogs,
                   QObject* parent)
    : QObject(parent), device_(device), player_(player), dialogs_(dialogs) {
  connect(&device_, &AudioDevice::failed, this, &Recorder::Failed);
  connect(&device_, &AudioDevice::captured, this, &Recorder::keptChanged);
  connect(this, &Recorder::keptChanged, this, &Recorder::DropStalePlayFile);
}

Recorder::~Recorder() {
  if (!playFile_.isEmpty()) QFile::remove(playFile_);
}

namespace {

// The user's runtime folder, else the temporary folder; one file per
// running copy of the program.
QString PlayFilePath() {
  QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (folder.isEmpty() || !QFileInfo(folder).isDir())
    folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
  if (folder.isEmpty()) return {};
  return folder + QStringLiteral("/pikorama-play-%1.wav").arg(QCoreApplication::applicationPid());
}

}  // namespace

const Recording* Recorder::TakeToPlay() const {
  if (takenBack_) return &*takenBack_;
  if (pending_) return &*pending_;
  return nullptr;
}

void Recorder::DropStalePlayFile() {
  if (playFile_.isEmpty()) return;
  const Recording* take = TakeToPlay();
  if (take && take->bytes.isSharedWith(playFileSamples_)) return;
  QFile::remove(playFile_);
  playFile_.clear();
  playFileSamples_.clear();
}

std::optional<Recorder::KeptTake> Recorder::Kept() const {
  if (unsaved_) {
    if (takenBack_) return KeptTake{*takenBack_, false};
    auto recording = device_.CurrentRecording();
    if (recording && recording->frames() > 0) return KeptTake{std::move(*recording), false};
  }
  if (pending_) return KeptTake{*pending_, true};
  return std::nullopt;
}

bool Recorder::TakeBack(const QByteArray& narrationBytes, bool saved) {
  auto recording = DecodeNarration(narrationBytes);
  if (!recording || recording->frames() == 0) return false;
  if (saved) {
    pending_ = std::move(recording);
  } else {
    takenBack_ = std::move(recording);
    unsaved_ = true;
  }
  emit keptChanged();
  return true;
}

void Recorder::Tell(AudioError error) {
  switch (error) {
    case AudioError::None:
    case AudioError::NotOpen:  // nothing recorded is nothing to save
      return;
    case AudioError::NoMicrophone:
      dialogs_.Tell(recorder_message::kNoMicrophone);
      return;
    case AudioError::CannotRecord:
      dialogs_.Tell(recorder_message::kCannotRecord);
      return;
    case AudioError::InputStopped:
    case AudioError::NothingRecorded:
      dialogs_.Tell(recorder_message::kNotRecorded);
      return;
    case AudioError::CannotSave:
      dialogs_.Tell(recorder_message::kCannotSave);
      return;
  }
}

void Recorder::SetBar(int value) {
  value = std::clamp(value, 0, barMax_);
  if (value == barValue_) return;
  barValue_ = value;
  emit changed();
}

void Recorder::CardOpened(std::optional<QString> narrationFile) {
  device_.Close();
  narrationFile_ = std::move(narrationFile);
  pending_.reset();
  savedTake_.reset();
  takenBack_.reset();
  unsaved_ = false;
  SetBar(0);
  emit keptChanged();
}

bool Recorder::SavePendingNarration(const QString& narrationFile) {
  // The card moved to a number of its own: what was saved to its old file
  // in this opening goes with it.
  if (!pending_ && savedTake_ && narrationFile_ && *narrationFile_ != narrationFile) pending_ = savedTake_;
  narrationFile_ = narrationFile;
  if (!pending_) return true;
  // A take that could not be written stays kept, to be written with the
  // card's next save; it is never dropped without a word.
  const bool saved = WriteNarration(*pending_, narrationFile);
  if (saved) {
    savedTake_ = std::move(pending_);
    pending_.reset();
    emit keptChanged();
  } else {
    Tell(AudioError::CannotSave);
  }
  return saved;
}

void Recorder::KeepForCardSave() {
  unsaved_ = false;
  if (takenBack_) {
    pending_ = std::move(takenBack_);
    takenBack_.reset();
    emit keptChanged();
    return;
  }
  auto recording = device_.CurrentRecording();
  if (!recording) return;
  if (recording->frames() == 0) return Tell(AudioError::NothingRecorded);
  pending_ = std::move(recording);
  emit keptChanged();
}

void Recorder::Record() {
  device_.Close();
  timerEnabled_ = true;
  barMax_ = recordMax_;
  barValue_ = 0;
  recordPosition_ = 0;
  takenBack_.reset();
  unsaved_ = true;
  emit changed();
  emit keptChanged();
  // Stops by itself at the bar's end, so the file and the bar agree.
  device_.Record(recordMax_);
}

void Recorder::Failed(AudioError error) {
  // The take is gone: the bar and the poll stop, and nothing is offered
  // for saving.
  unsaved_ = false;
  timerEnabled_ = false;
  recordPosition_ = 0;
  barValue_ = 0;
  emit changed();
  emit keptChanged();
  Tell(error);
}

void Recorder::Stop() {
  device_.Stop();
  emit keptChanged();
}

void Recorder::Save() {
  // A take brought back has no device to write it: the card's save does.
  if (takenBack_) return KeepForCardSave();
  unsaved_ = false;
  if (!narrationFile_ || !MayWrite()) {
    // A new card has no file of its own yet, and a card taken over by
    // another computer no longer has one: keep the recording until the
    // card's next save names its file.
    auto recording = device_.CurrentRecording();
    if (recording && recording->frames() == 0) return Tell(AudioError::NothingRecorded);
    if (recording) pending_ = std::move(recording);
    emit keptChanged();
    return;
  }
  const AudioError error = device_.Save(*narrationFile_);
  // A recording that could not be written can be saved again; one that was
  // written replaces a take kept from before.
  if (error == AudioError::CannotSave) unsaved_ = true;
  if (error == AudioError::None) {
    pending_.reset();
    savedTake_ = device_.CurrentRecording();
  }
  emit keptChanged();
  Tell(error);
}

void Recorder::Delete() {
  pending_.reset();
  savedTake_.reset();
  takenBack_.reset();
  unsaved_ = false;
  emit keptChanged();
  // Another computer's narration is not this card's to delete.
  if (narrationFile_ && MayWrite()) disk::DeleteFile(*narrationFile_);
}

void Recorder::Play() {
  if (const Recording* take = TakeToPlay()) {
    DropStalePlayFile();
    if (playFile_.isEmpty()) {
      const QString path = PlayFilePath();
      const auto bytes = EncodeNarration(*take);
      if (path.isEmpty() || !bytes || !host::WriteWholeFile(path, *bytes)) return;
      playFile_ = path;
      playFileSamples_ = take->bytes;
    }
    player_.PlayHostFile(playFile_);
    return;
  }
  if (narrationFile_ && disk::FileExists(*narrationFile_)) player_.Play(*narrationFile_);
}

void Recorder::Tick() {
  if (!timerEnabled_) return;
  recordPosition_ = int(std::min<qint64>(device_.PositionMs(), std::numeric_limits<int>::max()));
  SetBar(recordPosition_);
}
