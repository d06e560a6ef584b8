#include "deck/CardDeck.h"

#include "shell/Shared.h"

void LoadCard(Shared&) {}
