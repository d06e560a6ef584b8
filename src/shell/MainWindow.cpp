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
#include "drawing/ToolActions.h"
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
#include "shell/WordsKeyboard.h"
#include "drawing/StripClicks.h"

MainWindow::MainWindow(Session& session, std::optional<ScreenFacts> screen) : session_(session) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("ぴこらまつくろ 2002.6.30"));
  setAccessibleName(windowTitle());
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(192, 255, 192));
  setPalette(pal);

  StartSession(session_);
  LayOutSession(session_, screen ? *screen : ThisScreen());

  makeStoryPanel();
  makeToolPanel();
  makeCanvasAndText();
  makeCardStrip();
  makeClassPanel();

  const Layout& layout = session_.layout;
  placements_.apply(layout.scale);
  for (PicturePanel* panel :
       std::initializer_list<PicturePanel*>{storyPanel, toolPanel, canvas, cardStrip, classPanel})
    panel->setScale(layout.scale);

  for (Notifier* part : std::initializer_list<Notifier*>{&session_.screen, &session_.library, &session_.deck, &session_.editor})
    connect(part, &Notifier::changed, this, &MainWindow::syncControls);
  connect(&session_.library, &Notifier::surfaceChanged, storyPanel, &PicturePanel::showSurface);
  connect(&session_.deck, &Notifier::surfaceChanged, cardStrip, &PicturePanel::showSurface);
  connect(&session_.editor, &Notifier::surfaceChanged, canvas, &PicturePanel::showSurface);
  session_.recovery.Start();
  // Other computers change the class folder too; nothing is read again
  // while a question waits for the child or the story is playing.
  folderWatch = new ClassFolderWatch(session_, this, [this] {
    return QApplication::activeModalWidget() || (playerWindow_ && playerWindow_->isVisible());
  });
  syncControls();

  setFixedSize(layout.window);
  move(0, 0);
}

void MainWindow::makeStoryPanel() {
  LibraryState& library = session_.library;
  DeckState& deck = session_.deck;
  Dialogs& dialogs = session_.dialogs;
  storyPanel = new StoryPanel(this);
  storyPanel->setSurface(&library.storyListImage);
  placements_.add(storyPanel, session_.layout.storyPanel);
  connect(storyPanel, &StoryPanel::quitPressed, this, [this, &dialogs] {
    if (!ConfirmQuit(dialogs)) return;
    session_.recovery.Discard();
    dialogs.EndProgram();
  });
  connect(storyPanel, &StoryPanel::makePressed, this, &MainWindow::onMakeStoryClicked);
  connect(storyPanel, &StoryPanel::renamePressed, this, [&] { RenameStory(library, deck, dialogs); });
  connect(storyPanel, &StoryPanel::deletePressed, this, [&] { DeleteStory(library, deck, dialogs); });
  connect(storyPanel, &PicturePanel::mousePressed, this,
          [&](Qt::MouseButton, Qt::KeyboardModifiers, QPointF at) { PickStoryAt(library, deck, at); });
  connect(storyPanel->drawButton, &QPushButton::clicked, &session_.drawing, &DrawingSession::Start);
  connect(storyPanel->playButton, &QPushButton::clicked, this, &MainWindow::onPlayClicked);
  connect(storyPanel->webPageButton, &QPushButton::clicked, this, [&, this] {
    ExportStory story{library.currentStoryName, deck.storyFolder, {}};
    if (StorySelected(deck)) story.cardNumbers = deck.cardNumbers;
    ExportStoryToChosenFile(story, dialogs, this);
  });
  connect(storyPanel->exchangeButton, &QPushButton::clicked, this, [this] { exchangeWindow()->Open(); });
}

void MainWindow::makeToolPanel() {
  EditorState& editor = session_.editor;
  Dialogs& dialogs = session_.dialogs;
  toolPanel = new ToolPanel(editor, dialogs, this);
  placements_.add(toolPanel, session_.layout.toolPanel);
  connect(toolPanel->finishButton, &QPushButton::clicked, this, [this] { finishDrawing(); });
  connect(toolPanel->saveButton, &QPushButton::clicked, &session_.drawing, &DrawingSession::Save);
  connect(toolPanel->startOverButton, &QPushButton::clicked, &session_.drawing, &DrawingSession::StartOver);
  connect(toolPanel->blankPaperButton, &QPushButton::clicked, this,
          [&] { BlankPaper(editor, session_.deck, dialogs); });
  connect(toolPanel->loadFileButton, &QPushButton::clicked, this, [&, this] {
    auto* browser = findChild<PictureBrowser*>(QString(), Qt::FindDirectChildrenOnly);
    if (!browser)
      browser = new PictureBrowser(editor, [this] { return session_.library.exchangeDrive; }, dialogs, this,
                                   session_.layout.touch ? session_.layout.scale : 1.0);
    browser->Open();
  });

  // The recorder's row sits at the bottom of the tool panel and scales
  // with it.
  recorderButtons = new RecorderButtons(session_.narration.recorder, toolPanel);
  toolPanel->controls().add(recorderButtons, RecorderButtons::PlaceOnToolPanel());
}

