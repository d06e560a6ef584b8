#include "shell/ClassExchange.h"

#include "deck/CardFiles.h"
#include "deck/CardList.h"
#include "library/LibraryState.h"
#include "library/StoryList.h"

QString ClassExchange::ClassFolder() const { return library_.BaseFolder; }

QStringList ClassExchange::ClassStories() const {
  QStringList names;
  for (int i = 1; i <= library_.StoryCount; ++i) names.append(library_.StoryNames[i]);
  return names;
}

void ClassExchange::ReloadClassStories() {
  ReadStoryList(library_);
  if (library_.CurrentStoryIndex > library_.StoryCount) library_.CurrentStoryIndex = library_.StoryCount;
  DrawStoryList(library_, deck_);
  // The copy may have replaced the cards of the story on show.
  if (!StorySelected(deck_)) return;
  ReadCardList(deck_);
  ShowFirstCard(deck_);
}

QString ClassExchange::ExchangeDrive() const { return library_.ExchangeDrive; }

void ClassExchange::SetExchangeDrive(const QString& root) { library_.ExchangeDrive = root; }
