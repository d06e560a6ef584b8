// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QPlainTextEdit>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>

#include "platform/Widgets.h"
#include "shell/Layout.h"

class CanvasView;
class ClassPanel;
class ClassExchange;
class ClassFolderWatch;
class DataFolderDialog;
class ExchangeWindow;
class PlayerWindow;
class RecorderButtons;
class Session;
class ShowHost;
class StoryNameDialog;
class StoryPanel;
class ToolPanel;

// The main window "ぴこらまつくろ 2002.6.30". It runs the two start-up steps
// when it is made, shows the panels of the session's screen and passes
// clicks to the procedures.
class MainWindow : public QWidget {
  Q_OBJECT
 public:
  // `screen` stands for the screen (the real one when not given).
  explicit MainWindow(Session& session, std::optional<ScreenFacts> screen = std::nullopt);
  ~MainWindow() override;

  ClassPanel* classPanel;
  StoryPanel* storyPanel;
  PicturePanel* cardStrip;
  ToolPanel* toolPanel;
  CanvasView* canvas;
  QPlainTextEdit* cardText;
  RecorderButtons* recorderButtons;

  // The drive dialog, made on first use and kept.
  DataFolderDialog* driveDialog();
  void onDriveButtonClicked();

  // The name dialog of a new story, made on first use and kept.
  StoryNameDialog* nameDialog();
  void onMakeStoryClicked();

  // The player window, made on first use and kept.
  PlayerWindow* playerWindow();
  void onPlayClicked();

  // The exchange window, made on first use and kept.
  ExchangeWindow* exchangeWindow();

  // "えをかく おわり": saves the card (offering an unsaved recording first)
  // and leaves the editor; true when the card reached the disk.
  bool finishDrawing();

  // Keeps the story list and the strip in step with the class folder.
  ClassFolderWatch* folderWatch;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // The constructor's parts, one for each panel and its clicks.
  void makeStoryPanel();
  void makeToolPanel();
  void makeCanvasAndText();
  void makeCardStrip();
  void makeClassPanel();
  void syncControls();

  Session& session_;
  Placements placements_;
  QPointer<DataFolderDialog> dataFolderDialog_;
  QPointer<StoryNameDialog> storyNameDialog_;
  std::unique_ptr<ShowHost> showHost_;
  std::unique_ptr<PlayerWindow> playerWindow_;
  std::unique_ptr<ClassExchange> classExchange_;
  QPointer<ExchangeWindow> exchangeWindow_;
};
