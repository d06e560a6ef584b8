// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/RecoveryOffer.h"

#include "deck/CardList.h"
#include "deck/CardStrip.h"
#include "editor/CardEditing.h"
#include "library/StoryList.h"
#include "shell/CardNarration.h"
#include "shell/Session.h"

void OfferRecoveredDrawing(Session& m) {
  const auto pending = m.recovery.FindForClass();
  if (!pending) return;
  if (!m.dialogs.Ask(QStringLiteral("まえに かいていた えが あります。つづきを かきますか？"))) {
    m.recovery.Decline(*pending);
    return;
  }
  LibraryState& library = m.library;
  DeckState& deck = m.deck;
  library.CurrentStoryIndex = int16_t(pending->storyIndex);
  DrawStoryList(library, deck);
  ReadCardList(deck);
  deck.CurrentCard = int16_t(pending->position);
  deck.CardStripOffset = int16_t(std::min(20, (pending->position - 1) / strip::kTiles * strip::kTiles));
  OpeningCard(m, [&] { StartDrawing(m.editor, deck, library, m.dialogs); });
  RestoreDrawing(m.editor, deck, pending->snapshot);
  m.recovery.Adopt(*pending);
}
