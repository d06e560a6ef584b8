#pragma once
class Shared;

// Reads the story's CardData.txt into CardNumbers/CardCount.
void ReadCardList(Shared& m);
// Draws the card strip from the deck.
void DrawCardStrip(Shared& m);
// Loads the card at CurrentCard onto the canvas and into the text box.
void LoadCard(Shared& m);
