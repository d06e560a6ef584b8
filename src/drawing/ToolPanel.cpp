// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "drawing/ToolPanel.h"

#include <QIcon>
#include <QKeySequence>
#include <QPainter>
#include <QPixmap>
#include <QShortcut>
#include <algorithm>

#include "drawing/Canvas.h"
#include "drawing/ColourDialog.h"
#include "drawing/DrawingTools.h"
#include "drawing/ToolActions.h"
#include "platform/Numbers.h"
#include "drawing/EditorState.h"
#include "drawing/StampBox.h"
#include "drawing/StampTable.h"
#include "platform/Dialogs.h"

namespace {

const QColor kPanelColour(255, 255, 192);
const QColor kToolLit(0, 255, 16);
const QColor kToolPlain(192, 255, 192);
const QColor kPink(255, 192, 192);
const QColor kLightBlue(192, 255, 255);
const QColor kBlue(128, 128, 255);

// The strip of 「もじ」's options at the foot of the panel, in twips: it
// reaches up to just below 「はんこ」 and 「もじ」.
constexpr int kWordsStripTop = 8805;
constexpr int kWordsStripHeight = 465;

struct ToolButtonDesign {
  const char* caption;
  double points;
  bool bold;
  QRect place;  // twips
  bool shown;
};

// The tool buttons, by slot (see kTools for the tool of each). The hidden
// ones are never shown; they sit where the plain tools of their row would be.
const std::array<ToolButtonDesign, kToolSlots> kToolButtons = {{
    {"・", 8.25, true, Twips(60, 1260, 675, 675), true},
    {"●", 12, false, Twips(720, 1260, 675, 675), true},
    {"●", 18, true, Twips(1380, 1260, 675, 675), true},
    {"●", 26.25, false, Twips(2040, 1260, 675, 675), true},
    {"／", 18, true, Twips(60, 1920, 675, 675), true},
    {"□", 18, true, Twips(720, 1920, 675, 675), true},
    {"■", 18, true, Twips(720, 1920, 675, 675), false},
    {"○", 18, true, Twips(1380, 1920, 675, 675), true},
    {"●", 18, true, Twips(1380, 1920, 675, 675), false},
    {"０", 18, true, Twips(2040, 1920, 675, 675), true},
    {"０", 18, true, Twips(2040, 1920, 675, 675), false},
    {"", 9, false, Twips(120, 4620, 855, 975), true},
    {"文記入", 12, true, Twips(1380, 3600, 1335, 675), true},
    {"はりつけ", 12, true, Twips(60, 3600, 1335, 675), true},
    {"", 9, false, Twips(120, 4620, 855, 975), false},
}};

}  // namespace

QColor ToolButtonFace(const EditorState& editor, int slot) {
  return slot != kNoSlot && InfoOf(editor.litTool).slot == slot ? kToolLit : kToolPlain;
}

QColor FillSwatchFace(const EditorState& editor) { return QColor(editor.paletteColour(editor.fillColourIndex)); }

QString PlacementCaption(Placement placement) {
  return placement == Placement::Fixed ? QStringLiteral("こてい") : QStringLiteral("じゆう");
}

QImage PaintBucketIcon() {
  QImage icon(16, 16, QImage::Format_ARGB32);
  icon.fill(Qt::transparent);
  QPainter p(&icon);
  const QColor outline(0, 0, 0);
  const QColor metal(192, 192, 192);
  const QColor paint(0, 0, 255);
  // The bucket, tipped over to the right, its open mouth facing down-right.
  const QPoint body[] = {{1, 8}, {6, 3}, {12, 9}, {7, 14}};
  p.setPen(outline);
  p.setBrush(metal);
  p.drawPolygon(body, 4);
  // Paint in the mouth and running out of it.
  p.setPen(paint);
  p.drawLine(8, 13, 12, 9);
  p.drawLine(9, 13, 12, 10);
  p.drawLine(13, 10, 13, 12);
  p.drawLine(14, 11, 14, 15);
  p.drawPoint(12, 14);
  p.drawPoint(12, 15);
  // The handle over the top.
  p.setPen(outline);
  p.drawLine(3, 5, 3, 2);
  p.drawLine(4, 1, 7, 1);
  p.drawLine(8, 2, 8, 4);
  return icon;
}

