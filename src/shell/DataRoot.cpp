#include "shell/DataRoot.h"

#include "deck/CardDeck.h"
#include "library/StoryList.h"
#include "platform/Disk.h"
#include "platform/Numbers.h"
#include "shell/Shared.h"

QString ClassFolderName(int k) {
  const QString grade = SignedText(k / 5 + 1).mid(1);
  const QString klass = SignedText(k % 5 + 1).mid(1);
  return QStringLiteral("CLASS_") + grade + klass;
}

QString DriveRootText(int i) {
  static const char kLetters[] = "ACDEFGHI";
  return QChar(kLetters[i]) + QStringLiteral(":\\A_PIKORA");
}

void SelectDrive(Shared& m, int i) {
  m.BaseFolder = DriveRootText(i);
  disk::CreateFolder(m.BaseFolder);  // a missing drive or an existing folder is fine
  m.BaseFolder += u'\\';
  m.ui.Label4Caption = m.BaseFolder;
  m.ControlsChanged();
}

void ChooseClass(Shared& m, int k) {
  if (!m.dialogs.Ask(m.ClassNames[k + 1] + QStringLiteral("でよろしいですか"))) return;
  m.ui.Picture3Visible = false;
  m.ui.Picture1Visible = true;
  m.ui.Picture5Visible = true;
  m.ControlsChanged();

  // Each step below goes on whatever the one before it managed.
  disk::CreateFolder(m.BaseFolder + ClassFolderName(k));
  m.StoryFolder = m.BaseFolder + ClassFolderName(k) + u'\\';
  m.BaseFolder = m.StoryFolder;
  ReadStoryList(m);
  m.CurrentStoryIndex = 1;
  DrawStoryList(m);
  ReadCardList(m);
  ShowFirstCard(m);
}
