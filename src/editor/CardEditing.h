// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The steps that join the deck with the editor: the loaded card shown on
// the canvas, the canvas saved as the card, opening the editor on a card
// ("えをかく", a press on a strip tile), "えをかく おわり", "ほぞん" and
// "はじめから", and the strip's presses while a story is shown.

#include <QImage>
#include <QPointF>

#include "deck/DeckState.h"
#include "editor/EditorState.h"
#include "library/LibraryState.h"
#include "platform/Dialogs.h"

// From now on every card the deck loads is copied onto the canvas's
// picture area and the frame repainted, and a text "もどす" brings back
// becomes the card's text.
void ShowLoadedCards(EditorState& editor, DeckState& deck);

// Copies the deck's cardImage onto the canvas's picture area.
void ShowCardPicture(EditorState& editor, const DeckState& deck);

// The canvas's picture area, 800 x 600.
QImage CanvasPicture(const EditorState& editor);

// Saves the canvas and the card text as the card at CurrentCard (see
// SaveCard); an outline following the pointer is not part of the picture.
// False when the picture could not be written; the canvas keeps the
// drawing. A text that could not be written is told.
bool SaveDrawnCard(EditorState& editor, DeckState& deck, Dialogs& dialogs);

// Drawing mode begins on the picture now on the canvas: the canvas and the
// tool panel in place of the story panel, free placement, the frame, and
// the picture as the undo image.
void EnterDrawingMode(EditorState& editor, LibraryState& library);

// "えをかく" on the story panel: opens the editor on the current card.
// With no story selected it only beeps.
void StartDrawing(EditorState& editor, DeckState& deck, LibraryState& library, Dialogs& dialogs);

// A press on a card tile's body: opens that card (or the new card) for
// drawing with the fill tool's colour set to blue and pen 3.
void OpenCard(EditorState& editor, DeckState& deck, LibraryState& library);

// "えをかく おわり": saves the card and the order of the deck and leaves the
// editor. When something cannot be saved the child is told and the editor
// stays open, so nothing drawn is lost. True when the card was saved.
bool FinishDrawing(EditorState& editor, DeckState& deck, LibraryState& library, Dialogs& dialogs);
// "ほぞん": saves the card and the deck order without leaving the editor.
// The button is never shown.
void SaveDrawing(EditorState& editor, DeckState& deck, Dialogs& dialogs);
// "はじめから": after the child agrees, the card as it was last saved, its
// picture and its text (blank paper and an empty text box for a new card).
// True when the card went back.
bool StartOver(EditorState& editor, DeckState& deck, Dialogs& dialogs);

// The strip's mouse press (any button) at `at` in strip pixels. While the
// editor is open the child is told to finish drawing first.
void CardStripMouseDown(EditorState& editor, DeckState& deck, LibraryState& library, Dialogs& dialogs,
                        QPointF at);
