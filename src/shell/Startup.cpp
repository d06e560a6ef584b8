#include "shell/Startup.h"

#include <QCoreApplication>

#include "deck/CardStrip.h"
#include "platform/Disk.h"
#include "shell/Shared.h"

void Initialise(Shared& m) {
  // The program keeps no files of its own beside it; the folder is noted
  // for completeness and never opened.
  m.AppFolder = QCoreApplication::applicationDirPath() + u'\\';
  m.ui.Timer1Interval = 100;
  m.ui.Timer1Enabled = false;
  m.RecordMax = 30000;
  m.CurrentTool = 0;
  InitPalette(m);
  m.PenWidth = 1;
  m.PenColorIndex = 0;
  m.FixMode = 0;
  m.ui.Command9Caption = QStringLiteral("じゆう");
  m.ExchangeDrive = QStringLiteral("D:\\");
  m.BaseFolder = QStringLiteral("C:\\A_PIKORA\\");
  m.ui.Label4Caption = m.BaseFolder;
  disk::CreateFolder(m.BaseFolder);  // a missing drive or an existing folder is fine
  InitClassNames(m);
  m.ControlsChanged();
}

void LoadStep(Shared& m, QSize screen) {
  m.CanvasOffsetX = 7;
  m.CanvasOffsetY = 7;
  m.layout = ChooseLayout(screen);
  // The canvas keeps its full logical size in both layouts: the small one
  // shows it scaled.
  m.CanvasPanelWidth = int16_t(m.layout.Picture2.width() + 4);
  m.CanvasPanelHeight = int16_t(m.layout.Picture2.height() + 4);

  const auto surface = [](QSize size, QColor fill) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(fill);
    return image;
  };
  m.Picture1Image = surface(m.layout.Picture1.size(), QColor(192, 255, 255));
  m.Picture2Image = surface(m.layout.Picture2.size(), Qt::white);
  m.Picture5Image = surface(m.layout.Picture5.size(), strip::kBackground);
  m.Picture4Image = surface({800, 600}, Qt::white);
  m.Picture7Image = surface({90, 64}, Qt::white);
  m.Picture8Image = surface({m.CanvasPanelWidth + 5, m.CanvasPanelHeight + 5}, Qt::white);
  m.ControlsChanged();
}

bool ConfirmQuit(Shared& m) {
  return m.dialogs.Ask(QStringLiteral("「ぴこらまつくろ」をおわります。"));
}

void Command4_Click(Shared& m) {
  if (ConfirmQuit(m)) m.dialogs.EndProgram();
}
