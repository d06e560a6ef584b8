// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "recovery/RecoveryOffer.h"

#include "deck/CardFiles.h"
#include "deck/CardList.h"
#include "library/StoryList.h"
#include "drawing/DrawingSession.h"
#include "library/LibraryState.h"
#include "platform/Dialogs.h"
#include "platform/Disk.h"
#include "recovery/DrawingRecovery.h"

namespace {

const QString kKept = QStringLiteral("かいていた えは とっておきます。");

// Opens the card now current in the editor with the drawing. A card being
// drawn on another computer is not opened (the child has been told): its
// drawing stays kept, neither taken up by this run nor written over, and
// is offered again when the class is chosen again.
void OpenWithDrawing(DrawingRecovery& recovery, DrawingSession& drawing, DeckState& deck, EditorState& editor,
                     const PendingDrawing& pending) {
  if (!drawing.Start()) return;
  RestoreDrawing(editor, deck, pending.snapshot);
  recovery.RestoreVoice(pending);
  recovery.Adopt(pending);
  // The file names the card it is open on now (a new story's, say) at
  // once, so that a crash now never offers it for its old place again.
  recovery.WriteNow();
}

}  // namespace

QString StoryNameFor(const QString& oldName, int n) {
  if (n <= 1) return oldName;
  const QString number = QString::number(n);
  QString base = oldName.left(std::max(0, kMaxStoryNameLength - int(number.size())));
  if (!base.isEmpty() && base.back().isHighSurrogate()) base.chop(1);
  return base + number;
}

QString FreeStoryName(const QString& classFolder, const QString& oldName,
                      const std::function<bool(const QString&)>& taken) {
  // One more than the list can hold is always enough.
  for (int n = 1; n <= kMaxStories + 1; ++n) {
    const QString name = StoryNameFor(oldName, n);
    // A folder of that name outside the list is someone else's.
    if (!StoryNameProblem(name) && !taken(name) && !disk::Exists(classFolder + name)) return name;
  }
  return QString();
}

void OfferRecoveredDrawing(DrawingRecovery& recovery, DrawingSession& drawing, Dialogs& dialogs,
                           LibraryState& library, DeckState& deck, EditorState& editor) {
  const auto pending = recovery.FindForClass();
  if (!pending) return;
  switch (pending->place) {
    case RecoveryPlace::CardThere:
    case RecoveryPlace::CardGone:
      if (!dialogs.Ask(pending->place == RecoveryPlace::CardThere
                           ? QStringLiteral("まえに かいていた えが あります。つづきを かきますか？")
                           : QStringLiteral("まえに かいていた えが あります。あたらしい カードに しますか？"))) {
        recovery.Decline(*pending);
        return;
      }
      library.selectedStory = pending->storyIndex;
      DrawStoryList(library, deck);
      ReadCardList(deck);
      // The card list may have changed while the child was asked: the card
      // is found again by its number, and the new card is past the list.
      {
        const int number = pending->snapshot.cardNumber;
        const int position = pending->place == RecoveryPlace::CardGone || number == 0
                                 ? -1
                                 : int(deck.cardNumbers.indexOf(number));
        ShowCardAt(deck, position >= 0 ? position : deck.cardCount());
      }
      OpenWithDrawing(recovery, drawing, deck, editor, *pending);
      return;
    case RecoveryPlace::StoryGone: {
      if (!dialogs.Ask(QStringLiteral("まえに かいていた えが あります。あたらしい おはなしに しますか？"))) {
        recovery.Decline(*pending);
        return;
      }
      const QString oldName = pending->snapshot.storyName;
      const StoryMaking making = MakeStory(library, deck, [&](const std::function<bool(const QString&)>& taken) {
        return FreeStoryName(library.classFolder, oldName, taken);
      });
      // Not made: the drawing stays kept for the next time the class is chosen.
      if (!making.made) {
        dialogs.Tell(making.message + u'\n' + kKept);
        return;
      }
      if (!making.message.isEmpty()) dialogs.Tell(making.message);
      OpenWithDrawing(recovery, drawing, deck, editor, *pending);
      return;
    }
  }
}
