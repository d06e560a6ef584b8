// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "drawing/StripClicks.h"

#include "deck/CardOperations.h"
#include "deck/CardStrip.h"
#include "drawing/Canvas.h"
#include "drawing/DrawingSession.h"

namespace {

const QString kFinishDrawing = QStringLiteral("「えをかく」をおわってください。");

}  // namespace

void CardStripMouseDown(DrawingSession& drawing, EditorState& editor, DeckState& deck, Dialogs& dialogs,
                        QPointF at) {
  if (drawing.IsOpen()) {
    dialogs.Beep();
    dialogs.Tell(kFinishDrawing);
    return;
  }
  // Without a story the card files would land in the class folder.
  if (!HasStory(deck)) {
    dialogs.Beep();
    return;
  }
  const StripHit hit = HitCardStrip(deck, at);
  switch (hit.zone) {
    case StripHit::None:
      break;
    case StripHit::Label:
      return;
    case StripHit::PageSwitch: {
      const int next = NextStripStart(deck);
      if (next != deck.stripStart) {
        deck.stripStart = next;
        DrawCardStrip(deck);
      }
      return;
    }
    default:
      break;
  }
  // A tile past the new-card tile is empty: the deck never gets a gap.
  if (hit.position > deck.cardCount()) return;
  deck.currentCard = hit.position;
  switch (hit.zone) {
    case StripHit::Copy:
      CopyCard(deck, dialogs);
      break;
    case StripHit::Erase:
      EraseCard(deck, dialogs);
      if (deck.currentCard < 0) {
        // The only card is gone: it must not stay on the canvas either.
        ClearCanvas(editor);
        PaintCanvasFrame(editor);
      }
      break;
    case StripHit::Open:
      drawing.OpenAt(hit.position);
      break;
    case StripHit::MoveLeft:
      MoveCardLeft(deck, dialogs);
      break;
    case StripHit::MoveRight:
      MoveCardRight(deck, dialogs);
      break;
    default:
      break;
  }
}
