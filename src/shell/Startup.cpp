// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/Startup.h"

#include <QCoreApplication>

#include "deck/CardStrip.h"
#include "platform/Disk.h"
#include "shell/Session.h"

void Initialise(Session& m) {
  LibraryState& library = m.library;
  EditorState& editor = m.editor;
  // The program keeps no files of its own beside it; the folder is noted
  // for completeness and never opened.
  m.AppFolder = QCoreApplication::applicationDirPath() + u'\\';
  InitPalette(editor);
  library.BaseFolder = QStringLiteral("C:\\A_PIKORA\\");
  library.dataRootCaption = library.BaseFolder;
  disk::CreateFolder(library.BaseFolder);  // a missing drive or an existing folder is fine
  InitClassNames(library);
  library.notifyChanged();
  editor.notifyChanged();
}

void LoadStep(Session& m, QSize screen) {
  LibraryState& library = m.library;
  DeckState& deck = m.deck;
  EditorState& editor = m.editor;
  editor.CanvasOffsetX = 7;
  editor.CanvasOffsetY = 7;
  m.layout = ChooseLayout(screen);
  // The canvas keeps its full logical size in both layouts: the small one
  // shows it scaled.
  editor.CanvasPanelWidth = m.layout.canvas.width() + 4;
  editor.CanvasPanelHeight = m.layout.canvas.height() + 4;

  const auto surface = [](QSize size, QColor fill) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(fill);
    return image;
  };
  library.storyListImage = surface(m.layout.storyPanel.size(), QColor(192, 255, 255));
  deck.stripImage = surface(m.layout.cardStrip.size(), strip::kBackground);
  deck.thumbnailImage = surface({90, 64}, Qt::white);
  // The canvas is made when the first card is opened, and the card's
  // picture when a card is loaded: the class screen shows neither.
  editor.canvasSize = m.layout.canvas.size();
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
