// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A story folder "ねこ" in class 1年1組 on a temporary drive C:, with the
// main window's state set up and a deck in memory and in its card list.

#include <QDir>
#include <QFileInfo>

#include "deck/CardDeck.h"
#include "drawing/Canvas.h"
#include "drawing/DrawingSession.h"
#include "platform/SharedLock.h"
#include "shell/Session.h"
#include "shell/Startup.h"
#include "support/TestSupport.h"

inline const QString kStory = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\ねこ\\");

struct DeckStory {
  TempDrives drives;
  ScriptedDialogs dialogs;
  Session session{dialogs};

  // With `withFiles`, every card has its four files, each holding the
  // card's number as text.
  explicit DeckStory(const QList<int>& deck = {}, bool withFiles = false) {
    QDir().mkpath(host(QString()));
    StartSession(session);
    LayOutSession(session, QSize(1024, 768));
    // The canvas and its history, as opening a card makes them: these
    // stories draw on it without opening a card through the editor.
    StartPictureHistory(session.editor);
    session.library.classFolder = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\");
    session.deck.storyFolder = kStory;
    session.deck.cardNumbers = deck;
    if (withFiles)
      for (const int n : deck)
        for (const char* ext : {".BMP", ".PNG", ".txt", "_x.wav"})
          WriteHostFile(host(Stem(n) + QLatin1String(ext)), QByteArray::number(n));
    WriteCardList(session.deck);
  }
  // Spelled here, not taken from the program, so a wrong name fails.
  static QString Stem(int n) { return QStringLiteral("Card_%1").arg(n, 2, 10, QLatin1Char('0')); }
  QString host(const QString& name) const {
    return drives.c(QStringLiteral("A_PIKORA/CLASS_11/ねこ/") + name);
  }
  QByteArray bytes(const QString& name) const { return ReadHostFile(host(name)); }
  bool exists(const QString& name) const { return QFileInfo::exists(host(name)); }
  QByteArray list() const { return bytes(QStringLiteral("CardData.txt")); }
  // The story's files; lock files are no files of the story.
  QStringList files() const {
    QStringList names = QDir(host(QString())).entryList(QDir::Files, QDir::Name);
    names.removeIf([](const QString& name) { return SharedLock::IsLockName(name); });
    return names;
  }
  QList<int> deck() const { return session.deck.cardNumbers; }
};
