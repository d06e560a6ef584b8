// The change from one card to the next on the player's panel: the columns
// of both wipes step by step, flip mode, the surfaces' sizes, and a wipe
// run by its frame timer.

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

// Left edges of a step's two columns.
QPair<int, int> Xs(const WipeStep& s) { return {s.first.x(), s.second.x()}; }

// Whether the panel shows the new card exactly in the columns that the
// steps so far copied, on its top, middle and bottom rows.
bool ShowsColumns(const QImage& visible, const std::vector<WipeStep>& steps, size_t done) {
  for (int x = 0; x < visible.width(); ++x) {
    bool covered = false;
    for (size_t k = 0; k < done; ++k)
      covered = covered || steps[k].first.contains(x, 0) || steps[k].second.contains(x, 0);
    for (int y : {0, 300, visible.height() - 1})
      if ((visible.pixel(x, y) == kNew) != covered) return false;
  }
  return true;
}

// The regions a widget paints.
struct PaintLog : QObject {
  std::vector<QRegion> regions;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) regions.push_back(static_cast<QPaintEvent*>(event)->region());
    return false;
  }
};

}  // namespace

class CardPresenterTest : public QObject {
  Q_OBJECT
 private slots:
  void wipesStepByStep();
  void flipModeAndDirections();
  void resizeCutsThePreviousImage();
  void wipeRunsOnTheFrameTimer();
};

void CardPresenterTest::wipesStepByStep() {
  const auto out = WipeSteps(799, 600, true);
  QCOMPARE(out.size(), size_t(50));
  QCOMPARE(Xs(out.front()), qMakePair(400, 392));
  QCOMPARE(Xs(out[1]), qMakePair(392, 400));
  QCOMPARE(Xs(out.back()), qMakePair(8, 784));
  const auto in = WipeSteps(799, 600, false);
  QCOMPARE(in.size(), size_t(50));
  QCOMPARE(Xs(in.front()), qMakePair(0, 792));
  QCOMPARE(Xs(in.back()), qMakePair(392, 400));
  for (const auto* steps : {&out, &in})
    for (const WipeStep& s : *steps) {
      QCOMPARE(s.first.size(), QSize(8, 600));
      QCOMPARE(s.second.size(), QSize(8, 600));
    }

  // On the panel: each step uncovers exactly its two columns of the new
  // card, the old image stays elsewhere, and the end shows the card whole.
  for (int phase : {kForward, kBackward}) {
    CardPresenter presenter(kPanel);
    presenter.setTimed(false);
    presenter.visibleImage() = Filled({799, 600}, kOld);
    presenter.PresentCard(Filled({800, 600}, kNew), phase, kNormalShow);
    QVERIFY(presenter.busy());
    const auto& steps = presenter.steps();
    QCOMPARE(Xs(steps.front()), phase == kForward ? qMakePair(400, 392) : qMakePair(0, 792));
    QVERIFY(ShowsColumns(presenter.visibleImage(), steps, 0));
    for (size_t k = 1; k < steps.size(); ++k) {
      QVERIFY(presenter.Advance());
      QVERIFY2(ShowsColumns(presenter.visibleImage(), steps, k), qPrintable(QString::number(k)));
    }
    QSignalSpy finished(&presenter, &CardPresenter::finished);
    QVERIFY(!presenter.Advance());
    QCOMPARE(finished.count(), 1);
    QCOMPARE(presenter.visibleImage(), Filled({799, 600}, kNew));
  }
}

void CardPresenterTest::flipModeAndDirections() {
  // Flip mode replaces the card at once, whichever the direction.
  QImage card = Filled({800, 600}, kNew);
  card.setPixel(798, 599, qRgb(1, 1, 1));
  for (int phase : {kForward, kBackward}) {
    CardPresenter presenter(kPanel);
    presenter.setTimed(false);
    presenter.visibleImage() = Filled({799, 600}, kOld);
    QSignalSpy finished(&presenter, &CardPresenter::finished);
    presenter.PresentCard(card, phase, kFlipMode);
    QVERIFY(!presenter.busy());
    QCOMPARE(finished.count(), 0);
    QCOMPARE(presenter.visibleImage(), card.copy(0, 0, 799, 600));
  }
  // Any direction but forward closes in from the edges.
  for (int phase : {0, 2, 3}) {
    CardPresenter presenter(kPanel);
    presenter.setTimed(false);
    presenter.PresentCard(card, phase, kNormalShow);
    QCOMPARE(Xs(presenter.steps().front()), qMakePair(0, 792));
    presenter.Finish();
    QCOMPARE(presenter.visibleImage(), card.copy(0, 0, 799, 600));
  }
}

