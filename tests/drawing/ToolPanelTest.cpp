// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The tool panel: which tool each button selects and lights, the text box
// switch, free/fixed, the draw button, the designed places, and the card
// text box.

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QtTest>

#include "support/EditorFixture.h"
#include "cardtext/CardTextBox.h"
#include "drawing/ToolPalette.h"
#include "drawing/ToolPanel.h"

namespace {

const QColor kLit(0, 255, 16);
const QColor kPlain(192, 255, 192);

// The slot of the one lit tool button; -1 for none, -2 for a wrong face.
int LitButton(const Session& m) {
  int lit = -1;
  for (int j = 0; j < kToolSlots; ++j) {
    if (ToolButtonFace(m.editor, j) == kLit && lit == -1) lit = j;
    else if (ToolButtonFace(m.editor, j) != kPlain) return -2;
  }
  return lit;
}

void Type(QWidget* widget, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
  QApplication::sendEvent(widget, &press);
}

}  // namespace

class ToolPanelTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { QGuiApplication::clipboard()->clear(); }

  // Each button lights what it selects, whatever was lit before.
  void highlightAfterEachButton() {
    EditorFixture f;
    QCOMPARE(LitButton(f.m), 0);  // as designed
    QImage picture(10, 10, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QGuiApplication::clipboard()->setImage(picture);
    ToolPanel panel(f.m.editor, f.m.dialogs, nullptr);
    int shown = 0;
    for (int i = kToolSlots - 1; i >= 0; --i) {
      if (panel.toolButtons[i]->isHidden()) continue;
      ++shown;
      f.m.editor.shape.clicks = 1;
      panel.toolButtons[i]->click();
      QCOMPARE(LitButton(f.m), i);
      QCOMPARE(panel.toolButtons[i]->face(), kLit);
      QCOMPARE(f.m.editor.shape.clicks, 0);  // a half-drawn shape ends
    }
    QCOMPARE(shown, 11);
    ChooseEraser(f.m.editor, Tool::LargeEraser);
    QVERIFY(f.m.editor.tool == Tool::LargeEraser);
    QCOMPARE(LitButton(f.m), -1);
    ChooseFillColour(f.m.editor, [] {});
    QCOMPARE(LitButton(f.m), 11);  // the swatch lights the bucket
    ChooseEraser(f.m.editor, Tool::SmallEraser);
    QVERIFY(f.m.editor.tool == Tool::SmallEraser);
    QCOMPARE(LitButton(f.m), -1);
  }

  void textSwitch() {
    EditorFixture f;
    f.m.screen.Show(Screen::Drawing);
    ChooseTool(f.m.editor, f.m.dialogs, Tool::Text);
    QVERIFY(f.m.screen.current() == Screen::CardText);
    ChooseTool(f.m.editor, f.m.dialogs, Tool::Text);
    QVERIFY(f.m.screen.current() == Screen::Drawing);
    ChooseTool(f.m.editor, f.m.dialogs, Tool::Text);
    ChooseTool(f.m.editor, f.m.dialogs, Tool::MediumBrush);  // any other tool brings the canvas back
    QVERIFY(f.m.screen.current() == Screen::Drawing);
    ChooseTool(f.m.editor, f.m.dialogs, Tool::Text);  // the swatch and the erasers leave the text box
    ChooseEraser(f.m.editor, Tool::SmallEraser);
    ChooseFillColour(f.m.editor, [] {});
    QVERIFY(f.m.screen.current() == Screen::CardText);
  }

  void freeFixedAlternate() {
    EditorFixture f;
    const QStringList captions = {QStringLiteral("こてい"), QStringLiteral("じゆう"), QStringLiteral("こてい")};
    for (int k = 0; k < 3; ++k) {
      ToggleFixMode(f.m.editor);
      QCOMPARE(PlacementCaption(f.m.editor.placement), captions[k]);
      QVERIFY(f.m.editor.placement == (k % 2 == 0 ? Placement::Fixed : Placement::Free));
    }
  }

  void drawButton() {
    EditorFixture f;
    f.m.screen.Show(Screen::Stories);
    f.m.deck.StoryFolder = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\\\");  // no story in the class
    QVERIFY(!f.m.drawing.Start());
    QCOMPARE(f.dialogs.beeps, 1);
    QVERIFY(f.m.screen.current() == Screen::Stories && !f.m.drawing.IsOpen());

    f.m.deck.StoryFolder = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\うみ\\");
    f.m.screen.Show(Screen::CardText);
    ChooseTool(f.m.editor, f.m.dialogs, Tool::MediumBrush);
    ToggleFixMode(f.m.editor);
    f.m.screen.Show(Screen::CardText);
    QVERIFY(f.m.drawing.Start());
    QVERIFY(f.m.drawing.IsOpen() && f.m.screen.current() == Screen::Drawing);
    QVERIFY(f.m.editor.tool == Tool::None);
    QCOMPARE(PlacementCaption(f.m.editor.placement), QStringLiteral("じゆう"));
    QCOMPARE(LitButton(f.m), 2);  // the highlight stays as it was
    QCOMPARE(f.canvasAt(3, 3), kFrame);
  }

  // Designed places in twips, 15 to a pixel.
  void designedPlaces_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QColor>("face");
    QTest::newRow("Command10") << "Command10" << QRect(4, 4, 177, 33) << "えをかく おわり" << QColor(255, 0, 0);
    QTest::newRow("Command9") << "Command9" << QRect(116, 40, 65, 29) << "じゆう" << QColor(255, 192, 192);
    QTest::newRow("Command7_0") << "Command7_0" << QRect(4, 84, 45, 45) << "・" << kLit;
    QTest::newRow("Command7_9") << "Command7_9" << QRect(136, 128, 45, 45) << "０" << kPlain;
    QTest::newRow("Command26") << "Command26" << QRect(136, 192, 45, 41) << "●" << QColor(255, 192, 192);
    QTest::newRow("Command7_12") << "Command7_12" << QRect(92, 240, 89, 45) << "文記入" << kPlain;
    QTest::newRow("Command12") << "Command12" << QRect(68, 300, 109, 73) << "" << QColor(0, 0, 0);
    QTest::newRow("Command15") << "Command15" << QRect(20, 460, 141, 37) << "ﾌｧｲﾙ読込" << QColor(128, 128, 255);
  }
  void designedPlaces() {
    QFETCH(QString, name);
    QFETCH(QRect, place);
    QFETCH(QString, caption);
    QFETCH(QColor, face);
    EditorFixture f;
    ToolPanel panel(f.m.editor, f.m.dialogs, nullptr);
    panel.setScale(1.0);
    auto* button = panel.findChild<FaceButton*>(name);
    QVERIFY(button);
    QCOMPARE(button->geometry(), place);
    QCOMPARE(button->text(), caption);
    QCOMPARE(button->face(), face);
  }

  // The panel forwards clicks and shows what they set; hidden buttons stay hidden.
  void panelFollowsState() {
    EditorFixture f;
    ToolPanel panel(f.m.editor, f.m.dialogs, nullptr);
    panel.show();
    for (int i : {6, 8, 10, 14}) QVERIFY(!panel.toolButtons[i]->isVisible());
    QVERIFY(!panel.saveButton->isVisible());
    QVERIFY(!panel.toolButtons[11]->icon().isNull());
    panel.toolButtons[4]->click();
    QVERIFY(f.m.editor.tool == Tool::Line);
    QCOMPARE(panel.toolButtons[4]->face(), kLit);
    QCOMPARE(panel.toolButtons[0]->face(), kPlain);
    panel.fixModeButton->click();
    QCOMPARE(panel.fixModeButton->text(), QStringLiteral("こてい"));
  }

  void keepEncodable_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("kana, kanji, ascii, line ends") << "むかし昔ｶﾅ a\r\n" << "むかし昔ｶﾅ a\r\n";
    QTest::newRow("circled digit and IBM kanji") << "①髙" << "①髙";
    QTest::newRow("hangul") << "a한b" << "ab";
    QTest::newRow("emoji (surrogate pair)") << QString::fromUtf8("え\xF0\x9F\x98\x80ほん") << "えほん";
  }
  void keepEncodable() {
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    QCOMPARE(KeepEncodable(typed), kept);
  }

  void textBox() {
    EditorFixture f;
    CardTextBox box(f.m.deck, f.m.dialogs, nullptr);
    Type(&box, QStringLiteral("う"));
    Type(&box, QStringLiteral("한"));
    Type(&box, QStringLiteral("み"));
    QCOMPARE(box.toPlainText(), QStringLiteral("うみ"));
    QCOMPARE(f.dialogs.beeps, 1);
    QGuiApplication::clipboard()->setText(QString::fromUtf8("と\xF0\x9F\x90\x9fり"));
    box.paste();
    QCOMPARE(f.m.deck.cardText, QStringLiteral("うみとり"));
    QCOMPARE(f.dialogs.beeps, 2);

    // The deck's text keeps CR LF; the box shows plain line breaks.
    f.m.deck.cardText = QStringLiteral("abc\r\n");
    f.m.deck.notifyChanged();
    QCOMPARE(box.toPlainText(), QStringLiteral("abc\n"));
    box.moveCursor(QTextCursor::End);
    Type(&box, QStringLiteral("x"));
    QCOMPARE(f.m.deck.cardText, QStringLiteral("abc\r\nx"));
    // Other controls changing leave the child's typing alone.
    ToggleFixMode(f.m.editor);
    QVERIFY(box.document()->isUndoAvailable());
  }
};

QTEST_MAIN(ToolPanelTest)
#include "ToolPanelTest.moc"
