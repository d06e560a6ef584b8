// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// Making, renaming and deleting a story. Each asks the child first, then
// makes its change of the class's list in one go under the list's lock
// (ChangeClassList), on the list as it is then, and tells the child what
// came of it only once the lock is let go: no other computer of the class
// waits while a message is up here.

#include "deck/CardFiles.h"
#include "deck/CardList.h"
#include "deck/SharedDeck.h"
#include "deck/StoryFiles.h"
#include "library/ClassList.h"
#include "library/StoryList.h"
#include "library/StoryListRows.h"
#include "platform/Disk.h"
#include "platform/HiddenNames.h"

namespace {

const QString kDuplicate = QStringLiteral("おなじ なまえの ぴこらまが もう あります。");
const QString kCannotUse = QStringLiteral("その なまえは つかえません。");
const QString kNotRenamed = QStringLiteral("なまえを かえられませんでした。");
const QString kNotThrownAway = QStringLiteral("ぴこらまを すてられませんでした。");
const QString kFull = QStringLiteral("ぴこらまは 100こまでです。いらない ぴこらまを すててから つくってください。");
const QString kListBusy =
    QStringLiteral("クラスの リストを いま ほかの コンピュータで つかっています。もういちど やってください。");

QString WithoutFinalBackslash(QString folder) {
  if (folder.endsWith(u'\\')) folder.chop(1);
  return folder;
}

// What to tell when the list's lock was not had, was lost, or the list
// could not be written: busy elsewhere is one thing, a class folder that
// cannot be written another.
QString ListTrouble(const LibraryState& library, ClassListResult result) {
  return result == ClassListResult::LockNotHad ? kListBusy : ListNotSaved(library);
}

// Whether a failed take of a story's card-list lock was another computer's
// doing (the story is in use there) rather than a folder that cannot be
// written.
bool CardListHeldElsewhere(const QString& storyFolder) {
  return SharedLock::Inspect(SharedLock::LockFileFor(storyFolder, storyfiles::kCardList), SharedLock::kListStale) ==
         SharedLock::State::HeldElsewhere;
}

// The selected story's folder, when rename and delete may act on it: the
// name must be one a folder inside the class can carry.
bool SelectedStoryIsSafe(const LibraryState& library, Dialogs& dialogs, int row) {
  if (!StoryNameProblem(library.storyNames[row])) return true;
  dialogs.Tell(QStringLiteral("この ぴこらまは なまえに つかえない もじが あるので、"
                              "かえたり すてたり できません。"));
  return false;
}

// Under the list's lock, before a story's folder moves: its card list's lock
// (a card drawn on another computer keeps the story where it is). Why not,
// when it cannot be had.
enum class StoryHold { Held, InUse, NotWritable };
StoryHold HoldStory(const QString& storyFolder, std::unique_ptr<SharedLock>& deckLock) {
  if (!disk::FolderExists(storyFolder)) return StoryHold::Held;
  deckLock = LockCardList(storyFolder);
  if (!deckLock) return CardListHeldElsewhere(storyFolder) ? StoryHold::InUse : StoryHold::NotWritable;
  return StoryInUseElsewhere(storyFolder) ? StoryHold::InUse : StoryHold::Held;
}

// The list as read under the lock, with the story `name` selected when it
// is still listed (else the first).
void TakeList(LibraryState& library, const QStringList& names, const QString& name) {
  library.storyNames = names;
  library.selectedStory = std::max(0, RowOf(names, name));
}

}  // namespace

bool StoryListHasRoom(const LibraryState& library, Dialogs& dialogs) {
  if (library.storyNames.size() < kMaxStories) return true;
  dialogs.Tell(kFull);
  return false;
}

