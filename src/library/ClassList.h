// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The class's story list file Menu.txt, which every computer of the class
// changes, and the journals beside it that let a rename or a deletion cut
// short be finished when the class is opened again.
//
// Every change of Menu.txt goes one way (ChangeClassList): the lock beside
// it is taken, the file is read again, the one change the caller gives is
// applied to the lines as they are now, the lock is checked to be still
// this computer's, the file is written whole and the lock goes. Nothing
// here shows a message or waits for the child: the caller decides what the
// child is told once the lock is gone.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// Menu.txt as read under its lock: every line byte for byte, so names past
// the hundredth and lines that are not windows-31j go back as they were.
struct ClassListLines {
  QList<QByteArray> lines;
  // False when the file is there but cannot be read (no permission, a
  // folder in its place): it is then never written.
  bool readable = true;

  // The names the story panel shows: the first 100 lines.
  QStringList Names() const;
  // The first line other than `except` whose name matches `name` the way
  // folder names match (letter case aside), or -1.
  int LineNamed(const QString& name, int except = -1) const;
  // How many lines name `name` that way.
  int CountNamed(const QString& name) const;
  // Puts `name` in place of line `line`, or at the end. False when
  // windows-31j cannot hold it.
  bool Replace(int line, const QString& name);
  bool Append(const QString& name);
};

// What a change decided: write the lines as it left them, or keep the file.
enum class ClassListEdit { Keep, Write };

enum class ClassListResult {
  Written,     // the change is in the file
  Unchanged,   // the change kept the file as it was
  LockNotHad,  // another computer held the list's lock all the wait
  LockLost,    // another computer took the lock over: nothing written
  NotWritten,  // the class folder or the file cannot be written (read-only, full, gone)
};

// One change of the list. `change` runs under the lock on the lines read
// just then (it may also move folders beside the list); what it decided
// beyond Keep or Write it keeps in what it captured. `settle`, when given,
// runs under the lock after the write with its result, to finish or undo
// what `change` did beside the list. Neither may wait for the child.
struct ClassListChange {
  std::function<ClassListEdit(ClassListLines&)> change;
  std::function<void(ClassListResult)> settle;
};

// How long the lock is waited for: kListWait, or not at all (a refresh
// that finds another computer at work leaves it to that computer).
enum class ListWait { Wait, DontWait };

// The one procedure for every change of the class's Menu.txt
// (`classFolder` ends in "\"). A rename cut short is finished or undone
// first, in the same write. `change` is not called when the lock cannot be
// had or is lost before it.
ClassListResult ChangeClassList(const QString& classFolder, const ClassListChange& change,
                                ListWait wait = ListWait::Wait);

// The rename journal "Menu_rename.txt" (old and new name): written before
// a story's folder is renamed, deleted once the list names the new folder.
QString RenameJournal(const QString& classFolder);

// A story deletion goes in steps that a kill may cut short anywhere: a
// journal naming the story, the folder renamed to a hidden name (from here
// on the story is gone for the child), the list line taken out, the files
// deleted, the journal deleted.
QString DeletionJournal(const QString& hiddenFolder);
// Deletes a deleted story's files and its folder. Sub-folders are not the
// story's: a folder that holds some goes back to the story's name
// (`storyFolder`, without the final "\"), where they stay in sight.
void RemoveDeletedFolder(const QString& folder, const std::optional<QString>& storyFolder);
// Whether a deletion was cut short in the class folder.
bool StoryDeletionsLeft(const QString& classFolder);
// Finishes the deletions cut short, under the list's lock when it is free
// now. False when another computer holds it (it is at work there).
bool FinishStoryDeletions(const QString& classFolder);
// Finishes or undoes a rename cut short, when the journal is there and
// the list's lock is free now.
void RecoverStoryRename(const QString& classFolder);

// Which folder a story folder is (its device and inode), to know it again
// under another name; nothing when it is not there.
std::optional<QString> StoryFolderIdentity(const QString& storyFolder);
