// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// A copy of a whole story between the class and the exchange drive, in its
// steps from the click to the message.

#include <QRegularExpression>
#include <algorithm>

#include "deck/SharedDeck.h"
#include "deck/StoryFiles.h"
#include "exchange/ExchangeHost.h"
#include "exchange/StoryExchange.h"
#include "library/ClassList.h"
#include "library/StoryList.h"
#include "library/StoryListRows.h"
#include "platform/Dialogs.h"
#include "platform/Disk.h"
#include "platform/FileCopy.h"
#include "platform/HiddenNames.h"
#include "platform/SharedLock.h"

namespace {

const QString& kListName = storyfiles::kStoryList;
const QString& kCardList = storyfiles::kCardList;

// Stick clocks and FAT times (two-second steps) differ a little from the
// class folder's; a story counts as newer only beyond that.
constexpr qint64 kSameTimeMs = 2000;

// How much a copy writes before it makes it last on the device: at most
// this much room beyond the story is needed while it is overwritten.
constexpr qint64 kGroupBytes = 64 << 20;

QString Place(StoryExchange::Side side) {
  return side == StoryExchange::DriveSide ? QStringLiteral("USBメモリ") : QStringLiteral("クラス");
}

// Whether a story of this name can be copied: the name must be one folder
// inside the class or at the drive root, on the school PCs and here.
bool CopyableName(const QString& name) {
  // Longer names fit no folder name (255 bytes here, the whole path within
  // 260 characters there).
  if (name.size() > 100 || name.toUtf8().size() > 255) return false;
  return disk::IsSafeName(name) && !disk::IsHiddenName(name) && !StoryNameProblem(name);
}

// The cards of a story whose files are there but cannot be read, by their
// places in the deck ("3まいめの カード"); other such files as "ファイル".
QStringList Unreadable(const QString& folder, const QStringList& files) {
  QList<int> deck;
  for (const QString& line : disk::ReadLines(folder + kCardList).value_or(QStringList()))
    deck.append(line.trimmed().toInt());
  QStringList parts;
  for (const QString& file : files) {
    if (disk::CanRead(folder + file)) continue;
    QString part = QStringLiteral("ファイル");
    static const QRegularExpression kCard(
        u'^' + QRegularExpression::escape(storyfiles::kCardPrefix) + QStringLiteral("(\\d\\d)"),
        QRegularExpression::CaseInsensitiveOption);
    if (const auto m = kCard.match(file); m.hasMatch() && deck.contains(m.captured(1).toInt()))
      part = QStringLiteral("%1まいめの カード").arg(deck.indexOf(m.captured(1).toInt()) + 1);
    if (!parts.contains(part)) parts.append(part);
  }
  return parts;
}

// The newest time of the story's work: its card files and card list.
std::optional<qint64> NewestWork(const QString& folder) {
  std::optional<qint64> newest;
  for (const QString& file : disk::ListFiles(folder, storyfiles::kStoryWorkPattern)) {
    if (const auto t = disk::ModifiedMs(folder + file)) newest = std::max(newest.value_or(*t), *t);
  }
  return newest;
}

qint64 FileKb(const QString& file) { return disk::FileSize(file).value_or(0) / 1024 + 1; }

// A folder that is a link leads somewhere else on the computer: nothing is
// read or written through it.
ExchangeOutcome RefuseLinked(Dialogs& dialogs, const QString& name) {
  dialogs.Tell(QStringLiteral("「%1」の フォルダは つかえないので、コピーしませんでした。").arg(name));
  return ExchangeOutcome::Refused;
}

// The row named `name` the way folder names match, or -1.
int RowNamed(const QStringList& names, const QString& name) { return RowNamed(names, name, -1); }

}  // namespace

ExchangeOutcome StoryExchange::CopyToDrive(CopyProgress* progress) { return Copy(ClassSide, progress); }
ExchangeOutcome StoryExchange::CopyToClass(CopyProgress* progress) { return Copy(DriveSide, progress); }

// One copy from its click to its message.
struct StoryExchange::CopyPlan {
  Side from = ClassSide;
  Side to = DriveSide;
  QString name;
  QString sourceFolder;
  QStringList files;  // the card list, when there is one, last
  bool hasCardList = false;
  QString root;  // of the side copied to
  QString targetFolder;
  int found = -1;     // the target's row of a story of that name, or -1
  bool made = false;  // the target's folder was made by this copy
  // Into the class: the story's card list, held while its files arrive.
  std::unique_ptr<SharedLock> cardListLock;
  ClassListResult listed = ClassListResult::Unchanged;
};

