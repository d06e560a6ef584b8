// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "pictureimport/PictureBrowser.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>

#include "drawing/EditorState.h"
#include "platform/Dialogs.h"
#include "platform/Fonts.h"
#include "platform/Numbers.h"

namespace {

const QColor kWindowFace(212, 208, 200);

}  // namespace

PictureBrowser::PictureBrowser(EditorState& editor, std::function<QString()> exchangeDrive, Dialogs& dialogs,
                               QWidget* parent, double scale)
    : QWidget(parent, Qt::Window), editor_(editor), exchangeDrive_(std::move(exchangeDrive)), dialogs_(dialogs),
      state_(pictures::NewBrowser()) {
  // Places in twips, for the scale.
  const auto place = [scale](int left, int top, int width, int height) {
    const QRect r = Twips(left, top, width, height);
    return QRect(qRound(r.x() * scale), qRound(r.y() * scale), qRound(r.width() * scale), qRound(r.height() * scale));
  };
  setObjectName(QStringLiteral("Form5"));
  setWindowTitle(QStringLiteral("ファイル"));
  setAccessibleName(windowTitle());
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, kWindowFace);
  setPalette(pal);
  // Client area 10815 x 7665 twips.
  setFixedSize(place(0, 0, 10815, 7665).size());

  chooseButton = new FaceButton(QStringLiteral("Command2"), QStringLiteral("えらぶ"), QColor(128, 255, 255), this);
  chooseButton->setGeometry(place(60, 60, 1095, 555));
  chooseButton->setFont(PGothic(14.25, false, scale));
  connect(chooseButton, &QPushButton::clicked, this, &PictureBrowser::onChooseClicked);

  cancelButton = new FaceButton(QStringLiteral("Command3"), QStringLiteral("ｷｬﾝｾﾙ"), QColor(255, 192, 192), this);
  cancelButton->setGeometry(place(1140, 60, 1035, 555));
  cancelButton->setFont(PGothic(12, false, scale));
  // The canvas stays as it is; the undo image taken on opening stays too.
  connect(cancelButton, &QPushButton::clicked, this, &QWidget::hide);

  floppyButton =
      new FaceButton(QStringLiteral("Command1"), QStringLiteral("フロッピ (A:)"), QColor(255, 255, 128), this);
  floppyButton->setGeometry(place(60, 660, 2115, 495));
  floppyButton->setFont(Gothic(9, false, scale));
  connect(floppyButton, &QPushButton::clicked, this, [this] {
    pictures::SelectFloppy(state_, dialogs_);
    syncControls();
  });

  static const char* const kDriveCaptions[] = {"Ｃ", "Ｄ", "Ｅ"};
  for (int i = 0; i < 3; ++i) {
    auto* button = new FaceButton(QStringLiteral("Command4_%1").arg(i), QString::fromUtf8(kDriveCaptions[i]),
                                  QColor(128, 255, 128), this);
    button->setGeometry(place(60 + 720 * i, 1200, 675, 495));
    button->setFont(PGothic(15.75, true, scale));
    connect(button, &QPushButton::clicked, this, [this, i] {
      pictures::BrowseDriveButton(state_, i);
      syncControls();
    });
    driveButtons[i] = button;
  }

  driveList = new QComboBox(this);
  driveList->setObjectName(QStringLiteral("Drive1"));
  driveList->setGeometry(place(60, 1740, 2115, 300));
  driveList->setFont(Gothic(9, false, scale));
  connect(driveList, &QComboBox::activated, this, &PictureBrowser::onDriveActivated);

  folderList = new QListWidget(this);
  folderList->setObjectName(QStringLiteral("Dir1"));
  folderList->setGeometry(place(60, 2040, 2115, 1350));
  folderList->setFont(Gothic(9, false, scale));
  connect(folderList, &QListWidget::itemActivated, this, &PictureBrowser::onFolderActivated);

  fileList = new QListWidget(this);
  fileList->setObjectName(QStringLiteral("File1"));
  fileList->setGeometry(place(60, 3420, 2115, 4230));
  fileList->setFont(Gothic(9, false, scale));
  connect(fileList, &QListWidget::currentRowChanged, this, &PictureBrowser::onFileRowChanged);

  preview = new PicturePanel(QStringLiteral("Picture1"), pictures::kPreviewBackground, this);
  preview->setGeometry(place(2220, 0, 8535, 7650));
  preview->setSurface(&state_.preview);
  preview->setScale(scale);

  // The browser belongs to drawing: when the editor closes, so does it, and
  // no picture reaches a canvas that is not being drawn on.
  connect(&editor_, &EditorState::changed, this, [this] {
    if (!editor_.cardOpen && isVisible()) hide();
  });

  syncControls();

  // Centred on the screen when first made; afterwards it keeps its place.
  if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
  }
}

void PictureBrowser::Open() {
  show();
  raise();
  activateWindow();
  pictures::OpenBrowser(state_, editor_, exchangeDrive_(), dialogs_);
  syncControls();
}

void PictureBrowser::onChooseClicked() {
  if (pictures::ChoosePicture(state_, editor_, dialogs_) == pictures::Choice::Placed) hide();
}

void PictureBrowser::onDriveActivated(int index) {
  if (index >= 0 && index < state_.drives.size()) pictures::BrowseDrive(state_, QString(state_.drives.at(index)) + u':');
  syncControls();
}

void PictureBrowser::onFolderActivated(QListWidgetItem* item) {
  if (!item) return;
  pictures::OpenFolder(state_, item->data(Qt::UserRole).toString());
  syncControls();
}

void PictureBrowser::onFileRowChanged(int row) {
  pictures::SelectFile(state_, row);
  preview->showSurface();
}

void PictureBrowser::syncControls() {
  const QSignalBlocker driveBlock(driveList);
  const QSignalBlocker folderBlock(folderList);
  const QSignalBlocker fileBlock(fileList);

  driveList->clear();
  for (const QChar letter : state_.drives) driveList->addItem(QString(letter.toLower()) + u':');
  driveList->setCurrentIndex(state_.drive.isEmpty() ? -1 : int(state_.drives.indexOf(state_.drive.at(0))));

  folderList->clear();
  const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
  int openRow = -1;
  for (const pictures::FolderEntry& entry : pictures::FolderEntries(state_)) {
    auto* item = new QListWidgetItem(entry.open ? openIcon : closedIcon,
                                     QString(entry.depth * 2, u' ') + entry.caption, folderList);
    item->setData(Qt::UserRole, entry.folder);
    if (entry.open) openRow = folderList->count() - 1;
  }
  folderList->setCurrentRow(openRow);

  fileList->clear();
  fileList->addItems(state_.files);
  fileList->setCurrentRow(state_.fileIndex);

  preview->showSurface();
}