ToolPanel::ToolPanel(EditorState& editor, Dialogs& dialogs, QWidget* parent)
    : PicturePanel(QStringLiteral("Picture6"), kPanelColour, parent), editor_(editor), dialogs_(dialogs) {
  // The outline and the frame lie under the buttons placed on them.
  toolOutline = new QFrame(this);
  toolOutline->setObjectName(QStringLiteral("Shape1"));
  toolOutline->setStyleSheet(QStringLiteral("QFrame { border: 1px solid black; background: transparent; }"));
  toolOutline->setAttribute(Qt::WA_TransparentForMouseEvents);
  controls().add(toolOutline, Twips(30, 1080, 2715, 2475));

  fillFrame = new QGroupBox(QStringLiteral("色ぬり"), this);
  fillFrame->setObjectName(QStringLiteral("Frame1"));
  fillFrame->setAccessibleName(fillFrame->title());
  controls().add(fillFrame, Twips(60, 4320, 2655, 1335), 9);

  finishButton = new FaceButton(QStringLiteral("Command10"), QStringLiteral("えをかく おわり"),
                             QColor(255, 0, 0), this);
  controls().add(finishButton, Twips(60, 60, 2655, 510), 14, true);

  title = MakeLabel(QStringLiteral("Label3"), QStringLiteral("【えをかく】"), this);
  controls().add(title, Twips(-120, 660, 1995, 315), 12, true);

  fixModeButton = new FaceButton(QStringLiteral("Command9"), PlacementCaption(editor_.placement), kPink, this);
  // Taller into the gaps above and below it, up to the tools' outline.
  controls().add(fixModeButton, Twips(1740, 585, 975, 495), 9.75, true);
  connect(fixModeButton, &QPushButton::clicked, this, [this] { ToggleFixMode(editor_); });

  for (int i = 0; i < kToolSlots; ++i) {
    const ToolButtonDesign& design = kToolButtons[i];
    auto* button = new FaceButton(QStringLiteral("Command7_%1").arg(i), QString::fromUtf8(design.caption),
                                  ToolButtonFace(editor_, i), this);
    controls().add(button, design.place, design.points, design.bold);
    button->setVisible(design.shown);
    if (const std::optional<Tool> tool = ToolInSlot(i))
      connect(button, &QPushButton::clicked, this, [this, tool] { ChooseTool(editor_, dialogs_, *tool); });
    toolButtons[i] = button;
  }
  toolButtons[11]->setIcon(QIcon(QPixmap::fromImage(PaintBucketIcon())));
  toolButtons[11]->setIconSize(QSize(16, 16));

  // "もどす" and "やりなおす" share the place designed for "もどす", one
  // above the other, taking in the gaps above and below it.
  undoButton = new FaceButton(QStringLiteral("Command13"), QStringLiteral("もどす"), kLightBlue, this);
  controls().add(undoButton, Twips(60, 2610, 1335, 480), 11.25, true);
  connect(undoButton, &QPushButton::clicked, this, [this] { Undo(editor_); });
  redoButton = new FaceButton(QStringLiteral("redoButton"), QStringLiteral("やりなおす"), kLightBlue, this);
  controls().add(redoButton, Twips(60, 3105, 1335, 480), 11.25, true);
  connect(redoButton, &QPushButton::clicked, this, [this] { Redo(editor_); });
  // The same from the keyboard, while the panel is shown.
  for (const char* keys : {"Ctrl+Z"})
    connect(new QShortcut(QKeySequence(QString::fromLatin1(keys)), this), &QShortcut::activated, this,
            [this] { Undo(editor_); });
  for (const char* keys : {"Ctrl+Y", "Ctrl+Shift+Z"})
    connect(new QShortcut(QKeySequence(QString::fromLatin1(keys)), this), &QShortcut::activated, this,
            [this] { Redo(editor_); });

  eraserLabel = MakeLabel(QStringLiteral("Label5"), QStringLiteral("消しゴム"), this);
  controls().add(eraserLabel, Twips(1620, 2640, 855, 195), 9);

  smallEraserButton = new FaceButton(QStringLiteral("Command25"), QStringLiteral("●"), kPink, this);
  controls().add(smallEraserButton, Twips(1380, 2880, 675, 615), 11.25, true);
  connect(smallEraserButton, &QPushButton::clicked, this, [this] { ChooseEraser(editor_, Tool::SmallEraser); });
  largeEraserButton = new FaceButton(QStringLiteral("Command26"), QStringLiteral("●"), kPink, this);
  controls().add(largeEraserButton, Twips(2040, 2880, 675, 615), 26.25, true);
  connect(largeEraserButton, &QPushButton::clicked, this, [this] { ChooseEraser(editor_, Tool::LargeEraser); });

  fillSwatch = new FaceButton(QStringLiteral("Command12"), QString(), FillSwatchFace(editor_), this);
  controls().add(fillSwatch, Twips(1020, 4500, 1635, 1095));
  connect(fillSwatch, &QPushButton::clicked, this,
          [this] { ChooseFillColour(editor_, [this] { colourDialog()->exec(); }); });

  startOverButton = new FaceButton(QStringLiteral("Command14"), QStringLiteral("はじめから"), kBlue, this);
  controls().add(startOverButton, Twips(300, 5700, 2115, 540), 12, true);

  saveButton = new FaceButton(QStringLiteral("Command11"), QStringLiteral("ほぞん"), kBlue, this);
  controls().add(saveButton, Twips(540, 8880, 2265, 435), 11, true);
  saveButton->setVisible(false);

  blankPaperButton = new FaceButton(QStringLiteral("Command8"), QStringLiteral("はくし"), kBlue, this);
  controls().add(blankPaperButton, Twips(300, 6300, 2115, 525), 12, true);

  loadFileButton = new FaceButton(QStringLiteral("Command15"), QStringLiteral("ﾌｧｲﾙ読込"), kBlue, this);
  controls().add(loadFileButton, Twips(300, 6900, 2115, 555), 12, true);

  stampButton = new FaceButton(QStringLiteral("stampButton"), QStringLiteral("はんこ"), kToolPlain, this);
  controls().add(stampButton, Twips(60, 8280, 1335, 510), 12, true);
  stampButton->setVisible(!StampFontFamily().isEmpty());
  connect(stampButton, &QPushButton::clicked, this, [this] { stampBox()->open(); });

  wordsButton = new FaceButton(QStringLiteral("wordsButton"), QStringLiteral("もじ"), kToolPlain, this);
  controls().add(wordsButton, Twips(1380, 8280, 1335, 510), 12, true);
  connect(wordsButton, &QPushButton::clicked, this, [this] { ChooseTool(editor_, dialogs_, Tool::Words); });
  const char* sizeCaptions[] = {"ちいさい", "ふつう", "おおきい"};
  for (int i = 0; i < int(kWordsSizes.size()); ++i) {
    auto* button = new FaceButton(QStringLiteral("wordsSize%1").arg(i), QString::fromUtf8(sizeCaptions[i]),
                                  kToolPlain, this);
    controls().add(button, Twips(60 + 664 * i, kWordsStripTop, 664, kWordsStripHeight), 7.5, true);
    button->setFocusPolicy(Qt::NoFocus);  // the typing stays on the canvas
    connect(button, &QPushButton::clicked, this, [this, i] {
      WordsChoice choice = editor_.words;
      choice.size = kWordsSizes[size_t(i)];
      ChangeWordsLook(editor_, choice);
    });
    wordsSizeButtons[size_t(i)] = button;
  }
  bubbleButton = new FaceButton(QStringLiteral("bubbleButton"), QStringLiteral("ふきだし"), kToolPlain, this);
  controls().add(bubbleButton, Twips(60 + 664 * 3, kWordsStripTop, 663, kWordsStripHeight), 7.5, true);
  bubbleButton->setFocusPolicy(Qt::NoFocus);
  connect(bubbleButton, &QPushButton::clicked, this, [this] {
    WordsChoice choice = editor_.words;
    choice.bubble = !choice.bubble;
    ChangeWordsLook(editor_, choice);
  });

  connect(&editor_, &EditorState::changed, this, &ToolPanel::syncControls);
  syncControls();
}

