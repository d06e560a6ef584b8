// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/RecoveryOffer.h"

#include "deck/CardFiles.h"
#include "deck/CardList.h"
#include "library/StoryList.h"
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
  ShowCardAt(deck, pending->position);
  m.drawing.Start();
  RestoreDrawing(m.editor, deck, pending->snapshot);
  m.recovery.Adopt(*pending);
}
