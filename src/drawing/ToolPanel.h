// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The editor's tool panel: the tool buttons, the fill colour swatch, the
// erasers and the editor's other buttons at their designed places. Its
// faces and captions follow from the editor state; it passes clicks on the
// tools to the editor's procedures, and the main window connects the
// buttons that reach beyond the editor.

#include <QFrame>
#include <QGroupBox>
#include <QImage>
#include <QPointer>
#include <array>

#include "drawing/EditorState.h"
#include "platform/Widgets.h"

class ColourDialog;
class StampBox;
class Dialogs;

// The 16 x 16 picture of a tipped paint bucket on the fill button.
QImage PaintBucketIcon();

// The face of tool button `slot` (0..14): lit for the tool lit, else plain.
QColor ToolButtonFace(const EditorState& editor, int slot);
// The fill colour swatch shows the fill colour.
QColor FillSwatchFace(const EditorState& editor);
// The placement button names the placement in force: "じゆう" or "こてい".
QString PlacementCaption(Placement placement);

class ToolPanel : public PicturePanel {
  Q_OBJECT
 public:
  ToolPanel(EditorState& editor, Dialogs& dialogs, QWidget* parent);

  FaceButton* finishButton;   // "えをかく おわり"
  QLabel* title;              // "【えをかく】"
  FaceButton* fixModeButton;  // "じゆう" / "こてい"
  QFrame* toolOutline;        // outline around the pens, shapes, undo and erasers
  std::array<FaceButton*, kToolSlots> toolButtons{};
  FaceButton* undoButton;         // "もどす"
  FaceButton* redoButton;         // "やりなおす", below it
  QLabel* eraserLabel;            // "消しゴム"
  FaceButton* smallEraserButton;  // small eraser
  FaceButton* largeEraserButton;  // large eraser
  QGroupBox* fillFrame;           // "色ぬり"
  FaceButton* fillSwatch;         // fill colour swatch
  FaceButton* startOverButton;    // "はじめから"
  FaceButton* saveButton;         // "ほぞん", never shown
  FaceButton* blankPaperButton;   // "はくし"
  FaceButton* loadFileButton;     // "ﾌｧｲﾙ読込"
  // "はんこ", below the recorder on the left half (the right half is kept
  // for one more button); hidden when there is no stamp font.
  FaceButton* stampButton;
  // "もじ", the right half of that row.
  FaceButton* wordsButton;
  // While "もじ" is in force, a strip below them: "ちいさい", "ふつう",
  // "おおきい" and "ふきだし" (on and off), the choices lit.
  std::array<FaceButton*, 3> wordsSizeButtons{};
  FaceButton* bubbleButton;

  // The colour dialog, made on first use and kept.
  ColourDialog* colourDialog();
  // The stamp box, made on first use and kept.
  StampBox* stampBox();

 private:
  void syncControls();

  EditorState& editor_;
  Dialogs& dialogs_;
  QPointer<ColourDialog> colourDialog_;
  QPointer<StampBox> stampBox_;
};
