// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A class folder CLASS_11 on a temporary drive C:, opened the way a child
// opens it, with a story folder holding one file for every listed name.

#include <QDir>
#include <QFileInfo>

#include "library/StoryList.h"
#include "platform/Disk.h"
#include "platform/TextCodec.h"
#include "shell/DataRoot.h"
#include "shell/Session.h"
#include "support/TestSupport.h"

inline QByteArray Sjis(const QStringList& lines) {
  QByteArray bytes;
  for (const QString& line : lines) bytes += *text::Encode(line) + "\r\n";
  return bytes;
}

struct StoryClass {
  TempDrives drives;
  ScriptedDialogs dialogs;
  Session session{dialogs};

  // Menu.txt lists `names` (no names: no file); every name a folder can
  // carry has its folder with a card list. `letters`: the drives there are.
  explicit StoryClass(const QStringList& names = {}, const QString& letters = QStringLiteral("C"))
      : drives(letters) {
    QDir().mkpath(drives.c(QStringLiteral("A_PIKORA")));
    for (const QString& name : names) {
      if (!StoryNameProblem(name)) WriteHostFile(host(name + QStringLiteral("/CardData.txt")), " 1 \r\n");
    }
    if (!names.isEmpty()) WriteHostFile(host(QStringLiteral("Menu.txt")), Sjis(names));
    InitClassNames(session.library);
    session.library.dataRoot = QStringLiteral("C:\\A_PIKORA\\");
    dialogs.answers = {true};
    ChooseClass(session, 0);
    dialogs.asked.clear();
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