ExchangeOutcome StoryExchange::Copy(Side from, CopyProgress* progress) {
  if (copying_) return ExchangeOutcome::Busy;
  CopyPlan plan;
  plan.from = from;
  plan.to = from == ClassSide ? DriveSide : ClassSide;
  if (const auto ended = ChooseSource(plan)) return *ended;
  if (const auto ended = ChooseTarget(plan)) return *ended;
  if (const auto ended = HoldClassStory(plan)) return *ended;
  const int failed = CopyFiles(plan, progress);
  plan.cardListLock.reset();
  const bool listed = ListCopiedStory(plan, failed);
  return Tell(plan, failed, listed);
}

// Both lists as they are at the click: the stick may have been pulled or
// changed since they were read, and other computers change the class's
// list. A row that no longer names the story the child chose copies
// nothing; the child sees the lists and chooses again. Everything is read
// before anything is written: a story that cannot be read whole is not
// copied.
std::optional<ExchangeOutcome> StoryExchange::ChooseSource(CopyPlan& plan) {
  Dialogs& dialogs = host_.MessageBox();
  const Side from = plan.from;
  const QString chosen = Name(from, lists_[from].selected);
  const QString volumeBefore = driveVolume_;
  ReadClassList();
  ReadDriveList();
  for (List& list : lists_)
    if (list.selected >= std::max<int>(list.names.size(), 1)) list.selected = 0;
  Draw(ClassSide);
  Draw(DriveSide);
  plan.name = Name(from, lists_[from].selected);
  const QString& name = plan.name;
  if (!chosen.isEmpty() && (name != chosen || (from == DriveSide && driveVolume_ != volumeBefore))) {
    dialogs.Tell(from == DriveSide
                     ? QStringLiteral("USBメモリの なかみが かわりました。もういちど えらんでください。")
                     : QStringLiteral("クラスの リストが かわりました。もういちど えらんでください。"));
    return ExchangeOutcome::Changed;
  }

  // An empty name would make the class folder or the drive root the story.
  if (name.isEmpty()) {
    dialogs.Tell(QStringLiteral("コピーする ぴこらまが ありません。"));
    return ExchangeOutcome::Refused;
  }
  if (!CopyableName(name)) {
    dialogs.Tell(
        QStringLiteral("この ぴこらまは なまえに つかえない もじが あるので、コピーできません。"));
    return ExchangeOutcome::Refused;
  }
  plan.root = Root(plan.to);
  if (!disk::FolderExists(plan.root)) {
    dialogs.Tell(
        plan.to == DriveSide
            ? QStringLiteral("USBメモリが みつかりません。ささっているか たしかめてください。")
            : QStringLiteral("クラスの フォルダが みつかりません。"));
    return ExchangeOutcome::Refused;
  }
  plan.sourceFolder = Root(from) + name + u'\\';
  if (disk::IsBehindLink(plan.sourceFolder) || disk::HoldsLink(plan.sourceFolder)) return RefuseLinked(dialogs, name);
  if (!disk::Exists(plan.sourceFolder)) {
    dialogs.Tell(QStringLiteral("ぴこらまの フォルダが みつかりません。"));
    return ExchangeOutcome::Refused;
  }
  auto readFiles = disk::ReadFolder(plan.sourceFolder, QStringLiteral("*.*"));
  const QStringList unreadable = readFiles ? Unreadable(plan.sourceFolder, *readFiles) : QStringList();
  if (!readFiles || !unreadable.isEmpty()) {
    dialogs.Tell(QStringLiteral("「%1」の %2が よめないので、コピーしませんでした。")
                     .arg(name, unreadable.isEmpty() ? QStringLiteral("ファイル") : unreadable.join(u'、')));
    return ExchangeOutcome::Refused;
  }
  plan.files = *readFiles;
  // The card list comes last, and only when every card file has arrived,
  // so it never names a card that is not there.
  const auto cardList = std::find_if(plan.files.begin(), plan.files.end(), [](const QString& f) {
    return f.compare(kCardList, Qt::CaseInsensitive) == 0;
  });
  plan.hasCardList = cardList != plan.files.end();
  if (plan.hasCardList) std::rotate(cardList, cardList + 1, plan.files.end());
  return std::nullopt;
}

