// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Card presentation: the player's visible panel changes from the image it
// shows to a new card, with a column wipe that opens from the middle when
// moving forward and closes in from the edges when moving back, or at once
// in flip mode. The wipe runs on a frame timer, one step per frame.

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QRect>
#include <QTimer>
#include <vector>

class PicturePanel;

namespace presentation {

// The direction of a move through the story.
enum class Direction { Forward, Backward };
// How a card comes on: wiped in by the show, or at once while flipping.
enum class ShowMode { Normal, Flip };

inline constexpr int kColumnWidth = 8;
inline constexpr int kStepsPerSecond = 60;

// One step of a wipe: the two columns it copies from the new card.
struct WipeStep {
  QRect first;
  QRect second;
};

// The steps of a wipe over a surface of `width` x `height` (the card
// buffer's width less one, and its height): from the middle out when
// `centreOut`, else from the edges in.
std::vector<WipeStep> WipeSteps(float width, float height, bool centreOut);

}  // namespace presentation

class CardPresenter : public QObject {
  Q_OBJECT
 public:
  explicit CardPresenter(QColor background, QObject* parent = nullptr);

  // The panel that shows the visible surface and repaints what changes.
  void setPanel(PicturePanel* panel);

  // The visible panel's surface, the copy of the previous image and the
  // copy of the new card.
  QImage& visibleImage() { return visible_; }
  const QImage& previousImage() const { return previous_; }
  const QImage& newImage() const { return new_; }
  QColor background() const { return background_; }

  // Shows `card` (the card picture buffer just loaded): resizes the three
  // surfaces to the card's width less one by its height, copies the
  // previous and the new image, and starts the wipe that `phase` and `mode`
  // choose. Without a wipe the new card is shown at once and `finished` is
  // not signalled; with one, `finished` follows its last step.
  void PresentCard(const QImage& card, presentation::Direction direction, presentation::ShowMode mode);

  // Repaints the whole visible surface after it was drawn on.
  void Refresh();

  // Keeps the presenter busy for `ms` milliseconds, then signals `finished`:
  // how long a card stays up while flipping.
  void Hold(int ms);

  // A wipe or a hold is running.
  bool busy() const { return busy_; }
  int stepsDone() const { return int(next_); }
  const std::vector<presentation::WipeStep>& steps() const { return steps_; }

  // Without the timer the steps wait for `Advance` or `Finish`: lets the
  // tests look at each step without waiting for frames.
  void setTimed(bool timed) { timed_ = timed; }
  // Runs the next step of the wipe (ends the hold); true while busy after it.
  bool Advance();
  // Runs everything that is left at once.
  void Finish();

 signals:
  void finished();
  void surfaceResized(QSize size);

 private:
  void onTick();
  void ApplyStep(const presentation::WipeStep& step);
  void ShowWhole();
  void Done();
  void Schedule();

  QColor background_;
  PicturePanel* panel_ = nullptr;
  QImage visible_, previous_, new_;
  std::vector<presentation::WipeStep> steps_;
  size_t next_ = 0;
  bool busy_ = false;
  bool holding_ = false;
  bool timed_ = true;
  int holdMs_ = 0;
  QTimer timer_;
  QElapsedTimer clock_;
};
