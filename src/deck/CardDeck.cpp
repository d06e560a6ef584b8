#include "deck/CardDeck.h"

#include "shell/Shared.h"

void ReadCardList(Shared&) {}
void DrawCardStrip(Shared&) {}
void LoadCard(Shared&) {}
