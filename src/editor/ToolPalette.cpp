#include "editor/ToolPalette.h"

#include <QClipboard>
#include <QGuiApplication>

#include "deck/CardDeck.h"
#include "editor/Canvas.h"
#include "library/StoryList.h"
#include "shell/Shared.h"

namespace {

QImage ClipboardPicture() {
  const QClipboard* clipboard = QGuiApplication::clipboard();
  return clipboard ? clipboard->image() : QImage();
}

void ShowCanvas(Shared& m) {
  m.ui.Text1Visible = false;
  m.ui.Picture2Visible = true;
}

}  // namespace

void HighlightToolButtons(Shared& m) {
  for (int j = 0; j < 15; ++j) m.ui.Command7Face[j] = m.CurrentTool == j + 1 ? kToolLit : kToolPlain;
}

void Command7_Click(Shared& m, int i) {
  if (i < 0 || i > 14) return;
  QImage pasted;
  if (i + 1 == kPasteTool) {
    pasted = ClipboardPicture();
    if (pasted.isNull()) {
      m.dialogs.Beep();  // nothing to paste: the button does nothing
      return;
    }
  }
  SaveUndoImage(m);  // still with the old tool, whose outline it removes
  m.CurrentTool = int16_t(i + 1);
  HighlightToolButtons(m);
  m.ShapeClickCount = 0;
  if (m.CurrentTool != kTextTool) {
    ShowCanvas(m);
  } else if (m.ui.Text1Visible) {
    ShowCanvas(m);
  } else {
    // The text box takes the keyboard focus whenever it is shown.
    m.ui.Picture2Visible = false;
    m.ui.Text1Visible = true;
  }
  m.ControlsChanged();
  if (m.CurrentTool == kPasteTool) PastePicture(m, pasted);
}

void Command12_Click(Shared& m, const std::function<void()>& showPalette) {
  SaveUndoImage(m);
  m.CurrentTool = kFillTool;
  HighlightToolButtons(m);
  m.ShapeClickCount = 0;
  m.ControlsChanged();
  if (showPalette) showPalette();
  const int index = m.FillColorIndex;
  m.ui.Command12Face = index >= 0 && index < int(m.PaletteColors.size()) ? m.PaletteColors[index] : 0;
  m.ControlsChanged();
}

static void ChooseEraser(Shared& m, int16_t tool) {
  SaveUndoImage(m);
  m.CurrentTool = tool;
  m.ui.Command7Face.fill(kToolPlain);
  m.ShapeClickCount = 0;
  m.ControlsChanged();
}

void Command25_Click(Shared& m) { ChooseEraser(m, kSmallEraser); }
void Command26_Click(Shared& m) { ChooseEraser(m, kLargeEraser); }

void Command13_Click(Shared& m) {
  // An outline on the screen is not in the undo image: it is forgotten
  // with the picture it was drawn over.
  EraseRubberBand(m);
  RestoreUndoImage(m);
}

void Command8_Click(Shared& m) {
  if (!m.dialogs.Ask(QStringLiteral("かいたえをけします。"))) return;
  SaveUndoImage(m);
  ClearCanvas(m);
  m.ui.Text1Text.clear();
  // The text box goes away and the blank paper is shown in its place.
  ShowCanvas(m);
  m.ControlsChanged();
  PaintCanvasFrame(m);
}

void Command9_Click(Shared& m) {
  if (m.FixMode != 0) {
    m.FixMode = 0;
    m.ui.Command9Caption = QStringLiteral("じゆう");
  } else {
    m.FixMode = 1;
    m.ui.Command9Caption = QStringLiteral("こてい");
  }
  m.ControlsChanged();
}

void Command3_Click(Shared& m) {
  // Without a story the card files would have no folder of their own.
  if (!StorySelected(m)) {
    m.dialogs.Beep();
    return;
  }
  // The editor opens on the card the strip calls current, whatever the
  // canvas showed before: a press on a tile's header may have changed it
  // without loading it, and an erased last card leaves no current card.
  if (m.CurrentCard < 1) m.CurrentCard = int16_t(m.CardCount + 1);
  DrawCardStrip(m);
  LoadCard(m);
  m.CurrentTool = kNoTool;
  EnterDrawingMode(m);
}

void EnterDrawingMode(Shared& m) {
  m.ui.Picture1Visible = false;
  m.ui.Picture2Visible = true;
  m.ui.Picture6Visible = true;
  m.ui.Text1Visible = false;
  m.PenWidth = 1;
  m.FixMode = 0;
  m.ui.Command9Caption = QStringLiteral("じゆう");
  m.ControlsChanged();
  PaintCanvasFrame(m);
  OpenEditorUndoBaseline(m);
}
