// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What the child does with the mouse on the canvas: the pens, the line
// chain, rectangle, circle and ellipse (two clicks each, with an outline
// following the pointer in between), the flood fill and the erasers, each
// as its row of kTools (drawing/Tool.h) says. The handlers work on the
// editor state only; the canvas panel forwards its mouse events here in
// canvas pixels. The shape being drawn (EditorState::shape) is theirs.

#include <QFont>

#include "drawing/EditorState.h"

class Dialogs;
class QPainter;

// Mouse button values: the left button is 1; a button state is the sum.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;

// The grid of "こてい", in pixels.
inline constexpr int kSnapStep = 8;

// Pulls a point into the drawable area, columns canvasOffsetX .. + 798 and
// rows canvasOffsetY .. + 599, and in "こてい" placement onto the grid,
// halves going to the even grid line.
void ClampCanvasPoint(const EditorState& editor, float& x, float& y);

// Mouse-down with `button` 1 (left) draws with the tool in force; any other
// button cancels a half-drawn shape and ends a line chain.
void CanvasMouseDown(EditorState& editor, int button, float x, float y);
// Mouse-move with the button state `buttons`: pen and eraser strokes, and
// the outline of a shape that has its first point.
void CanvasMouseMove(EditorState& editor, int buttons, float x, float y);
// Mouse-up: ends a pen or eraser stroke and repaints the frame.
void CanvasMouseUp(EditorState& editor, int button, float x, float y);

// Pointers other than the mouse: the pen of a tablet and each finger on a
// touch screen draw their own pen or eraser stroke, side by side. The mouse
// is pointer kMousePointer; a finger is its touch point's id.
inline constexpr int kMousePointer = -1;
inline constexpr int kPenPointer = -2;
// No pressure known (a finger): the full width of the tool.
inline constexpr double kNoPressure = -1;
// The width at `pressure` (0..1): from half the tool's width at the lightest
// touch to all of it at the firmest, never below one pixel.
double PressureWidth(int width, double pressure);
// A pointer touches down: with a pen or an eraser in force it leaves its
// disc and begins a stroke (true); with any other tool nothing happens
// (false), and the caller treats the touch as a click.
bool PointerDown(EditorState& editor, int pointer, float x, float y, double pressure);
// The pointer moves: its stroke goes on, its width changing smoothly from
// the last event's pressure to this one's.
void PointerMove(EditorState& editor, int pointer, float x, float y, double pressure);
// The pointer lifts: its stroke ends and is one step of the history.
void PointerUp(EditorState& editor, int pointer);
bool PointerDrawing(const EditorState& editor, int pointer);

// Removes the outline of a half-drawn shape from the canvas; the shape
// keeps its first point.
void EraseRubberBand(EditorState& editor);
// Removes the outline and ends the shape: the next click starts a new one.
void CancelShape(EditorState& editor);
// Ends the shape without touching the canvas: for a picture the outline
// was never drawn on.
void ForgetShape(EditorState& editor);
// An outline of a half-drawn shape is on the canvas.
bool OutlineShown(const EditorState& editor);

// The stamp tool ("はんこ"): the picture of the chosen stamp at its size,
// mirrored as chosen (null when none is chosen or there is no font), and
// the square it covers when centred at `centre`.
QImage ChosenStampImage(const EditorState& editor);
QRect StampRect(const EditorState& editor, QPoint centre);
// The 800 x 600 picture on the canvas: a stamp is cut off at its edges.
QRect PictureArea(const EditorState& editor);
// The stamp's preview goes from the canvas panel (the pointer left it, or
// the tool changed).
void HideStampPreview(EditorState& editor);

// The words tool ("もじ"). A click starts words there (finishing the words
// before, unless it falls on them); typing adds to them and Backspace takes
// the last character off. They are shown over the picture, with a caret,
// until they are finished into it as one step: by a click elsewhere, another
// tool, "もどす" or the card saved.
QFont WordsFont(int size);
// The place of the words being typed, their bubble included (empty when
// none are).
QRect WordsRect(const EditorState& editor);
// Paints the words being typed where they are, in the pen colour, on their
// bubble if chosen, and with the caret after the last character if `caret`.
void PaintWords(QPainter& painter, const EditorState& editor, bool caret);
// Adds `typed` to the words. Characters the card files cannot hold
// (windows-31j) are refused with a beep, as the card text refuses them;
// false then, and the words stay as they were.
bool TypeWords(EditorState& editor, Dialogs& dialogs, const QString& typed);
// Backspace: the last character goes.
void EraseLastCharacter(EditorState& editor);
// The words become part of the picture, cut off at its edges, as one step
// of the history; no words or only spaces: nothing is drawn.
void FinishWords(EditorState& editor);
// The size or the bubble changed: the words being typed are shown anew.
void ChangeWordsLook(EditorState& editor, WordsChoice choice);
