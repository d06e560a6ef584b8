// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// One card between its files and the deck: the picture in cardImage, the
// thumbnail in thumbnailImage, the text in cardText. A card is new while
// currentCard is past the deck (cardCount()): it has no number and no files
// until its first save.

#include <QImage>

#include "deck/DeckState.h"

// A card past the deck is new; with no current card (the last card was
// erased) the card drawn is new as well.
bool IsNewCard(const DeckState& deck);

// Loads the card at currentCard into cardImage and cardText (only an open
// drawing puts it on the canvas); does nothing when there is no current
// card (-1). A card without a readable picture is blank paper, one without
// a text file an empty text, and the new card (past the deck) both. A
// picture file that is there but cannot be read sets pictureUnreadable.
void LoadCard(DeckState& deck);

// Makes the card at `position` (0..cardCount(), counted from 0) the current
// card, turns the strip to the page that shows it, draws the strip and
// loads the card.
void ShowCardAt(DeckState& deck, int position);

// What other computers saved since this one last read the story's card
// files, found with one listing of the story folder (sizes and times)
// against what was seen: a changed thumbnail of the strip's page draws the
// strip again, and with `loadCard` (not while the card is open for drawing
// here) a changed picture or text of the card shown loads it again. An
// unchanged folder reads no file. True when something was read again.
bool RefreshCardFiles(DeckState& deck, bool loadCard);

// After a story is shown: its strip from the first page, with the first
// card (position 0) as the current card, loaded.
void ShowFirstCard(DeckState& deck);

// `picture` (800 x 600) as the card's picture, and the same reduced to
// 88 x 62 into the top-left of the 90 x 64 thumbnail.
void SetCardPicture(DeckState& deck, const QImage& picture);

enum class CardSave {
  Failed,        // the picture or the list could not be written
  Saved,
  TextNotSaved,  // the picture is saved, the text is not
  DeckFull,      // a new card in a deck of thirty
  StoryGone,     // the story's folder is gone from its class folder (renamed or
                 // thrown away elsewhere)
  TakenOver,     // the card's drawing lock went to another computer
};

// Saves `picture` and cardText as the card at currentCard, giving a new
// card its number. The picture and thumbnail are written before the card
// list names a new card, so the list never names a card without them.
// Nothing is written, and no folder made, into a story folder that is gone
// (StoryGone); an old card whose lock is no longer this computer's
// (CardStillOurs) is not written over (TakenOver): the other computer's card
// stays as it is. When the picture or the list cannot be written, the deck,
// the card list and the card files are put back as they were (Failed). A
// text that cannot be written leaves the saved picture (TextNotSaved). A
// null `picture` keeps an old card's picture files as they are (a picture
// that could not be read and was not drawn on); a text unchanged since
// LoadCard leaves its file byte for byte.
CardSave SaveCard(DeckState& deck, const QImage& picture);
