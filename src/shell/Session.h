// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// One run of the program: the state of each part, the screen on show, the
// main window's layout and the message box. Procedures take the parts they
// touch; the windows show them and pass clicks back. A further part is one
// more member here, and its subscriptions to the others are made in the
// constructor.

#include <QString>
#include <memory>

#include "deck/DeckState.h"
#include "recovery/DrawingRecovery.h"
#include "drawing/DrawingSession.h"
#include "drawing/EditorState.h"
#include "library/LibraryState.h"
#include "narration/Narration.h"
#include "platform/InstanceLock.h"
#include "platform/RemovableDrives.h"
#include "platform/Dialogs.h"
#include "shell/Layout.h"
#include "shell/Screen.h"

class Session {
 public:
  explicit Session(Dialogs& dialogs);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  Dialogs& dialogs;
  Layout layout;
  // The lock of the data root in use: it moves with the data root.
  std::unique_ptr<InstanceLock> dataRootLock;
  // The data root's drive letter: a stick holding it keeps it while pulled.
  disk::DriveLetterHold dataRootDrive;

  ScreenState screen;
  LibraryState library;
  DeckState deck;
  EditorState editor;
  Narration narration;
  // The card open for drawing.
  DrawingSession drawing{editor, deck, dialogs};
  // The drawing open in the editor, kept against a crash once started.
  DrawingRecovery recovery{editor, deck, library};
};
