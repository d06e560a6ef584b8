// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A started program without its main window: state, palette and the
// surfaces of the large layout, drives in temporary folders.

#include <QColor>
#include <QImage>
#include <QPainter>

#include "drawing/Canvas.h"
#include "drawing/DrawingSession.h"
#include "shell/Session.h"
#include "shell/Startup.h"
#include "support/TestSupport.h"

struct EditorFixture {
  TempDrives drives;
  ScriptedDialogs dialogs;
  Session session{dialogs};

  EditorFixture() {
    StartSession(session);
    LayOutSession(session, QSize(1024, 768));
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
