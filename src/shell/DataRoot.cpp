// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/DataRoot.h"

#include "deck/CardFiles.h"
#include "deck/CardList.h"
#include "library/StoryList.h"
#include "platform/Disk.h"
#include "platform/InstanceLock.h"
#include "platform/Numbers.h"
#include "shell/Session.h"
#include "deck/StoryFiles.h"

QString ClassFolderName(int k) {
  const QString grade = SignedText(k / 5 + 1).mid(1);
  const QString klass = SignedText(k % 5 + 1).mid(1);
  return QStringLiteral("CLASS_") + grade + klass;
}

QString DataRootOnDrive(int i) {
  static const char kLetters[] = "ACDEFGHI";
  return QChar(kLetters[i]) + QStringLiteral(":\\") + storyfiles::kDataRootFolder;
}

bool MoveDataRoot(Session& session, int i) {
  LibraryState& library = session.library;
  const QString root = DataRootOnDrive(i) + u'\\';
  // Two copies on one data root would overwrite each other's work.
  if (InstanceLock::LockFilePath(root) != InstanceLock::LockFilePath(library.dataRoot) ||
      !session.dataRootLock) {
    auto lock = InstanceLock::Acquire(root);
    if (!lock) {
      session.dialogs.Tell(QStringLiteral("その ドライブは ほかの ぴこらまつくろ が つかっています。"));
      return false;
    }
    session.dataRootLock = std::move(lock);
  }
  // Its stick, if it is one, keeps the letter for the run, pulled or not.
  session.dataRootDrive.Hold(DataRootOnDrive(i).at(0));
  disk::CreateFolder(DataRootOnDrive(i));  // a missing drive or an existing folder is fine
  library.dataRoot = DataRootOnDrive(i) + u'\\';
  library.notifyChanged();
  return true;
}

void ChooseClass(Session& session, int k) {
  LibraryState& library = session.library;
  DeckState& deck = session.deck;
  Dialogs& dialogs = session.dialogs;
  if (!dialogs.Ask(library.classNames[size_t(k)] + QStringLiteral("でよろしいですか"))) return;
  session.screen.Show(Screen::Stories);

  OpenClass(library, deck, library.dataRoot + ClassFolderName(k));
}
