#pragma once
// The shared module: the program's state, the properties of the main
// window's controls that the shared procedures set, and the persistent
// drawing surfaces of the picture panels. Procedures work on it without any
// window; the widgets only show it and pass clicks back.

#include <QImage>
#include <QObject>
#include <QRect>
#include <array>

#include "shell/AppState.h"
#include "platform/Dialogs.h"
#include "shell/Layout.h"

// What the procedures set on the main window's controls.
struct Controls {
  bool Picture3Visible = true;  // class panel
  bool Picture1Visible = false;  // story panel
  bool Picture5Visible = false;  // card strip
  bool Picture6Visible = false;  // tool panel
  bool Picture2Visible = false;  // canvas
  bool Text1Visible = false;     // card text box
  QString Label4Caption;
  QString Command9Caption;
  QString Text1Text;  // the card text, lines ended by CR LF
  // Tool panel faces (0x00BBGGRR): the tool buttons Command7(0..14), button 0
  // lit as designed, and the fill colour swatch Command12, black at first.
  std::array<int32_t, 15> Command7Face = [] {
    std::array<int32_t, 15> faces;
    faces.fill(Rgb(192, 255, 192));
    faces[0] = Rgb(0, 255, 16);
    return faces;
  }();
  int32_t Command12Face = Rgb(0, 0, 0);
  bool Timer1Enabled = false;
  int Timer1Interval = 0;
};

enum class Surface { Picture1, Picture2, Picture4, Picture5, Picture7, Picture8 };

class Shared : public QObject, public AppState {
  Q_OBJECT
 public:
  explicit Shared(Dialogs& dialogs) : dialogs(dialogs) {}

  Dialogs& dialogs;
  Controls ui;
  Layout layout;

  QImage Picture1Image;  // story panel
  QImage Picture2Image;  // canvas
  QImage Picture4Image;  // card picture buffer
  QImage Picture5Image;  // card strip
  QImage Picture7Image;  // thumbnail buffer
  QImage Picture8Image;  // undo image

  // Tell the windows what changed.
  void ControlsChanged() { emit controlsChanged(); }
  void SurfaceChanged(Surface surface, const QRect& rect = {}) { emit surfaceChanged(surface, rect); }

 signals:
  void controlsChanged();
  void surfaceChanged(Surface surface, QRect rect);
};
