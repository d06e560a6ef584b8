// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The editor's buttons: the tool buttons, the fill colour swatch,
// the erasers, "はくし" and "じゆう"/"こてい" ("もどす" and "やりなおす" are
// in drawing/Canvas.h). Each works on the
// editor state (and "はくし" on the card text); the tool panel forwards its
// clicks here and shows what they set.

#include <functional>

#include "deck/DeckState.h"
#include "drawing/Canvas.h"
#include "drawing/EditorState.h"
#include "platform/Dialogs.h"

// A tool button: puts its tool in force and lights it, ending any
// half-drawn shape. "文記入" switches between the canvas and the text box;
// "はりつけ" pastes the clipboard picture and is ignored, with a beep, when
// the clipboard holds none.
void ChooseTool(EditorState& editor, Dialogs& dialogs, Tool tool);

// The fill colour swatch: selects the fill tool, lets the child pick a
// colour (`showPalette` shows the colour dialog modally) and shows the
// colour on its face.
void ChooseFillColour(EditorState& editor, const std::function<void()>& showPalette);

// A tile of the stamp box: that stamp, at the size and mirroring chosen in
// the box, and the stamp tool in force with its button lit.
void ChooseStamp(EditorState& editor, int category, int index);

// The small and the large eraser; no tool button is lit.
void ChooseEraser(EditorState& editor, Tool eraser);

// "はくし": after the child agrees, blank paper and an empty text, one step
// of the history.
void BlankPaper(EditorState& editor, DeckState& deck, Dialogs& dialogs);

// "じゆう" / "こてい": free or fixed placement of points.
void ToggleFixMode(EditorState& editor);
