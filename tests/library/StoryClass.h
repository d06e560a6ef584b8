// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A class folder CLASS_11 on a temporary drive C:, opened as choosing its
// class button opens it, with a story folder holding one file for every
// listed name.

#include <QDir>
#include <QFileInfo>

#include "library/StoryList.h"
#include "platform/Disk.h"
#include "platform/TextCodec.h"
#include "deck/DeckState.h"
#include "library/LibraryState.h"
#include "platform/Dialogs.h"
#include "support/TestSupport.h"

// The parts of a run the story list works on.
struct LibraryParts {
  explicit LibraryParts(Dialogs& dialogs) : dialogs(dialogs) {}
  LibraryParts(const LibraryParts&) = delete;
  LibraryParts& operator=(const LibraryParts&) = delete;
  Dialogs& dialogs;
  LibraryState library;
  DeckState deck;
};

// Class 1年1組 of the data root on C:, opened as its class button opens it.
// A test that holds a whole run opens it through the run's own procedure,
// with an OpenClass11 of its own for that.
inline void OpenClass11(LibraryParts& parts) {
  InitClassNames(parts.library);
  parts.library.dataRoot = QStringLiteral("C:\\A_PIKORA\\");
  OpenClass(parts.library, parts.deck, parts.library.dataRoot + QStringLiteral("CLASS_11"));
}

inline QByteArray Sjis(const QStringList& lines) {
  QByteArray bytes;
  for (const QString& line : lines) bytes += *text::Encode(line) + "\r\n";
  return bytes;
}

template <class Parts>
struct StoryClassOf {
  TempDrives drives;
  ScriptedDialogs dialogs;
  Parts session{dialogs};

  // Menu.txt lists `names` (no names: no file); every name a folder can
  // carry has its folder with a card list. `letters`: the drives there are.
  explicit StoryClassOf(const QStringList& names = {}, const QString& letters = QStringLiteral("C"))
      : drives(letters) {
    QDir().mkpath(drives.c(QStringLiteral("A_PIKORA")));
    for (const QString& name : names) {
      if (!StoryNameProblem(name)) WriteHostFile(host(name + QStringLiteral("/CardData.txt")), " 1 \r\n");
    }
    if (!names.isEmpty()) WriteHostFile(host(QStringLiteral("Menu.txt")), Sjis(names));
    OpenClass11(session);
  }

  static QString Folder() { return QStringLiteral("C:\\A_PIKORA\\CLASS_11\\"); }
  QString host(const QString& relative) const {
    return drives.c(QStringLiteral("A_PIKORA/CLASS_11/") + relative);
  }
  QByteArray listBytes() const { return ReadHostFile(host(QStringLiteral("Menu.txt"))); }
  bool hasListFile() const { return QFileInfo::exists(host(QStringLiteral("Menu.txt"))); }
  bool hasFolder(const QString& name) const { return QFileInfo(host(name)).isDir(); }
  QStringList snapshot() const { return Snapshot(drives.root(u'C')); }
  QStringList names() const {
    QStringList list;
    for (int i = 0; i < session.library.storyNames.size(); ++i) list.append(session.library.storyNames[i]);
    return list;
  }
};

using StoryClass = StoryClassOf<LibraryParts>;