StampBox* ToolPanel::stampBox() {
  if (!stampBox_) stampBox_ = new StampBox(editor_, window());
  return stampBox_;
}

ColourDialog* ToolPanel::colourDialog() {
  // Scaled up with the panel for fingers, never down: it fits a small screen as it is.
  if (!colourDialog_) colourDialog_ = new ColourDialog(editor_, window(), std::max(scale(), 1.0));
  return colourDialog_;
}

void ToolPanel::syncControls() {
  for (int i = 0; i < kToolSlots; ++i) {
    const QColor face = ToolButtonFace(editor_, i);
    if (toolButtons[i]->face() != face) toolButtons[i]->setFace(face);
  }
  const QColor stampFace = editor_.litTool == Tool::Stamp ? kToolLit : kToolPlain;
  if (stampButton->face() != stampFace) stampButton->setFace(stampFace);
  const QColor wordsFace = editor_.litTool == Tool::Words ? kToolLit : kToolPlain;
  if (wordsButton->face() != wordsFace) wordsButton->setFace(wordsFace);
  const bool wordsOptions = editor_.tool == Tool::Words;
  for (int i = 0; i < int(kWordsSizes.size()); ++i) {
    FaceButton* button = wordsSizeButtons[size_t(i)];
    const QColor face = editor_.words.size == kWordsSizes[size_t(i)] ? kToolLit : kToolPlain;
    if (button->face() != face) button->setFace(face);
    button->setVisible(wordsOptions);
  }
  const QColor bubbleFace = editor_.words.bubble ? kToolLit : kToolPlain;
  if (bubbleButton->face() != bubbleFace) bubbleButton->setFace(bubbleFace);
  bubbleButton->setVisible(wordsOptions);
  const QColor swatch = FillSwatchFace(editor_);
  if (fillSwatch->face() != swatch) fillSwatch->setFace(swatch);
  const QString caption = PlacementCaption(editor_.placement);
  if (fixModeButton->text() != caption) fixModeButton->setCaption(caption);
  undoButton->setEnabled(editor_.history.CanUndo());
  redoButton->setEnabled(editor_.history.CanRedo());
}
