// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "deck/CardStrip.h"
#include "drawing/CanvasView.h"
#include "drawing/DrawingSession.h"
#include "cardtext/CardTextBox.h"
#include "pictureimport/PictureBrowser.h"
#include "drawing/ToolPalette.h"
#include "drawing/ToolPanel.h"
#include "exchange/ExchangeWindow.h"
#include "export/ExportDialog.h"
#include "library/StoryList.h"
#include "library/StoryNameDialog.h"
#include "library/StoryPanel.h"
#include "narration/RecorderButtons.h"
#include "player/PlayerWindow.h"
#include "shell/CardNarration.h"
#include "shell/ClassExchange.h"
#include "shell/ClassFolderWatch.h"
#include "shell/ClassPanel.h"
#include "shell/DataFolderDialog.h"
#include "shell/DataRoot.h"
#include "recovery/RecoveryOffer.h"
#include "shell/Session.h"
#include "shell/ShowHost.h"
#include "shell/Startup.h"
#include "shell/StripClicks.h"

namespace {

QSize ScreenSize() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry().size() : QSize(1024, 768);
}

}  // namespace

MainWindow::MainWindow(Session& m, std::optional<QSize> screen) : m_(m) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("ぴこらまつくろ 2002.6.30"));
  setAccessibleName(windowTitle());
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(192, 255, 192));
  setPalette(pal);

  Initialise(m_);
  LoadStep(m_, screen.value_or(ScreenSize()));

  makeStoryPanel();
  makeToolPanel();
  makeCanvasAndText();
  makeCardStrip();
  makeClassPanel();

  const Layout& layout = m_.layout;
  placements_.apply(layout.scale);
  for (PicturePanel* panel :
       std::initializer_list<PicturePanel*>{storyPanel, toolPanel, canvas, cardStrip, classPanel})
    panel->setScale(layout.scale);

  for (Notifier* part : std::initializer_list<Notifier*>{&m_.screen, &m_.library, &m_.deck, &m_.editor})
    connect(part, &Notifier::changed, this, &MainWindow::syncControls);
  connect(&m_.library, &Notifier::surfaceChanged, storyPanel, &PicturePanel::showSurface);
  connect(&m_.deck, &Notifier::surfaceChanged, cardStrip, &PicturePanel::showSurface);
  connect(&m_.editor, &Notifier::surfaceChanged, canvas, &PicturePanel::showSurface);
  m_.recovery.Start();
  // Other computers change the class folder too; nothing is read again
  // while a question waits for the child or the story is playing.
  folderWatch = new ClassFolderWatch(m_, this, [this] {
    return QApplication::activeModalWidget() || (playerWindow_ && playerWindow_->isVisible());
  });
  syncControls();

  setFixedSize(layout.window);
  move(0, 0);
}

void MainWindow::makeStoryPanel() {
  LibraryState& library = m_.library;
  DeckState& deck = m_.deck;
  Dialogs& dialogs = m_.dialogs;
  storyPanel = new StoryPanel(this);
  storyPanel->setSurface(&library.storyListImage);
  placements_.add(storyPanel, m_.layout.storyPanel);
  connect(storyPanel, &StoryPanel::quitPressed, this, [this, &dialogs] {
    if (!ConfirmQuit(dialogs)) return;
    m_.recovery.Discard();
    dialogs.EndProgram();
  });
  connect(storyPanel, &StoryPanel::makePressed, this, &MainWindow::onMakeStoryClicked);
  connect(storyPanel, &StoryPanel::renamePressed, this, [&] { RenameStory(library, deck, dialogs); });
  connect(storyPanel, &StoryPanel::deletePressed, this, [&] { DeleteStory(library, deck, dialogs); });
  connect(storyPanel, &PicturePanel::mousePressed, this,
          [&](Qt::MouseButton, Qt::KeyboardModifiers, QPointF at) { PickStoryAt(library, deck, at); });
  connect(storyPanel->drawButton, &QPushButton::clicked, &m_.drawing, &DrawingSession::Start);
  connect(storyPanel->playButton, &QPushButton::clicked, this, &MainWindow::onPlayClicked);
  connect(storyPanel->webPageButton, &QPushButton::clicked, this, [&, this] {
    ExportStory story{library.CurrentStoryName, deck.StoryFolder, {}};
    if (StorySelected(deck))
      for (int position = 1; position <= deck.CardCount; ++position) story.cardNumbers.append(deck.CardNumbers[position]);
    ExportStoryAsWebPages(story, dialogs, this);
  });
  connect(storyPanel->exchangeButton, &QPushButton::clicked, this, [this] { exchangeWindow()->Open(); });
}

