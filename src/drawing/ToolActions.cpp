// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "drawing/ToolActions.h"

#include <QClipboard>
#include <QGuiApplication>

#include "drawing/Canvas.h"
#include "drawing/DrawingTools.h"

namespace {

QImage ClipboardPicture() {
  const QClipboard* clipboard = QGuiApplication::clipboard();
  return clipboard ? clipboard->image() : QImage();
}

}  // namespace

void ChooseTool(EditorState& editor, Dialogs& dialogs, Tool tool) {
  QImage pasted;
  if (tool == Tool::Paste) {
    pasted = ClipboardPicture();
    if (pasted.isNull()) {
      dialogs.Beep();  // nothing to paste: the button does nothing
      return;
    }
  }
  CancelShape(editor);  // still with the old tool, whose outline it removes
  editor.tool = tool;
  editor.litTool = tool;
  editor.notifyChanged();
  // The text box takes the keyboard focus whenever it is shown.
  if (tool == Tool::Text)
    editor.notifyTextToolChosen();
  else
    editor.notifyPictureWanted();
  if (tool == Tool::Paste) PastePicture(editor, pasted);
}

void ChooseFillColour(EditorState& editor, const std::function<void()>& showPalette) {
  CancelShape(editor);
  editor.tool = Tool::Fill;
  editor.litTool = Tool::Fill;
  editor.notifyChanged();
  if (showPalette) showPalette();
  editor.notifyChanged();  // the swatch shows the colour chosen
}

void ChooseStamp(EditorState& editor, int category, int index) {
  CancelShape(editor);
  editor.stamp.category = category;
  editor.stamp.index = index;
  editor.tool = Tool::Stamp;
  editor.litTool = Tool::Stamp;
  editor.notifyChanged();
  editor.notifyPictureWanted();
}

void ChooseEraser(EditorState& editor, Tool eraser) {
  CancelShape(editor);
  editor.tool = eraser;
  editor.litTool = eraser;
  editor.notifyChanged();
}

void BlankPaper(EditorState& editor, DeckState& deck, Dialogs& dialogs) {
  if (!dialogs.Ask(QStringLiteral("かいたえをけします。"))) return;
  CancelShape(editor);
  RecordStep(editor);  // anything drawn before is a step of its own
  const QString text = deck.cardText;
  ClearCanvas(editor);
  deck.cardText.clear();
  // The text box goes away and the blank paper is shown in its place.
  editor.notifyPictureWanted();
  deck.notifyChanged();
  editor.notifyChanged();
  PaintCanvasFrame(editor);
  RecordStep(editor, PictureHistory::TextChange{text, QString()});  // "もどす" brings the text back too
}

void ToggleFixMode(EditorState& editor) {
  editor.placement = editor.placement == Placement::Fixed ? Placement::Free : Placement::Fixed;
  editor.notifyChanged();
}
