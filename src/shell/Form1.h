#pragma once
#include <QPlainTextEdit>
#include <QPointer>
#include <QWidget>
#include <optional>

#include "platform/Widgets.h"

class CanvasView;
class ClassPanel;
class Form2;
class Form8;
class Shared;
class StoryPanel;
class ToolPanel;
enum class Surface;

// The main window "ぴこらまつくろ 2002.6.30". It runs the two start-up steps
// when it is made, shows the panels the shared module says are visible and
// passes clicks to the procedures.
class Form1 : public QWidget {
  Q_OBJECT
 public:
  // `screen` stands for the screen size (the real screen when not given).
  explicit Form1(Shared& m, std::optional<QSize> screen = std::nullopt);

  ClassPanel* Picture3;
  StoryPanel* Picture1;
  PicturePanel* Picture5;
  ToolPanel* Picture6;
  CanvasView* Picture2;
  QPlainTextEdit* Text1;

  // The drive dialog, made on first use and kept.
  Form8* DriveDialog();
  void Command17_Click();

  // The name dialog of a new story, made on first use and kept.
  Form2* NameDialog();
  void Command1_Click();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void SyncControls();
  void ShowSurface(Surface surface, const QRect& rect);

  Shared& m_;
  Placements placements_;
  QPointer<Form8> form8_;
  QPointer<Form2> form2_;
  bool painted_ = false;
};