void MainWindow::makeToolPanel() {
  EditorState& editor = m_.editor;
  Dialogs& dialogs = m_.dialogs;
  toolPanel = new ToolPanel(editor, dialogs, this);
  placements_.add(toolPanel, m_.layout.toolPanel);
  connect(toolPanel->finishButton, &QPushButton::clicked, this, [this] { finishDrawing(); });
  connect(toolPanel->saveButton, &QPushButton::clicked, &m_.drawing, &DrawingSession::Save);
  connect(toolPanel->startOverButton, &QPushButton::clicked, &m_.drawing, &DrawingSession::StartOver);
  connect(toolPanel->blankPaperButton, &QPushButton::clicked, this,
          [&] { BlankPaper(editor, m_.deck, dialogs); });
  connect(toolPanel->loadFileButton, &QPushButton::clicked, this, [&, this] {
    auto* browser = findChild<PictureBrowser*>(QString(), Qt::FindDirectChildrenOnly);
    if (!browser) browser = new PictureBrowser(editor, m_.library, dialogs, this);
    browser->Open();
  });

  // The recorder's row sits at the bottom of the tool panel and scales
  // with it.
  recorderButtons = new RecorderButtons(m_.narration.recorder, toolPanel);
  toolPanel->controls().add(recorderButtons, RecorderButtons::PlaceOnToolPanel());
}

void MainWindow::makeCanvasAndText() {
  canvas = new CanvasView(m_.editor, this);
  placements_.add(canvas, m_.layout.canvas);

  cardText = new CardTextBox(m_.deck, m_.dialogs, this);
  placements_.add(cardText, m_.layout.cardText, 16);
  // The card text is kept with the drawing as it is typed.
  connect(cardText, &QPlainTextEdit::textChanged, &m_.recovery, &DrawingRecovery::Changed);
}

void MainWindow::makeCardStrip() {
  cardStrip = new PicturePanel(QStringLiteral("Picture5"), strip::kBackground, this);
  cardStrip->setSurface(&m_.deck.stripImage);
  placements_.add(cardStrip, m_.layout.cardStrip);
  connect(cardStrip, &PicturePanel::mousePressed, this,
          [this](Qt::MouseButton, Qt::KeyboardModifiers, QPointF at) {
            CardStripMouseDown(m_.drawing, m_.editor, m_.deck, m_.dialogs, at);
          });
}

void MainWindow::makeClassPanel() {
  classPanel = new ClassPanel(m_.library.ClassNames, this);
  placements_.add(classPanel, m_.layout.classPanel);
  connect(classPanel, &ClassPanel::classChosen, this, [this](int k) {
    ChooseClass(m_, k);
    if (m_.screen.current() != Screen::ClassChoice) OfferRecoveredDrawing(m_.recovery, m_.drawing, m_.dialogs, m_.library, m_.deck, m_.editor);
  });
  connect(classPanel, &ClassPanel::driveButtonPressed, this, &MainWindow::onDriveButtonClicked);
}

DataFolderDialog* MainWindow::driveDialog() {
  if (!dataFolderDialog_) dataFolderDialog_ = new DataFolderDialog(m_, this);
  return dataFolderDialog_;
}

void MainWindow::onDriveButtonClicked() {
  DataFolderDialog* dialog = driveDialog();
  dialog->currentRoot->setText(m_.library.BaseFolder);
  dialog->exec();
}

MainWindow::~MainWindow() = default;

ExchangeWindow* MainWindow::exchangeWindow() {
  if (!exchangeWindow_) {
    classExchange_ = std::make_unique<ClassExchange>(m_.library, m_.deck, m_.dialogs);
    exchangeWindow_ = new ExchangeWindow(*classExchange_, this);
  }
  return exchangeWindow_;
}

StoryNameDialog* MainWindow::nameDialog() {
  if (!storyNameDialog_) storyNameDialog_ = new StoryNameDialog(m_.library, m_.deck, m_.dialogs, this);
  return storyNameDialog_;
}

void MainWindow::onMakeStoryClicked() {
  if (!StoryListHasRoom(m_.library, m_.dialogs)) return;
  nameDialog()->exec();
}

PlayerWindow* MainWindow::playerWindow() {
  if (!playerWindow_) {
    showHost_ = std::make_unique<ShowHost>(m_);
    playerWindow_ = std::make_unique<PlayerWindow>(*showHost_);
  }
  return playerWindow_.get();
}

void MainWindow::onPlayClicked() { playerWindow()->Start(); }

void MainWindow::syncControls() {
  const Screen screen = m_.screen.current();
  const bool drawing = screen == Screen::Drawing || screen == Screen::CardText;
  classPanel->setVisible(screen == Screen::ClassChoice);
  storyPanel->setVisible(screen == Screen::Stories);
  cardStrip->setVisible(screen != Screen::ClassChoice);
  toolPanel->setVisible(drawing);
  canvas->setVisible(screen == Screen::Drawing);
  cardText->setVisible(screen == Screen::CardText);
  const LibraryState& library = m_.library;
  classPanel->dataRootLabel->setText(library.dataRootCaption);
  classPanel->dataRootLabel->setAccessibleName(library.dataRootCaption);
}

bool MainWindow::finishDrawing() {
  OfferUnsavedRecording(m_);
  return m_.drawing.Finish();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!ConfirmQuit(m_.dialogs)) {
    event->ignore();
    return;
  }
  // Closing the window while drawing saves the card first, as "えをかく
  // おわり" does; a child who stays to keep an unsaved drawing stays.
  bool keepRecovery = false;
  if (m_.drawing.IsOpen() && !finishDrawing()) {
    if (m_.drawing.IsOpen()) {
      event->ignore();
      return;
    }
    keepRecovery = true;
  }
  event->accept();
  if (!keepRecovery) m_.recovery.Discard();
  m_.dialogs.EndProgram();
}

