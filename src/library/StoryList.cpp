// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "library/StoryList.h"

#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QStringView>

#include "deck/CardFiles.h"
#include "deck/CardList.h"
#include "deck/StoryFiles.h"
#include "deck/SharedDeck.h"
#include "platform/Disk.h"
#include "platform/HiddenNames.h"
#include "platform/TextCodec.h"
#include "platform/Fonts.h"
#include "platform/Numbers.h"
#include "platform/SharedLock.h"

namespace {

QString WithoutFinalBackslash(QString folder) {
  if (folder.endsWith(u'\\')) folder.chop(1);
  return folder;
}

// The story list's place on the story panel.
constexpr int kStoryListTop = 183;
constexpr int kRowHeight = 21;
constexpr int kRows = 20;
constexpr QSize kStoryPanelSize(190, 618);

const QColor kListFill(255, 255, 200);
const QColor kHighlight(0, 0, 200);
const QColor kRowText(255, 0, 0);
const QColor kPanelBackground(192, 255, 255);

QString ListFile(const LibraryState& library) { return library.classFolder + storyfiles::kStoryList; }

// The first row other than `except` whose name matches `name` the way
// folder names match, or -1.
int RowNamed(const LibraryState& library, const QString& name, int except) {
  for (int i = 0; i < library.storyNames.size(); ++i) {
    if (i != except && library.storyNames[i].compare(name, Qt::CaseInsensitive) == 0) return i;
  }
  return -1;
}

// The selected row, when a story is selected; else -1.
int SelectedRow(const LibraryState& library, const DeckState& deck) {
  if (!StorySelected(deck)) return -1;
  const int row = library.selectedStory;
  return row >= 0 && row < library.storyNames.size() ? row : -1;
}

// Whether the list file's line holds `name`, byte for byte as the program
// writes it.
bool LineIs(const QByteArray& line, const QString& name) {
  const auto bytes = text::Encode(name);
  return bytes && line == *bytes;
}

// Rewrites the list file with row `row` replaced by `replacement`, or taken
// out when there is none. Every other line is written back byte for byte:
// names past the hundredth the list does not show, and lines that are not
// windows-31j, stay as they were. When the file does not hold the list in
// memory at that row (it was changed from outside), the list in memory is
// written as it is. An empty list deletes the file. False when the file
// cannot be written.
bool RewriteListRow(const LibraryState& library, int row, const std::optional<QString>& replacement) {
  const QString file = ListFile(library);
  auto lines = disk::ReadRawLines(file).value_or(QList<QByteArray>());
  if (row >= 0 && row < lines.size() && LineIs(lines[row], library.storyNames.value(row))) {
    if (replacement) {
      const auto bytes = text::Encode(*replacement);
      if (!bytes) return false;
      lines[row] = *bytes;
    } else {
      lines.removeAt(row);
    }
  } else {
    QStringList names = library.storyNames;
    if (replacement) names[row] = *replacement;
    else names.removeAt(row);
    lines.clear();
    for (const QString& name : names) {
      const auto bytes = text::Encode(name);
      if (!bytes) return false;
      lines.append(*bytes);
    }
  }
  if (lines.isEmpty()) return disk::DeleteFile(file) || !disk::Exists(file);
  return disk::WriteRawLines(file, lines);
}

// A story rename in progress: the old and the new name, written before the
// folder is renamed and deleted once the list names the new folder, so a
// rename cut short can be finished or undone at the next start.
QString RenameJournal(const LibraryState& library) {
  return library.classFolder + QStringLiteral("Menu_rename.txt");
}

// Finishes or undoes a rename the journal records: the list names the
// folder that is there, and the story keeps its cards.
void RecoverStoryRename(const LibraryState& library) {
  const QString journal = RenameJournal(library);
  const auto entry = disk::ReadRawLines(journal);
  if (!entry) return;
  if (entry->size() == 2) {
    const auto oldName = text::DecodeLine(entry->at(0));
    const auto newName = text::DecodeLine(entry->at(1));
    auto lines = disk::ReadRawLines(ListFile(library));
    if (oldName && newName && lines && !StoryNameProblem(*oldName) && !StoryNameProblem(*newName)) {
      const bool oldThere = disk::FolderExists(library.classFolder + *oldName);
      const bool newThere = disk::FolderExists(library.classFolder + *newName);
      // The folder went over to the new name (finish), or kept its old
      // one (undo); the list follows the folder.
      const QByteArray& from = newThere && !oldThere ? entry->at(0) : entry->at(1);
      const QByteArray& to = newThere && !oldThere ? entry->at(1) : entry->at(0);
      bool changed = false;
      if (newThere != oldThere) {
        for (QByteArray& line : *lines) {
          if (line == from && !lines->contains(to)) {
            line = to;
            changed = true;
          }
        }
      }
      // The journal stays when the list cannot be mended yet.
      if (changed && !disk::WriteRawLines(ListFile(library), *lines)) return;
    }
  }
  disk::DeleteFile(journal);
}

// A story deletion goes in steps that a kill may cut short anywhere: a
// journal naming the story, the folder renamed to a hidden name (from here
// on the story is gone for the child), the list line taken out, the files
// deleted, the journal deleted. What a cut left is finished here, when the
// class is opened again: the list no longer names the story and the hidden
// folder goes, so erased cards never come back under that name.
QString DeletionJournal(const QString& hiddenFolder) { return hiddenFolder + QStringLiteral(".txt"); }

// Deletes the story's files and its folder. Sub-folders are not the
// story's: a folder that holds some goes back to the story's name, where
// they stay in sight.
void RemoveDeletedFolder(const QString& folder, const std::optional<QString>& storyFolder) {
  disk::DeleteFiles(folder + u'\\', QStringLiteral("*.*"));
  // Lock files left by computers that went off go too.
  RemoveLockFiles(folder + u'\\', QString());
  if (!disk::RemoveFolder(folder) && storyFolder && !disk::Exists(*storyFolder))
    disk::RenameFolder(folder, *storyFolder);
}

// Whether a deletion was cut short in the class folder.
bool StoryDeletionsLeft(const LibraryState& library) {
  const QStringList own = disk::ListOwnEntries(library.classFolder);
  return std::any_of(own.begin(), own.end(), [](const QString& entry) {
    return disk::IsDeletedFolderName(entry) ||
           (entry.endsWith(QStringLiteral(".txt")) && disk::IsDeletedFolderName(entry.chopped(4)));
  });
}

void FinishStoryDeletions(const LibraryState& library) {
  const QStringList own = disk::ListOwnEntries(library.classFolder);
  for (const QString& entry : own) {
    const bool folder = disk::IsDeletedFolderName(entry);
    const bool journal = entry.endsWith(QStringLiteral(".txt")) && disk::IsDeletedFolderName(entry.chopped(4));
    if (!folder && !journal) continue;
    const QString hidden = library.classFolder + (folder ? entry : entry.chopped(4));
    const QString journalFile = DeletionJournal(hidden);
    if (folder) {
      // The rename was done: the list must not name the story any more.
      const auto named = disk::ReadRawLines(journalFile).value_or(QList<QByteArray>());
      const auto name = named.size() == 1 ? text::DecodeLine(named.first()) : std::nullopt;
      if (name && !StoryNameProblem(*name) && !disk::Exists(library.classFolder + *name)) {
        auto lines = disk::ReadRawLines(ListFile(library));
        if (lines && lines->removeOne(named.first())) {
          const bool written = lines->isEmpty() ? disk::DeleteFile(ListFile(library))
                                                : disk::WriteRawLines(ListFile(library), *lines);
          if (!written) continue;  // the journal stays for the next time
        }
      }
      RemoveDeletedFolder(hidden, name ? std::optional<QString>(library.classFolder + *name) : std::nullopt);
    } else if (disk::Exists(hidden)) {
      continue;  // the folder's own turn
    }
    disk::DeleteFile(journalFile);
  }
}

QString ListNotSaved(const LibraryState& library) {
  return library.classFolder + QStringLiteral("menu.txt がほぞんできません。");
}

// The row of story `name`: the same spelling first, else the same name in
// other letter case; -1 when the list has none.
int RowOf(const LibraryState& library, const QString& name) {
  const int row = int(library.storyNames.indexOf(name));
  return row >= 0 ? row : RowNamed(library, name, -1);
}

// The class's list is changed by many computers: each change is made under
// the lock beside Menu.txt, on the list read again just before.
std::unique_ptr<SharedLock> LockStoryList(const LibraryState& library) {
  return SharedLock::Take(SharedLock::LockFileFor(library.classFolder, QStringLiteral("Menu.txt")),
                          SharedLock::kListStale, SharedLock::kListWait);
}

// A list file that is there but cannot be read (a folder in its place, no
// permission) leaves the list in memory as it is; a missing one is a class
// without stories.
void ReadNames(LibraryState& library) {
  QStringList names = ReadNameList(ListFile(library));
  if (names.isEmpty() && disk::Exists(ListFile(library)) && !disk::ReadBytes(ListFile(library))) return;
  library.storyNames = std::move(names);
}

// Reads the list again (the lock held) and keeps the selected story selected
// by its name. False when the selected story is no longer listed.
bool RereadStoryList(LibraryState& library, const QString& selected) {
  RecoverStoryRename(library);
  ReadNames(library);
  if (selected.isEmpty()) return true;
  const int row = RowOf(library, selected);
  if (row >= 0) library.selectedStory = row;
  return row >= 0;
}

// The selected story and its first card become the current ones.
void ShowSelectedStory(LibraryState& library, DeckState& deck) {
  DrawStoryList(library, deck);
  ReadCardList(deck);
  ShowFirstCard(deck);
}

const QString kDuplicate = QStringLiteral("おなじ なまえの ぴこらまが もう あります。");
const QString kCannotUse = QStringLiteral("その なまえは つかえません。");
const QString kNotRenamed = QStringLiteral("なまえを かえられませんでした。");

}  // namespace

