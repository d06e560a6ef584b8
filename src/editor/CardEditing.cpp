// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "editor/CardEditing.h"

#include <QPainter>

#include "deck/CardFiles.h"
#include "deck/CardList.h"
#include "deck/CardOperations.h"
#include "deck/CardStrip.h"
#include "deck/SharedDeck.h"
#include "editor/Canvas.h"
#include "editor/ToolPalette.h"
#include "library/StoryList.h"

namespace {

const QString kNotSaved = QStringLiteral("カードを ほぞんできませんでした。");
const QString kLeaveUnsaved =
    QStringLiteral("カードを ほぞんできませんでした。\nほぞんしないで「えをかく」を おわりますか？");
const QString kTextNotSaved = QStringLiteral("カードの もじを ほぞんできませんでした。");
const QString kFinishDrawing = QStringLiteral("「えをかく」をおわってください。");
const QString kPictureUnreadable =
    QStringLiteral("この カードの えが よみこめませんでした。\nえを かかなければ、いまの ファイルは そのまま のこります。");

// A card opened for drawing whose picture file could not be read: the
// child sees blank paper and is told why.
void TellUnreadablePicture(const DeckState& deck, Dialogs& dialogs) {
  if (deck.pictureUnreadable) dialogs.Tell(kPictureUnreadable);
}

// Saves the card and the deck order; false, after telling the child, when
// either could not be written.
bool SaveCardAndOrder(EditorState& editor, DeckState& deck, Dialogs& dialogs, bool tell) {
  if (!SaveDrawnCard(editor, deck, dialogs)) {
    if (tell) dialogs.Tell(kNotSaved);
    return false;
  }
  return true;
}

// Before a card opens for drawing: its lock, so that no other computer
// draws it at the same time. A card drawn elsewhere, or erased there, is
// not opened; the strip shows the deck as it is now.
bool MayDraw(DeckState& deck, Dialogs& dialogs) {
  const DrawingLock lock = LockCardForDrawing(deck);
  if (lock == DrawingLock::Taken) return true;
  DrawCardStrip(deck);
  LoadCard(deck);
  if (lock == DrawingLock::InUse) dialogs.Tell(kCardInUse);
  return false;
}

}  // namespace

void ShowLoadedCards(EditorState& editor, DeckState& deck) {
  QObject::connect(&deck, &DeckState::cardLoaded, &editor, [&editor, &deck] {
    ShowCardPicture(editor, deck);
    PaintCanvasFrame(editor);
  });
  QObject::connect(&editor, &EditorState::textRestored, &deck, [&deck](const QString& text) {
    deck.cardText = text;
    deck.notifyChanged();
  });
}

void ShowCardPicture(EditorState& editor, const DeckState& deck) {
  if (editor.canvasImage.isNull()) return;
  QPainter painter(&editor.canvasImage);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(QPoint(editor.CanvasOffsetX, editor.CanvasOffsetY), deck.cardImage,
                    QRect(0, 0, 800, 600));
  painter.end();
  editor.notifySurface(QRect(editor.CanvasOffsetX, editor.CanvasOffsetY, 800, 600));
}

QImage CanvasPicture(const EditorState& editor) {
  return editor.canvasImage.copy(editor.CanvasOffsetX, editor.CanvasOffsetY, 800, 600);
}

bool SaveDrawnCard(EditorState& editor, DeckState& deck, Dialogs& dialogs) {
  // An outline following the pointer is not part of the picture.
  EraseRubberBand(editor);
  editor.ShapeClickCount = 0;
  // A picture that could not be read is replaced only by a drawing: the
  // blank paper shown in its place is not one. The frame covers the
  // picture's last column, which is left out of the comparison.
  QImage picture = CanvasPicture(editor);
  if (deck.pictureUnreadable && picture.copy(0, 0, 799, 600).convertToFormat(QImage::Format_RGB32) ==
                                    deck.cardImage.copy(0, 0, 799, 600).convertToFormat(QImage::Format_RGB32))
    picture = QImage();
  switch (SaveCard(deck, picture)) {
    case CardSave::Failed:
      return false;
    case CardSave::TextNotSaved:
      // The picture is saved, the text is not: the editor stays open (or
      // the child chooses to leave), so the typed text is not lost unseen.
      dialogs.Tell(kTextNotSaved);
      return false;
    case CardSave::Saved:
      return true;
  }
  return false;
}

void EnterDrawingMode(EditorState& editor, LibraryState& library) {
  library.storyPanelVisible = false;
  editor.canvasVisible = true;
  editor.toolPanelVisible = true;
  editor.cardTextVisible = false;
  editor.PenWidth = 1;
  editor.FixMode = 0;
  editor.fixModeCaption = QStringLiteral("じゆう");
  library.notifyChanged();
  editor.notifyChanged();
  PaintCanvasFrame(editor);
  OpenEditorUndoBaseline(editor);
}

