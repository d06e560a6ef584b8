// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// One run of the program: the state of each part, the main window's layout
// and the message box. Procedures take the parts they touch; the windows
// show them and pass clicks back. A further part is one more member here.

#include <QString>
#include <memory>

#include "deck/DeckState.h"
#include "editor/DrawingRecovery.h"
#include "editor/EditorState.h"
#include "library/LibraryState.h"
#include "narration/Narration.h"
#include "platform/InstanceLock.h"
#include "platform/Dialogs.h"
#include "shell/Layout.h"

class Session {
 public:
  explicit Session(Dialogs& dialogs);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  Dialogs& dialogs;
  Layout layout;
  QString AppFolder;
  // The lock of the data root in use: it moves with the data root.
  std::unique_ptr<InstanceLock> dataRootLock;

  LibraryState library;
  DeckState deck;
  EditorState editor;
  Narration narration;
  // The drawing open in the editor, kept against a crash once started.
  DrawingRecovery recovery{editor, deck, library};
};