void MainWindow::makeCanvasAndText() {
  canvas = new CanvasView(session_.editor, this, &session_.dialogs);
  placements_.add(canvas, session_.layout.canvas);
  // The hiragana keys for the words of 「もじ」, over the canvas while they are typed.
  new WordsKeyboard(session_.editor, session_.dialogs, *canvas, this);

  cardText = new CardTextBox(session_.deck, session_.dialogs, this);
  placements_.add(cardText, session_.layout.cardText, 16);
  // The card text is kept with the drawing as it is typed.
  connect(cardText, &QPlainTextEdit::textChanged, &session_.recovery, &DrawingRecovery::Changed);
}

void MainWindow::makeCardStrip() {
  cardStrip = new PicturePanel(QStringLiteral("Picture5"), strip::kBackground, this);
  cardStrip->setSurface(&session_.deck.stripImage);
  placements_.add(cardStrip, session_.layout.cardStrip);
  connect(cardStrip, &PicturePanel::mousePressed, this,
          [this](Qt::MouseButton, Qt::KeyboardModifiers, QPointF at) {
            CardStripMouseDown(session_.drawing, session_.editor, session_.deck, session_.dialogs, at);
          });
}

void MainWindow::makeClassPanel() {
  classPanel = new ClassPanel(session_.library.classNames, this);
  placements_.add(classPanel, session_.layout.classPanel);
  connect(classPanel, &ClassPanel::classChosen, this, [this](int k) {
    ChooseClass(session_, k);
    if (session_.screen.current() != Screen::ClassChoice) OfferRecoveredDrawing(session_.recovery, session_.drawing, session_.dialogs, session_.library, session_.deck, session_.editor);
  });
  connect(classPanel, &ClassPanel::driveButtonPressed, this, &MainWindow::onDriveButtonClicked);
}

DataFolderDialog* MainWindow::driveDialog() {
  if (!dataFolderDialog_) dataFolderDialog_ = new DataFolderDialog(session_, this);
  return dataFolderDialog_;
}

void MainWindow::onDriveButtonClicked() {
  DataFolderDialog* dialog = driveDialog();
  dialog->currentRoot->setText(session_.library.dataRoot);
  dialog->exec();
}

MainWindow::~MainWindow() = default;

ExchangeWindow* MainWindow::exchangeWindow() {
  if (!exchangeWindow_) {
    classExchange_ = std::make_unique<ClassExchange>(session_.library, session_.deck, session_.dialogs);
    // Scaled up with the window for fingers, never down: it fits a small screen as it is.
    exchangeWindow_ = new ExchangeWindow(*classExchange_, this, session_.layout.touch ? session_.layout.scale : 1.0);
  }
  return exchangeWindow_;
}

StoryNameDialog* MainWindow::nameDialog() {
  if (!storyNameDialog_) storyNameDialog_ = new StoryNameDialog(session_.library, session_.deck, session_.dialogs, this);
  return storyNameDialog_;
}

void MainWindow::onMakeStoryClicked() {
  if (!StoryListHasRoom(session_.library, session_.dialogs)) return;
  nameDialog()->exec();
}

PlayerWindow* MainWindow::playerWindow() {
  if (!playerWindow_) {
    showHost_ = std::make_unique<ShowHost>(session_);
    playerWindow_ = std::make_unique<PlayerWindow>(*showHost_);
  }
  return playerWindow_.get();
}

void MainWindow::onPlayClicked() { playerWindow()->Start(); }

void MainWindow::syncControls() {
  const Screen screen = session_.screen.current();
  const bool drawing = screen == Screen::Drawing || screen == Screen::CardText;
  classPanel->setVisible(screen == Screen::ClassChoice);
  storyPanel->setVisible(screen == Screen::Stories);
  cardStrip->setVisible(screen != Screen::ClassChoice);
  toolPanel->setVisible(drawing);
  canvas->setVisible(screen == Screen::Drawing);
  cardText->setVisible(screen == Screen::CardText);
  const LibraryState& library = session_.library;
  classPanel->dataRootLabel->setText(library.dataRoot);
  classPanel->dataRootLabel->setAccessibleName(library.dataRoot);
}

bool MainWindow::finishDrawing() {
  OfferUnsavedRecording(session_);
  return session_.drawing.Finish();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!ConfirmQuit(session_.dialogs)) {
    event->ignore();
    return;
  }
  // Closing the window while drawing saves the card first, as "えをかく
  // おわり" does; a child who stays to keep an unsaved drawing stays.
  bool keepRecovery = false;
  if (session_.drawing.IsOpen() && !finishDrawing()) {
    if (session_.drawing.IsOpen()) {
      event->ignore();
      return;
    }
    keepRecovery = true;
  }
  event->accept();
  if (!keepRecovery) session_.recovery.Discard();
  session_.dialogs.EndProgram();
}

