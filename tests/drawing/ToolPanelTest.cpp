// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The tool panel: which tool each button selects and lights, the text box
// switch, free/fixed, the draw button and where its buttons lie.

#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QtTest>

#include "support/EditorFixture.h"
#include "drawing/ToolActions.h"
#include "drawing/ToolPanel.h"

namespace {

const QColor kLit(0, 255, 16);
const QColor kPlain(192, 255, 192);

// The slot of the one lit tool button; -1 for none, -2 for a wrong face.
int LitButton(const EditorParts& session) {
  int lit = -1;
  for (int j = 0; j < kToolSlots; ++j) {
    if (ToolButtonFace(session.editor, j) == kLit && lit == -1) lit = j;
    else if (ToolButtonFace(session.editor, j) != kPlain) return -2;
  }
  return lit;
}

}  // namespace

class ToolPanelTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { QGuiApplication::clipboard()->clear(); }

  // Each button lights what it selects, whatever was lit before.
  void highlightAfterEachButton() {
    EditorFixture f;
    QCOMPARE(LitButton(f.session), 0);  // as designed
    QImage picture(10, 10, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QGuiApplication::clipboard()->setImage(picture);
    ToolPanel panel(f.session.editor, f.session.dialogs, nullptr);
    int shown = 0;
    for (int i = kToolSlots - 1; i >= 0; --i) {
      if (panel.toolButtons[i]->isHidden()) continue;
      ++shown;
      f.session.editor.shape.clicks = 1;
      panel.toolButtons[i]->click();
      QCOMPARE(LitButton(f.session), i);
      QCOMPARE(panel.toolButtons[i]->face(), kLit);
      QCOMPARE(f.session.editor.shape.clicks, 0);  // a half-drawn shape ends
    }
    QCOMPARE(shown, 11);
    ChooseEraser(f.session.editor, Tool::LargeEraser);
    QVERIFY(f.session.editor.tool == Tool::LargeEraser);
    QCOMPARE(LitButton(f.session), -1);
    ChooseFillColour(f.session.editor, [] {});
    QCOMPARE(LitButton(f.session), 11);  // the swatch lights the bucket
    ChooseEraser(f.session.editor, Tool::SmallEraser);
    QVERIFY(f.session.editor.tool == Tool::SmallEraser);
    QCOMPARE(LitButton(f.session), -1);
  }

  // "文記入" asks each time for the text box and the picture to trade
  // places; any other tool wants the picture; the swatch and the erasers
  // leave the text box where it is.
  void textSwitch() {
    EditorFixture f;
    QSignalSpy text(&f.session.editor, &EditorState::textToolChosen);
    QSignalSpy picture(&f.session.editor, &EditorState::pictureWanted);
    ChooseTool(f.session.editor, f.session.dialogs, Tool::Text);
    ChooseTool(f.session.editor, f.session.dialogs, Tool::Text);
    QCOMPARE(text.count(), 2);
    QCOMPARE(picture.count(), 0);
    ChooseTool(f.session.editor, f.session.dialogs, Tool::MediumBrush);
    QCOMPARE(picture.count(), 1);
    ChooseEraser(f.session.editor, Tool::SmallEraser);
    ChooseFillColour(f.session.editor, [] {});
    QCOMPARE(picture.count(), 1);
    QCOMPARE(text.count(), 2);
  }

  void freeFixedAlternate() {
    EditorFixture f;
    const QStringList captions = {QStringLiteral("こてい"), QStringLiteral("じゆう"), QStringLiteral("こてい")};
    for (int k = 0; k < 3; ++k) {
      ToggleFixMode(f.session.editor);
      QCOMPARE(PlacementCaption(f.session.editor.placement), captions[k]);
      QVERIFY(f.session.editor.placement == (k % 2 == 0 ? Placement::Fixed : Placement::Free));
    }
  }

  void drawButton() {
    EditorFixture f;
    QSignalSpy opened(&f.session.drawing, &DrawingSession::cardOpened);
    f.session.deck.storyFolder = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\\\");  // no story in the class
    QVERIFY(!f.session.drawing.Start());
    QCOMPARE(f.dialogs.beeps, 1);
    QVERIFY(!f.session.drawing.IsOpen() && opened.isEmpty());

    f.session.deck.storyFolder = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\うみ\\");
    ChooseTool(f.session.editor, f.session.dialogs, Tool::MediumBrush);
    ToggleFixMode(f.session.editor);
    QVERIFY(f.session.drawing.Start());
    QVERIFY(f.session.drawing.IsOpen());
    QCOMPARE(opened.count(), 1);
    QVERIFY(f.session.editor.tool == Tool::None);
    QCOMPARE(PlacementCaption(f.session.editor.placement), QStringLiteral("じゆう"));
    QCOMPARE(LitButton(f.session), 2);  // the highlight stays as it was
    QCOMPARE(f.canvasAt(3, 3), kFrame);
  }

  // A few places the child's screen depends on: "えをかく おわり" across the
  // top, the thin pen lit as designed, "ﾌｧｲﾙ読込" at the foot.
  void designedPlaces_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QColor>("face");
    QTest::newRow("Command10") << "Command10" << QRect(4, 4, 177, 34) << "えをかく おわり" << QColor(255, 0, 0);
    QTest::newRow("Command7_0") << "Command7_0" << QRect(4, 84, 45, 45) << "・" << kLit;
    QTest::newRow("Command15") << "Command15" << QRect(20, 460, 141, 37) << "ﾌｧｲﾙ読込" << QColor(128, 128, 255);
    // 「はんこ」 below the recorder, on the left half of its row.
    QTest::newRow("stampButton") << "stampButton" << QRect(4, 552, 89, 34) << "はんこ" << kPlain;
    // 「もじ」 on the right half.
    QTest::newRow("wordsButton") << "wordsButton" << QRect(92, 552, 89, 34) << "もじ" << kPlain;
  }
  void designedPlaces() {
    QFETCH(QString, name);
    QFETCH(QRect, place);
    QFETCH(QString, caption);
    QFETCH(QColor, face);
    EditorFixture f;
    ToolPanel panel(f.session.editor, f.session.dialogs, nullptr);
    panel.setScale(1.0);
    auto* button = panel.findChild<FaceButton*>(name);
    QVERIFY(button);
    QCOMPARE(button->geometry(), place);
    QCOMPARE(button->text(), caption);
    QCOMPARE(button->face(), face);
  }

  // Every button shown lies inside the panel of 190 x 618 and clear of the
  // others but for a shared edge, and a press at the centre of a tool's button, wherever the
  // panel puts it, chooses and lights that tool.
  void buttonsInPlace() {
    EditorFixture f;
    ToolPanel panel(f.session.editor, f.session.dialogs, nullptr);
    panel.setScale(1.0);
    panel.resize(190, 618);
    panel.show();
    QList<QRect> places;
    for (FaceButton* button : panel.findChildren<FaceButton*>()) {
      if (!button->isVisible()) continue;
      const QRect place(button->mapTo(&panel, QPoint(0, 0)), button->size());
      QVERIFY2(QRect(0, 0, 190, 618).contains(place), qPrintable(button->objectName()));
      for (const QRect& other : places) {
        const QRect both = place & other;  // neighbours share at most their edge's pixel, as designed
        QVERIFY2(both.isEmpty() || both.width() == 1 || both.height() == 1, qPrintable(button->objectName()));
      }
      places.append(place);
    }
    // Eleven tools and the other buttons but the hidden "ほぞん" (「もじ」
    // among them, its options hidden until it is chosen), with 「はんこ」
    // where the stamp font is; none of them where the main window puts the
    // recorder's buttons.
    QCOMPARE(places.size(), 11 + 11 + (panel.stampButton->isVisible() ? 1 : 0));
    for (const QRect& place : places) QVERIFY(!place.intersects(QRect(4, 499, 179, 48)));
    QImage picture(10, 10, QImage::Format_RGB32);  // something for "はりつけ" to paste
    picture.fill(Qt::blue);
    QGuiApplication::clipboard()->setImage(picture);
    for (int i = 0; i < kToolSlots; ++i) {
      FaceButton* button = panel.toolButtons[i];
      if (!button->isVisible()) continue;
      const QPoint centre = button->mapTo(&panel, button->rect().center());
      QCOMPARE(panel.childAt(centre), button);
      QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
      QCOMPARE(LitButton(f.session), i);
    }
  }

  // The panel forwards clicks and shows what they set; hidden buttons stay hidden.
  void panelFollowsState() {
    EditorFixture f;
    ToolPanel panel(f.session.editor, f.session.dialogs, nullptr);
    panel.show();
    for (int i : {6, 8, 10, 14}) QVERIFY(!panel.toolButtons[i]->isVisible());
    QVERIFY(!panel.saveButton->isVisible());
    QVERIFY(!panel.toolButtons[11]->icon().isNull());
    panel.toolButtons[4]->click();
    QVERIFY(f.session.editor.tool == Tool::Line);
    QCOMPARE(panel.toolButtons[4]->face(), kLit);
    QCOMPARE(panel.toolButtons[0]->face(), kPlain);
    panel.fixModeButton->click();
    QCOMPARE(panel.fixModeButton->text(), QStringLiteral("こてい"));
  }
};

QTEST_MAIN(ToolPanelTest)
#include "ToolPanelTest.moc"
