// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The class's story list: the list as the story panel shows it, the
// numbered list on the panel, and making, renaming, deleting and picking
// stories. Everything here works on the library and the deck of the story
// in hand, so it runs without any window. The list file itself and the
// one way it is changed are in ClassList.h; making, renaming and deleting
// (StoryOperations.cpp) decide under its lock and tell the child after.

#include <QPointF>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

#include "deck/DeckState.h"
#include "library/LibraryState.h"
#include "platform/Dialogs.h"

class QColor;
class QImage;
class QRect;

// Most stories a list holds.
constexpr int kMaxStories = 100;
// Most characters the name box takes for a story name.
constexpr int kMaxStoryNameLength = 13;

// Reads the class's Menu.txt (in the class folder) into storyNames:
// every line is a story, empty lines too, at most 100. A missing or
// unreadable file is a class with no stories.
void ReadStoryList(LibraryState& library);

// What reading the list again found.
enum class StoryListRefresh { Unchanged, Changed, SelectedStoryRenamed, SelectedStoryGone };

// What the child is told when the story in hand changed on another computer.
inline const QString kStoryThrownAwayElsewhere =
    QStringLiteral("この おはなしは ほかの コンピュータで すてられました。");
inline const QString kStoryRenamedElsewhere =
    QStringLiteral("この おはなしは ほかの コンピュータで なまえが かわりました。");

// Reads Menu.txt again, as other computers may have changed it, and draws
// the list when it changed. The selected story stays selected by its name.
// When its name is gone but a name new to the list names the very folder
// it had, it was renamed elsewhere: that row is selected and the story
// stays shown as it was. When it is gone (thrown away elsewhere) the first
// story and its first card are shown instead, unless `keepDeck` (a card of
// it is open for drawing), when the list waits until it may change.
StoryListRefresh RefreshStoryList(LibraryState& library, DeckState& deck, bool keepDeck);

// Draws the story list and makes the selected story the current one
// (the deck's storyFolder, currentStoryName).
void DrawStoryList(LibraryState& library, DeckState& deck);

// Opens the class folder `classFolder` (its path without the final '\')
// for the rest of the run: made when missing, its list read and its first
// story and card shown. Each step goes on whatever the one before managed.
void OpenClass(LibraryState& library, DeckState& deck, const QString& classFolder);

// True when a story is the current one: the deck's storyFolder is a folder inside the
// class, not the class folder followed by an empty name.
bool StorySelected(const DeckState& deck);

// ---- Pieces shared with the other numbered lists -------------------------

// Reads a list file: its first 100 names; none for a missing file.
QStringList ReadNameList(const QString& file);

// The row text of the story numbered i (from 1, as the child sees it): the
// number in two places (" 1".."99", "00" for 100), a blank, the name.
QString StoryRowText(int i, const QString& name);

// Draws a numbered list with its top at `top` onto `surface`: the pale
// yellow box, the highlight of row `selected` (counted from 0), the row
// lines and the red row texts of the names. Below the box, where names after the 20th
// run on, the surface is cleared to `background` first. Returns the
// rectangle it drew on.
QRect DrawNameList(QImage& surface, int top, const QStringList& names, int selected,
                   const QColor& background);

// The row under a press at y on a list whose top is at `top` (0 or more).
int ListRowAt(double y, int top);

// Why `name` cannot be a story: a short message for the child, or nothing
// when it can be one. A story name must be a folder name on the school PCs
// (Windows and Linux) and fit into the windows-31j list file.
std::optional<QString> StoryNameProblem(const QString& name);

// The selected story and its first card become the current ones.
void ShowSelectedStory(LibraryState& library, DeckState& deck);

// What the child is told when the class's list cannot be written.
QString ListNotSaved(const LibraryState& library);
// The same for the story list in `folder` (path text ending in "\").
QString ListNotSaved(const QString& folder);

// ---- Story operations -----------------------------------------------------

// Whether the class can take one more story; tells the child when not.
bool StoryListHasRoom(const LibraryState& library, Dialogs& dialogs);

// What making a story came to.
struct StoryMaking {
  bool made = false;  // the story is in the list, selected, its new card shown
  QString name;       // the name it was given (or was to be given)
  QString message;    // what the child is to be told; empty for nothing
};

// Makes a story in one change of the class's list: under the list's lock,
// on the list read again, `nameFor` chooses its name, given whether a name
// is taken in that list (it must not wait for the child, nor tell); the
// folder is made and the name added. The new story is then selected with
// its new card shown. Nothing is told here: the caller tells `message`.
StoryMaking MakeStory(LibraryState& library, DeckState& deck,
                      const std::function<QString(const std::function<bool(const QString&)>& taken)>& nameFor);

// What the name dialog does after its save button.
enum class NameDialogStep { StayOpen, Close };

// The name dialog's "なまえをほぞん" with the text of its text box: makes the
// story folder, adds the name to the list and selects the new story. A name
// that cannot be a story is refused with a message and the dialog stays
// open so the child can mend it; an empty text does nothing.
NameDialogStep SaveStoryName(LibraryState& library, DeckState& deck, Dialogs& dialogs, const QString& text);

// "名前変更": asks for the new name, renames the folder and the row.
void RenameStory(LibraryState& library, DeckState& deck, Dialogs& dialogs);

// "削除": after the child agrees, deletes the selected story's files and
// folder and its row.
void DeleteStory(LibraryState& library, DeckState& deck, Dialogs& dialogs);

// A mouse press on the story panel at a position in panel pixels: picks
// the story of the row and loads its first card.
void PickStoryAt(LibraryState& library, DeckState& deck, QPointF at);
// Selects the story at `row` of the list and shows its first card.
void SelectStory(LibraryState& library, DeckState& deck, int row);
