// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/CardNarration.h"

#include "deck/CardFiles.h"
#include "deck/CardList.h"
#include "deck/DeckState.h"
#include "deck/StoryFiles.h"
#include "narration/NarrationFile.h"
#include "narration/Recorder.h"
#include "platform/SharedLock.h"
#include "recovery/DrawingRecovery.h"
#include "shell/Session.h"

std::optional<QString> NarrationFileAt(const DeckState& deck, int position) {
  if (position < 0 || position >= deck.cardCount()) return std::nullopt;
  return storyfiles::CardFilePath(deck.storyFolder, deck.cardNumbers[position],
                                  storyfiles::CardFile::Narration);
}

void FollowDrawingWithRecorder(DrawingSession& drawing, const DeckState& deck, Recorder& recorder) {
  // The card's narration file is written only while the card is this
  // computer's: a card taken over elsewhere keeps the take for its save.
  recorder.SetWriteCheck([&deck] { return !deck.drawingLock || deck.drawingLock->stillHeld(); });
  QObject::connect(&drawing, &DrawingSession::cardOpened, &recorder, [&drawing, &deck, &recorder] {
    recorder.CardOpened(NarrationFileAt(deck, drawing.OpenPosition()));
  });
  QObject::connect(&drawing, &DrawingSession::cardSaved, &recorder, [&drawing, &deck, &recorder](bool firstSave) {
    // The card's first save names its file; a recording still kept from a
    // save that failed is tried again.
    if (!firstSave && !recorder.HasPendingNarration()) return;
    const auto file = NarrationFileAt(deck, drawing.OpenPosition());
    if (file && !recorder.SavePendingNarration(*file)) drawing.PartNotSaved();
  });
}

void KeepVoiceWithDrawing(Recorder& recorder, DrawingRecovery& recovery) {
  QObject::connect(&recorder, &Recorder::keptChanged, &recovery, &DrawingRecovery::Changed);
  recovery.keptVoice = [&recorder]() -> std::optional<KeptVoice> {
    auto kept = recorder.Kept();
    if (!kept) return std::nullopt;
    // Only the shared samples are taken now; the wave is made on the
    // recovery's writer thread.
    return KeptVoice{kept->saved, [recording = std::move(kept->recording)] {
                       return EncodeNarration(recording).value_or(QByteArray());
                     }};
  };
  recovery.voiceBack = [&recorder](const QByteArray& voice, bool saved) { recorder.TakeBack(voice, saved); };
}

void OfferUnsavedRecording(Session& session) {
  Recorder& recorder = session.narration.recorder;
  if (!recorder.HasUnsavedRecording()) return;
  if (!session.dialogs.Ask(QStringLiteral("ろくおんした こえを ほぞんしますか？"))) return;
  recorder.Stop();
  // Written by the card's save that follows, under the drawing's failure
  // policy: a take that cannot be written offers to stay with the card.
  recorder.KeepForCardSave();
}
