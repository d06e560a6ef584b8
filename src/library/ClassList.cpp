// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "library/ClassList.h"

#include <QFile>
#include <algorithm>

#include <sys/stat.h>

#include "deck/SharedDeck.h"
#include "deck/StoryFiles.h"
#include "library/StoryList.h"
#include "platform/Disk.h"
#include "platform/HiddenNames.h"
#include "platform/SharedLock.h"
#include "platform/TextCodec.h"

namespace {

QString ListFile(const QString& classFolder) { return classFolder + storyfiles::kStoryList; }

QString ListLockFile(const QString& classFolder) {
  return SharedLock::LockFileFor(classFolder, storyfiles::kStoryList);
}

bool SameFolderName(const QByteArray& line, const QString& name) {
  const auto decoded = text::DecodeLine(line);
  return decoded && decoded->compare(name, Qt::CaseInsensitive) == 0;
}

// A rename cut short: the list follows the folder. The folder went over to
// the new name (finish), or kept its old one (undo). The journal found, when
// it may go once the lines are written; nothing when there is none or it
// must stay.
std::optional<QList<QByteArray>> MendCutRename(const QString& classFolder, ClassListLines& list) {
  const auto entry = disk::ReadRawLines(RenameJournal(classFolder));
  if (!entry) return std::nullopt;
  if (entry->size() != 2) return entry;
  if (!list.readable) return std::nullopt;
  const auto oldName = text::DecodeLine(entry->at(0));
  const auto newName = text::DecodeLine(entry->at(1));
  if (!oldName || !newName || StoryNameProblem(*oldName) || StoryNameProblem(*newName)) return entry;
  const bool oldThere = disk::FolderExists(classFolder + *oldName);
  const bool newThere = disk::FolderExists(classFolder + *newName);
  if (newThere == oldThere) return entry;
  const QByteArray& from = newThere ? entry->at(0) : entry->at(1);
  const QByteArray& to = newThere ? entry->at(1) : entry->at(0);
  for (QByteArray& line : list.lines)
    if (line == from && !list.lines.contains(to)) line = to;
  return entry;
}

bool WriteList(const QString& classFolder, const ClassListLines& list) {
  const QString file = ListFile(classFolder);
  if (list.lines.isEmpty()) return disk::DeleteFile(file) || !disk::Exists(file);
  return disk::WriteRawLines(file, list.lines);
}

}  // namespace

QStringList ClassListLines::Names() const {
  QStringList names;
  for (qsizetype i = 0; i < std::min<qsizetype>(lines.size(), kMaxStories); ++i)
    names.append(text::Decode(lines[i]));
  return names;
}

int ClassListLines::LineNamed(const QString& name, int except) const {
  for (int i = 0; i < lines.size(); ++i)
    if (i != except && SameFolderName(lines[i], name)) return i;
  return -1;
}

int ClassListLines::CountNamed(const QString& name) const {
  return int(std::count_if(lines.begin(), lines.end(),
                           [&](const QByteArray& line) { return SameFolderName(line, name); }));
}

bool ClassListLines::Replace(int line, const QString& name) {
  const auto bytes = text::Encode(name);
  if (!bytes || line < 0 || line >= lines.size()) return false;
  lines[line] = *bytes;
  return true;
}

bool ClassListLines::Append(const QString& name) {
  const auto bytes = text::Encode(name);
  if (!bytes) return false;
  lines.append(*bytes);
  return true;
}

ClassListResult ChangeClassList(const QString& classFolder, const ClassListChange& step, ListWait wait) {
  const QString lockFile = ListLockFile(classFolder);
  const auto lock = SharedLock::Take(lockFile, SharedLock::kListStale,
                                     wait == ListWait::Wait ? SharedLock::kListWait : SharedLock::Duration(0));
  if (!lock) {
    // Held elsewhere all the wait, or the folder cannot take the lock's
    // file at all (read-only, full, gone): two different things to tell.
    return SharedLock::Inspect(lockFile, SharedLock::kListStale) == SharedLock::State::HeldElsewhere
               ? ClassListResult::LockNotHad
               : ClassListResult::NotWritten;
  }
  const QString file = ListFile(classFolder);
  ClassListLines list;
  const auto read = disk::ReadRawLines(file);
  list.readable = read || !disk::Exists(file);
  list.lines = read.value_or(QList<QByteArray>());
  const QList<QByteArray> before = list.lines;

  const auto journal = MendCutRename(classFolder, list);
  const bool mended = list.lines != before;
  ClassListResult result = ClassListResult::Unchanged;
  if (!lock->stillHeld()) return ClassListResult::LockLost;
  const ClassListEdit decided = step.change ? step.change(list) : ClassListEdit::Keep;
  bool writtenOut = false;
  if (decided == ClassListEdit::Write || mended) {
    if (!list.readable) result = ClassListResult::NotWritten;
    else if (!lock->stillHeld()) result = ClassListResult::LockLost;
    else result = (writtenOut = WriteList(classFolder, list)) ? ClassListResult::Written : ClassListResult::NotWritten;
    // A mend alone is not the caller's change.
    if (decided == ClassListEdit::Keep) result = ClassListResult::Unchanged;
  }
  // The journal stays while the list still waits for its mend; one the
  // change wrote anew is the change's own.
  if (journal && (!mended || writtenOut) && disk::ReadRawLines(RenameJournal(classFolder)) == journal)
    disk::DeleteFile(RenameJournal(classFolder));
  if (step.settle) step.settle(result);
  return result;
}