QStringList ReadNameList(const QString& file) {
  const auto lines = disk::ReadLines(file);
  if (!lines) return {};
  return lines->mid(0, kMaxStories);
}

void ReadStoryList(LibraryState& library) {
  // A rename another computer has under way is that computer's: only under
  // the list's lock is a rename left half-done finished or undone.
  // The journal is only ever spelled as this program writes it: one
  // question to the file server, not a search of the class folder.
  const auto classFolder = disk::HostPath(library.classFolder);
  if (classFolder && QFileInfo::exists(*classFolder + QStringLiteral("/Menu_rename.txt"))) {
    if (const auto lock = LockStoryList(library)) RecoverStoryRename(library);
  }
  // A deletion cut short is finished under the list's lock too; one under
  // way on another computer holds that lock and is left to it.
  if (library.deletionsCheckedIn != library.classFolder && StoryDeletionsLeft(library)) {
    if (const auto lock = SharedLock::Take(SharedLock::LockFileFor(library.classFolder, storyfiles::kStoryList),
                                           SharedLock::kListStale, SharedLock::Duration(0)))
      FinishStoryDeletions(library);
    else
      return ReadNames(library);  // another computer is at it: looked for again next time
  }
  library.deletionsCheckedIn = library.classFolder;
  ReadNames(library);
}

