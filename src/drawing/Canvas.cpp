// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "drawing/Canvas.h"

#include <QPainter>

#include "platform/Numbers.h"
#include "drawing/DrawingTools.h"
#include "drawing/EditorState.h"

namespace {

// The undo and redo buttons show whether there is a step to take back or
// to bring back: a change of either is a change of what the panel shows.
template <typename Step>
void ChangingSteps(EditorState& editor, Step step) {
  const bool couldUndo = editor.history.CanUndo(), couldRedo = editor.history.CanRedo();
  step();
  if (editor.history.CanUndo() != couldUndo || editor.history.CanRedo() != couldRedo) editor.notifyChanged();
}

void Show(EditorState& editor, const std::optional<PictureHistory::Change>& change) {
  if (!change) return;
  if (!change->rect.isEmpty()) editor.notifySurface(change->rect);
  if (change->text) editor.notifyTextRestored(*change->text);
}

// A picture on white: transparent parts of a clipboard picture show the
// paper, not whatever colour their pixels happen to carry.
QImage OnWhite(const QImage& picture) {
  QImage flat(picture.size(), QImage::Format_RGB32);
  flat.fill(Qt::white);
  QPainter painter(&flat);
  painter.drawImage(0, 0, picture);
  return flat;
}

}  // namespace

void PaintCanvasFrame(EditorState& editor) {
  QImage& canvas = editor.canvas();
  if (canvas.isNull()) return;
  if (canvas.format() != QImage::Format_RGB32 && canvas.format() != QImage::Format_ARGB32)
    canvas.convertTo(QImage::Format_RGB32);
  const int x = editor.canvasOffsetX;
  const int y = editor.canvasOffsetY;
  const int w = editor.canvasPanelWidth;
  const int h = editor.canvasPanelHeight;
  const QRgb colour = kCanvasFrameColour;
  // Each strip is a filled box with both corners included. Only the pixels
  // that were not frame-coloured yet are shown again, so the frontier after
  // a drawing step costs next to nothing when nothing spilled over it.
  const auto strip = [&](int x1, int y1, int x2, int y2) {
    const QRect box = QRect(QPoint(x1, y1), QPoint(x2, y2)) & canvas.rect();
    QRect changed;
    for (int row = box.top(); row <= box.bottom(); ++row) {
      QRgb* line = reinterpret_cast<QRgb*>(canvas.scanLine(row));
      int first = -1, last = -1;
      for (int col = box.left(); col <= box.right(); ++col) {
        if (line[col] == colour) continue;
        line[col] = colour;
        if (first < 0) first = col;
        last = col;
      }
      if (first >= 0) changed |= QRect(first, row, last - first + 1, 1);
    }
    if (!changed.isEmpty()) editor.notifySurface(changed);
  };
  strip(0, 0, x - 1, h);              // left
  strip(0, 0, w, y - 1);              // top
  strip(w - 2 * x - 2, 0, w, h);      // right, from the last picture column
  strip(0, h - 2 * y - 1, w, h);      // bottom
}

void RecordStep(EditorState& editor, std::optional<PictureHistory::TextChange> text) {
  ChangingSteps(editor, [&] { editor.history.Record(editor.canvas(), std::move(text)); });
  // Everything drawn is recorded now: what the strokes still held went over
  // so far is no longer theirs to claim. Left marked, a stroke lifted later
  // (after "もどす" took those pixels back) would take into its step what
  // another stroke draws there afterwards.
  for (auto& [pointer, stroke] : editor.strokes) {
    if (stroke.touched.isNull()) continue;
    stroke.touched.fill(0);
    stroke.touchedArea = QRect();
  }
}

void RecordStep(EditorState& editor, const QImage& touched, const QRect& area) {
  ChangingSteps(editor, [&] { editor.history.Record(editor.canvas(), touched, area); });
}

void Undo(EditorState& editor) {
  // An outline is no part of the picture; what was drawn and is not yet a
  // step (a stroke still held) becomes one, and is the one taken back.
  CancelShape(editor);
  RecordStep(editor);
  ChangingSteps(editor, [&] { Show(editor, editor.history.Undo(editor.canvas())); });
}

void Redo(EditorState& editor) {
  CancelShape(editor);
  RecordStep(editor);
  ChangingSteps(editor, [&] { Show(editor, editor.history.Redo(editor.canvas())); });
}

void ClearCanvas(EditorState& editor) {
  QImage& canvas = editor.canvas();
  if (canvas.isNull()) return;
  canvas.fill(Qt::white);
  editor.notifySurface();
}

void StartPictureHistory(EditorState& editor) {
  ForgetShape(editor);
  // A finger whose release never came (a message opened while it was down)
  // draws nothing on this card, and holds back no finger's click.
  editor.strokes.clear();
  ChangingSteps(editor, [&] { editor.history.Start(editor.canvas()); });
}

void EndPictureHistory(EditorState& editor) {
  // Words still being typed were finished into the saved card, or are let
  // go with a drawing the child leaves.
  editor.wordsEditing.reset();
  editor.strokes.clear();
  ChangingSteps(editor, [&] { editor.history.Clear(); });
}

bool PastePicture(EditorState& editor, const QImage& picture) {
  if (picture.isNull()) return false;
  const QImage flat = OnWhite(picture);
  const int x = int(RoundHalfEven((800 - picture.width()) / 2.0)) + editor.canvasOffsetX;
  const int y = int(RoundHalfEven((600 - picture.height()) / 2.0)) + editor.canvasOffsetY;
  if (QImage& canvas = editor.canvas(); !canvas.isNull()) {
    QPainter painter(&canvas);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(x, y, flat);
  }
  editor.notifySurface(QRect(QPoint(x, y), flat.size()));
  PaintCanvasFrame(editor);
  RecordStep(editor);
  return true;
}
