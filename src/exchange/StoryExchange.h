// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Copying whole stories between the class folder and the exchange drive,
// and the two numbered lists that show both sides. Works on persistent
// pictures and the file layer only, so it runs without a window.
//
// The exchange drive's root plays the part of a class folder: its Menu.txt
// lists the stories, each in a folder at the root.

#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

class ExchangeHost;

// What a long copy shows meanwhile. Amounts are in kilobytes.
class CopyProgress {
 public:
  virtual ~CopyProgress() = default;
  virtual void Begin(qint64 total) = 0;
  virtual void Advance(qint64 done) = 0;
  virtual void End() = 0;
};

enum class ExchangeOutcome {
  Copied,      // every file arrived
  Incomplete,  // some files could not be copied; the child was told
  Refused,     // nothing copied; the child was told why
  Declined,    // the child kept the newer story
  Changed,     // the lists changed under the child's choice; nothing copied
  Busy,        // another copy is running
};

class StoryExchange : public QObject {
  Q_OBJECT
 public:
  enum Side { ClassSide, DriveSide };

  explicit StoryExchange(ExchangeHost& host);

  // The first opening: reads the drive's list, selects row 1 on both sides
  // and draws both lists.
  void Load();
  // Every later opening: takes the class's list again (it may have changed
  // in the main window or on another computer), keeping the rest as it was
  // left.
  void Reopen();
  // Reads the class's list again while the window waits (other computers
  // change it); the chosen story stays chosen by its name.
  void RefreshClassList();
  // How often the window reads the class's list again while open.
  static constexpr int kRefreshMs = 3000;
  // A drive button, "A" "D" "E" or "F".
  void ChooseDrive(QChar letter);
  // The letter of the exchange drive in use.
  QChar DriveLetter() const;

  // A press at height y on a list: selects that row when it holds a story.
  // The class's list is read again first; the story the child saw in that
  // row is chosen where it is now.
  void PressList(Side side, double y);

  // "＞＞＞" and "＜＜＜".
  ExchangeOutcome CopyToDrive(CopyProgress* progress = nullptr);
  ExchangeOutcome CopyToClass(CopyProgress* progress = nullptr);
  bool Copying() const { return copying_; }

  const QImage& ListImage(Side side) const { return lists_[side].image; }
  int Count(Side side) const { return int(lists_[side].names.size()); }
  // The selected row, counted from 0; Name of a row outside the list is empty.
  int SelectedRow(Side side) const { return lists_[side].selected; }
  QString Name(Side side, int row) const;

  static constexpr int kListTop = 3;
  static constexpr QSize kListSize{191, 431};

 signals:
  // The list of `side` was drawn anew, also just before a message that
  // asks the child to look at it and choose again.
  void listDrawn(StoryExchange::Side side);

 private:
  struct List {
    QStringList names;  // 100 at most
    int selected = 0;
    QImage image;
  };

  struct CopyPlan;

  QString Root(Side side) const;
  void ReadClassList();
  void ReadDriveList();
  void Draw(Side side);
  ExchangeOutcome Copy(Side from, CopyProgress* progress);
  // The steps of a copy. Each returns how the copy ended when it ends it.
  std::optional<ExchangeOutcome> ChooseSource(CopyPlan& plan);
  std::optional<ExchangeOutcome> ChooseTarget(CopyPlan& plan);
  std::optional<ExchangeOutcome> HoldClassStory(CopyPlan& plan);
  int CopyFiles(CopyPlan& plan, CopyProgress* progress);
  bool ListCopiedStory(CopyPlan& plan, int failed);
  ExchangeOutcome Tell(const CopyPlan& plan, int failed, bool listed);

  ExchangeHost& host_;
  std::array<List, 2> lists_;
  QString driveVolume_;  // the volume the drive's list was read from
  bool copying_ = false;
};
