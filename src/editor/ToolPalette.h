#pragma once
// The editor's buttons: the tool buttons Command7(0..14), the fill colour
// swatch, the erasers, "もどす", "はくし", "じゆう"/"こてい" and the story
// panel's "えをかく". Each works on the shared module only; the tool panel
// forwards its clicks here and shows what they set.

#include <cstdint>
#include <functional>

class Shared;

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
void HighlightToolButtons(Shared& m);

// Tool button i (0..14): selects tool i + 1. "文記入" (i = 12) switches
// between the canvas and the text box; "はりつけ" (i = 13) pastes the
// clipboard picture and is ignored, with a beep, when the clipboard holds
// none.
void Command7_Click(Shared& m, int i);

// The fill colour swatch: selects the fill tool, lets the child pick a
// colour (`showPalette` shows the colour dialog modally) and shows the
// colour on its face.
void Command12_Click(Shared& m, const std::function<void()>& showPalette);

// The small and the large eraser.
void Command25_Click(Shared& m);
void Command26_Click(Shared& m);

// "もどす": the canvas as it was when the undo image was last taken.
void Command13_Click(Shared& m);

// "はくし": after the child agrees, blank paper and an empty text.
void Command8_Click(Shared& m);

// "じゆう" / "こてい": free or fixed placement of points.
void Command9_Click(Shared& m);

// "えをかく" on the story panel: opens the editor on the current card.
// With no story selected it only beeps.
void Command3_Click(Shared& m);

// Drawing mode begins on the picture now on the canvas: the canvas and the
// tool panel in place of the story panel, free placement, the frame, and
// the picture as the undo image.
void EnterDrawingMode(Shared& m);