// The story of that name on the other side, as its list names it now (made
// there a moment ago, perhaps): the child is asked before newer work is
// overwritten. A story new there gets its folder.
std::optional<ExchangeOutcome> StoryExchange::ChooseTarget(CopyPlan& plan) {
  Dialogs& dialogs = host_.MessageBox();
  List& target = lists_[plan.to];
  plan.found = RowNamed(target.names, plan.name);
  if (plan.found >= 0) {
    plan.targetFolder = plan.root + target.names[plan.found] + u'\\';
    if (disk::IsBehindLink(plan.targetFolder)) return RefuseLinked(dialogs, plan.name);
    // A card drawn on another computer is not copied over.
    if (plan.to == ClassSide && StoryInUseElsewhere(plan.targetFolder)) {
      dialogs.Tell(kStoryInUse);
      return ExchangeOutcome::Refused;
    }
    disk::CreateFolder(plan.targetFolder);  // listed, but its folder was lost
    const auto theirs = NewestWork(plan.targetFolder);
    const auto ours = NewestWork(plan.sourceFolder);
    if (theirs && (!ours || *theirs > *ours + kSameTimeMs) &&
        !dialogs.Ask(Place(plan.to) + QStringLiteral("のほうが あたらしいです。うわがきしますか？"))) {
      return ExchangeOutcome::Declined;
    }
    target.selected = plan.found;
    Draw(plan.to);
    return std::nullopt;
  }
  if (target.names.size() >= kMaxStories) {
    dialogs.Tell(QStringLiteral("ぴこらまは 100こまでです。いらない ぴこらまを すててから つくってください。"));
    return ExchangeOutcome::Refused;
  }
  plan.targetFolder = plan.root + plan.name + u'\\';
  if (disk::IsBehindLink(plan.targetFolder)) return RefuseLinked(dialogs, plan.name);
  plan.made = disk::CreateFolder(plan.targetFolder);
  if (!plan.made && !disk::FolderExists(plan.targetFolder)) {
    dialogs.Tell(Place(plan.to) + QStringLiteral("に かきこめないので、コピーしませんでした。"));
    return ExchangeOutcome::Refused;
  }
  return std::nullopt;
}

// Into the class, the story's files arrive under its card list's lock, as
// every change of a shared card list is made: no card of it is opened for
// drawing meanwhile, and one drawn elsewhere since the question refuses the
// copy. The question was asked before; nothing waits for the child now.
std::optional<ExchangeOutcome> StoryExchange::HoldClassStory(CopyPlan& plan) {
  if (plan.to != ClassSide) return std::nullopt;
  Dialogs& dialogs = host_.MessageBox();
  plan.cardListLock = LockCardList(plan.targetFolder);
  const bool inUse =
      plan.cardListLock
          ? StoryInUseElsewhere(plan.targetFolder)
          : SharedLock::Inspect(SharedLock::LockFileFor(plan.targetFolder, kCardList), SharedLock::kListStale) ==
                SharedLock::State::HeldElsewhere;
  if (plan.cardListLock && !inUse) return std::nullopt;
  plan.cardListLock.reset();
  if (plan.made) disk::RemoveFolder(plan.targetFolder);
  dialogs.Tell(inUse ? kStoryInUse : Place(plan.to) + QStringLiteral("に かきこめないので、コピーしませんでした。"));
  return ExchangeOutcome::Refused;
}

