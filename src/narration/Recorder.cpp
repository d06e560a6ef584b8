// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "narration/Recorder.h"

#include <algorithm>

#include "narration/NarrationPlayer.h"
#include "platform/Dialogs.h"
#include "platform/Disk.h"

namespace {

// The leading number of a reply, 0 when it does not start with one (as an
// error text does); held in 16 bits.
int16_t LeadingNumber(const QString& text) {
  qsizetype end = 0;
  while (end < text.size() && text[end].isDigit() && text[end].unicode() < 128) ++end;
  bool ok = false;
  const qint64 n = text.left(std::min<qsizetype>(end, 9)).toLongLong(&ok);
  return ok ? int16_t(std::min<qint64>(n, INT16_MAX)) : 0;
}

}  // namespace

Recorder::Recorder(AudioDevice& device, NarrationPlayer& player, Dialogs& dialogs,
                   QObject* parent)
    : QObject(parent), device_(device), player_(player), dialogs_(dialogs) {}

int Recorder::Send(const QString& command) {
  QString reply;
  return device_.SendAudioCommand(command, reply);
}

void Recorder::SetBar(int value) {
  value = std::clamp(value, 0, barMax_);
  if (value == barValue_) return;
  barValue_ = value;
  emit changed();
}

void Recorder::CardOpened(std::optional<QString> narrationFile) {
  Send(QStringLiteral("close wfile"));
  narrationFile_ = std::move(narrationFile);
  pending_.reset();
  unsaved_ = false;
  SetBar(0);
}

bool Recorder::SavePendingNarration(const QString& narrationFile) {
  narrationFile_ = narrationFile;
  if (!pending_) return true;
  // A take that could not be written stays kept, to be written with the
  // card's next save; it is never dropped without a word.
  const bool saved = WriteNarration(*pending_, narrationFile);
  if (saved)
    pending_.reset();
  else
    dialogs_.Tell(audio_error::kCannotSave);
  return saved;
}

void Recorder::Record() {
  Send(QStringLiteral("close wfile"));
  QString reply;
  if (device_.SendAudioCommand(QStringLiteral("open new type waveaudio alias wfile"), reply) != 0) {
    dialogs_.Tell(reply);
    return;
  }
  Send(QStringLiteral("set wfile time format ms"));
  timerEnabled_ = true;
  barMax_ = recordMax_;
  barValue_ = 0;
  recordPosition_ = 0;
  emit changed();
  // Stops by itself at the bar's end, so the file and the bar agree.
  if (device_.SendAudioCommand(QStringLiteral("record wfile to %1").arg(recordMax_), reply) != 0) {
    dialogs_.Tell(reply);
    return;
  }
  unsaved_ = true;
}

void Recorder::Stop() { Send(QStringLiteral("stop wfile")); }

void Recorder::Save() {
  unsaved_ = false;
  if (!narrationFile_) {
    // A new card has no file of its own yet: keep the recording until the
    // card's first save names it.
    if (auto recording = device_.CurrentRecording()) pending_ = std::move(recording);
    return;
  }
  QString reply;
  const int status = device_.SendAudioCommand(QStringLiteral("save wfile ") + *narrationFile_, reply);
  // Nothing recorded is nothing to save; a recording that could not be
  // written is told, and the old narration stays as it was.
  if (status == AudioDevice::kCannotSave) {
    unsaved_ = true;
    dialogs_.Tell(audio_error::kCannotSave);
  } else if (status == AudioDevice::kOk) {
    pending_.reset();  // a take kept from before is replaced by this one
  }
}

void Recorder::Delete() {
  pending_.reset();
  unsaved_ = false;
  if (narrationFile_) disk::DeleteFile(*narrationFile_);
}

void Recorder::Play() {
  if (narrationFile_ && disk::FileExists(*narrationFile_)) player_.Play(*narrationFile_);
}

void Recorder::Tick() {
  if (!timerEnabled_) return;
  QString reply;
  device_.SendAudioCommand(QStringLiteral("status wfile position"), reply);
  recordPosition_ = LeadingNumber(reply);
  SetBar(recordPosition_);
}
