// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Joins the drawing kept against a crash with the start of a run: once a
// class is chosen, its drawing of an earlier run is offered.

#include <QString>
#include <functional>

class DeckState;
class Dialogs;
class DrawingRecovery;
class DrawingSession;
class EditorState;
class LibraryState;

// Asks about the drawing of an earlier run when the class now chosen has
// one; いいえ throws it away. Where it goes on はい:
// - its card is there (or it is the new card of its story): "まえに かいていた
//   えが あります。つづきを かきますか？" opens that card with the drawing and
//   its text;
// - its card is gone: "… あたらしい カードに しますか？" opens the story's new
//   card with them;
// - its story is gone (renamed or thrown away) or holds all the cards it
//   can: "… あたらしい おはなしに しますか？" makes a story named as the old one,
//   or with the first free number added ("ねこ2"), and opens its new card
//   with them. A story that cannot be made is told, and the drawing stays
//   kept for the next time the class is chosen.
// A card that cannot be opened now (drawn on another computer) leaves the
// drawing kept too.
void OfferRecoveredDrawing(DrawingRecovery& recovery, DrawingSession& drawing, Dialogs& dialogs,
                           LibraryState& library, DeckState& deck, EditorState& editor);

// The name `oldName` with the number n added ("ねこ2"), cut so that it fits
// into a story name; the name itself for n = 1.
QString StoryNameFor(const QString& oldName, int n);
// The first of StoryNameFor(oldName, 1, 2, …) that can be a story name, is
// not `taken` and names nothing in `classFolder`; empty when none is.
QString FreeStoryName(const QString& classFolder, const QString& oldName,
                      const std::function<bool(const QString&)>& taken);
