// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The picture editor: the canvas and its geometry, the tool in force, the
// palette and the shape being drawn, the history of the picture, and which
// of the editor's panels are shown. The canvas is the surface it shows.

#include <QImage>
#include <QPoint>
#include <QRgb>
#include <QSize>
#include <QString>
#include <QPointF>
#include <QRect>
#include <array>
#include <map>
#include <optional>

#include "drawing/PictureHistory.h"
#include "drawing/Tool.h"
#include "platform/Notifier.h"

// The stamp of 「はんこ」: which one (in the stamp table), how large and
// whether mirrored. No stamp until one is chosen in the stamp box.
struct StampChoice {
  int category = 0;  // of the stamp chosen
  int index = -1;    // in the category; -1: none chosen
  int tab = 0;       // the category the stamp box shows
  int size = 96;     // pixels, one of kStampSizes
  bool mirrored = false;
};
// "ちいさい", "ふつう" and "おおきい".
inline constexpr std::array<int, 3> kStampSizes = {48, 96, 160};

// A pen or eraser stroke of one pointer (the mouse, the pen, a finger):
// where it last was and how wide it was drawn there. While other strokes
// are drawn beside it, `touched` (8 bits a pixel, the canvas's size) marks
// every pixel it went over, inside `touchedArea`, so its step holds only
// those; a stroke drawn alone keeps no mask.
struct PointerStroke {
  QPointF last;
  double width = 0;
  QImage touched;
  QRect touchedArea;
};

// The words of 「もじ」: their size in pixels (one of kWordsSizes) and
// whether they sit in a speech bubble.
struct WordsChoice {
  int size = 40;
  bool bubble = false;
};
// "ちいさい", "ふつう" and "おおきい".
inline constexpr std::array<int, 3> kWordsSizes = {24, 40, 64};
// Words being typed: where the child clicked (the left end of the first
// line, halfway up it) and the text so far, lines split by '\n'. Shown
// over the picture until they are finished into it.
struct WordsInProgress {
  QPoint at;
  QString text;
};

// "じゆう" places points where the child clicks, "こてい" on a grid.
enum class Placement { Free, Fixed };

class EditorState;
// Fills the palette: 56 colours offered in the colour dialog, then 16 more.
void InitPalette(EditorState& editor);
// The canvas panel's designed size: the 800 x 600 picture inside its frame.
inline constexpr QSize kCanvasPanelSize{818, 618};
// Sets the canvas's geometry for a canvas panel of `panel` logical pixels,
// as the main window lays it out; the canvas itself is made on first use.
void LayOutCanvas(EditorState& editor, QSize panel);

class EditorState : public Notifier {
  Q_OBJECT
 public:
  // The state a run starts with: no tool, the palette, free placement.
  EditorState() { InitPalette(*this); }

  int canvasOffsetX = 7;
  int canvasOffsetY = 7;
  int canvasPanelWidth = 0;
  int canvasPanelHeight = 0;

  Tool tool = Tool::None;
  // The tool whose button is lit: the last one chosen. "えをかく" leaves
  // no tool in force and the light where it was; before any choice it is
  // the thin pen's, as designed.
  Tool litTool = Tool::ThinPen;
  int penColourIndex = 0;   // black, for pens, lines and shapes
  int fillColourIndex = 0;  // chosen in the colour dialog
  std::array<QRgb, 72> palette{};
  Placement placement = Placement::Free;
  ShapeInProgress shape;  // changed only by the drawing tools
  // The pen and eraser strokes being drawn, by pointer (drawing/DrawingTools.h).
  std::map<int, PointerStroke> strokes;
  StampChoice stamp;
  // Where the stamp tool's preview is centred, while the pointer is over
  // the canvas: the canvas panel shows it over the picture, never in it.
  std::optional<QPoint> stampPreviewAt;
  WordsChoice words;
  // The words of 「もじ」 still being typed; only the drawing tools change it.
  std::optional<WordsInProgress> wordsEditing;

  // The canvas, the picture area inside a frame, as its view shows it:
  // empty until canvas() first makes it.
  QImage canvasImage;
  // The canvas's size in the layout in use (LoadStep).
  QSize canvasSize;
  // The canvas, made white at canvasSize on first use (the first card
  // opened for drawing) rather than at start-up: a run that never draws
  // never fills its memory.
  QImage& canvas();
  // The steps "もどす" takes back and "やりなおす" brings back, while a card
  // is open for drawing (drawing/Canvas.h).
  PictureHistory history;

  // A card is open for drawing; only DrawingSession opens and closes one.
  bool cardOpen = false;

  // A palette colour; black for an index outside the palette.
  QRgb paletteColour(int index) const {
    return index >= 0 && index < int(palette.size()) ? palette[size_t(index)] : palette[0];
  }

  // "もどす" and "やりなおす" bring back the card text along with the
  // picture of "はくし" and "はじめから".
  void notifyTextRestored(const QString& text) { emit textRestored(text); }
  // "文記入" was chosen: the card text box and the picture trade places.
  void notifyTextToolChosen() { emit textToolChosen(); }
  // Another tool, "はくし" or "はじめから": the picture is to be in view.
  void notifyPictureWanted() { emit pictureWanted(); }

 signals:
  void textRestored(const QString& text);
  void textToolChosen();
  void pictureWanted();
};