StoryListRefresh RefreshStoryList(LibraryState& library, DeckState& deck, bool keepDeck) {
  const QStringList namesBefore = library.storyNames;
  const bool selected = SelectedRow(library, deck) >= 0;
  const QString name = selected ? library.storyNames[library.selectedStory] : QString();
  ReadStoryList(library);
  if (library.storyNames == namesBefore) return StoryListRefresh::Unchanged;
  if (selected) {
    if (const int row = RowOf(library, name); row >= 0) {
      library.selectedStory = row;
      DrawStoryList(library, deck);
      return StoryListRefresh::Changed;
    }
    // The story in hand is gone from the list. While a card of it is open
    // for drawing the deck stays; the list follows once drawing ends.
    if (keepDeck) {
      library.storyNames = namesBefore;
      return StoryListRefresh::Unchanged;
    }
    library.selectedStory = 0;
    ShowSelectedStory(library, deck);
    return StoryListRefresh::SelectedStoryGone;
  }
  // No story was in hand: one made elsewhere may now be.
  if (library.selectedStory < 0) library.selectedStory = 0;
  DrawStoryList(library, deck);
  if (StorySelected(deck) && !keepDeck) {
    ReadCardList(deck);
    ShowFirstCard(deck);
  }
  return StoryListRefresh::Changed;
}

