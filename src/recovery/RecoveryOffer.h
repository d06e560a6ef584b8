// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Joins the drawing kept against a crash with the start of a run: once a
// class is chosen, its drawing of an earlier run is offered.

class DeckState;
class Dialogs;
class DrawingRecovery;
class DrawingSession;
class EditorState;
class LibraryState;

// Asks "まえに かいていた えが あります。つづきを かきますか？" when the class
// now chosen has a drawing of an earlier run. はい selects its story and
// opens its card (the new card for a drawing that was never saved) in the
// editor with the drawing and its text; いいえ throws the drawing away. A
// card that cannot be opened now (drawn on another computer) leaves the
// drawing kept for the next time the class is chosen.
void OfferRecoveredDrawing(DrawingRecovery& recovery, DrawingSession& drawing, Dialogs& dialogs,
                           LibraryState& library, DeckState& deck, EditorState& editor);
