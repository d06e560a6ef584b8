// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/Startup.h"

#include <QCoreApplication>

#include "deck/CardStrip.h"
#include "platform/Disk.h"
#include "shell/Session.h"
#include "deck/StoryFiles.h"

void StartSession(Session& session) {
  LibraryState& library = session.library;
  EditorState& editor = session.editor;
  InitPalette(editor);
  library.dataRoot = storyfiles::kDefaultDataRoot;
  disk::CreateFolder(library.dataRoot);  // a missing drive or an existing folder is fine
  InitClassNames(library);
  library.notifyChanged();
  editor.notifyChanged();
}

void LayOutSession(Session& session, const ScreenFacts& screen) {
  LibraryState& library = session.library;
  DeckState& deck = session.deck;
  EditorState& editor = session.editor;
  session.layout = ChooseLayout(screen);
  // The canvas keeps its full logical size in both layouts: the small one
  // shows it scaled. It is made when the first card is opened.
  LayOutCanvas(editor, session.layout.canvas.size());

  const auto surface = [](QSize size, QColor fill) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(fill);
    return image;
  };
  library.storyListImage = surface(session.layout.storyPanel.size(), QColor(192, 255, 255));
  LayOutStrip(deck, session.layout.cardStrip.size());
  // The card's picture is made when a card is loaded: the class screen
  // does not show it.
  library.notifyChanged();
  deck.notifyChanged();
  editor.notifyChanged();
}

bool ConfirmQuit(Dialogs& dialogs) {
  return dialogs.Ask(QStringLiteral("「ぴこらまつくろ」をおわります。"));
}

void QuitFromStoryPanel(Dialogs& dialogs) {
  if (ConfirmQuit(dialogs)) dialogs.EndProgram();
}