QString StoryRowText(int i, const QString& name) {
  return (QStringLiteral(" ") + SignedText(i)).right(2) + u' ' + name;
}

QRect DrawNameList(QImage& surface, int top, const QStringList& names, int selected,
                   const QColor& background) {
  QPainter p(&surface);
  p.setRenderHint(QPainter::Antialiasing, false);
  const int bottom = top + kRowHeight * kRows;

  // The names after the 20th run on below the box; what was printed there
  // before goes first, so a deleted story leaves no name behind.
  p.fillRect(QRect(0, bottom + 1, surface.width(), surface.height()), background);

  p.fillRect(QRect(2, top, 183, 419), kListFill);
  p.fillRect(QRect(3, top + kRowHeight * selected, 181, kRowHeight), kHighlight);
  // Row lines from x = 2 up to, not including, x = 185.
  for (int i = 0; i <= kRows; ++i) p.fillRect(QRect(2, top + kRowHeight * i, 183, 1), Qt::black);

  QFont font = Gothic(9);
  font.setStyleStrategy(QFont::NoAntialias);
  p.setFont(font);
  p.setPen(kRowText);
  const int ascent = p.fontMetrics().ascent();
  const int shown = int(std::min<qsizetype>(names.size(), kMaxStories));
  for (int i = 0; i < shown; ++i) {
    const int y = top + 6 + kRowHeight * i;
    p.drawText(QPoint(5, y + ascent), StoryRowText(i + 1, names[i]));
  }
  return QRect(0, top, surface.width(), surface.height() - top);
}

void DrawStoryList(LibraryState& library, DeckState& deck) {
  if (library.storyListImage.isNull()) {
    library.storyListImage = QImage(kStoryPanelSize, QImage::Format_RGB32);
    library.storyListImage.fill(kPanelBackground);
  }
  const QRect drawn =
      DrawNameList(library.storyListImage, kStoryListTop, library.storyNames, library.selectedStory,
                   kPanelBackground);
  const QString name = library.storyNames.value(library.selectedStory);
  deck.storyFolder = library.classFolder + name + u'\\';
  library.currentStoryName = name;
  library.notifySurface(drawn);
}

bool StorySelected(const DeckState& deck) {
  return !deck.storyFolder.isEmpty() && !deck.storyFolder.endsWith(QStringLiteral("\\\\"));
}

int ListRowAt(double y, int top) {
  const long row = RoundHalfEven(y - top) / kRowHeight;
  return int(std::max(0L, row));
}

void PickStoryAt(LibraryState& library, DeckState& deck, QPointF at) {
  if (!(at.x() > 2 && at.x() < 194 && at.y() > kStoryListTop && at.y() < 602)) return;
  const int row = ListRowAt(at.y(), kStoryListTop);
  if (row >= library.storyNames.size()) return;
  SelectStory(library, deck, row);
}

