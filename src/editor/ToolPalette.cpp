// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "editor/ToolPalette.h"

#include <QClipboard>
#include <QGuiApplication>

#include "editor/Canvas.h"

namespace {

QImage ClipboardPicture() {
  const QClipboard* clipboard = QGuiApplication::clipboard();
  return clipboard ? clipboard->image() : QImage();
}

}  // namespace

void HighlightToolButtons(EditorState& editor) {
  for (int j = 0; j < 15; ++j) editor.toolFaces[j] = editor.CurrentTool == j + 1 ? kToolLit : kToolPlain;
}

void ChooseTool(EditorState& editor, Dialogs& dialogs, int i) {
  if (i < 0 || i > 14) return;
  QImage pasted;
  if (i + 1 == kPasteTool) {
    pasted = ClipboardPicture();
    if (pasted.isNull()) {
      dialogs.Beep();  // nothing to paste: the button does nothing
      return;
    }
  }
  SaveUndoImage(editor);  // still with the old tool, whose outline it removes
  editor.CurrentTool = int16_t(i + 1);
  HighlightToolButtons(editor);
  editor.ShapeClickCount = 0;
  editor.notifyChanged();
  // The text box takes the keyboard focus whenever it is shown.
  if (editor.CurrentTool == kTextTool)
    editor.notifyTextToolChosen();
  else
    editor.notifyPictureWanted();
  if (editor.CurrentTool == kPasteTool) PastePicture(editor, pasted);
}

void ChooseFillColour(EditorState& editor, const std::function<void()>& showPalette) {
  SaveUndoImage(editor);
  editor.CurrentTool = kFillTool;
  HighlightToolButtons(editor);
  editor.ShapeClickCount = 0;
  editor.notifyChanged();
  if (showPalette) showPalette();
  const int index = editor.FillColorIndex;
  editor.fillSwatchFace = index >= 0 && index < int(editor.PaletteColors.size()) ? editor.PaletteColors[index] : 0;
  editor.notifyChanged();
}

static void ChooseEraser(EditorState& editor, int16_t tool) {
  SaveUndoImage(editor);
  editor.CurrentTool = tool;
  editor.toolFaces.fill(kToolPlain);
  editor.ShapeClickCount = 0;
  editor.notifyChanged();
}

void ChooseSmallEraser(EditorState& editor) { ChooseEraser(editor, kSmallEraser); }
void ChooseLargeEraser(EditorState& editor) { ChooseEraser(editor, kLargeEraser); }

void Undo(EditorState& editor) {
  // An outline on the screen is not in the undo image: it is forgotten
  // with the picture it was drawn over.
  EraseRubberBand(editor);
  RestoreUndoImage(editor);
  if (editor.undoText) {
    const QString text = *editor.undoText;
    editor.undoText.reset();
    editor.notifyTextRestored(text);
  }
}

void BlankPaper(EditorState& editor, DeckState& deck, Dialogs& dialogs) {
  if (!dialogs.Ask(QStringLiteral("かいたえをけします。"))) return;
  SaveUndoImage(editor);
  editor.undoText = deck.cardText;  // "もどす" brings the text back too
  ClearCanvas(editor);
  deck.cardText.clear();
  // The text box goes away and the blank paper is shown in its place.
  editor.notifyPictureWanted();
  deck.notifyChanged();
  editor.notifyChanged();
  PaintCanvasFrame(editor);
}

void ToggleFixMode(EditorState& editor) {
  if (editor.FixMode != 0) {
    editor.FixMode = 0;
    editor.fixModeCaption = QStringLiteral("じゆう");
  } else {
    editor.FixMode = 1;
    editor.fixModeCaption = QStringLiteral("こてい");
  }
  editor.notifyChanged();
}
