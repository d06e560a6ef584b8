// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "drawing/DrawingSession.h"

#include <QPainter>
#include <utility>

#include "deck/CardFiles.h"
#include "deck/CardList.h"
#include "deck/CardStrip.h"
#include "deck/SharedDeck.h"
#include "drawing/Canvas.h"
#include "drawing/DrawingTools.h"
#include "drawing/ToolActions.h"

namespace {

const QString kNotSaved = QStringLiteral("カードを ほぞんできませんでした。");
const QString kLeaveUnsaved =
    QStringLiteral("カードを ほぞんできませんでした。\nほぞんしないで「えをかく」を おわりますか？");
const QString kLeaveWithoutVoice = QStringLiteral("こえを ほぞんしないで「えをかく」を おわりますか？");
const QString kTextNotSaved = QStringLiteral("カードの もじを ほぞんできませんでした。");
const QString kPictureUnreadable =
    QStringLiteral("この カードの えが よみこめませんでした。\nえを かかなければ、いまの ファイルは そのまま のこります。");

// A card opened for drawing whose picture file could not be read: the
// child sees blank paper and is told why.
void TellUnreadablePicture(const DeckState& deck, Dialogs& dialogs) {
  if (deck.pictureUnreadable) dialogs.Tell(kPictureUnreadable);
}

}  // namespace

void ShowCardPicture(EditorState& editor, const DeckState& deck) {
  QImage& canvas = editor.canvas();
  if (canvas.isNull()) return;
  QPainter painter(&canvas);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(QPoint(editor.canvasOffsetX, editor.canvasOffsetY), deck.cardImage,
                    QRect(0, 0, 800, 600));
  painter.end();
  editor.notifySurface(QRect(editor.canvasOffsetX, editor.canvasOffsetY, 800, 600));
}

QImage CanvasPicture(EditorState& editor) {
  return editor.canvas().copy(editor.canvasOffsetX, editor.canvasOffsetY, 800, 600);
}

CardSave SaveCanvasAsCard(EditorState& editor, DeckState& deck, Dialogs& dialogs) {
  // An outline following the pointer is not part of the picture.
  CancelShape(editor);
  // A picture that could not be read is replaced only by a drawing: the
  // blank paper shown in its place is not one. The frame covers the
  // picture's last column, which is left out of the comparison. A new card
  // always takes the picture.
  QImage picture = CanvasPicture(editor);
  if (deck.pictureUnreadable && !IsNewCard(deck) &&
      picture.copy(0, 0, 799, 600).convertToFormat(QImage::Format_RGB32) ==
          deck.cardImage.copy(0, 0, 799, 600).convertToFormat(QImage::Format_RGB32))
    picture = QImage();
  const CardSave saved = SaveCard(deck, picture);
  // The picture is saved, the text is not: the editor stays open (or the
  // child chooses to leave), so the typed text is not lost unseen.
  if (saved == CardSave::TextNotSaved) dialogs.Tell(kTextNotSaved);
  return saved;
}

bool SaveDrawnCard(EditorState& editor, DeckState& deck, Dialogs& dialogs) {
  return SaveCanvasAsCard(editor, deck, dialogs) == CardSave::Saved;
}

DrawingSession::DrawingSession(EditorState& editor, DeckState& deck, Dialogs& dialogs)
    : editor_(editor), deck_(deck), dialogs_(dialogs) {
  // "もどす" brings back the text "はくし" took away as the card's text.
  connect(&editor_, &EditorState::textRestored, this, [this](const QString& text) {
    deck_.cardText = text;
    deck_.notifyChanged();
  });
}

void DrawingSession::LoadOntoCanvas() {
  LoadCard(deck_);
  ShowCardPicture(editor_, deck_);
  PaintCanvasFrame(editor_);
}

bool DrawingSession::Open(int position, bool penTool) {
  if (openingCheck_ && !openingCheck_()) return false;
  deck_.currentCard = position;
  // Not while another computer draws the card, nor once it erased it there.
  if (const DrawingLock lock = LockCardForDrawing(deck_); lock != DrawingLock::Taken) {
    DrawCardStrip(deck_);
    LoadCard(deck_);
    if (lock == DrawingLock::InUse) dialogs_.Tell(kCardInUse);
    return false;
  }
  if (penTool) {
    editor_.tool = Tool::MediumBrush;
    editor_.litTool = Tool::MediumBrush;
  }
  DrawCardStrip(deck_);
  // The new card opens on blank paper with an empty text, never with the
  // text of the card shown before.
  LoadOntoCanvas();
  if (penTool)
    editor_.fillColourIndex = 1;  // blue
  else
    editor_.tool = Tool::None;  // the light stays where it was
  // Drawing begins on the picture now on the canvas: free placement, the
  // frame, and an empty history.
  editor_.cardOpen = true;
  editor_.placement = Placement::Free;
  editor_.notifyChanged();
  PaintCanvasFrame(editor_);
  StartPictureHistory(editor_);
  emit cardOpened();
  TellUnreadablePicture(deck_, dialogs_);
  return true;
}