void SelectStory(LibraryState& library, DeckState& deck, int row) {
  library.selectedStory = row;
  ShowSelectedStory(library, deck);
}

std::optional<QString> StoryNameProblem(const QString& name) {
  if (name.trimmed().isEmpty()) return QStringLiteral("なまえを かいてください。");
  const auto cannotHold = [](const QString& c) {
    return QStringLiteral("「%1」は なまえに つかえません。").arg(c);
  };
  for (qsizetype i = 0; i < name.size(); ++i) {
    const QChar c = name.at(i);
    if (c.unicode() < 0x20 || c.unicode() == 0x7f) return kCannotUse;
    if (QStringView(u"\\/:*?\"<>|").contains(c)) return cannotHold(c);
    // One character as the list file would hold it (a pair of surrogates
    // is one character).
    const qsizetype n = c.isHighSurrogate() && i + 1 < name.size() ? 2 : 1;
    const QString one = name.mid(i, n);
    if (!text::CanEncode(one)) return cannotHold(one);
    i += n - 1;
  }
  // Windows drops a final blank or dot from a folder name, so the folder
  // would not be the one the list names; this also covers "." and "..".
  if (name.endsWith(u' ') || name.endsWith(u'.'))
    return QStringLiteral("なまえの さいごに「.」や くうはくは つかえません。");
  // Names Windows keeps for devices, also with an extension, and the name
  // of the list file itself, which sits beside the story folders.
  if (name.compare(storyfiles::kStoryList, Qt::CaseInsensitive) == 0) return kCannotUse;
  // The program's own working names, which no listing shows.
  if (disk::IsHiddenName(name)) return kCannotUse;
  const QString stem = name.section(u'.', 0, 0).trimmed().toUpper();
  static const QStringList kDevices = {QStringLiteral("CON"), QStringLiteral("PRN"),
                                       QStringLiteral("AUX"), QStringLiteral("NUL")};
  if (kDevices.contains(stem)) return kCannotUse;
  if (stem.size() == 4 && (stem.startsWith(QStringLiteral("COM")) || stem.startsWith(QStringLiteral("LPT"))) &&
      stem.at(3) >= u'1' && stem.at(3) <= u'9')
    return kCannotUse;
  return std::nullopt;
}

bool StoryListHasRoom(const LibraryState& library, Dialogs& dialogs) {
  if (library.storyNames.size() < kMaxStories) return true;
  dialogs.Tell(QStringLiteral("ぴこらまは 100こまでです。いらない ぴこらまを すててから つくってください。"));
  return false;
}

