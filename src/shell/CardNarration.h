// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The recorder follows the card being drawn: it learns the card's
// narration file whenever the editor opens on a card, and a recording kept
// for a new card is written once the card's first save has given it its
// number.

#include <QString>
#include <functional>
#include <optional>

class DeckState;
class Session;

// The narration file of the card at `position` (1..CardCount): the card
// file stem and "_x.wav". Nothing for any other position, a new card
// included, so no narration can land on another card's file.
std::optional<QString> NarrationFileAt(const DeckState& deck, int position);

// Runs a step that may open the editor ("えをかく", a press on the strip);
// when it did, the recorder is told which card is now open.
void OpeningCard(Session& m, const std::function<void()>& step);

// Runs a step that may save the open card ("えをかく おわり", "ほぞん");
// when a new card got its number, its pending narration is written.
void SavingCard(Session& m, const std::function<void()>& step);

// Before "えをかく おわり": a recording the child made but did not save with
// "保存" is offered for saving rather than dropped without a word.
void OfferUnsavedRecording(Session& m);
