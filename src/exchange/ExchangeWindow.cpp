// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "exchange/ExchangeWindow.h"

#include <QApplication>
#include <QProgressDialog>

#include "exchange/ExchangeHost.h"
#include "platform/Widgets.h"

namespace {

const QColor kBackground(192, 255, 255);
const QColor kChosenDrive(255, 128, 128);
const QColor kOtherDrive(255, 255, 192);
const QColor kButtonFace(255, 255, 192);

// The progress bar of a copy: shown only when the copy takes longer than
// half a second; it keeps the windows painted meanwhile.
class ProgressBar : public CopyProgress {
 public:
  explicit ProgressBar(QWidget* parent) : parent_(parent) {}
  void Begin(qint64 total) override {
    dialog_ = new QProgressDialog(QStringLiteral("コピーしています…"), QString(), 0,
                                  int(std::max<qint64>(total, 1)), parent_);
    dialog_->setObjectName(QStringLiteral("CopyProgress"));
    dialog_->setWindowTitle(QStringLiteral("ぴこらまつくろ"));
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setCancelButton(nullptr);
    dialog_->setMinimumDuration(500);
    dialog_->setAutoClose(false);
    dialog_->setValue(0);
  }
  void Advance(qint64 done) override {
    if (dialog_) dialog_->setValue(int(std::min<qint64>(done, dialog_->maximum())));
  }
  void End() override {
    if (!dialog_) return;
    dialog_->hide();
    dialog_->deleteLater();
    dialog_ = nullptr;
  }

 private:
  QWidget* parent_;
  QProgressDialog* dialog_ = nullptr;
};

}  // namespace

ExchangeWindow::ExchangeWindow(ExchangeHost& host, QWidget* parent, double scale)
    : QDialog(parent), exchange_(host) {
  setObjectName(QStringLiteral("Form7"));
  setWindowTitle(QStringLiteral("交換メニュー"));
  setModal(true);
  setStyleSheet(QStringLiteral("QDialog { background-color: rgb(192, 255, 255); }"));

  Placements placements;
  closeButton_ =
      new FaceButton(QStringLiteral("Command3"), QStringLiteral("とじる"), kButtonFace, this);
  placements.add(closeButton_, {4, 4, 171, 37}, 14, true);
  connect(closeButton_, &QPushButton::clicked, this, &QDialog::hide);

  placements.add(MakeLabel(QStringLiteral("Label3"), QStringLiteral("ドライブ"), this),
                 {212, 16, 84, 21}, 12, true);
  static const char* const kDriveCaptions[4] = {"Ａ", "Ｄ", "Ｅ", "Ｆ"};
  for (int i = 0; i < 4; ++i) {
    auto* button = new FaceButton(QStringLiteral("Command%1").arg(4 + i),
                                  QString::fromUtf8(kDriveCaptions[i]), kOtherDrive, this);
    placements.add(button, {304 + 48 * i, 4, 45, 45}, 16, true);
    connect(button, &QPushButton::clicked, this, [this, i] { onDriveClicked(i); });
    driveButtons_[i] = button;
  }

  placements.add(MakeLabel(QStringLiteral("Label2"), QStringLiteral("ﾊｰﾄﾞﾃﾞｨｽｸ"), this),
                 {44, 52, 99, 21}, 12, true);
  placements.add(MakeLabel(QStringLiteral("Label1"), QStringLiteral("ﾌﾛｯﾋﾟﾃﾞｨｽｸ"), this),
                 {352, 52, 110, 21}, 12, true);

  classList_ = new PicturePanel(QStringLiteral("Picture1"), kBackground, this);
  classList_->setAccessibleName(QStringLiteral("ﾊｰﾄﾞﾃﾞｨｽｸ"));
  classList_->setSurface(&exchange_.ListImage(StoryExchange::ClassSide));
  placements.add(classList_, {2, 80, 191, 431});
  driveList_ = new PicturePanel(QStringLiteral("Picture2"), kBackground, this);
  driveList_->setAccessibleName(QStringLiteral("ﾌﾛｯﾋﾟﾃﾞｨｽｸ"));
  driveList_->setSurface(&exchange_.ListImage(StoryExchange::DriveSide));
  placements.add(driveList_, {304, 78, 191, 431});
  connect(&exchange_, &StoryExchange::listDrawn, this, [this](StoryExchange::Side side) {
    (side == StoryExchange::ClassSide ? classList_ : driveList_)->showSurface();
  });
  connect(classList_, &PicturePanel::mousePressed, this,
          [this](Qt::MouseButton, Qt::KeyboardModifiers, QPointF at) {
            exchange_.PressList(StoryExchange::ClassSide, at.y());
          });
  connect(driveList_, &PicturePanel::mousePressed, this,
          [this](Qt::MouseButton, Qt::KeyboardModifiers, QPointF at) {
            exchange_.PressList(StoryExchange::DriveSide, at.y());
          });

  toDriveButton_ =
      new FaceButton(QStringLiteral("Command2"), QStringLiteral("＞＞＞"), kButtonFace, this);
  placements.add(toDriveButton_, {206, 178, 83, 85}, 16, true);
  connect(toDriveButton_, &QPushButton::clicked, this,
          [this] { onCopyClicked(StoryExchange::ClassSide); });
  toClassButton_ =
      new FaceButton(QStringLiteral("Command1"), QStringLiteral("＜＜＜"), kButtonFace, this);
  placements.add(toClassButton_, {206, 304, 83, 85}, 16, true);
  connect(toClassButton_, &QPushButton::clicked, this,
          [this] { onCopyClicked(StoryExchange::DriveSide); });

  placements.apply(scale);
  for (PicturePanel* list : {classList_, driveList_}) list->setScale(scale);
  setFixedSize(qRound(499 * scale), qRound(515 * scale));

  refreshTimer_.setInterval(StoryExchange::kRefreshMs);
  connect(&refreshTimer_, &QTimer::timeout, this, [this] {
    // Not while a message of its own is up over it.
    if (QApplication::activeModalWidget() == this) exchange_.RefreshClassList();
  });
}

void ExchangeWindow::Open() {
  if (!loaded_) {
    exchange_.Load();
    loaded_ = true;
  } else {
    exchange_.Reopen();
  }
  driveHold_.Hold(exchange_.DriveLetter());
  showDriveColours();
  refreshTimer_.start();
  exec();
  refreshTimer_.stop();
}

void ExchangeWindow::showDriveColours() {
  const QChar drive = exchange_.DriveLetter();
  for (int i = 0; i < 4; ++i)
    driveButtons_[i]->setFace(drive == QLatin1Char(kDriveLetters[i]) ? kChosenDrive : kOtherDrive);
}

void ExchangeWindow::onDriveClicked(int index) {
  if (exchange_.Copying()) return;
  driveHold_.Hold(QChar());
  exchange_.ChooseDrive(QLatin1Char(kDriveLetters[index]));
  driveHold_.Hold(exchange_.DriveLetter());
  showDriveColours();
}

void ExchangeWindow::onCopyClicked(StoryExchange::Side from) {
  if (exchange_.Copying()) return;
  // Nothing else can start while the files go over.
  const std::array<QWidget*, 7> controls{closeButton_,     toDriveButton_,   toClassButton_,
                                         driveButtons_[0], driveButtons_[1], driveButtons_[2],
                                         driveButtons_[3]};
  for (QWidget* w : controls) w->setEnabled(false);
  ProgressBar progress(this);
  if (from == StoryExchange::ClassSide)
    exchange_.CopyToDrive(&progress);
  else
    exchange_.CopyToClass(&progress);
  for (QWidget* w : controls) w->setEnabled(true);
}
