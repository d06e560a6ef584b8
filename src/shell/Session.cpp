// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/Session.h"

#include "editor/CardEditing.h"

Session::Session(Dialogs& dialogs) : dialogs(dialogs), narration(dialogs) { ShowLoadedCards(editor, deck); }
