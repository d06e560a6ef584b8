// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The story panel: the drawn list, picking a row with the mouse and the
// name dialog.

#include <QtTest>

#include "StoryClass.h"
#include "library/StoryNameDialog.h"
#include "library/StoryPanel.h"

namespace {

const QRgb kBox = qRgb(255, 255, 200);
const QRgb kHighlight = qRgb(0, 0, 200);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kPanel = qRgb(192, 255, 255);

QRgb At(const QImage& image, int x, int y) { return (image.pixel(x, y) & 0xffffff) | 0xff000000; }

// Pixels of `colour` in the rectangle.
int Count(const QImage& image, QRect rect, QRgb colour) {
  int n = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y)
    for (int x = rect.left(); x <= rect.right(); ++x) n += At(image, x, y) == colour;
  return n;
}

// Inside row r of the list, between its lines.
QRect Row(int r) { return QRect(3, 183 + 21 * (r - 1) + 1, 181, 20); }

}  // namespace

class StoryPanelTest : public QObject {
  Q_OBJECT

 private slots:
  void rowText();
  void drawnList();
  void namesPastTheBox();
  void pickRow_data();
  void pickRow();
  void nameDialog();
};

void StoryPanelTest::rowText() {
  const std::pair<int, const char*> rows[] = {{1, " 1"}, {9, " 9"}, {10, "10"}, {99, "99"}, {100, "00"}};
  for (const auto& [i, number] : rows)
    QCOMPARE(StoryRowText(i, QStringLiteral("かえる")), QLatin1String(number) + QStringLiteral(" かえる"));
}

void StoryPanelTest::drawnList() {
  StoryClass c({QStringLiteral("A"), QStringLiteral("いぬ"), QStringLiteral("ｶｴﾙ")});
  QList<QRect> changed;
  connect(&c.session.library, &LibraryState::surfaceChanged, this, [&](QRect r) {
    changed.append(r);
  });
  c.session.library.selectedStory = 1;
  DrawStoryList(c.session.library, c.session.deck);
  const QImage& img = c.session.library.storyListImage;
  QCOMPARE(img.size(), QSize(190, 618));
  QCOMPARE(changed.size(), 1);
  QVERIFY(changed.first().contains(QRect(2, 183, 184, 421)));

  // The box, and the panel around it untouched.
  for (QPoint p : {QPoint(170, 195), QPoint(2, 210), QPoint(184, 210), QPoint(100, 601)})
    QCOMPARE(At(img, p.x(), p.y()), kBox);
  for (QPoint p : {QPoint(185, 190), QPoint(1, 190), QPoint(100, 182)}) QCOMPARE(At(img, p.x(), p.y()), kPanel);
  // The highlight fills row 2 from x = 3 to 183, between its lines.
  QCOMPARE(Count(img, QRect(3, 205, 181, 20), kHighlight) + Count(img, QRect(3, 205, 181, 20), kRed),
           181 * 20);
  QCOMPARE(Count(img, QRect(3, 184, 181, 20), kHighlight), 0);
  QCOMPARE(Count(img, QRect(3, 226, 181, 20), kHighlight), 0);
  // 21 lines from x = 2 to 184.
  for (int i = 0; i <= 20; ++i) {
    const int y = 183 + 21 * i;
    QCOMPARE(Count(img, QRect(2, y, 183, 1), kBlack), 183);
    QCOMPARE(At(img, 185, y), kPanel);
  }
  // Red text in the rows with stories only, starting at x = 5.
  for (int r = 1; r <= 20; ++r) {
    const int red = Count(img, Row(r), kRed);
    QVERIFY2(r <= 3 ? red > 10 : red == 0, qPrintable(QStringLiteral("row %1: %2").arg(r).arg(red)));
  }
  QCOMPARE(Count(img, QRect(3, 184, 2, 20), kRed), 0);

  QCOMPARE(c.session.deck.storyFolder, StoryClass::Folder() + QStringLiteral("いぬ\\"));
  QCOMPARE(c.session.library.currentStoryName, QStringLiteral("いぬ"));

  // No stories: row 1 highlighted, no text, no story selected.
  StoryClass empty;
  const QImage& none = empty.session.library.storyListImage;
  QCOMPARE(Count(none, QRect(3, 184, 181, 20), kHighlight), 181 * 20);
  QCOMPARE(Count(none, QRect(0, 183, 190, 435), kRed), 0);
  QVERIFY(empty.session.library.currentStoryName.isEmpty());
  QCOMPARE(empty.session.deck.storyFolder, StoryClass::Folder() + u'\\');
}

