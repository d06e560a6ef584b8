#include "editor/ToolPanel.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>

#include "editor/Canvas.h"
#include "editor/Form3.h"
#include "editor/ToolPalette.h"
#include "platform/Numbers.h"
#include "shell/Shared.h"

namespace {

// A designed place in twips, 15 to a pixel.
QRect Twips(int left, int top, int width, int height) {
  const auto px = [](int twips) { return int(RoundHalfEven(twips / 15.0)); };
  return {px(left), px(top), px(width), px(height)};
}

const QColor kPanelColour(255, 255, 192);
const QColor kPink(255, 192, 192);
const QColor kLightBlue(192, 255, 255);
const QColor kBlue(128, 128, 255);

struct ToolButtonDesign {
  const char* caption;
  double points;
  bool bold;
  QRect place;  // twips
  bool shown;
};

// The tool buttons Command7(0..14). The hidden ones are never shown; they
// sit where the plain tools of their row would be.
const std::array<ToolButtonDesign, 15> kToolButtons = {{
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

ToolPanel::ToolPanel(Shared& m, QWidget* parent)
    : PicturePanel(QStringLiteral("Picture6"), kPanelColour, parent), m_(m) {
  // The outline and the frame lie under the buttons placed on them.
  Shape1 = new QFrame(this);
  Shape1->setObjectName(QStringLiteral("Shape1"));
  Shape1->setStyleSheet(QStringLiteral("QFrame { border: 1px solid black; background: transparent; }"));
  Shape1->setAttribute(Qt::WA_TransparentForMouseEvents);
  controls().add(Shape1, Twips(30, 1080, 2715, 2475));

  Frame1 = new QGroupBox(QStringLiteral("色ぬり"), this);
  Frame1->setObjectName(QStringLiteral("Frame1"));
  Frame1->setAccessibleName(Frame1->title());
  controls().add(Frame1, Twips(60, 4320, 2655, 1335), 9);

  Command10 = new FaceButton(QStringLiteral("Command10"), QStringLiteral("えをかく おわり"),
                             QColor(255, 0, 0), this);
  controls().add(Command10, Twips(60, 60, 2655, 495), 14, true);

  Label3 = MakeLabel(QStringLiteral("Label3"), QStringLiteral("【えをかく】"), this);
  controls().add(Label3, Twips(-120, 660, 1995, 315), 12, true);

  Command9 = new FaceButton(QStringLiteral("Command9"), m_.ui.Command9Caption, kPink, this);
  controls().add(Command9, Twips(1740, 600, 975, 435), 9.75, true);
  connect(Command9, &QPushButton::clicked, this, [this] { Command9_Click(m_); });

  for (int i = 0; i < 15; ++i) {
    const ToolButtonDesign& design = kToolButtons[i];
    auto* button = new FaceButton(QStringLiteral("Command7_%1").arg(i), QString::fromUtf8(design.caption),
                                  PaletteColour(m_.ui.Command7Face[i]), this);
    controls().add(button, design.place, design.points, design.bold);
    button->setVisible(design.shown);
    connect(button, &QPushButton::clicked, this, [this, i] { Command7_Click(m_, i); });
    Command7[i] = button;
  }
  Command7[11]->setIcon(QIcon(QPixmap::fromImage(PaintBucketIcon())));
  Command7[11]->setIconSize(QSize(16, 16));

  Command13 = new FaceButton(QStringLiteral("Command13"), QStringLiteral("もどす"), kLightBlue, this);
  controls().add(Command13, Twips(60, 2640, 1335, 855), 11.25, true);
  connect(Command13, &QPushButton::clicked, this, [this] { Command13_Click(m_); });

  Label5 = MakeLabel(QStringLiteral("Label5"), QStringLiteral("消しゴム"), this);
  controls().add(Label5, Twips(1620, 2640, 855, 195), 9);

  Command25 = new FaceButton(QStringLiteral("Command25"), QStringLiteral("●"), kPink, this);
  controls().add(Command25, Twips(1380, 2880, 675, 615), 11.25, true);
  connect(Command25, &QPushButton::clicked, this, [this] { Command25_Click(m_); });
  Command26 = new FaceButton(QStringLiteral("Command26"), QStringLiteral("●"), kPink, this);
  controls().add(Command26, Twips(2040, 2880, 675, 615), 26.25, true);
  connect(Command26, &QPushButton::clicked, this, [this] { Command26_Click(m_); });

  Command12 = new FaceButton(QStringLiteral("Command12"), QString(), PaletteColour(m_.ui.Command12Face), this);
  controls().add(Command12, Twips(1020, 4500, 1635, 1095));
  connect(Command12, &QPushButton::clicked, this,
          [this] { Command12_Click(m_, [this] { ColourDialog()->exec(); }); });

  Command14 = new FaceButton(QStringLiteral("Command14"), QStringLiteral("はじめから"), kBlue, this);
  controls().add(Command14, Twips(300, 5700, 2115, 540), 12, true);

  Command11 = new FaceButton(QStringLiteral("Command11"), QStringLiteral("ほぞん"), kBlue, this);
  controls().add(Command11, Twips(540, 8880, 2265, 435), 11, true);
  Command11->setVisible(false);

  Command8 = new FaceButton(QStringLiteral("Command8"), QStringLiteral("はくし"), kBlue, this);
  controls().add(Command8, Twips(300, 6300, 2115, 525), 12, true);
  connect(Command8, &QPushButton::clicked, this, [this] { Command8_Click(m_); });

  Command15 = new FaceButton(QStringLiteral("Command15"), QStringLiteral("ﾌｧｲﾙ読込"), kBlue, this);
  controls().add(Command15, Twips(300, 6900, 2115, 555), 12, true);

  connect(&m_, &Shared::controlsChanged, this, &ToolPanel::SyncControls);
  SyncControls();
}

Form3* ToolPanel::ColourDialog() {
  if (!form3_) form3_ = new Form3(m_, window());
  return form3_;
}

void ToolPanel::SyncControls() {
  for (int i = 0; i < 15; ++i) {
    const QColor face = PaletteColour(m_.ui.Command7Face[i]);
    if (Command7[i]->face() != face) Command7[i]->setFace(face);
  }
  const QColor swatch = PaletteColour(m_.ui.Command12Face);
  if (Command12->face() != swatch) Command12->setFace(swatch);
  if (Command9->text() != m_.ui.Command9Caption) Command9->setCaption(m_.ui.Command9Caption);
}
