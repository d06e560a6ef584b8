// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/Session.h"

#include "shell/CardNarration.h"

Session::Session(Dialogs& dialogs) : dialogs(dialogs), narration(dialogs) {
  // The screen follows the card open for drawing and the text tool.
  QObject::connect(&drawing, &DrawingSession::cardOpened, &screen, [this] { screen.Show(Screen::Drawing); });
  QObject::connect(&drawing, &DrawingSession::closed, &screen, [this] { screen.Show(Screen::Stories); });
  QObject::connect(&editor, &EditorState::textToolChosen, &screen, [this] {
    screen.Show(screen.current() == Screen::CardText ? Screen::Drawing : Screen::CardText);
  });
  QObject::connect(&editor, &EditorState::pictureWanted, &screen, [this] {
    if (screen.current() == Screen::CardText) screen.Show(Screen::Drawing);
  });

  // The recorder follows the open card, and its narration is saved with it.
  FollowDrawingWithRecorder(drawing, deck, narration.recorder);

  // The drawing kept against a crash goes once it is on disk or given up;
  // a drawing that could not be saved keeps it.
  QObject::connect(&drawing, &DrawingSession::closed, &recovery, [this](bool saved) {
    if (saved) recovery.Discard();
  });
  QObject::connect(&drawing, &DrawingSession::startedOver, &recovery, &DrawingRecovery::Discard);
  // One that cannot be saved into its story (gone, or full) is kept now.
  QObject::connect(&drawing, &DrawingSession::drawingKept, &recovery, &DrawingRecovery::Keep);
  // The voice recorded for the card is kept with its drawing.
  KeepVoiceWithDrawing(narration.recorder, recovery);
}
