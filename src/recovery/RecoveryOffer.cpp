// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "recovery/RecoveryOffer.h"

#include "deck/CardFiles.h"
#include "deck/CardList.h"
#include "library/StoryList.h"
#include "drawing/DrawingSession.h"
#include "library/LibraryState.h"
#include "platform/Dialogs.h"
#include "recovery/DrawingRecovery.h"

void OfferRecoveredDrawing(DrawingRecovery& recovery, DrawingSession& drawing, Dialogs& dialogs,
                           LibraryState& library, DeckState& deck, EditorState& editor) {
  const auto pending = recovery.FindForClass();
  if (!pending) return;
  if (!dialogs.Ask(QStringLiteral("まえに かいていた えが あります。つづきを かきますか？"))) {
    recovery.Decline(*pending);
    return;
  }
  library.selectedStory = pending->storyIndex;
  DrawStoryList(library, deck);
  ReadCardList(deck);
  ShowCardAt(deck, pending->position);
  // A card being drawn on another computer is not opened (the child has
  // been told): its drawing stays kept, neither taken up by this run nor
  // written over, and is offered again when the class is chosen again.
  if (!drawing.Start()) return;
  RestoreDrawing(editor, deck, pending->snapshot);
  recovery.Adopt(*pending);
}