void CardPresenterTest::resizeCutsThePreviousImage() {
  // The title screen on a larger panel: cut to the card's width less one by
  // its height, its top left kept as the previous image.
  CardPresenter presenter(kPanel);
  presenter.setTimed(false);
  QImage title = Filled({850, 650}, kOld);
  title.setPixel(10, 10, qRgb(0, 0, 0));
  title.setPixel(798, 599, qRgb(1, 2, 3));
  presenter.visibleImage() = title;
  QSignalSpy resized(&presenter, &CardPresenter::surfaceResized);
  presenter.PresentCard(Filled({800, 600}, kNew), kForward, kNormalShow);
  QCOMPARE(resized.count(), 1);
  QCOMPARE(resized.first().first().toSize(), QSize(799, 600));
  QCOMPARE(presenter.previousImage(), title.copy(0, 0, 799, 600));
  QCOMPARE(presenter.newImage(), Filled({799, 600}, kNew));
  QCOMPARE(presenter.visibleImage().size(), QSize(799, 600));
  presenter.Finish();
  QCOMPARE(presenter.visibleImage().size(), QSize(799, 600));
  QCOMPARE(presenter.previousImage().size(), QSize(799, 600));
  QCOMPARE(presenter.newImage().size(), QSize(799, 600));

  // A smaller panel grows with the panel's background.
  presenter.visibleImage() = Filled({400, 300}, kOld);
  presenter.PresentCard(Filled({800, 600}, kNew), kForward, kFlipMode);
  QCOMPARE(presenter.previousImage().pixel(399, 299), kOld);
  QCOMPARE(presenter.previousImage().pixel(400, 300), kPanel.rgb());
}

void CardPresenterTest::wipeRunsOnTheFrameTimer() {
  // The steps come from the timer, one a frame, while the panel repaints
  // only the columns that changed.
  PicturePanel panel(QStringLiteral("Picture1"), kPanel, nullptr);
  panel.resize(799, 600);
  panel.show();
  QVERIFY(QTest::qWaitForWindowExposed(&panel));
  CardPresenter presenter(kPanel);
  presenter.setPanel(&panel);
  presenter.visibleImage() = Filled({799, 600}, kOld);
  PaintLog paints;
  panel.installEventFilter(&paints);
  presenter.Refresh();
  QTRY_VERIFY(!paints.regions.empty());
  paints.regions.clear();
  QSignalSpy finished(&presenter, &CardPresenter::finished);
  presenter.PresentCard(Filled({800, 600}, kNew), kForward, kNormalShow);
  QVERIFY(presenter.busy());
  QCOMPARE(presenter.stepsDone(), 0);
  QTRY_VERIFY(presenter.stepsDone() > 0);
  QVERIFY(presenter.busy());
  QVERIFY(finished.wait(5000));
  QCOMPARE(presenter.stepsDone(), 50);
  QCOMPARE(presenter.visibleImage(), Filled({799, 600}, kNew));
  // Besides the last frame, which shows the new card whole, only the
  // columns are painted (a stray exposure of the window aside).
  QTRY_VERIFY(!paints.regions.empty() && paints.regions.back() == QRegion(panel.rect()));
  int small = 0, whole = 0;
  for (const QRegion& region : paints.regions) {
    qint64 area = 0;
    for (const QRect& r : region) area += qint64(r.width()) * r.height();
    ++(area <= 40 * 600 ? small : whole);
  }
  QVERIFY2(small >= 1 && whole <= 2, qPrintable(QStringLiteral("%1 %2").arg(small).arg(whole)));
  QCOMPARE(panel.grab().toImage().convertToFormat(QImage::Format_RGB32).pixel(3, 3), kNew);
}

QTEST_MAIN(CardPresenterTest)
#include "CardPresenterTest.moc"
