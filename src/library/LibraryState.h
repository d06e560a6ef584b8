// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The story library: the data root and, once a class is chosen, the class
// folder, the class's story names and which one is selected, and what the
// class panel and the story panel show. Arrays keep their fixed index
// ranges (classes 1..30, names 1..100); index 0 is unused.

#include <QImage>
#include <QString>
#include <array>
#include <cstdint>

#include "platform/Notifier.h"

class LibraryState;
void InitClassNames(LibraryState& library);

class LibraryState : public Notifier {
  Q_OBJECT
 public:
  // The state a run starts with: the class names, the data root shown.
  LibraryState() { InitClassNames(*this); }

  // The data root "C:\A_PIKORA\", after a class is chosen its folder.
  QString BaseFolder = QStringLiteral("C:\\A_PIKORA\\");
  std::array<QString, 31> ClassNames;
  std::array<QString, 101> StoryNames;
  int16_t StoryCount = 0;
  int16_t CurrentStoryIndex = 0;
  QString CurrentStoryName;
  // The drive that stories and pictures are exchanged with ("D:\").
  QString ExchangeDrive = QStringLiteral("D:\\");

  // The class folder whose deletions cut short were looked for in this
  // run: once a run is enough, and the re-reading every few seconds then
  // costs the file server no listing of the class folder.
  QString deletionsCheckedIn;

  QImage storyListImage;  // the story panel's surface
  QString dataRootCaption = BaseFolder;  // the data root as the class panel shows it
};

// InitClassNames: the thirty class names "１年１組" .. "６年５組" into
// ClassNames(1..30).
