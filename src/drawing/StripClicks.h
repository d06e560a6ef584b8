// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The card strip's presses: the page switch, and the copy, erase, move and
// open of the card under the pointer.

#include <QPointF>

class DeckState;
class Dialogs;
class DrawingSession;
class EditorState;

// The strip's mouse press (any button) at `at` in strip pixels. While a
// card is open the child is told to finish drawing first.
void CardStripMouseDown(DrawingSession& drawing, EditorState& editor, DeckState& deck, Dialogs& dialogs,
                        QPointF at);
