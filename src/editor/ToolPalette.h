// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The editor's buttons: the tool buttons (0..14), the fill colour swatch,
// the erasers, "もどす", "はくし" and "じゆう"/"こてい". Each works on the
// editor state (and "はくし" on the card text); the tool panel forwards its
// clicks here and shows what they set.

#include <cstdint>
#include <functional>

#include "deck/DeckState.h"
#include "editor/EditorState.h"
#include "platform/Dialogs.h"

// Face colours of the tool buttons: lit for the tool in force, else plain.
inline constexpr int32_t kToolLit = 0 | (255 << 8) | (16 << 16);          // RGB(0, 255, 16)
inline constexpr int32_t kToolPlain = 192 | (255 << 8) | (192 << 16);     // RGB(192, 255, 192)

// Tool codes.
enum Tool : int16_t {
  kNoTool = 0,
  kFillTool = 12,
  kTextTool = 13,
  kPasteTool = 14,
  kSmallEraser = 20,
  kLargeEraser = 21,
};

// Lights the tool button whose code is CurrentTool; all others plain.
void HighlightToolButtons(EditorState& editor);

// Tool button i (0..14): selects tool i + 1. "文記入" (i = 12) switches
// between the canvas and the text box; "はりつけ" (i = 13) pastes the
// clipboard picture and is ignored, with a beep, when the clipboard holds
// none.
void ChooseTool(EditorState& editor, Dialogs& dialogs, int i);

// The fill colour swatch: selects the fill tool, lets the child pick a
// colour (`showPalette` shows the colour dialog modally) and shows the
// colour on its face.
void ChooseFillColour(EditorState& editor, const std::function<void()>& showPalette);

// The small and the large eraser.
void ChooseSmallEraser(EditorState& editor);
void ChooseLargeEraser(EditorState& editor);

// "もどす": the canvas as it was when the undo image was last taken.
void Undo(EditorState& editor);

// "はくし": after the child agrees, blank paper and an empty text.
void BlankPaper(EditorState& editor, DeckState& deck, Dialogs& dialogs);

// "じゆう" / "こてい": free or fixed placement of points.
void ToggleFixMode(EditorState& editor);
