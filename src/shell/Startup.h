// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QSize>

#include "shell/Layout.h"

class Dialogs;
class Session;

// The first start-up step: state, palette, data root.
void StartSession(Session& session);
// The second: coordinates, layout for the screen, canvas geometry, buffers.
void LayOutSession(Session& session, const ScreenFacts& screen);

// The question both ways of quitting ask; true when the child says はい.
bool ConfirmQuit(Dialogs& dialogs);
// "おわり" on the story panel.
void QuitFromStoryPanel(Dialogs& dialogs);
