// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/ShowHost.h"

#include <algorithm>

#include "deck/CardFiles.h"
#include "library/StoryList.h"
#include "platform/Disk.h"
#include "shell/CardNarration.h"
#include "shell/Session.h"

QString ShowHost::StoryName() const { return session_.library.currentStoryName; }

int ShowHost::CardCount() const { return StorySelected(session_.deck) ? session_.deck.cardCount() : 0; }

const QImage& ShowHost::LoadCard(int position) {
  session_.deck.currentCard = position;
  ::LoadCard(session_.deck);
  return session_.deck.cardImage;
}

std::optional<QString> ShowHost::NarrationFile(int position) const {
  return NarrationFileAt(session_.deck, position);
}

bool ShowHost::FileExists(const QString& pathText) const { return disk::FileExists(pathText); }

void ShowHost::PlayNarration(const QString& pathText) { session_.narration.player.Play(pathText); }

void ShowHost::Beep() { session_.dialogs.Beep(); }

void ShowHost::PlayerClosed(int position) {
  DeckState& deck = session_.deck;
  if (deck.cardCount() < 1) return;
  // The strip turns to the page that shows the card, so the strip and
  // "えをかく" mean the same card.
  ShowCardAt(deck, std::clamp(position, 0, deck.cardCount() - 1));
}
