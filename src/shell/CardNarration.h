// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The recorder follows the card being drawn: it learns the card's
// narration file whenever a card is opened for drawing, and a recording
// kept for a new card is written once the card's first save has given it
// its number.

#include <QString>
#include <optional>

class DeckState;
class DrawingRecovery;
class DrawingSession;
class Recorder;
class Session;

// The narration file of the card at `position` (0..cardCount() - 1): the card
// file stem and "_x.wav". Nothing for any other position, a new card
// included, so no narration can land on another card's file.
std::optional<QString> NarrationFileAt(const DeckState& deck, int position);

// From now on the recorder is told which card is open, and a recording
// kept for the open card is written with each save of it. One that cannot
// be written is told, stays kept, and makes the save count as failed, so
// the drawing's failure policy applies to it too.
void FollowDrawingWithRecorder(DrawingSession& drawing, const DeckState& deck, Recorder& recorder);

// The take the recorder keeps (recorded and not saved, or saved and waiting
// for the card's save) goes into the drawing's recovery file with each
// write, as it would be written to the card; a drawing taken up again
// gives its take back to the recorder as it was: saved and waiting for the
// card's save, or not saved, to be offered when the card is finished.
void KeepVoiceWithDrawing(Recorder& recorder, DrawingRecovery& recovery);

// Before "えをかく おわり": a recording the child made but did not save with
// "保存" is offered for saving rather than dropped without a word; はい keeps
// it for the card's save, which writes it (or, when it cannot, offers to
// stay with it).
void OfferUnsavedRecording(Session& session);