bool DrawingSession::Start() {
  // Without a story the card files would have no folder of their own.
  if (!HasStory(deck_)) {
    dialogs_.Beep();
    return false;
  }
  // The editor opens on the card the strip calls current, whatever the
  // canvas showed before: a press on a tile's header may have changed it
  // without loading it, and an erased last card leaves no current card.
  return Open(deck_.currentCard < 0 ? deck_.cardCount() : deck_.currentCard, false);
}

bool DrawingSession::OpenAt(int position) { return Open(position, true); }

DrawingSession::Outcome DrawingSession::SaveAll(bool tell) {
  bool firstSave = IsNewCard(deck_);
  CardSave saved = SaveCanvasAsCard(editor_, deck_, dialogs_);
  if (saved == CardSave::TakenOver) {
    // Another computer drew this card while this one slept: its card stays
    // as it is, and this drawing becomes a new card of the story, with its
    // text and (through cardSaved) its narration.
    deck_.currentCard = deck_.cardCount();
    firstSave = true;
    saved = SaveCanvasAsCard(editor_, deck_, dialogs_);
    if (saved == CardSave::Saved || saved == CardSave::TextNotSaved) dialogs_.Tell(kSavedAsNewCard);
  } else if (saved == CardSave::DeckFull && firstSave) {
    // A new card the child made in a full deck is an ordinary failure.
    saved = CardSave::Failed;
  }
  switch (saved) {
    case CardSave::StoryGone:
      return Outcome::StoryGone;
    case CardSave::DeckFull:
      return Outcome::DeckFull;
    case CardSave::Saved:
      break;
    default:
      if (tell) dialogs_.Tell(kNotSaved);
      return Outcome::CardNotSaved;
  }
  // The deck's order is written by each move itself: the deck in memory is
  // never written back whole over what other computers wrote meanwhile.
  // What is kept with the card is written by its owner; one that fails
  // says so while the signal runs, and has told the child.
  partNotSaved_ = false;
  emit cardSaved(firstSave);
  return std::exchange(partNotSaved_, false) ? Outcome::PartNotSaved : Outcome::Saved;
}

void DrawingSession::KeepDrawing(Outcome outcome) {
  DrawCardStrip(deck_);
  emit drawingKept();
  dialogs_.Tell(outcome == Outcome::StoryGone ? kKeptStoryGone : kKeptDeckFull);
}

bool DrawingSession::Finish() {
  const Outcome outcome = SaveAll(false);
  if (outcome == Outcome::StoryGone || outcome == Outcome::DeckFull) {
    // No later save could succeed: the drawing waits in the recovery file
    // and the child is not kept in the editor.
    KeepDrawing(outcome);
  } else if (outcome != Outcome::Saved) {
    DrawCardStrip(deck_);  // a card that did get its number shows in the strip
    // The drawing (and its narration) stays unless the child chooses to
    // leave without it: a drive that is gone for good must not trap the
    // child in the editor.
    if (!dialogs_.Ask(outcome == Outcome::CardNotSaved ? kLeaveUnsaved : kLeaveWithoutVoice)) return false;
    if (outcome == Outcome::CardNotSaved) LoadCard(deck_);  // the card as it is on disk
  }
  ReleaseDrawingLock(deck_);
  DrawCardStrip(deck_);
  editor_.cardOpen = false;
  editor_.tool = Tool::None;
  EndPictureHistory(editor_);
  editor_.notifyChanged();
  emit closed(outcome == Outcome::Saved);
  return outcome == Outcome::Saved;
}

bool DrawingSession::Save() {
  const Outcome outcome = SaveAll(true);
  if (outcome == Outcome::StoryGone || outcome == Outcome::DeckFull) KeepDrawing(outcome);
  DrawCardStrip(deck_);
  return outcome == Outcome::Saved;
}

bool DrawingSession::StartOver() {
  if (!dialogs_.Ask(QStringLiteral("はじめに、もどします。"))) return false;
  CancelShape(editor_);
  RecordStep(editor_);  // anything drawn before is a step of its own
  const QString text = deck_.cardText;
  // A saved card goes back to its saved picture and its saved text; a new
  // card to blank paper and no text.
  if (!IsNewCard(deck_)) {
    LoadOntoCanvas();
  } else {
    ClearCanvas(editor_);
    deck_.cardText.clear();
  }
  PaintCanvasFrame(editor_);
  // The picture, not an empty space or the text box, in its place.
  editor_.notifyPictureWanted();
  deck_.notifyChanged();
  editor_.notifyChanged();
  RecordStep(editor_, PictureHistory::TextChange{text, deck_.cardText});  // one step, text and all
  emit startedOver();
  return true;
}

bool HasStory(const DeckState& deck) {
  return !deck.storyFolder.isEmpty() && !deck.storyFolder.endsWith(QStringLiteral("\\\\"));
}
