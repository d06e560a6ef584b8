// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The story list as the panel shows it: read, read again as other
// computers change it, and the names a story can have.

#include "library/StoryList.h"

#include <QStringView>

#include "deck/CardFiles.h"
#include "deck/CardList.h"
#include "deck/SharedDeck.h"
#include "deck/StoryFiles.h"
#include "library/ClassList.h"
#include "library/StoryListRows.h"
#include "platform/Disk.h"
#include "platform/HiddenNames.h"
#include "platform/TextCodec.h"

namespace {

const QString kCannotUse = QStringLiteral("その なまえは つかえません。");

// A list file that is there but cannot be read (a folder in its place, no
// permission) leaves the list in memory as it is; a missing one is a class
// without stories.
void ReadNames(LibraryState& library) {
  const QString file = library.classFolder + storyfiles::kStoryList;
  QStringList names = ReadNameList(file);
  if (names.isEmpty() && disk::Exists(file) && !disk::ReadBytes(file)) return;
  library.storyNames = std::move(names);
}

// The row, new to the list since `namesBefore`, that is the story in hand
// (`oldName`, with the cards `cardNumbers`) under the name another computer
// gave it. Its folder is the folder `identity` names; where a file server
// does not keep a folder's identity through a rename, it is the one name
// new to the list while the old folder is gone, and it holds the same
// cards. -1 when there is none.
int RenamedRow(const LibraryState& library, const QStringList& namesBefore, const QString& identity,
               const QString& oldName, const QList<int>& cardNumbers) {
  QList<int> newRows;
  for (int i = 0; i < library.storyNames.size(); ++i) {
    const QString& name = library.storyNames[i];
    const bool isNew = std::none_of(namesBefore.begin(), namesBefore.end(), [&](const QString& before) {
      return before.compare(name, Qt::CaseInsensitive) == 0;
    });
    if (!isNew || StoryNameProblem(name)) continue;
    if (!identity.isEmpty() &&
        StoryFolderIdentity(library.classFolder + name + u'\\') == std::optional<QString>(identity))
      return i;
    newRows.append(i);
  }
  if (newRows.size() != 1 || cardNumbers.isEmpty() || disk::Exists(library.classFolder + oldName)) return -1;
  DeckState renamed;
  renamed.storyFolder = library.classFolder + library.storyNames[newRows.first()] + u'\\';
  return ReadCardList(renamed) && renamed.cardNumbers == cardNumbers ? newRows.first() : -1;
}

}  // namespace

QString ListNotSaved(const LibraryState& library) { return ListNotSaved(library.classFolder); }

QString ListNotSaved(const QString& folder) {
  // The message spells the list's name in small letters.
  return folder + storyfiles::kStoryList.toLower() + QStringLiteral(" がほぞんできません。");
}

int RowNamed(const QStringList& names, const QString& name, int except) {
  for (int i = 0; i < names.size(); ++i) {
    if (i != except && names[i].compare(name, Qt::CaseInsensitive) == 0) return i;
  }
  return -1;
}

int RowOf(const QStringList& names, const QString& name) {
  const int row = int(names.indexOf(name));
  return row >= 0 ? row : RowNamed(names, name, -1);
}

int SelectedRow(const LibraryState& library, const DeckState& deck) {
  if (!StorySelected(deck)) return -1;
  const int row = library.selectedStory;
  return row >= 0 && row < library.storyNames.size() ? row : -1;
}

void ShowSelectedStory(LibraryState& library, DeckState& deck) {
  DrawStoryList(library, deck);
  ReadCardList(deck);
  ShowFirstCard(deck);
}

QStringList ReadNameList(const QString& file) {
  const auto lines = disk::ReadLines(file);
  if (!lines) return {};
  return lines->mid(0, kMaxStories);
}

void ReadStoryList(LibraryState& library) {
  // A rename another computer has under way is that computer's: only under
  // the list's lock is a rename left half-done finished or undone.
  RecoverStoryRename(library.classFolder);
  // A deletion cut short is finished under the list's lock too; one under
  // way on another computer holds that lock and is left to it, to be
  // looked for again next time.
  if (library.deletionsCheckedIn != library.classFolder && StoryDeletionsLeft(library.classFolder) &&
      !FinishStoryDeletions(library.classFolder))
    return ReadNames(library);
  library.deletionsCheckedIn = library.classFolder;
  ReadNames(library);
}

StoryListRefresh RefreshStoryList(LibraryState& library, DeckState& deck, bool keepDeck) {
  const QStringList namesBefore = library.storyNames;
  const bool selected = SelectedRow(library, deck) >= 0;
  const QString name = selected ? library.storyNames[library.selectedStory] : QString();
  const QString identity = library.shownFolderIdentity;
  ReadStoryList(library);
  if (library.storyNames == namesBefore) return StoryListRefresh::Unchanged;
  if (selected) {
    if (const int row = RowOf(library.storyNames, name); row >= 0) {
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
    // Renamed elsewhere: the same folder, the same cards, under its new name.
    if (const int row = RenamedRow(library, namesBefore, identity, name, deck.cardNumbers); row >= 0) {
      library.selectedStory = row;
      DrawStoryList(library, deck);
      RereadCardList(deck);
      return StoryListRefresh::SelectedStoryRenamed;
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

void OpenClass(LibraryState& library, DeckState& deck, const QString& classFolder) {
  disk::CreateFolder(classFolder);
  library.classFolder = classFolder + u'\\';
  deck.storyFolder = library.classFolder;
  ReadStoryList(library);
  library.selectedStory = 0;
  DrawStoryList(library, deck);
  ReadCardList(deck);
  ShowFirstCard(deck);
}
