#pragma once
// The card deck: the card list file and the card file names (CardList.h),
// the card strip (CardStrip.h), and moving a card between its files and
// the deck's card picture and text (CardFiles.h).

#include "deck/CardFiles.h"
#include "deck/CardList.h"
#include "deck/CardStrip.h"