NameDialogStep SaveStoryName(LibraryState& library, DeckState& deck, Dialogs& dialogs, const QString& text) {
  if (text.isEmpty()) return NameDialogStep::StayOpen;
  if (const auto problem = StoryNameProblem(text)) {
    dialogs.Tell(*problem);
    return NameDialogStep::StayOpen;
  }
  // The list as it is now, with what other computers made meanwhile.
  const auto listLock = LockStoryList(library);
  if (!listLock) {
    dialogs.Tell(ListNotSaved(library));
    return NameDialogStep::StayOpen;
  }
  // The list as the panel shows it comes back when nothing is made; the
  // next refresh brings the other computers' changes.
  const QStringList namesShown = library.storyNames;
  const int rowShown = library.selectedStory;
  const auto stayOpen = [&] {
    library.storyNames = namesShown;
    library.selectedStory = rowShown;
    return NameDialogStep::StayOpen;
  };
  const int selected = SelectedRow(library, deck);
  RereadStoryList(library, selected >= 0 ? library.storyNames[selected] : QString());
  if (!StoryListHasRoom(library, dialogs)) return stayOpen();
  if (RowNamed(library, text, -1) >= 0) {
    dialogs.Tell(kDuplicate);
    return stayOpen();
  }

  // A folder of that name that is in no list (left behind, or put there by
  // hand) becomes the story's folder as it is.
  const QString folder = library.classFolder + text;
  const bool made = disk::CreateFolder(folder);
  if (!made && !disk::FolderExists(folder)) {
    dialogs.Tell(disk::Exists(folder) ? kCannotUse
                                        : QStringLiteral("ぴこらまの フォルダが つくれません。"));
    return stayOpen();
  }
  const QString storyFolder = folder + u'\\';
  if (!disk::AppendLine(ListFile(library), text)) {
    // The name goes at least into the story's own folder, where it can be
    // found again. When it cannot go there either, the story is not made:
    // a story no list names would be lost at the next start.
    if (!disk::WriteLines(storyFolder + storyfiles::kStoryList, {text})) {
      if (made) disk::RemoveFolder(folder);
      dialogs.Tell(storyFolder + QStringLiteral("menu.txt がほぞんできません。"));
      return stayOpen();
    }
    dialogs.Tell(library.classFolder + QStringLiteral("menu.txt に かきこめませんでした。"));
  }
  deck.storyFolder = storyFolder;
  ReadCardList(deck);  // a folder taken over keeps its cards; a new one has none

  library.storyNames.append(text);
  // The new story is in the list in memory and its deck is empty: it is the
  // selected one either way.
  library.selectedStory = int(library.storyNames.size()) - 1;
  DrawStoryList(library, deck);
  // The new story's deck is empty: its first card is the new card, on a
  // blank canvas, not the card of the story shown before.
  ShowFirstCard(deck);
  return NameDialogStep::Close;
}

namespace {

// The selected story's folder, when rename and delete may act on it: the
// name must be one a folder inside the class can carry.
bool SelectedStoryIsSafe(const LibraryState& library, Dialogs& dialogs, int row) {
  if (!StoryNameProblem(library.storyNames[row])) return true;
  dialogs.Tell(QStringLiteral("この ぴこらまは なまえに つかえない もじが あるので、"
                                "かえたり すてたり できません。"));
  return false;
}

}  // namespace

