// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The picture editor as the program's start-up sets it up, without the main
// window: its state with the palette, the canvas of the large layout, the
// deck it draws into and the card open for drawing, drives in temporary
// folders.

#include <QColor>
#include <QDir>
#include <QImage>
#include <QPainter>

#include "deck/DeckState.h"
#include "drawing/Canvas.h"
#include "drawing/DrawingSession.h"
#include "drawing/EditorState.h"
#include "support/TestSupport.h"

// The parts of a run the editor works on.
struct EditorParts {
  explicit EditorParts(Dialogs& dialogs) : dialogs(dialogs) {}
  EditorParts(const EditorParts&) = delete;
  EditorParts& operator=(const EditorParts&) = delete;
  Dialogs& dialogs;
  DeckState deck;
  EditorState editor;
  DrawingSession drawing{editor, deck, dialogs};
};

struct EditorFixture {
  TempDrives drives;
  ScriptedDialogs dialogs;
  EditorParts session{dialogs};

  EditorFixture() {
    QDir().mkpath(drives.c(QStringLiteral("A_PIKORA")));
    LayOutCanvas(session.editor, kCanvasPanelSize);
    session.deck.storyFolder = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\うみ\\");
    // The canvas and its history, as opening a card makes them.
    StartPictureHistory(session.editor);
  }

  QColor canvasAt(int x, int y) const { return session.editor.canvasImage.pixelColor(x, y); }

  // Paints a block on the canvas as a drawing tool would.
  void paint(QRect block, QColor colour) {
    QPainter painter(&session.editor.canvasImage);
    painter.fillRect(block, colour);
  }
};

inline const QColor kFrame(255, 255, 130);
inline const QColor kWhite(255, 255, 255);