StoryMaking MakeStory(LibraryState& library, DeckState& deck,
                      const std::function<QString(const std::function<bool(const QString&)>&)>& nameFor) {
  // Decided under the list's lock, on the list as it is then, with what
  // other computers made meanwhile; told once the lock is let go.
  enum class Made { NotTried, Made, Full, Duplicate, NotAFolder, NoFolder };
  Made made = Made::NotTried;
  bool folderMade = false;
  bool nameInStoryFolder = false;
  QStringList names = library.storyNames;
  QString text;
  QString folder;
  const ClassListResult result = ChangeClassList(
      library.classFolder,
      {[&](ClassListLines& list) {
         // A list that cannot be read is judged as the panel shows it.
         if (list.readable) names = list.Names();
         const auto taken = [&](const QString& name) {
           return RowNamed(names, name, -1) >= 0 || list.LineNamed(name) >= 0;
         };
         if ((list.readable ? int(list.lines.size()) : int(names.size())) >= kMaxStories) {
           made = Made::Full;
           return ClassListEdit::Keep;
         }
         text = nameFor(taken);
         folder = library.classFolder + text;
         if (text.isEmpty() || taken(text)) {
           made = Made::Duplicate;
         } else if (StoryNameProblem(text)) {
           made = Made::NotAFolder;
         } else {
           // A folder of that name that is in no list (left behind, or put
           // there by hand) becomes the story's folder as it is.
           folderMade = disk::CreateFolder(folder);
           if (!folderMade && !disk::FolderExists(folder))
             made = disk::Exists(folder) ? Made::NotAFolder : Made::NoFolder;
           else if (list.Append(text))
             made = Made::Made;
           if (made == Made::Made) {
             if (list.readable) names = list.Names();
             else names.append(text);
           }
         }
         return made == Made::Made ? ClassListEdit::Write : ClassListEdit::Keep;
       },
       [&](ClassListResult written) {
         if (made != Made::Made || written == ClassListResult::Written) return;
         // The name goes at least into the story's own folder, where it can
         // be found again. When it cannot go there either, the story is not
         // made: a story no list names would be lost at the next start.
         if (written == ClassListResult::NotWritten &&
             disk::WriteLines(folder + u'\\' + storyfiles::kStoryList, {text})) {
           nameInStoryFolder = true;
         } else if (folderMade) {
           disk::RemoveFolder(folder);
         }
       }});

  StoryMaking making;
  making.name = text;
  if (result != ClassListResult::Written && !nameInStoryFolder) {
    switch (made) {
      case Made::Full: making.message = kFull; break;
      case Made::Duplicate: making.message = kDuplicate; break;
      case Made::NotAFolder: making.message = kCannotUse; break;
      case Made::NoFolder: making.message = QStringLiteral("ぴこらまの フォルダが つくれません。"); break;
      case Made::Made:
        making.message = result == ClassListResult::NotWritten ? ListNotSaved(folder + u'\\')
                                                               : ListTrouble(library, result);
        break;
      case Made::NotTried: making.message = ListTrouble(library, result); break;
    }
    return making;
  }

  // The new story is in the list in memory and its deck is read (a folder
  // taken over keeps its cards; a new one has none): it is the selected one.
  making.made = true;
  library.storyNames = names;
  library.selectedStory = int(library.storyNames.size()) - 1;
  DrawStoryList(library, deck);
  ReadCardList(deck);
  // The new story's first card is the new card, on a blank canvas, not the
  // card of the story shown before.
  ShowFirstCard(deck);
  if (nameInStoryFolder)
    making.message = library.classFolder + storyfiles::kStoryList.toLower() + QStringLiteral(" に かきこめませんでした。");
  return making;
}

NameDialogStep SaveStoryName(LibraryState& library, DeckState& deck, Dialogs& dialogs, const QString& text) {
  if (text.isEmpty()) return NameDialogStep::StayOpen;
  if (const auto problem = StoryNameProblem(text)) {
    dialogs.Tell(*problem);
    return NameDialogStep::StayOpen;
  }
  const StoryMaking making = MakeStory(library, deck, [&](const auto&) { return text; });
  if (!making.message.isEmpty()) dialogs.Tell(making.message);
  return making.made ? NameDialogStep::Close : NameDialogStep::StayOpen;
}