QString RenameJournal(const QString& classFolder) { return classFolder + storyfiles::kRenameJournal; }

void RecoverStoryRename(const QString& classFolder) {
  // The journal is only ever spelled as this program writes it: one
  // question to the file server, not a search of the class folder.
  const auto host = disk::HostPath(classFolder);
  if (!host || !QFile::exists(*host + u'/' + storyfiles::kRenameJournal)) return;
  // A rename another computer has under way holds the lock: left to it.
  ChangeClassList(classFolder, {}, ListWait::DontWait);
}

// A deletion's journal is named after its hidden folder with this added.
const QString kJournalEnd = QStringLiteral(".txt");

QString DeletionJournal(const QString& hiddenFolder) { return hiddenFolder + kJournalEnd; }

void RemoveDeletedFolder(const QString& folder, const std::optional<QString>& storyFolder) {
  disk::DeleteFiles(folder + u'\\', QStringLiteral("*.*"));
  // Lock files left by computers that went off go too.
  RemoveLockFiles(folder + u'\\', QString());
  if (!disk::RemoveFolder(folder) && storyFolder && !disk::Exists(*storyFolder))
    disk::RenameFolder(folder, *storyFolder);
}

namespace {

bool IsDeletionJournalName(const QString& entry) {
  return entry.endsWith(kJournalEnd) && disk::IsDeletedFolderName(entry.chopped(kJournalEnd.size()));
}

}  // namespace

bool StoryDeletionsLeft(const QString& classFolder) {
  const QStringList own = disk::ListOwnEntries(classFolder);
  return std::any_of(own.begin(), own.end(), [](const QString& entry) {
    return disk::IsDeletedFolderName(entry) || IsDeletionJournalName(entry);
  });
}

bool FinishStoryDeletions(const QString& classFolder) {
  // What a cut left is finished: the list no longer names the story and the
  // hidden folder goes, so erased cards never come back under that name.
  struct Left {
    QString hidden;
    std::optional<QString> name;
    bool folder = false;
  };
  QList<Left> left;
  for (const QString& entry : disk::ListOwnEntries(classFolder)) {
    const bool folder = disk::IsDeletedFolderName(entry);
    if (!folder && !IsDeletionJournalName(entry)) continue;
    Left one{classFolder + (folder ? entry : entry.chopped(4)), std::nullopt, folder};
    const auto named = disk::ReadRawLines(DeletionJournal(one.hidden)).value_or(QList<QByteArray>());
    one.name = named.size() == 1 ? text::DecodeLine(named.first()) : std::nullopt;
    if (one.name && StoryNameProblem(*one.name)) one.name.reset();
    left.append(one);
  }
  const auto result = ChangeClassList(
      classFolder,
      {[&](ClassListLines& list) {
         bool changed = false;
         for (const Left& one : left) {
           // The folder's rename was done: the list must not name the story
           // any more (unless a story of that name was made again since).
           if (!one.folder || !one.name || disk::Exists(classFolder + *one.name)) continue;
           const auto bytes = text::Encode(*one.name);
           changed = (bytes && list.lines.removeOne(*bytes)) || changed;
         }
         return changed ? ClassListEdit::Write : ClassListEdit::Keep;
       },
       [&](ClassListResult result) {
         // The journals stay for the next time when the list could not be
         // mended.
         if (result != ClassListResult::Written && result != ClassListResult::Unchanged) return;
         for (const Left& one : left) {
           if (one.folder) {
             RemoveDeletedFolder(one.hidden, one.name ? std::optional<QString>(classFolder + *one.name) : std::nullopt);
           } else if (disk::Exists(one.hidden)) {
             continue;  // the folder's own turn
           }
           disk::DeleteFile(DeletionJournal(one.hidden));
         }
       }},
      ListWait::DontWait);
  return result != ClassListResult::LockNotHad;
}

std::optional<QString> StoryFolderIdentity(const QString& storyFolder) {
  QString folder = storyFolder;
  if (folder.endsWith(u'\\')) folder.chop(1);
  const auto host = disk::HostPath(folder);
  struct stat st {};
  if (!host || ::lstat(QFile::encodeName(*host).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
    return std::nullopt;
  return QString::number(qulonglong(st.st_dev)) + u':' + QString::number(qulonglong(st.st_ino));
}
