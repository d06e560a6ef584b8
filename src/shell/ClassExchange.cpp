// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/ClassExchange.h"

#include <algorithm>

#include "deck/CardFiles.h"
#include "deck/CardList.h"
#include "library/LibraryState.h"
#include "library/StoryList.h"

QString ClassExchange::ClassFolder() const { return library_.classFolder; }

QStringList ClassExchange::ClassStories() const {
  return library_.storyNames;
}

void ClassExchange::ReloadClassStories() {
  ReadStoryList(library_);
  if (library_.selectedStory >= library_.storyNames.size())
    library_.selectedStory = int(library_.storyNames.size()) - 1;
  DrawStoryList(library_, deck_);
  // The copy may have replaced the cards of the story on show; the card on
  // show stays the current one as long as the deck still has it.
  if (!StorySelected(deck_)) return;
  ReadCardList(deck_);
  ShowCardAt(deck_, std::clamp(deck_.currentCard, 0, std::max(deck_.cardCount() - 1, 0)));
}

QString ClassExchange::ExchangeDrive() const { return library_.exchangeDrive; }

void ClassExchange::SetExchangeDrive(const QString& root) { library_.exchangeDrive = root; }
