// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A card open for drawing. DrawingSession is the one owner of it: it opens
// a card of the deck on the canvas ("えをかく", a press on a strip tile),
// saves it ("ほぞん"), finishes ("えをかく おわり"), starts over ("はじめから")
// and knows which card is open. It announces what happened; narration and
// crash recovery subscribe in the shell. What happens when a save fails is
// decided here and nowhere else (see Finish).
//
// The free procedures below it join the deck with the canvas: the card's
// picture shown on it, and the canvas picture saved as the card.

#include <QImage>
#include <QObject>
#include <functional>

#include "deck/CardFiles.h"
#include "deck/DeckState.h"
#include "drawing/EditorState.h"
#include "platform/Dialogs.h"

// What the child is told when a drawing cannot go where it was opened.
inline const QString kSavedAsNewCard =
    QStringLiteral("この カードは ほかの コンピュータで かきかえられたので、あたらしい カードに しました。");
inline const QString kKeptDeckFull =
    QStringLiteral("カードが いっぱいなので ほぞんできませんでした。かいた えは この コンピュータに とっておきます。");
inline const QString kKeptStoryGone = QStringLiteral(
    "この おはなしは ほかの コンピュータで なくなったので、ほぞんできませんでした。かいた えは この コンピュータに "
    "とっておきます。");

class DrawingSession : public QObject {
  Q_OBJECT
 public:
  DrawingSession(EditorState& editor, DeckState& deck, Dialogs& dialogs);

  // A card is open for drawing.
  bool IsOpen() const { return editor_.cardOpen; }
  // The deck position of the open card, counted from 0 (cardCount() for a
  // new card); -1 when none is open.
  int OpenPosition() const { return IsOpen() ? deck_.currentCard : -1; }

  // Asked before any card is opened; false refuses the opening (the check
  // has told the child why). None: every opening is allowed.
  void SetOpeningCheck(std::function<bool()> check) { openingCheck_ = std::move(check); }

  // "えをかく" on the story panel: opens the card the strip calls current
  // (the new card when there is none). With no story selected it only
  // beeps. True when a card was opened.
  bool Start();
  // A press on a card tile's body: opens the card at `position` (counted
  // from 0; cardCount() the new card) with the pen tool, the fill colour
  // blue.
  bool OpenAt(int position);

  // "えをかく おわり": saves the card, the order of the deck and what is kept
  // with the card (its narration), then closes. The failure policy, here
  // and nowhere else:
  // - when any of them cannot be written, the child has been told, the strip
  //   shows what was saved, and the child is asked whether to leave without
  //   it; いいえ keeps the card open with everything on it (nothing lost),
  //   はい closes with the card as it is on disk;
  // - an old card whose lock another computer took over (this one slept) is
  //   never written over: the drawing, its text and its narration become a
  //   new card of the story, and the child is told so;
  // - where that new card does not fit (thirty cards), or the story is gone
  //   (renamed or thrown away on another computer), nothing is written: the
  //   drawing is kept against its loss (drawingKept), the child is told, and
  //   the editor closes, as no later save could succeed.
  // closed(false) leaves the recovery file in place. True when everything
  // was saved.
  bool Finish();
  // "ほぞん": saves as Finish does without closing; a failure is told.
  bool Save();
  // "はじめから": after the child agrees, the card as it was last saved (blank
  // paper and no text for a new card). True when the card went back.
  bool StartOver();

  // Called by a subscriber of cardSaved while it handles the signal: its
  // part of the card (the narration) could not be written and the child
  // has been told. The save then counts as failed.
  void PartNotSaved() { partNotSaved_ = true; }

 signals:
  // A card was opened for drawing.
  void cardOpened();
  // The drawing open now could not be saved into its story (gone, or full
  // for a card taken over): it is to be kept against its loss at once.
  void drawingKept();
  // The open card's picture and text were written; `firstSave` when a new
  // card got its number by this save.
  void cardSaved(bool firstSave);
  // The card went back to its saved state ("はじめから").
  void startedOver();
  // Drawing ended; `saved` when everything of the card reached the disk.
  void closed(bool saved);

 private:
  enum class Outcome { Saved, CardNotSaved, PartNotSaved, StoryGone, DeckFull };
  bool Open(int position, bool penTool);
  Outcome SaveAll(bool tell);
  // Tells why a drawing was kept rather than saved, and keeps it.
  void KeepDrawing(Outcome outcome);
  void LoadOntoCanvas();

  EditorState& editor_;
  DeckState& deck_;
  Dialogs& dialogs_;
  std::function<bool()> openingCheck_;
  bool partNotSaved_ = false;
};

// A story is in hand: its folder has a name ("...\CLASS_11\\" is none).
bool HasStory(const DeckState& deck);

// Copies the deck's cardImage onto the canvas's picture area.
void ShowCardPicture(EditorState& editor, const DeckState& deck);

// The canvas's picture area, 800 x 600.
QImage CanvasPicture(EditorState& editor);

// Saves the canvas and the card text as the card at currentCard (see
// SaveCard); an outline following the pointer is not part of the picture.
// A text that could not be written is told.
CardSave SaveCanvasAsCard(EditorState& editor, DeckState& deck, Dialogs& dialogs);
// The same; false when the picture could not be written; the canvas keeps
// the drawing.
bool SaveDrawnCard(EditorState& editor, DeckState& deck, Dialogs& dialogs);
