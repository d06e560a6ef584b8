// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The drawing canvas. The card's 800 x 600 picture lies at
// (CanvasOffsetX, CanvasOffsetY) inside it; a yellow frame covers the rest.
// One copy of the whole canvas, the undo image, is kept in undoImage.

#include <QColor>
#include <QImage>
#include <cstdint>

#include "editor/EditorState.h"

// A palette value (red in the low byte) as a colour.
inline QColor PaletteColour(int32_t value) {
  return QColor(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff);
}

// The frame around the picture area, RGB(255, 255, 130).
inline constexpr int32_t kCanvasFrameColour = 255 | (255 << 8) | (130 << 16);

// Paints the four frame strips over everything outside the drawable area.
// Only the strip pixels it actually changes are signalled for repainting:
// whoever changes the picture area signals that change itself.
void PaintCanvasFrame(EditorState& editor);

// Takes the undo image: any half-drawn outline is removed first, then the
// canvas goes to the undo image.
void SaveUndoImage(EditorState& editor);
// Puts the undo image back on the canvas.
void RestoreUndoImage(EditorState& editor);

// Removes the outline of a half-drawn shape from the canvas (the drawing
// tools draw it, see editor/DrawingTools.h).
void EraseRubberBand(EditorState& editor);

// Fills the whole canvas with its background colour (white).
void ClearCanvas(EditorState& editor);

// To be called whenever the editor opens on a card, after its picture is on
// the canvas: forgets any half-drawn shape of the card before and makes the
// picture now shown the undo image, so "もどす" never brings back a picture
// of another card or of an earlier moment.
void OpenEditorUndoBaseline(EditorState& editor);

// Copies `picture`, on white paper, onto the canvas centred on the picture
// area (a larger one is cut off at the canvas edges), then repaints
// the frame. A null picture changes nothing and gives false.
bool PastePicture(EditorState& editor, const QImage& picture);