void StoryPanelTest::namesPastTheBox() {
  QStringList names;
  for (int i = 1; i <= 21; ++i) names.append(QStringLiteral("s%1").arg(i));
  StoryClass c(names);
  const QImage& img = c.session.library.storyListImage;
  const QRect below(0, 604, 190, 14);
  QVERIFY(Count(img, below, kRed) > 0);  // the 21st name runs on below the box

  // Story 21 deleted: its name and highlight leave no trace below the box.
  c.session.library.selectedStory = 20;
  DrawStoryList(c.session.library, c.session.deck);
  QVERIFY(Count(img, below, kHighlight) > 0);
  c.dialogs.answers = {true};
  DeleteStory(c.session.library, c.session.deck, c.session.dialogs);
  QCOMPARE(c.session.library.storyNames.size(), 20);
  QCOMPARE(Count(img, below, kRed), 0);
  QCOMPARE(Count(img, below, kHighlight), 0);
}

void StoryPanelTest::pickRow_data() {
  QTest::addColumn<double>("x");
  QTest::addColumn<double>("y");
  QTest::addColumn<int>("row");  // 0: the press is ignored

  QTest::newRow("y = 183") << 50.0 << 183.0 << 0;
  QTest::newRow("y = 602") << 50.0 << 602.0 << 0;
  QTest::newRow("x = 194") << 194.0 << 190.0 << 0;
  QTest::newRow("x = 2") << 2.0 << 190.0 << 0;
  QTest::newRow("x = 193.5") << 193.5 << 190.0 << 1;
  QTest::newRow("y = 183.5") << 2.5 << 183.5 << 1;
  QTest::newRow("y = 203") << 50.0 << 203.0 << 1;
  QTest::newRow("y = 204") << 50.0 << 204.0 << 2;
  QTest::newRow("y = 203.6") << 50.0 << 203.6 << 2;
  QTest::newRow("y = 245.5 rounds to even") << 50.0 << 245.5 << 3;
  QTest::newRow("row 5 of 3") << 50.0 << 277.0 << 0;
  QTest::newRow("row 20 of 3") << 50.0 << 601.0 << 0;
}

void StoryPanelTest::pickRow() {
  QFETCH(double, x);
  QFETCH(double, y);
  QFETCH(int, row);
  StoryClass c({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
  c.session.library.selectedStory = 1;
  DrawStoryList(c.session.library, c.session.deck);
  c.session.deck.currentCard = 6;
  int draws = 0;
  connect(&c.session.library, &LibraryState::surfaceChanged, this, [&] { ++draws; });

  PickStoryAt(c.session.library, c.session.deck, QPointF(x, y));
  if (row == 0) {
    QCOMPARE(c.session.library.selectedStory, 1);
    QCOMPARE(c.session.deck.currentCard, 6);
    QCOMPARE(draws, 0);
  } else {
    QCOMPARE(c.session.library.selectedStory, row - 1);
    QCOMPARE(c.session.deck.currentCard, 0);
    QCOMPARE(draws, 1);
    QCOMPARE(c.session.deck.storyFolder, StoryClass::Folder() + c.session.library.storyNames[row - 1] + u'\\');
    QVERIFY(Count(c.session.library.storyListImage, Row(row), kHighlight) > 0);
  }
}

void StoryPanelTest::nameDialog() {
  StoryClass c({QStringLiteral("A")});
  StoryNameDialog dialog(c.session.library, c.session.deck, c.session.dialogs, nullptr);
  QCOMPARE(dialog.windowTitle(), QStringLiteral("作品名をつける"));
  dialog.show();

  QTest::keyClicks(dialog.nameBox, QStringLiteral("abcdefghijklmn"));
  QCOMPARE(dialog.nameBox->text(), QStringLiteral("abcdefghijklm"));

  // A refused name stays in the open dialog, to be mended.
  dialog.nameBox->setText(QStringLiteral("ねこ?"));
  QTest::keyClick(dialog.nameBox, Qt::Key_Return);
  QCOMPARE(c.dialogs.told.size(), 1);
  QVERIFY(dialog.isVisible());
  QCOMPARE(dialog.nameBox->text(), QStringLiteral("ねこ?"));
  QCOMPARE(c.session.library.storyNames.size(), 1);

  // Return saves, once.
  dialog.nameBox->setText(QStringLiteral("ねこ"));
  QTest::keyClick(dialog.nameBox, Qt::Key_Return);
  QVERIFY(!dialog.isVisible());
  QCOMPARE(c.dialogs.told.size(), 1);
  QCOMPARE(c.listBytes(), Sjis({QStringLiteral("A"), QStringLiteral("ねこ")}));

  // Shown again it still holds the name; cancel makes nothing.
  dialog.show();
  QCOMPARE(dialog.nameBox->text(), QStringLiteral("ねこ"));
  const QStringList before = c.snapshot();
  QTest::mouseClick(dialog.cancelButton, Qt::LeftButton);
  QVERIFY(!dialog.isVisible());
  QCOMPARE(c.snapshot(), before);
  QCOMPARE(c.session.library.storyNames.size(), 2);
}

QTEST_MAIN(StoryPanelTest)
#include "StoryPanelTest.moc"
