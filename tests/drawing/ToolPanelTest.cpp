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
#include "drawing/ToolActions.h"
#include "drawing/ToolPanel.h"

namespace {

const QColor kLit(0, 255, 16);
const QColor kPlain(192, 255, 192);

// The slot of the one lit tool button; -1 for none, -2 for a wrong face.
int LitButton(const Session& session) {
  int lit = -1;
  for (int j = 0; j < kToolSlots; ++j) {
    if (ToolButtonFace(session.editor, j) == kLit && lit == -1) lit = j;
    else if (ToolButtonFace(session.editor, j) != kPlain) return -2;
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

  void textSwitch() {
    EditorFixture f;
    f.session.screen.Show(Screen::Drawing);
    ChooseTool(f.session.editor, f.session.dialogs, Tool::Text);
    QVERIFY(f.session.screen.current() == Screen::CardText);
    ChooseTool(f.session.editor, f.session.dialogs, Tool::Text);
    QVERIFY(f.session.screen.current() == Screen::Drawing);
    ChooseTool(f.session.editor, f.session.dialogs, Tool::Text);
    ChooseTool(f.session.editor, f.session.dialogs, Tool::MediumBrush);  // any other tool brings the canvas back
    QVERIFY(f.session.screen.current() == Screen::Drawing);
    ChooseTool(f.session.editor, f.session.dialogs, Tool::Text);  // the swatch and the erasers leave the text box
    ChooseEraser(f.session.editor, Tool::SmallEraser);
    ChooseFillColour(f.session.editor, [] {});
    QVERIFY(f.session.screen.current() == Screen::CardText);
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
    f.session.screen.Show(Screen::Stories);
    f.session.deck.storyFolder = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\\\");  // no story in the class
    QVERIFY(!f.session.drawing.Start());
    QCOMPARE(f.dialogs.beeps, 1);
    QVERIFY(f.session.screen.current() == Screen::Stories && !f.session.drawing.IsOpen());

    f.session.deck.storyFolder = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\うみ\\");
    f.session.screen.Show(Screen::CardText);
    ChooseTool(f.session.editor, f.session.dialogs, Tool::MediumBrush);
    ToggleFixMode(f.session.editor);
    f.session.screen.Show(Screen::CardText);
    QVERIFY(f.session.drawing.Start());
    QVERIFY(f.session.drawing.IsOpen() && f.session.screen.current() == Screen::Drawing);
    QVERIFY(f.session.editor.tool == Tool::None);
    QCOMPARE(PlacementCaption(f.session.editor.placement), QStringLiteral("じゆう"));
    QCOMPARE(LitButton(f.session), 2);  // the highlight stays as it was
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
    ToolPanel panel(f.session.editor, f.session.dialogs, nullptr);
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
    CardTextBox box(f.session.deck, f.session.dialogs, nullptr);
    Type(&box, QStringLiteral("う"));
    Type(&box, QStringLiteral("한"));
    Type(&box, QStringLiteral("み"));
    QCOMPARE(box.toPlainText(), QStringLiteral("うみ"));
    QCOMPARE(f.dialogs.beeps, 1);
    QGuiApplication::clipboard()->setText(QString::fromUtf8("と\xF0\x9F\x90\x9fり"));
    box.paste();
    QCOMPARE(f.session.deck.cardText, QStringLiteral("うみとり"));
    QCOMPARE(f.dialogs.beeps, 2);

    // The deck's text keeps CR LF; the box shows plain line breaks.
    f.session.deck.cardText = QStringLiteral("abc\r\n");
    f.session.deck.notifyChanged();
    QCOMPARE(box.toPlainText(), QStringLiteral("abc\n"));
    box.moveCursor(QTextCursor::End);
    Type(&box, QStringLiteral("x"));
    QCOMPARE(f.session.deck.cardText, QStringLiteral("abc\r\nx"));
    // Other controls changing leave the child's typing alone.
    ToggleFixMode(f.session.editor);
    QVERIFY(box.document()->isUndoAvailable());
  }
};

QTEST_MAIN(ToolPanelTest)
#include "ToolPanelTest.moc"
