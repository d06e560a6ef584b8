// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The change from one card to the next on the player's panel: both wipes
// step by step, flip mode, the surfaces' sizes, and a wipe on its timer.

#include <QPaintEvent>
#include <QSignalSpy>
#include <QTest>

#include "player/CardPresenter.h"
#include "platform/Widgets.h"

using namespace presentation;

namespace {

const QColor kPanel(192, 255, 255);
const QRgb kOld = qRgb(10, 20, 30), kNew = qRgb(200, 100, 50);

QImage Filled(QSize size, QRgb colour) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

QPair<int, int> Xs(const WipeStep& s) { return {s.first.x(), s.second.x()}; }

// The panel shows the new card exactly in the columns of the first `done`
// steps (top, middle and bottom rows).
bool ShowsColumns(const QImage& visible, const std::vector<WipeStep>& steps, size_t done) {
  for (int x = 0; x < visible.width(); ++x) {
    bool covered = false;
    for (size_t k = 0; k < done; ++k) covered |= steps[k].first.contains(x, 0) || steps[k].second.contains(x, 0);
    for (int y : {0, 300, 599})
      if ((visible.pixel(x, y) == kNew) != covered) return false;
  }
  return true;
}

struct PaintLog : QObject {
  std::vector<qint64> areas;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::Paint) return false;
    qint64 area = 0;
    for (const QRect& r : static_cast<QPaintEvent*>(event)->region()) area += qint64(r.width()) * r.height();
    areas.push_back(area);
    return false;
  }
};

}  // namespace

class CardPresenterTest : public QObject {
  Q_OBJECT
 private slots:
  void wipesStepByStep();
  void flipModeAndSurfaces();
  void wipeRunsOnTheFrameTimer();
};

void CardPresenterTest::wipesStepByStep() {
  const auto out = WipeSteps(799, 600, true), in = WipeSteps(799, 600, false);
  QVERIFY(out.size() == 50 && in.size() == 50 && in[7].second.size() == QSize(8, 600));
  QCOMPARE(Xs(out.front()), qMakePair(400, 392));
  QCOMPARE(Xs(out.back()), qMakePair(8, 784));
  QCOMPARE(Xs(in.front()), qMakePair(0, 792));
  QCOMPARE(Xs(in.back()), qMakePair(392, 400));

  // Forward and backward: each step uncovers just its columns; the end
  // shows the new card whole.
  for (Direction direction : {Direction::Forward, Direction::Backward}) {
    CardPresenter presenter(kPanel);
    presenter.setTimed(false);
    presenter.visibleImage() = Filled({799, 600}, kOld);
    QSignalSpy finished(&presenter, &CardPresenter::finished);
    presenter.PresentCard(Filled({800, 600}, kNew), direction, ShowMode::Normal);
    const auto& steps = presenter.steps();
    QCOMPARE(Xs(steps.front()), direction == Direction::Forward ? qMakePair(400, 392) : qMakePair(0, 792));
    for (size_t k = 0; k < steps.size(); ++k) {
      QVERIFY2(ShowsColumns(presenter.visibleImage(), steps, k), qPrintable(QString::number(k)));
      QCOMPARE(presenter.Advance(), k + 1 < steps.size());
    }
    QCOMPARE(finished.count(), 1);
    QCOMPARE(presenter.visibleImage(), Filled({799, 600}, kNew));
  }
}

void CardPresenterTest::flipModeAndSurfaces() {
  // Flip mode replaces the card at once, whichever the direction.
  QImage card = Filled({800, 600}, kNew);
  card.setPixel(798, 599, qRgb(1, 1, 1));
  for (Direction direction : {Direction::Forward, Direction::Backward}) {
    CardPresenter presenter(kPanel);
    presenter.visibleImage() = Filled({799, 600}, kOld);
    presenter.PresentCard(card, direction, ShowMode::Flip);
    QVERIFY(!presenter.busy());
    QCOMPARE(presenter.visibleImage(), card.copy(0, 0, 799, 600));
  }

  // The title on a larger panel is cut to the card's width less one by its
  // height; all three surfaces take that size.
  CardPresenter presenter(kPanel);
  presenter.setTimed(false);
  QImage title = Filled({850, 650}, kOld);
  title.setPixel(798, 599, qRgb(1, 2, 3));
  presenter.visibleImage() = title;
  presenter.PresentCard(card, Direction::Forward, ShowMode::Normal);
  QCOMPARE(presenter.previousImage(), title.copy(0, 0, 799, 600));
  QCOMPARE(presenter.newImage(), card.copy(0, 0, 799, 600));
  presenter.Finish();
  for (const QImage* image : {&std::as_const(presenter.visibleImage()), &presenter.previousImage(), &presenter.newImage()})
    QCOMPARE(image->size(), QSize(799, 600));
}

void CardPresenterTest::wipeRunsOnTheFrameTimer() {
  PicturePanel panel(QStringLiteral("Picture1"), kPanel, nullptr);
  panel.resize(799, 600);
  panel.show();
  CardPresenter presenter(kPanel);
  presenter.setPanel(&panel);
  presenter.visibleImage() = Filled({799, 600}, kOld);
  PaintLog paints;
  panel.installEventFilter(&paints);
  presenter.Refresh();
  QTRY_VERIFY(!paints.areas.empty());
  paints.areas.clear();

  QSignalSpy finished(&presenter, &CardPresenter::finished);
  presenter.PresentCard(Filled({800, 600}, kNew), Direction::Forward, ShowMode::Normal);
  QTRY_VERIFY(presenter.stepsDone() > 0 && presenter.busy());
  QVERIFY(finished.wait(5000));
  QCOMPARE(presenter.stepsDone(), 50);
  QCOMPARE(presenter.visibleImage(), Filled({799, 600}, kNew));
  // The steps paint only their columns; the last frame shows the card whole
  // (a stray exposure of the test's window aside).
  QTRY_VERIFY(!paints.areas.empty() && paints.areas.back() == 799 * 600);
  const auto small = std::count_if(paints.areas.begin(), paints.areas.end(), [](qint64 a) { return a <= 40 * 600; });
  QVERIFY2(small >= 1 && paints.areas.size() - size_t(small) <= 2, qPrintable(QString::number(small)));
}

QTEST_MAIN(CardPresenterTest)
#include "CardPresenterTest.moc"
