// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "exchange/StoryExchange.h"

#include <QPainter>
#include <QRegularExpression>
#include <algorithm>

#include "deck/StoryFiles.h"
#include "exchange/ExchangeHost.h"
#include "library/StoryList.h"
#include "platform/Dialogs.h"
#include "platform/Disk.h"
#include "platform/FileCopy.h"
#include "platform/HiddenNames.h"
#include "platform/SharedLock.h"

namespace {

const QColor kWindowBackground(192, 255, 255);
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
    static const QRegularExpression kCard(QStringLiteral("^card_(\\d\\d)"),
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

// The row named `name` the way folder names match, or -1.
int RowNamed(const QStringList& names, const QString& name) {
  for (int i = 0; i < names.size(); ++i)
    if (names[i].compare(name, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

}  // namespace

StoryExchange::StoryExchange(ExchangeHost& host) : host_(host) {
  for (auto& list : lists_) {
    list.image = QImage(kListSize, QImage::Format_RGB32);
    list.image.fill(kWindowBackground);
  }
}

QString StoryExchange::Name(Side side, int row) const {
  return lists_[side].names.value(row);
}

QString StoryExchange::Root(Side side) const {
  return side == ClassSide ? host_.ClassFolder() : host_.ExchangeDrive();
}

QChar StoryExchange::DriveLetter() const {
  const QString drive = host_.ExchangeDrive();
  return drive.isEmpty() ? QChar() : drive.at(0).toUpper();
}

void StoryExchange::ReadClassList() {
  List& list = lists_[ClassSide];
  list.names = host_.ClassStories().mid(0, kMaxStories);
}

void StoryExchange::ReadDriveList() {
  List& list = lists_[DriveSide];
  list.names = ReadNameList(host_.ExchangeDrive() + kListName);
  driveVolume_ = disk::VolumeOf(host_.ExchangeDrive()).value_or(QString());
}

void StoryExchange::Draw(Side side) {
  List& list = lists_[side];
  DrawNameList(list.image, kListTop, list.names, list.selected, kWindowBackground);
  // The line that sets the numbers apart from the names.
  {
    QPainter p(&list.image);
    p.fillRect(QRect(22, kListTop, 1, 419), Qt::black);
  }
  emit listDrawn(side);
}

void StoryExchange::Load() {
  ReadClassList();
  ReadDriveList();
  lists_[ClassSide].selected = 0;
  lists_[DriveSide].selected = 0;
  Draw(ClassSide);
  Draw(DriveSide);
}

void StoryExchange::Reopen() {
  ReadClassList();
  List& list = lists_[ClassSide];
  if (list.selected >= std::max<int>(list.names.size(), 1)) list.selected = 0;
  Draw(ClassSide);
}

void StoryExchange::ChooseDrive(QChar letter) {
  if (copying_) return;
  host_.SetExchangeDrive(QString(letter.toUpper()) + QStringLiteral(":\\"));
  Load();
}

void StoryExchange::PressList(Side side, double y) {
  if (copying_) return;
  List& list = lists_[side];
  const int row = ListRowAt(y, kListTop);
  if (row >= list.names.size()) return;
  list.selected = row;
  Draw(side);
}

ExchangeOutcome StoryExchange::CopyToDrive(CopyProgress* progress) { return Copy(ClassSide, progress); }
ExchangeOutcome StoryExchange::CopyToClass(CopyProgress* progress) { return Copy(DriveSide, progress); }

ExchangeOutcome StoryExchange::Copy(Side from, CopyProgress* progress) {
  if (copying_) return ExchangeOutcome::Busy;
  Dialogs& dialogs = host_.MessageBox();
  const Side to = from == ClassSide ? DriveSide : ClassSide;

  // Both lists as they are at the click: the stick may have been pulled or
  // changed since they were read. A row that no longer names the story the
  // child chose copies nothing; the child sees the lists and chooses again.
  const QString chosen = Name(from, lists_[from].selected);
  const QString volumeBefore = driveVolume_;
  ReadClassList();
  ReadDriveList();
  for (List& list : lists_)
    if (list.selected >= std::max<int>(list.names.size(), 1)) list.selected = 0;
  Draw(ClassSide);
  Draw(DriveSide);
  const List& source = lists_[from];
  const QString name = Name(from, source.selected);
  if (!chosen.isEmpty() &&
      (name != chosen || (from == DriveSide && driveVolume_ != volumeBefore))) {
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
  const QString root = Root(to);
  if (!disk::FolderExists(root)) {
    dialogs.Tell(
        to == DriveSide
            ? QStringLiteral("USBメモリが みつかりません。ささっているか たしかめてください。")
            : QStringLiteral("クラスの フォルダが みつかりません。"));
    return ExchangeOutcome::Refused;
  }
  const auto refuseLinked = [&] {
    // A folder that is a link leads somewhere else on the computer: nothing
    // is read or written through it.
    dialogs.Tell(QStringLiteral("「%1」の フォルダは つかえないので、コピーしませんでした。").arg(name));
    return ExchangeOutcome::Refused;
  };
  const QString sourceFolder = Root(from) + name + u'\\';
  if (disk::IsBehindLink(sourceFolder) || disk::HoldsLink(sourceFolder)) return refuseLinked();
  if (!disk::Exists(sourceFolder)) {
    dialogs.Tell(QStringLiteral("ぴこらまの フォルダが みつかりません。"));
    return ExchangeOutcome::Refused;
  }
  // Everything is read before anything is written: a story that cannot be
  // read whole is not copied.
  auto readFiles = disk::ReadFolder(sourceFolder, QStringLiteral("*.*"));
  const QStringList unreadable = readFiles ? Unreadable(sourceFolder, *readFiles) : QStringList();
  if (!readFiles || !unreadable.isEmpty()) {
    dialogs.Tell(QStringLiteral("「%1」の %2が よめないので、コピーしませんでした。")
                     .arg(name, unreadable.isEmpty() ? QStringLiteral("ファイル") : unreadable.join(u'、')));
    return ExchangeOutcome::Refused;
  }
  QStringList files = *readFiles;

  List& target = lists_[to];
  const int found = RowNamed(target.names, name);
  QString targetFolder;
  bool made = false;
  if (found >= 0) {
    targetFolder = root + target.names[found] + u'\\';
    if (disk::IsBehindLink(targetFolder)) return refuseLinked();
    disk::CreateFolder(targetFolder);  // listed, but its folder was lost
    const auto theirs = NewestWork(targetFolder);
    const auto ours = NewestWork(sourceFolder);
    if (theirs && (!ours || *theirs > *ours + kSameTimeMs) &&
        !dialogs.Ask(Place(to) + QStringLiteral("のほうが あたらしいです。うわがきしますか？"))) {
      return ExchangeOutcome::Declined;
    }
    target.selected = found;
    Draw(to);
  } else {
    if (target.names.size() >= kMaxStories) {
      dialogs.Tell(QStringLiteral(
          "ぴこらまは 100こまでです。いらない ぴこらまを すててから つくってください。"));
      return ExchangeOutcome::Refused;
    }
    targetFolder = root + name + u'\\';
    if (disk::IsBehindLink(targetFolder)) return refuseLinked();
    made = disk::CreateFolder(targetFolder);
    if (!made && !disk::FolderExists(targetFolder)) {
      dialogs.Tell(Place(to) + QStringLiteral("に かきこめないので、コピーしませんでした。"));
      return ExchangeOutcome::Refused;
    }
  }

  // The card list comes last, and only when every card file has arrived,
  // so it never names a card that is not there.
  const auto cardList = std::find_if(files.begin(), files.end(), [](const QString& f) {
    return f.compare(kCardList, Qt::CaseInsensitive) == 0;
  });
  const bool hasCardList = cardList != files.end();
  if (hasCardList) std::rotate(cardList, cardList + 1, files.end());

  copying_ = true;
  // Progress counts each file twice: copied, then out on the device.
  qint64 total = 0;
  QList<qint64> sizes;
  for (const QString& file : files) {
    sizes.append(FileKb(sourceFolder + file));
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
    disk::FolderCopy copy(targetFolder);
    for (qsizetype i = 0; i < files.size(); ++i) {
      const bool last = hasCardList && i == files.size() - 1;
      if (last) failed += copy.Finish(writtenOut);
      if ((last && failed) || !copy.Add(sourceFolder, files.at(i))) {
        ++failed;
        advance(sizes.at(i));  // never goes out
      }
      advance(sizes.at(i));
      // A group at a time goes to the device.
      if (copy.PendingBytes() >= kGroupBytes) failed += copy.Finish(writtenOut);
    }
    failed += copy.Finish(writtenOut);
  }
  if (progress) progress->End();
  copying_ = false;

  // A new story joins the list only once all of it has arrived, so the list
  // never names a story that is not whole there. A new story that did not
  // arrive whole is taken away again.
  bool listed = found >= 0;
  if (found < 0 && !failed) {
    // The class's list is shared with the other computers of the class: it
    // is read again and gains the story under its lock (SharedLock.h). A
    // computer that brought the same story in meanwhile has listed it.
    std::unique_ptr<SharedLock> classListLock;
    if (to == ClassSide) {
      classListLock = SharedLock::Take(SharedLock::LockFileFor(root, kListName), SharedLock::kListStale,
                                       SharedLock::kListWait);
      if (classListLock && disk::FileExists(root + kListName))
        target.names = ReadNameList(root + kListName);
    }
    if (to == ClassSide && !classListLock) {
      listed = false;
    } else if (const int row = RowNamed(target.names, name); row >= 0) {
      listed = true;
      made = false;  // the other computer's story now
      target.selected = row;
    } else {
      // The list keeps every line it had and gains one at its end.
      listed = disk::AppendLine(root + kListName, name);
      if (listed) {
        target.names.append(name);
        target.selected = int(target.names.size()) - 1;
      }
    }
  }
  if (!listed && made) {
    disk::DeleteFiles(targetFolder, QStringLiteral("*.*"));
    disk::RemoveFolder(targetFolder);
  }
  Draw(to);

  if (to == ClassSide && listed) {
    // The main window shows the class's list and maybe this very story.
    host_.ReloadClassStories();
    ReadClassList();
    target.selected = std::max(0, RowNamed(target.names, name));
    Draw(to);
  }

  if (failed) {
    dialogs.Tell(
        to == DriveSide
            ? QStringLiteral("コピーできなかった ファイルが あります。"
                             "USBメモリが いっぱいでないか、ぬけていないか たしかめてください。")
            : QStringLiteral("コピーできなかった ファイルが あります。"
                             "ハードディスクが いっぱいでないか たしかめてください。"));
    return ExchangeOutcome::Incomplete;
  }
  if (!listed) {
    dialogs.Tell(Place(to) + QStringLiteral("の リストに かきこめないので、コピーしませんでした。"));
    return ExchangeOutcome::Refused;
  }
  dialogs.Tell(QStringLiteral("コピーしました。"));
  return ExchangeOutcome::Copied;
}
