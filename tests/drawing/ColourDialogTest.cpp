// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The colour dialog: which square a press chooses, the grid it shows, and
// what the swatch does with the choice.

#include <QTimer>
#include <QtTest>

#include "support/EditorFixture.h"
#include "drawing/Canvas.h"
#include "drawing/ColourDialog.h"
#include "drawing/ToolActions.h"
#include "drawing/ToolPanel.h"

namespace {

// Runs `action` on the dialog once it is open; a fault that leaves it open
// closes it after a while instead of hanging the test.
void WhenOpen(ToolPanel& panel, std::function<void(ColourDialog*)> action) {
  QTimer::singleShot(0, &panel, [&panel, action] {
    ColourDialog* dialog = panel.colourDialog();
    QTimer::singleShot(3000, dialog, &QDialog::reject);
    action(dialog);
  });
}

}  // namespace

class ColourDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void pitchRule_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<int>("index");
    QTest::newRow("inside row 2 column 3") << 200.0 << 135.0 << 19;
    QTest::newRow("right outline of square 0") << 66.0 << 30.0 << 1;
    QTest::newRow("gap right of square 3") << 265.0 << 30.0 << 4;
    QTest::newRow("gap below row 0") << 30.0 << 67.0 << 8;
    QTest::newRow("65.5 rounds to 66") << 65.5 << 0.0 << 1;
    QTest::newRow("65.4 rounds to 65") << 65.4 << 0.0 << 0;
    QTest::newRow("right of the last column") << 531.0 << 70.0 << 15;
    QTest::newRow("below the last row") << 10.0 << 466.0 << 48;
    QTest::newRow("far beyond both") << 1e9 << 1e9 << 55;
    QTest::newRow("negative x") << -5.0 << 70.0 << 8;
    QTest::newRow("far negative") << -1e9 << -100.0 << 0;
  }
  void pitchRule() {
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(int, index);
    QCOMPARE(PaletteIndexAt(x, y), index);
  }

  void gridPixels() {
    EditorFixture f;
    ColourDialog dialog(f.session.editor, nullptr);
    const QImage& grid = dialog.gridImage();
    const QColor gap = grid.pixelColor(0, 0);
    QVERIFY(gap != QColor(Qt::black));
    for (int r = 0; r < 7; ++r) {
      for (int c = 0; c < 8; ++c) {
        const int left = 66 * c + 2, top = 66 * r + 2;
        QCOMPARE(grid.pixelColor(left + 30, top + 30), QColor(f.session.editor.palette[size_t(8 * r + c)]));
        QCOMPARE(grid.pixelColor(left, top + 30), QColor(Qt::black));
        QCOMPARE(grid.pixelColor(left + 64, top + 64), QColor(Qt::black));
        QCOMPARE(grid.pixelColor(left + 65, top + 30), gap);
      }
    }
    QCOMPARE(grid.pixelColor(527, 461), QColor(208, 64, 64));  // entry 55
  }

  // A choice sets the fill colour, the fill tool and the swatch; cancel
  // afterwards keeps them; the dialog is the same one, its grid drawn once.
  void chooseThenCancel() {
    EditorFixture f;
    ToolPanel panel(f.session.editor, f.session.dialogs, nullptr);
    QCOMPARE(panel.fillSwatch->face(), QColor(Qt::black));
    f.paint({100, 100, 20, 20}, Qt::green);

    WhenOpen(panel, [](ColourDialog* dialog) {
      QTest::mouseClick(dialog->grid, Qt::LeftButton, {}, QPoint(66 * 2 + 1, 20));  // the gap right of blue: red
    });
    panel.fillSwatch->click();
    ColourDialog* first = panel.colourDialog();
    const qint64 gridKey = first->gridImage().cacheKey();
    QVERIFY(first->isHidden());
    QCOMPARE(f.session.editor.fillColourIndex, 2);
    QVERIFY(f.session.editor.tool == Tool::Fill);
    QCOMPARE(panel.fillSwatch->face(), QColor(255, 0, 0));
    QCOMPARE(panel.toolButtons[11]->face(), QColor(0, 255, 16));
    QVERIFY(!f.session.editor.history.CanUndo());  // choosing changes no picture

    ChooseEraser(f.session.editor, Tool::SmallEraser);  // another tool in between
    WhenOpen(panel, [](ColourDialog* dialog) { dialog->cancelButton->click(); });
    panel.fillSwatch->click();
    QCOMPARE(panel.colourDialog(), first);
    QCOMPARE(first->gridDrawings(), 1);
    QCOMPARE(first->gridImage().cacheKey(), gridKey);
    QCOMPARE(f.session.editor.fillColourIndex, 2);
    QVERIFY(f.session.editor.tool == Tool::Fill);
    QCOMPARE(panel.toolButtons[11]->face(), QColor(0, 255, 16));
    QCOMPARE(panel.fillSwatch->face(), QColor(255, 0, 0));
  }
};

QTEST_MAIN(ColourDialogTest)
#include "ColourDialogTest.moc"
