// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The story library: the data root and, once a class is chosen, the class
// folder, the class's story names and which one is selected, and what the
// class panel and the story panel show.

#include <QImage>
#include <QString>
#include <QStringList>
#include <array>

#include "deck/StoryFiles.h"
#include "platform/Notifier.h"

class LibraryState;
void InitClassNames(LibraryState& library);

class LibraryState : public Notifier {
  Q_OBJECT
 public:
  // The state a run starts with: the class names, the data root shown.
  LibraryState() { InitClassNames(*this); }

  // The data root, ending in "\" ("C:\A_PIKORA\"); the class panel shows it.
  QString dataRoot = storyfiles::kDefaultDataRoot;
  // The class folder once a class is chosen ("C:\A_PIKORA\CLASS_11\"),
  // empty before.
  QString classFolder;
  std::array<QString, 30> classNames;  // the class buttons' names, "１年１組" first
  QStringList storyNames;              // the class's stories as Menu.txt lists them, 100 at most
  // The selected row of storyNames; a row outside the list selects none.
  int selectedStory = -1;
  QString currentStoryName;
  // Which folder the selected story's is (ClassList.h), to know the story
  // again when another computer renames it; empty when it has none.
  QString shownFolderIdentity;
  // The drive that stories and pictures are exchanged with ("D:\").
  QString exchangeDrive = QStringLiteral("D:\\");

  // The class folder whose deletions cut short were looked for in this
  // run: once a run is enough, and the re-reading every few seconds then
  // costs the file server no listing of the class folder.
  QString deletionsCheckedIn;

  QImage storyListImage;  // the story panel's surface
};

// InitClassNames: the thirty class names "１年１組" .. "６年５組" into
// classNames.
