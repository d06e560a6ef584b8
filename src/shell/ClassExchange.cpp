// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/ClassExchange.h"

#include <algorithm>

#include "deck/CardFiles.h"
#include "deck/CardList.h"
#include "deck/StoryFiles.h"
#include "library/LibraryState.h"
#include "library/StoryList.h"

QString ClassExchange::ClassFolder() const { return library_.classFolder; }

QStringList ClassExchange::ClassStories() const {
  // The file as it is now; the story panel behind follows on its own.
  return ReadNameList(library_.classFolder + storyfiles::kStoryList);
}

void ClassExchange::ReloadClassStories() {
  // The story in hand stays selected by its name; one changed elsewhere
  // meanwhile is told as the idle refresh tells it.
  const StoryListRefresh refresh = RefreshStoryList(library_, deck_, false);
  if (refresh == StoryListRefresh::SelectedStoryGone) dialogs_.Tell(kStoryThrownAwayElsewhere);
  if (refresh == StoryListRefresh::SelectedStoryRenamed) dialogs_.Tell(kStoryRenamedElsewhere);
  // The copy may have replaced the cards of the story on show; the card on
  // show stays the current one as long as the deck still has it.
  if (!StorySelected(deck_)) return;
  ReadCardList(deck_);
  ShowCardAt(deck_, std::clamp(deck_.currentCard, 0, std::max(deck_.cardCount() - 1, 0)));
}

QString ClassExchange::ExchangeDrive() const { return library_.exchangeDrive; }

void ClassExchange::SetExchangeDrive(const QString& root) { library_.exchangeDrive = root; }
