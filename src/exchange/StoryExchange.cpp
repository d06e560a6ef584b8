// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "exchange/StoryExchange.h"

#include <QPainter>
#include <algorithm>

#include "deck/StoryFiles.h"
#include "exchange/ExchangeHost.h"
#include "library/StoryList.h"
#include "library/StoryListRows.h"
#include "platform/Disk.h"

namespace {

const QColor kWindowBackground(192, 255, 255);
const QString& kListName = storyfiles::kStoryList;

// The row named `name` the way folder names match, or -1.
int RowNamed(const QStringList& names, const QString& name) { return RowNamed(names, name, -1); }

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

void StoryExchange::RefreshClassList() {
  if (copying_) return;
  List& list = lists_[ClassSide];
  const QString chosen = Name(ClassSide, list.selected);
  const QStringList before = list.names;
  ReadClassList();
  if (list.names == before) return;
  list.selected = std::max(0, RowNamed(list.names, chosen));
  Draw(ClassSide);
}

void StoryExchange::PressList(Side side, double y) {
  if (copying_) return;
  List& list = lists_[side];
  const int row = ListRowAt(y, kListTop);
  if (row >= list.names.size()) return;
  const QString pressed = list.names[row];
  if (side == ClassSide) ReadClassList();
  const int now = RowNamed(list.names, pressed);
  list.selected = now >= 0 ? now : std::clamp(row, 0, std::max<int>(int(list.names.size()) - 1, 0));
  Draw(side);
}