void StartDrawing(EditorState& editor, DeckState& deck, LibraryState& library, Dialogs& dialogs) {
  // Without a story the card files would have no folder of their own.
  if (!StorySelected(deck)) {
    dialogs.Beep();
    return;
  }
  // The editor opens on the card the strip calls current, whatever the
  // canvas showed before: a press on a tile's header may have changed it
  // without loading it, and an erased last card leaves no current card.
  if (deck.CurrentCard < 1) deck.CurrentCard = int16_t(deck.CardCount + 1);
  if (!MayDraw(deck, dialogs)) return;
  DrawCardStrip(deck);
  LoadCard(deck);
  editor.CurrentTool = kNoTool;
  EnterDrawingMode(editor, library);
  TellUnreadablePicture(deck, dialogs);
}

void OpenCard(EditorState& editor, DeckState& deck, LibraryState& library) {
  editor.CurrentTool = 3;
  HighlightToolButtons(editor);
  DrawCardStrip(deck);
  // The new card opens on blank paper with an empty text, never with the
  // text of the card shown before.
  LoadCard(deck);
  editor.FillColorIndex = 1;
  editor.fillSwatchFace = editor.PaletteColors[editor.FillColorIndex];
  EnterDrawingMode(editor, library);
}

bool FinishDrawing(EditorState& editor, DeckState& deck, LibraryState& library, Dialogs& dialogs) {
  const bool saved = SaveCardAndOrder(editor, deck, dialogs, false);
  if (!saved) {
    DrawCardStrip(deck);  // a card that did get its number shows in the strip
    // The drawing stays unless the child chooses to leave without it: a
    // drive that is gone for good must not trap the child in the editor.
    if (!dialogs.Ask(kLeaveUnsaved)) return false;
    LoadCard(deck);  // the card as it is on disk (blank paper for a new card)
  }
  ReleaseDrawingLock(deck);
  DrawCardStrip(deck);
  editor.toolPanelVisible = false;
  editor.canvasVisible = false;
  editor.cardTextVisible = false;
  library.storyPanelVisible = true;
  editor.CurrentTool = 0;
  editor.notifyChanged();
  library.notifyChanged();
  return saved;
}

void SaveDrawing(EditorState& editor, DeckState& deck, Dialogs& dialogs) {
  SaveCardAndOrder(editor, deck, dialogs, true);
  DrawCardStrip(deck);
}

bool StartOver(EditorState& editor, DeckState& deck, Dialogs& dialogs) {
  if (!dialogs.Ask(QStringLiteral("はじめに、もどします。"))) return false;
  SaveUndoImage(editor);
  // A saved card goes back to its saved picture and its saved text; a new
  // card to blank paper and no text.
  if (!IsNewCard(deck)) {
    LoadCard(deck);
  } else {
    ClearCanvas(editor);
    deck.cardText.clear();
  }
  PaintCanvasFrame(editor);
  editor.cardTextVisible = false;
  editor.canvasVisible = true;  // the picture, not an empty space, in its place
  deck.notifyChanged();
  editor.notifyChanged();
  return true;
}

void CardStripMouseDown(EditorState& editor, DeckState& deck, LibraryState& library, Dialogs& dialogs,
                        QPointF at) {
  if (editor.toolPanelVisible) {
    dialogs.Beep();
    dialogs.Tell(kFinishDrawing);
    return;
  }
  // Without a story the card files would land in the class folder.
  if (!StorySelected(deck)) {
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
      const int16_t next = NextCardStripOffset(deck);
      if (next != deck.CardStripOffset) {
        deck.CardStripOffset = next;
        DrawCardStrip(deck);
      }
      return;
    }
    default:
      break;
  }
  // A tile past the new-card tile is empty: the deck never gets a gap.
  if (hit.position > deck.CardCount + 1) return;
  deck.CurrentCard = int16_t(hit.position);
  switch (hit.zone) {
    case StripHit::Copy:
      CopyCard(deck, dialogs);
      break;
    case StripHit::Erase:
      EraseCard(deck, dialogs);
      if (deck.CurrentCard == 0) {
        // The only card is gone: it must not stay on the canvas either.
        ClearCanvas(editor);
        PaintCanvasFrame(editor);
      }
      break;
    case StripHit::Open:
      if (!MayDraw(deck, dialogs)) break;
      OpenCard(editor, deck, library);
      TellUnreadablePicture(deck, dialogs);
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
