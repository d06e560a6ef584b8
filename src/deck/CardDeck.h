#pragma once
// The card deck: the card list file and the card file names (CardList.h),
// the card strip (CardStrip.h), and moving a card between its files and
// the editor.

#include "deck/CardList.h"
#include "deck/CardStrip.h"

class Shared;

// Loads the card at CurrentCard onto the canvas and into the text box.
void LoadCard(Shared& m);