void RenameStory(LibraryState& library, DeckState& deck, Dialogs& dialogs) {
  const int shownRow = SelectedRow(library, deck);
  if (shownRow < 0) return;
  if (!SelectedStoryIsSafe(library, dialogs, shownRow)) return;
  const QString oldName = library.storyNames[shownRow];
  if (StoryInUseElsewhere(library.classFolder + oldName + u'\\')) {
    dialogs.Tell(kStoryInUse);
    return;
  }
  if (RowNamed(library.storyNames, oldName, shownRow) >= 0) {
    // Two rows share one folder; renaming it would take it from the other.
    dialogs.Tell(QStringLiteral("おなじ なまえの ぴこらまが ほかにも あるので、なまえを かえられません。"));
    return;
  }
  const auto answer = dialogs.Input(QStringLiteral("名前は？"));
  if (!answer || answer->isEmpty()) return;
  if (const auto problem = StoryNameProblem(*answer)) {
    dialogs.Tell(*problem);
    return;
  }
  if (RowNamed(library.storyNames, *answer, shownRow) >= 0) {
    dialogs.Tell(kDuplicate);
    return;
  }
  if (!dialogs.Ask(*answer + QStringLiteral("でいいですか？"))) return;

  // Under the list's lock, on the list as it is now: another computer may
  // have thrown the story away, or given its name to another, meanwhile.
  enum class Renamed { NotTried, Gone, Duplicate, InUse, NotRenamed, Renamed, FolderOnly };
  Renamed renamed = Renamed::NotTried;
  QStringList names = library.storyNames;
  QStringList renamedNames;  // the list with the new name
  const QString oldFolder = library.classFolder + oldName;
  const QString newFolder = library.classFolder + *answer;
  const QString journal = RenameJournal(library.classFolder);
  std::unique_ptr<SharedLock> deckLock;
  // The list stays as it is, for this reason.
  const auto keep = [&](Renamed why) {
    renamed = why;
    return ClassListEdit::Keep;
  };
  const ClassListResult result = ChangeClassList(
      library.classFolder,
      {[&](ClassListLines& list) {
         if (!list.readable) return keep(Renamed::NotRenamed);
         names = list.Names();
         const int row = RowOf(names, oldName);
         if (row < 0) return keep(Renamed::Gone);
         if (list.LineNamed(*answer, row) >= 0) return keep(Renamed::Duplicate);
         switch (HoldStory(oldFolder + u'\\', deckLock)) {
           case StoryHold::InUse: return keep(Renamed::InUse);
           case StoryHold::NotWritable: return keep(Renamed::NotRenamed);
           case StoryHold::Held: break;
         }
         // The journal first: a rename cut short between the folder and the
         // list is finished or undone when the class is opened again.
         if (!disk::WriteLines(journal, {oldName, *answer})) return keep(Renamed::NotRenamed);
         if (!disk::RenameFolder(oldFolder, newFolder)) {
           disk::DeleteFile(journal);
           return keep(Renamed::NotRenamed);
         }
         // The card list's lock went along with the folder.
         deckLock.reset();
         disk::DeleteFile(SharedLock::LockFileFor(newFolder + u'\\', storyfiles::kCardList));
         list.Replace(row, *answer);
         renamedNames = list.Names();
         renamed = Renamed::Renamed;
         return ClassListEdit::Write;
       },
       [&](ClassListResult written) {
         if (renamed != Renamed::Renamed) return;
         if (written == ClassListResult::Written) {
           disk::DeleteFile(journal);
           return;
         }
         // The list file keeps the old name: so does the folder, when it can.
         if (disk::RenameFolder(newFolder, oldFolder)) {
           disk::DeleteFile(journal);
           renamed = Renamed::NotRenamed;
         } else {
           renamed = Renamed::FolderOnly;
         }
       }});

  switch (renamed) {
    case Renamed::NotTried:
      dialogs.Tell(ListTrouble(library, result));
      return;
    case Renamed::Gone:
      TakeList(library, names, oldName);
      ShowSelectedStory(library, deck);
      dialogs.Tell(kNotRenamed);
      return;
    case Renamed::Duplicate:
    case Renamed::InUse:
    case Renamed::NotRenamed:
      TakeList(library, names, oldName);
      DrawStoryList(library, deck);
      dialogs.Tell(renamed == Renamed::Duplicate ? kDuplicate
                   : renamed == Renamed::InUse   ? kStoryInUse
                   : result == ClassListResult::Written || result == ClassListResult::Unchanged
                       ? kNotRenamed
                       : ListTrouble(library, result));
      return;
    case Renamed::Renamed:
    case Renamed::FolderOnly:
      TakeList(library, renamedNames, *answer);
      ShowSelectedStory(library, deck);
      if (renamed == Renamed::FolderOnly) dialogs.Tell(ListTrouble(library, result));
      return;
  }
}

