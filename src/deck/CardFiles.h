#pragma once
// One card between its files and the main window: the picture on the
// canvas (and in Picture4), the thumbnail in Picture7, the text in Text1.
// A card is new while CurrentCard is past the deck (CardCount + 1): it has
// no number and no files until its first save.

#include <QImage>
#include <cstdint>

class Shared;
struct AppState;

// The lowest card number from 1 up that no card at positions 1..CardCount
// other than `except` uses.
int16_t AssignCardNumber(const AppState& s, int except);

// Loads the card at CurrentCard onto the canvas and into the text box; does
// nothing when CurrentCard is 0. A card without a readable picture shows
// blank paper, one without a text file an empty text, and the new card
// (past the deck) both.
void LoadCard(Shared& m);

// After a story is shown: its strip from the first page, with card 1 as
// the current card, loaded.
void ShowFirstCard(Shared& m);

// Copies Picture4 onto the canvas's picture area.
void ShowCardPicture(Shared& m);
// Copies the canvas's picture area into Picture4, and the same reduced to
// 88 x 62 into the top-left of the 90 x 64 thumbnail Picture7.
void CaptureCardPicture(Shared& m);

// Saves the canvas and the text box as the card at CurrentCard, giving a
// new card its number and writing the card list first. When the picture
// cannot be written, the deck, the card list and the card files are put
// back as they were and the result is false; the canvas keeps the drawing.
bool SaveCard(Shared& m);

// "えをかく おわり": saves the card and the order of the deck and leaves the
// editor. When something cannot be saved the child is told and the editor
// stays open, so nothing drawn is lost.
void Command10_Click(Shared& m);
// "ほぞん": saves the card and the deck order without leaving the editor.
// The button is never shown.
void Command11_Click(Shared& m);
// "はじめから": after the child agrees, the card as it was last saved (blank
// paper for a new card) and an empty text box.
void Command14_Click(Shared& m);
