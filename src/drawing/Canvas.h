// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The drawing canvas. The card's 800 x 600 picture lies at
// (canvasOffsetX, canvasOffsetY) inside it; a yellow frame covers the rest.
// Every finished action on it is one step of the picture's history.

#include <QImage>
#include <QRgb>
#include <optional>

#include "drawing/EditorState.h"

// The frame around the picture area.
inline constexpr QRgb kCanvasFrameColour = qRgb(255, 255, 130);

// Paints the four frame strips over everything outside the drawable area.
// Only the strip pixels it actually changes are signalled for repainting:
// whoever changes the picture area signals that change itself.
void PaintCanvasFrame(EditorState& editor);

// Records a finished action as one step of the history: what changed on
// the canvas since the step before and, for "はくし" and "はじめから", the
// card text before and after. The undo and redo buttons follow.
void RecordStep(EditorState& editor, std::optional<PictureHistory::TextChange> text = std::nullopt);
// Records as one step only the pixels `touched` marks inside `area` (a
// stroke lifted while others are still drawn: drawing/DrawingTools.cpp).
void RecordStep(EditorState& editor, const QImage& touched, const QRect& area);

// "もどす": takes back the last step, picture and (where the step keeps it)
// text; a half-drawn shape ends. Nothing to take back: nothing happens.
void Undo(EditorState& editor);
// "やりなおす": brings back the last step taken back.
void Redo(EditorState& editor);

// A card opened for drawing: an empty history from the picture now shown,
// and no half-drawn shape or stroke of the card before (its outline is not
// on this picture).
void StartPictureHistory(EditorState& editor);
// Drawing ends: the history and any stroke still drawn are let go.
void EndPictureHistory(EditorState& editor);

// Fills the whole canvas with its background colour (white).
void ClearCanvas(EditorState& editor);

// Copies `picture`, on white paper, onto the canvas centred on the picture
// area (a larger one is cut off at the canvas edges), then repaints the
// frame: one step of the history. A null picture changes nothing and gives
// false.
bool PastePicture(EditorState& editor, const QImage& picture);
