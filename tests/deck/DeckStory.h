// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A story folder "ねこ" in class 1年1組 on a temporary drive C:, with the
// editor and the card strip set up as the program's start-up lays them out
// and a deck in memory and in its card list. `Parts` holds the state:
// EditorParts (the deck, the editor and the card open for drawing), or a
// whole Session for the cases that need the program's wiring.

#include <QDir>
#include <QFileInfo>

#include "deck/CardDeck.h"
#include "deck/CardStrip.h"
#include "drawing/Canvas.h"
#include "drawing/DrawingSession.h"
#include "platform/SharedLock.h"
#include "support/EditorFixture.h"
#include "support/TestSupport.h"

inline const QString kStory = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\ねこ\\");

template <class Parts>
struct StoryOf {
  TempDrives drives;
  ScriptedDialogs dialogs;
  Parts session{dialogs};

  // With `withFiles`, every card has its four files, each holding the
  // card's number as text.
  explicit StoryOf(const QList<int>& deck = {}, bool withFiles = false) {
    QDir().mkpath(host(QString()));
    LayOutCanvas(session.editor, kCanvasPanelSize);
    LayOutStrip(session.deck, strip::kSize);
    // The canvas and its history, as opening a card makes them: these
    // stories draw on it without opening a card through the editor.
    StartPictureHistory(session.editor);
    if constexpr (requires { session.library; })
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

using DeckStory = StoryOf<EditorParts>;