// Copies the files, a group at a time out to the device, the card list
// last and only when everything else arrived. How many did not arrive.
int StoryExchange::CopyFiles(CopyPlan& plan, CopyProgress* progress) {
  copying_ = true;
  // Progress counts each file twice: copied, then out on the device.
  qint64 total = 0;
  QList<qint64> sizes;
  for (const QString& file : plan.files) {
    sizes.append(FileKb(plan.sourceFolder + file));
    total += 2 * sizes.last();
  }
  qint64 done = 0;
  const auto advance = [&](qint64 kb) {
    done += kb;
    if (progress) progress->Advance(std::min(done, total));
  };
  const auto writtenOut = [&](qint64 bytes) { advance(bytes / 1024 + 1); };
  if (progress) progress->Begin(total);

  int failed = 0;
  {
    disk::FolderCopy copy(plan.targetFolder);
    const qsizetype cards = plan.files.size() - (plan.hasCardList ? 1 : 0);
    for (qsizetype i = 0; i < cards; ++i) {
      if (!copy.Add(plan.sourceFolder, plan.files.at(i))) {
        ++failed;
        advance(sizes.at(i));  // never goes out
      }
      advance(sizes.at(i));
      // A group at a time goes to the device.
      if (copy.PendingBytes() >= kGroupBytes) failed += copy.Finish(writtenOut);
    }
    failed += copy.Finish(writtenOut);
    if (plan.hasCardList) {
      // The class's card list is written only while its lock is this
      // computer's.
      const bool mayWrite = !failed && (!plan.cardListLock || plan.cardListLock->stillHeld());
      if (!mayWrite || !copy.Add(plan.sourceFolder, plan.files.last())) {
        ++failed;
        advance(sizes.last());
      }
      advance(sizes.last());
      failed += copy.Finish(writtenOut);
    }
  }
  if (progress) progress->End();
  copying_ = false;
  return failed;
}

// A new story joins the list only once all of it has arrived, so the list
// never names a story that is not whole there; one that did not arrive
// whole is taken away again. The class's list is changed as every change of
// it is (ChangeClassList): a computer that listed the same story meanwhile
// has listed it.
bool StoryExchange::ListCopiedStory(CopyPlan& plan, int failed) {
  List& target = lists_[plan.to];
  bool listed = plan.found >= 0;
  if (plan.found < 0 && failed == 0) {
    if (plan.to == ClassSide) {
      bool listedElsewhere = false;
      plan.listed = ChangeClassList(plan.root, {[&](ClassListLines& list) {
                                      if (list.LineNamed(plan.name) >= 0) {
                                        listedElsewhere = true;
                                        return ClassListEdit::Keep;
                                      }
                                      return list.Append(plan.name) ? ClassListEdit::Write : ClassListEdit::Keep;
                                    }});
      listed = plan.listed == ClassListResult::Written ||
               (plan.listed == ClassListResult::Unchanged && listedElsewhere);
      if (listedElsewhere) plan.made = false;  // the other computer's story now
    } else if (const int row = RowNamed(target.names, plan.name); row >= 0) {
      listed = true;
      plan.made = false;
      target.selected = row;
    } else {
      // The list keeps every line it had and gains one at its end.
      listed = disk::AppendLine(plan.root + kListName, plan.name);
      if (listed) {
        target.names.append(plan.name);
        target.selected = int(target.names.size()) - 1;
      }
    }
  }
  if (!listed && plan.made) {
    disk::DeleteFiles(plan.targetFolder, QStringLiteral("*.*"));
    disk::RemoveFolder(plan.targetFolder);
  }
  Draw(plan.to);
  if (plan.to == ClassSide && listed) {
    // The main window shows the class's list and maybe this very story.
    host_.ReloadClassStories();
    ReadClassList();
    target.selected = std::max(0, RowNamed(target.names, plan.name));
    Draw(plan.to);
  }
  return listed;
}

ExchangeOutcome StoryExchange::Tell(const CopyPlan& plan, int failed, bool listed) {
  Dialogs& dialogs = host_.MessageBox();
  if (failed) {
    dialogs.Tell(
        plan.to == DriveSide
            ? QStringLiteral("コピーできなかった ファイルが あります。"
                             "USBメモリが いっぱいでないか、ぬけていないか たしかめてください。")
            : QStringLiteral("コピーできなかった ファイルが あります。"
                             "ハードディスクが いっぱいでないか たしかめてください。"));
    return ExchangeOutcome::Incomplete;
  }
  if (!listed) {
    dialogs.Tell(plan.listed == ClassListResult::LockNotHad
                     ? QStringLiteral("クラスの リストを いま ほかの コンピュータで つかっています。"
                                      "もういちど やってください。")
                     : Place(plan.to) + QStringLiteral("の リストに かきこめないので、コピーしませんでした。"));
    return ExchangeOutcome::Refused;
  }
  dialogs.Tell(QStringLiteral("コピーしました。"));
  return ExchangeOutcome::Copied;
}