void DeleteStory(LibraryState& library, DeckState& deck, Dialogs& dialogs) {
  const int shownRow = SelectedRow(library, deck);
  if (shownRow < 0) return;
  if (!SelectedStoryIsSafe(library, dialogs, shownRow)) return;
  const QString name = library.storyNames[shownRow];
  const QString folder = library.classFolder + name + u'\\';
  if (StoryInUseElsewhere(folder)) {
    dialogs.Tell(kStoryInUse);
    return;
  }
  if (!dialogs.Ask(QStringLiteral("えらばれているぴこらまをすてます。"))) return;
  if (!disk::FolderExists(library.classFolder)) {
    // The class's drive is gone: nothing can be thrown away.
    dialogs.Tell(kNotThrownAway);
    return;
  }

  // Under the list's lock, on the list as it is now. A story thrown away
  // elsewhere meanwhile is simply gone. The folder first goes out of sight
  // under a hidden name, with a journal saying whose it was; only then does
  // the list line go (see FinishStoryDeletions); its files go once the
  // lock is let go.
  enum class Deleted { NotTried, Gone, InUse, NotDeleted, Deleted };
  Deleted deleted = Deleted::NotTried;
  QStringList names = library.storyNames;
  QStringList remainingNames;  // the list without the story
  const QString storyFolder = WithoutFinalBackslash(folder);
  QString hidden;
  std::unique_ptr<SharedLock> deckLock;
  // The list stays as it is, for this reason.
  const auto keep = [&](Deleted why) {
    deleted = why;
    return ClassListEdit::Keep;
  };
  const ClassListResult result = ChangeClassList(
      library.classFolder,
      {[&](ClassListLines& list) {
         if (!list.readable) return keep(Deleted::NotDeleted);
         names = list.Names();
         const int row = RowOf(names, name);
         if (row < 0) return keep(Deleted::Gone);
         switch (HoldStory(folder, deckLock)) {
           case StoryHold::InUse: return keep(Deleted::InUse);
           case StoryHold::NotWritable: return keep(Deleted::NotDeleted);
           case StoryHold::Held: break;
         }
         // A folder that another line also names (also one past the
         // hundredth) stays for that line.
         if (list.CountNamed(name) <= 1 && disk::FolderExists(folder)) {
           hidden = library.classFolder + disk::NewDeletedFolderName();
           const bool moved =
               disk::WriteLines(DeletionJournal(hidden), {name}) && disk::RenameFolder(storyFolder, hidden);
           if (!moved) {
             disk::DeleteFile(DeletionJournal(hidden));
             hidden.clear();
             return keep(Deleted::NotDeleted);
           }
           // The card list's lock went along with the folder.
           deckLock.reset();
           disk::DeleteFile(SharedLock::LockFileFor(hidden + u'\\', storyfiles::kCardList));
         }
         list.lines.removeAt(row);
         remainingNames = list.Names();
         deleted = Deleted::Deleted;
         return ClassListEdit::Write;
       },
       [&](ClassListResult written) {
         if (deleted != Deleted::Deleted || written == ClassListResult::Written) return;
         // The story stays as it was, when its folder can go back.
         if (!hidden.isEmpty() && disk::RenameFolder(hidden, storyFolder)) disk::DeleteFile(DeletionJournal(hidden));
         hidden.clear();
         deleted = Deleted::NotDeleted;
       }});

  switch (deleted) {
    case Deleted::NotTried:
      dialogs.Tell(ListTrouble(library, result));
      return;
    case Deleted::Gone:
      TakeList(library, names, QString());
      ShowSelectedStory(library, deck);
      return;
    case Deleted::InUse:
    case Deleted::NotDeleted:
      TakeList(library, names, name);
      DrawStoryList(library, deck);
      dialogs.Tell(deleted == Deleted::InUse ? kStoryInUse
                   : result == ClassListResult::Unchanged ? kNotThrownAway
                                                          : ListTrouble(library, result));
      return;
    case Deleted::Deleted:
      if (!hidden.isEmpty()) {
        RemoveDeletedFolder(hidden, storyFolder);
        disk::DeleteFile(DeletionJournal(hidden));
      }
      TakeList(library, remainingNames, QString());
      ShowSelectedStory(library, deck);
      return;
  }
}