void RenameStory(LibraryState& library, DeckState& deck, Dialogs& dialogs) {
  const int shownRow = SelectedRow(library, deck);
  if (shownRow < 0) return;
  if (!SelectedStoryIsSafe(library, dialogs, shownRow)) return;
  const QString oldName = library.storyNames[shownRow];
  if (StoryInUseElsewhere(library.classFolder + oldName + u'\\')) {
    dialogs.Tell(kStoryInUse);
    return;
  }
  if (RowNamed(library, oldName, shownRow) >= 0) {
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
  if (RowNamed(library, *answer, shownRow) >= 0) {
    dialogs.Tell(kDuplicate);
    return;
  }
  if (!dialogs.Ask(*answer + QStringLiteral("でいいですか？"))) return;

  // Under the list's lock, on the list as it is now: another computer may
  // have thrown the story away, or given its name to another, meanwhile.
  const auto listLock = LockStoryList(library);
  if (!listLock || !RereadStoryList(library, oldName)) {
    if (listLock) library.selectedStory = 0;
    ShowSelectedStory(library, deck);
    dialogs.Tell(kNotRenamed);
    return;
  }
  const int row = library.selectedStory;
  if (RowNamed(library, *answer, row) >= 0) {
    DrawStoryList(library, deck);
    dialogs.Tell(kDuplicate);
    return;
  }
  const QString oldFolder = library.classFolder + oldName;
  const QString newFolder = library.classFolder + *answer;
  // A card drawn on another computer keeps its story where it is.
  const auto deckLock = LockCardList(oldFolder + u'\\');
  if (disk::FolderExists(oldFolder) && (!deckLock || StoryInUseElsewhere(oldFolder + u'\\'))) {
    DrawStoryList(library, deck);
    dialogs.Tell(kStoryInUse);
    return;
  }
  // The journal first: a rename cut short between the folder and the list
  // is finished or undone when the class is opened again.
  const QString journal = RenameJournal(library);
  if (!disk::WriteLines(journal, {oldName, *answer})) {
    dialogs.Tell(kNotRenamed);
    return;
  }
  if (!disk::RenameFolder(oldFolder, newFolder)) {
    disk::DeleteFile(journal);
    dialogs.Tell(kNotRenamed);
    return;
  }
  // The card list's lock went along with the folder.
  disk::DeleteFile(SharedLock::LockFileFor(newFolder + u'\\', QStringLiteral("CardData.txt")));
  if (!RewriteListRow(library, row, *answer)) {
    // The list file keeps the old name: so does the folder, when it can.
    if (disk::RenameFolder(newFolder, oldFolder)) {
      disk::DeleteFile(journal);
      dialogs.Tell(kNotRenamed);
      return;
    }
    dialogs.Tell(ListNotSaved(library));
  } else {
    disk::DeleteFile(journal);
  }
  library.storyNames[row] = *answer;
  ShowSelectedStory(library, deck);
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
    dialogs.Tell(QStringLiteral("ぴこらまを すてられませんでした。"));
    return;
  }

  // Under the list's lock, on the list as it is now. A story thrown away
  // elsewhere meanwhile is simply gone.
  const auto listLock = LockStoryList(library);
  if (!listLock) {
    dialogs.Tell(ListNotSaved(library));
    return;
  }
  if (!RereadStoryList(library, name)) {
    library.selectedStory = 0;
    ShowSelectedStory(library, deck);
    return;
  }
  const int row = library.selectedStory;
  // A card drawn on another computer keeps its story.
  auto deckLock = LockCardList(folder);
  if (disk::FolderExists(folder) && (!deckLock || StoryInUseElsewhere(folder))) {
    DrawStoryList(library, deck);
    dialogs.Tell(kStoryInUse);
    return;
  }

  // A folder that another row also names stays for that row, also a row
  // past the hundredth.
  bool namedElsewhere = RowNamed(library, name, row) >= 0;
  const auto lines = disk::ReadRawLines(ListFile(library)).value_or(QList<QByteArray>());
  int named = 0;
  for (const QByteArray& line : lines) {
    const auto other = text::DecodeLine(line);
    named += other && other->compare(name, Qt::CaseInsensitive) == 0;
  }
  // The row's own line is one of them when the file holds the list.
  const bool ownLine = row < lines.size() && LineIs(lines[row], name);
  namedElsewhere = namedElsewhere || named > (ownLine ? 1 : 0);

  // The folder first goes out of sight under a hidden name, with a journal
  // saying whose it was; only then does the list line go (see
  // FinishStoryDeletions).
  const QString storyFolder = WithoutFinalBackslash(folder);
  QString hidden;
  if (!namedElsewhere && disk::FolderExists(folder)) {
    hidden = library.classFolder + disk::NewDeletedFolderName();
    const bool moved = disk::WriteLines(DeletionJournal(hidden), {name}) &&
                       disk::RenameFolder(storyFolder, hidden);
    if (!moved) {
      disk::DeleteFile(DeletionJournal(hidden));
      dialogs.Tell(QStringLiteral("ぴこらまを すてられませんでした。"));
      return;
    }
  }
  if (!RewriteListRow(library, row, std::nullopt)) {
    // The story stays as it was, when its folder can go back.
    if (!hidden.isEmpty() && disk::RenameFolder(hidden, storyFolder)) disk::DeleteFile(DeletionJournal(hidden));
    dialogs.Tell(ListNotSaved(library));
    return;
  }
  if (!hidden.isEmpty()) {
    RemoveDeletedFolder(hidden, storyFolder);
    disk::DeleteFile(DeletionJournal(hidden));
  }

  library.storyNames.removeAt(row);
  library.selectedStory = 0;
  ShowSelectedStory(library, deck);
}
