// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The "HＰ変換" button's work: ask where the export goes and so which kind
// it is, write it, tell the child how it went.

#include <QString>
#include <functional>
#include <optional>

#include "export/ExportFormat.h"
#include "platform/Dialogs.h"

class QFileDialog;
class QWidget;

// Asks for the file name of the export: the chosen host path, or nothing
// when the child cancelled.
using ChooseExportFile = std::function<std::optional<QString>(QWidget* parent)>;

// Qt's own save dialog "ホームページのファイル名入力" set up for the export
// kinds (ExportFormats()): their filters in the list's order, with
// 「すべて (*)」 after the first; a name typed without ending gets the
// ending of the filter chosen (the first kind's for すべて). No overwrite
// question: the pages leave the chosen file alone, and the other kinds
// replace it whole or not at all. The caller owns it.
QFileDialog* MakeExportDialog(QWidget* parent);

// Shows that dialog; it starts in the folder chosen last time.
std::optional<QString> AskExportFile(QWidget* parent);

// A slow kind (the video) is made on a worker thread while the windows stay
// live but take no clicks or keys: after kExportProgressDelayMs a progress
// window with the kind's title and text shows how far it is, and its
// 「やめる」 stops it, leaving no file and saying nothing.
inline constexpr int kExportProgressDelayMs = 500;

// Cancel beeps and writes nothing; a story without cards beeps after the
// dialog. The chosen name goes to the first kind that accepts it (the
// first kind when none does), which writes the export, quick kinds here
// and slow ones as above; then one message tells the child how it went.
void ExportStoryToChosenFile(const ExportStory& story, Dialogs& dialogs, QWidget* dialogParent,
                             const ChooseExportFile& choose = AskExportFile);
