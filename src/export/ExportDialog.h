// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The "HＰ変換" button's work: ask where the pages go, write them, tell the
// child how it went.

#include <QString>
#include <functional>
#include <optional>

#include "export/WebPages.h"
#include "platform/Dialogs.h"

class QFileDialog;
class QWidget;

// Asks for the file name of the pages: the chosen host path, or nothing when
// the child cancelled.
using ChooseWebPageFile = std::function<std::optional<QString>(QWidget* parent)>;

// Qt's own save dialog "ホームページのファイル名入力" set up for the pages
// (html by default, no overwrite question: the chosen file is not written).
// The caller owns it.
QFileDialog* MakeWebPageDialog(QWidget* parent);

// Shows that dialog; it starts in the folder chosen last time.
std::optional<QString> AskWebPageFile(QWidget* parent);

// The video of the story (StoryVideo.h) made on a worker thread while the
// windows stay live: after kVideoProgressDelayMs a progress window shows
// how far it is, and its 「やめる」 stops it, leaving no file and saying
// nothing. Otherwise one message tells the child how it went.
inline constexpr int kVideoProgressDelayMs = 500;
void ExportStoryAsVideo(const ExportStory& story, const QString& chosenHostPath, Dialogs& dialogs,
                        QWidget* dialogParent);

// Cancel beeps and writes nothing; a story without cards beeps after the
// dialog. A name ending in ".pdf" gets the picture book (PictureBook.h)
// and one ending in ".mp4" the video (ExportStoryAsVideo) instead of the
// pages. Otherwise the pages are written and one message tells the child
// what could not be written, or that they are done.
void ExportStoryToChosenFile(const ExportStory& story, Dialogs& dialogs, QWidget* dialogParent,
                           const ChooseWebPageFile& choose = AskWebPageFile);
