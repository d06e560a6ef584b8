// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/ClassFolderWatch.h"

#include <QEvent>
#include <QWidget>

#include "deck/CardFiles.h"
#include "deck/SharedDeck.h"
#include "library/StoryList.h"
#include "shell/Session.h"

ClassFolderWatch::ClassFolderWatch(Session& session, QWidget* window, std::function<bool()> busy)
    : QObject(window), session_(session), busy_(std::move(busy)) {
  window->installEventFilter(this);
  timer_.setInterval(kIdleMs);
  connect(&timer_, &QTimer::timeout, this, [this] { Refresh(); });
  timer_.start();
}

void ClassFolderWatch::Refresh() {
  // Before a class is chosen there is nothing to follow.
  if (session_.screen.current() == Screen::ClassChoice || refreshing_ || (busy_ && busy_())) return;
  refreshing_ = true;
  const bool drawing = session_.drawing.IsOpen();
  const StoryListRefresh stories = RefreshStoryList(session_.library, session_.deck, drawing);
  if (stories == StoryListRefresh::SelectedStoryGone || stories == StoryListRefresh::SelectedStoryRenamed) {
    session_.dialogs.Tell(stories == StoryListRefresh::SelectedStoryGone ? kStoryThrownAwayElsewhere
                                                                         : kStoryRenamedElsewhere);
  } else if (!RefreshCardList(session_.deck, !drawing)) {
    // The same cards: a card saved again elsewhere has a new thumbnail,
    // and the card shown here (unless it is open for drawing) a new
    // picture or text.
    RefreshCardFiles(session_.deck, !drawing);
  }
  refreshing_ = false;
}

bool ClassFolderWatch::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::WindowActivate) Refresh();
  return QObject::eventFilter(watched, event);
}
