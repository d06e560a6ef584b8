#include "shell/Form1.h"

#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "deck/CardDeck.h"
#include "deck/CardOperations.h"
#include "editor/CanvasView.h"
#include "editor/ToolPalette.h"
#include "editor/CardTextBox.h"
#include "editor/ToolPanel.h"
#include "library/Form2.h"
#include "library/StoryList.h"
#include "library/StoryPanel.h"
#include "shell/ClassPanel.h"
#include "shell/DataRoot.h"
#include "shell/Form8.h"
#include "shell/Shared.h"
#include "shell/Startup.h"

namespace {

QSize ScreenSize() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry().size() : QSize(1024, 768);
}

// Resident memory in kB, for the start-up benchmark.
long ResidentKb() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
  }
  return -1;
}

}  // namespace

Form1::Form1(Shared& m, std::optional<QSize> screen) : m_(m) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("ぴこらまつくろ 2002.6.30"));
  setAccessibleName(windowTitle());
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(192, 255, 192));
  setPalette(pal);

  Initialise(m_);
  LoadStep(m_, screen.value_or(ScreenSize()));
  const Layout& layout = m_.layout;

  Picture1 = new StoryPanel(this);
  Picture1->setSurface(&m_.Picture1Image);
  placements_.add(Picture1, layout.Picture1);
  connect(Picture1, &StoryPanel::quitPressed, this, [this] { Command4_Click(m_); });
  connect(Picture1, &StoryPanel::makePressed, this, &Form1::Command1_Click);
  connect(Picture1, &StoryPanel::renamePressed, this, [this] { RenameStory(m_); });
  connect(Picture1, &StoryPanel::deletePressed, this, [this] { DeleteStory(m_); });
  connect(Picture1, &PicturePanel::mousePressed, this,
          [this](Qt::MouseButton, Qt::KeyboardModifiers, QPointF at) { PickStoryAt(m_, at); });
  connect(Picture1->Command3, &QPushButton::clicked, this, [this] { Command3_Click(m_); });

  Picture6 = new ToolPanel(m_, this);
  placements_.add(Picture6, layout.Picture6);
  connect(Picture6->Command10, &QPushButton::clicked, this, [this] { Command10_Click(m_); });
  connect(Picture6->Command11, &QPushButton::clicked, this, [this] { Command11_Click(m_); });
  connect(Picture6->Command14, &QPushButton::clicked, this, [this] { Command14_Click(m_); });

  Picture2 = new CanvasView(m_, this);
  placements_.add(Picture2, layout.Picture2);

  Text1 = new CardTextBox(m_, this);
  placements_.add(Text1, layout.Text1, 16);

  Picture5 = new PicturePanel(QStringLiteral("Picture5"), strip::kBackground, this);
  Picture5->setSurface(&m_.Picture5Image);
  placements_.add(Picture5, layout.Picture5);
  connect(Picture5, &PicturePanel::mousePressed, this,
          [this](Qt::MouseButton, Qt::KeyboardModifiers, QPointF at) { CardStripMouseDown(m_, at); });

  Picture3 = new ClassPanel(m_.ClassNames, this);
  placements_.add(Picture3, layout.Picture3);
  connect(Picture3, &ClassPanel::classChosen, this, [this](int k) { ChooseClass(m_, k); });
  connect(Picture3, &ClassPanel::driveButtonPressed, this, &Form1::Command17_Click);

  placements_.apply(layout.scale);
  for (PicturePanel* panel : std::initializer_list<PicturePanel*>{Picture1, Picture6, Picture2, Picture5, Picture3})
    panel->setScale(layout.scale);

  connect(&m_, &Shared::controlsChanged, this, &Form1::SyncControls);
  connect(&m_, &Shared::surfaceChanged, this, &Form1::ShowSurface);
  SyncControls();

  setFixedSize(layout.window);
  move(0, 0);
}

Form8* Form1::DriveDialog() {
  if (!form8_) form8_ = new Form8(m_, this);
  return form8_;
}

void Form1::Command17_Click() {
  Form8* dialog = DriveDialog();
  dialog->Text1->setText(m_.BaseFolder);
  dialog->exec();
}

Form2* Form1::NameDialog() {
  if (!form2_) form2_ = new Form2(m_, this);
  return form2_;
}

void Form1::Command1_Click() {
  if (!StoryListHasRoom(m_)) return;
  NameDialog()->exec();
}

void Form1::SyncControls() {
  const Controls& ui = m_.ui;
  Picture3->setVisible(ui.Picture3Visible);
  Picture1->setVisible(ui.Picture1Visible);
  Picture5->setVisible(ui.Picture5Visible);
  Picture6->setVisible(ui.Picture6Visible);
  Picture2->setVisible(ui.Picture2Visible);
  Text1->setVisible(ui.Text1Visible);
  Picture3->Label4->setText(ui.Label4Caption);
  Picture3->Label4->setAccessibleName(ui.Label4Caption);
}

void Form1::ShowSurface(Surface surface, const QRect& rect) {
  switch (surface) {
    case Surface::Picture1: Picture1->showSurface(rect); break;
    case Surface::Picture2: Picture2->showSurface(rect); break;
    case Surface::Picture5: Picture5->showSurface(rect); break;
    default: break;  // hidden buffers
  }
}

void Form1::closeEvent(QCloseEvent* event) {
  if (!ConfirmQuit(m_)) {
    event->ignore();
    return;
  }
  event->accept();
  m_.dialogs.EndProgram();
}

void Form1::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  if (painted_) return;
  painted_ = true;
  if (qEnvironmentVariableIsSet("PIKORAMA_STARTUP_REPORT")) {
    std::printf("first-paint rss-kb %ld\n", ResidentKb());
    std::fflush(stdout);
    // Measuring only: leave at once, before the event loop may even run.
    std::_Exit(0);
  }
}
