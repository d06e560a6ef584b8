// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The drawing canvas. The card's 800 x 600 picture lies at
// (CanvasOffsetX, CanvasOffsetY) inside it; a yellow frame covers the rest.
// One copy of the whole canvas, the undo image, is kept in undoImage.

#include <QImage>
#include <QRgb>

#include "editor/EditorState.h"

// The frame around the picture area.
inline constexpr QRgb kCanvasFrameColour = qRgb(255, 255, 130);

// Paints the four frame strips over everything outside the drawable area.
// Only the strip pixels it actually changes are signalled for repainting:
// whoever changes the picture area signals that change itself.
void PaintCanvasFrame(EditorState& editor);

// Takes the undo image: any half-drawn outline is removed first, then the
// canvas goes to the undo image.
void SaveUndoImage(EditorState& editor);
// Puts the undo image back on the canvas.
void RestoreUndoImage(EditorState& editor);

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
