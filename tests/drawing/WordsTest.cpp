// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// 「もじ」: words typed on the picture, finished into it by a click
// elsewhere, another tool or the card saved, each one step; the bubble;
// characters the card files cannot hold refused; typing through the canvas
// panel's keys and input method.

#include <QInputMethodEvent>
#include <QtTest>

#include "support/EditorFixture.h"
#include "drawing/CanvasView.h"
#include "drawing/DrawingTools.h"
#include "drawing/ToolActions.h"
#include "drawing/ToolPanel.h"
#include "platform/Imaging.h"

namespace {

// The pixels of `after` that differ from `before`, and how many of them
// are `colour`.
struct Difference {
  QRect where;  // around every changed pixel
  int inColour = 0;
};

Difference Compare(const QImage& before, const QImage& after, QRgb colour) {
  Difference d;
  for (int y = 0; y < after.height(); ++y)
    for (int x = 0; x < after.width(); ++x)
      if (before.pixel(x, y) != after.pixel(x, y)) {
        d.where |= QRect(x, y, 1, 1);
        d.inColour += after.pixel(x, y) == colour;
      }
  return d;
}

void Click(EditorState& editor, QPoint at) {
  CanvasMouseDown(editor, kLeftButton, at.x(), at.y());
  CanvasMouseUp(editor, kLeftButton, at.x(), at.y());
}

}  // namespace

class WordsTest : public QObject {
  Q_OBJECT
 private slots:
  // Words typed are shown over the picture, not in it; a click elsewhere
  // puts them there in the pen colour as one step; the bubble is white with
  // a black outline around the words; another tool and the card saved
  // finish the words too; undo takes back each words and redo brings them
  // back; the saved card has them.
  void placeFinishUndoRedoSave() {
    EditorFixture f;
    QVERIFY(QDir().mkpath(f.drives.c(QStringLiteral("A_PIKORA/CLASS_11/うみ"))));
    QVERIFY(f.session.drawing.Start());
    EditorState& editor = f.session.editor;
    editor.penColourIndex = 1;
    const QRgb pen = editor.paletteColour(1);
    QVERIFY(pen != qRgb(0, 0, 0) && pen != qRgb(255, 255, 255));
    ChooseTool(editor, f.dialogs, Tool::Words);
    const QImage paper = editor.canvasImage.copy();
    const int steps = editor.history.StepsDone();

    Click(editor, {200, 200});
    QVERIFY(TypeWords(editor, f.dialogs, QStringLiteral("やま")));
    QCOMPARE(editor.canvasImage, paper);  // only a preview so far
    const QRect first = WordsRect(editor);
    QVERIFY(first.contains(200, 200) && first.width() >= 2 * 36);
    Click(editor, {500, 400});
    QCOMPARE(editor.history.StepsDone(), steps + 1);
    const QImage withFirst = editor.canvasImage.copy();
    const Difference d1 = Compare(paper, withFirst, pen);
    QVERIFY(first.contains(d1.where));
    QVERIFY2(d1.inColour > 50, qPrintable(QString::number(d1.inColour)));

    // Larger words take more room; the bubble goes round them.
    QVERIFY(TypeWords(editor, f.dialogs, QStringLiteral("はな")));
    const QRect normal = WordsRect(editor);
    ChangeWordsLook(editor, {64, true});
    const QRect bubbled = WordsRect(editor);
    QVERIFY(bubbled.height() > normal.height() + 24 && bubbled.width() > normal.width() + 24);
    QCOMPARE(editor.canvasImage, withFirst);
    ChooseTool(editor, f.dialogs, Tool::ThinPen);
    QVERIFY(!editor.wordsEditing);
    QCOMPARE(editor.history.StepsDone(), steps + 2);
    const QImage withBoth = editor.canvasImage.copy();
    const Difference d2 = Compare(withFirst, withBoth, pen);
    QVERIFY(bubbled.contains(d2.where));
    QVERIFY(d2.inColour > 50);
    // Left of the words, inside the bubble: white; further left, at the
    // bubble's edge: black.
    const int middle = 400;
    QCOMPARE(editor.canvasImage.pixel(498, middle), qRgb(255, 255, 255));
    int black = 0;
    for (int x = bubbled.left(); x < 498; ++x) black += editor.canvasImage.pixel(x, middle) == qRgb(0, 0, 0);
    QVERIFY(black >= 1);
    QCOMPARE(editor.canvasImage.pixel(bubbled.left() - 2, middle), paper.pixel(bubbled.left() - 2, middle));

    Undo(editor);
    QCOMPARE(editor.canvasImage, withFirst);
    Undo(editor);
    QCOMPARE(editor.canvasImage, paper);
    Redo(editor);
    QCOMPARE(editor.canvasImage, withFirst);
    Redo(editor);
    QCOMPARE(editor.canvasImage, withBoth);

    // Words still being typed when the card is finished are in its picture.
    ChooseTool(editor, f.dialogs, Tool::Words);
    Click(editor, {300, 500});
    QVERIFY(TypeWords(editor, f.dialogs, QStringLiteral("おわり")));
    QVERIFY(f.session.drawing.Finish());
    const auto saved = imaging::ReadCardPicture(f.session.deck.storyFolder + QStringLiteral("Card_01.PNG"));
    QVERIFY(saved);
    const QImage picture = editor.canvasImage.copy(PictureArea(editor)).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(saved->convertToFormat(QImage::Format_RGB32), picture);
    QVERIFY(Compare(withBoth.copy(PictureArea(editor)).convertToFormat(QImage::Format_RGB32), picture, pen)
                .inColour > 50);
  }

  // Through the widgets: 「もじ」 lights and shows the size and bubble
  // buttons, which set the words' look. Characters windows-31j has no code
  // for are refused with a beep, as the card text refuses them, from the
  // keys and from the input method; Backspace takes off one character, a
  // pair of surrogates included.
  void throughTheWidgets() {
    EditorFixture f;
    EditorState& editor = f.session.editor;
    ToolPanel panel(editor, f.dialogs, nullptr);
    panel.show();
    CanvasView view(editor, nullptr, &f.dialogs);
    QVERIFY(panel.bubbleButton->isHidden());
    QTest::mouseClick(panel.wordsButton, Qt::LeftButton);
    QVERIFY(editor.tool == Tool::Words);
    QCOMPARE(panel.wordsButton->face(), QColor(0, 255, 16));
    QVERIFY(panel.bubbleButton->isVisible() && panel.wordsSizeButtons[2]->isVisible());
    QTest::mouseClick(panel.wordsSizeButtons[2], Qt::LeftButton);
    QTest::mouseClick(panel.bubbleButton, Qt::LeftButton);
    QCOMPARE(editor.words.size, 64);
    QVERIFY(editor.words.bubble);
    QCOMPARE(panel.wordsSizeButtons[2]->face(), QColor(0, 255, 16));
    QTest::mouseClick(panel.wordsSizeButtons[0], Qt::LeftButton);
    QCOMPARE(editor.words.size, 24);
    Click(editor, {100, 100});
    const auto press = [&view](const QString& text) {
      QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, text);
      QCoreApplication::sendEvent(&view, &key);
    };
    for (const QString& typed : {QStringLiteral("あ"), QStringLiteral("漢"), QStringLiteral("A")}) press(typed);
    QCOMPARE(editor.wordsEditing->text, QStringLiteral("あ漢A"));
    QCOMPARE(f.dialogs.beeps, 0);
    for (const QString& refused : {QStringLiteral("😀"), QStringLiteral("𠮷"), QStringLiteral("い😀")}) press(refused);
    QInputMethodEvent im;
    im.setCommitString(QStringLiteral("ゆき🍎"));
    QCoreApplication::sendEvent(&view, &im);
    QCOMPARE(f.dialogs.beeps, 4);
    QCOMPARE(editor.wordsEditing->text, QStringLiteral("あ漢A"));
    im.setCommitString(QStringLiteral("ゆき"));
    QCoreApplication::sendEvent(&view, &im);
    QCOMPARE(editor.wordsEditing->text, QStringLiteral("あ漢Aゆき"));
    // A surrogate pair the codec could hold would go in one Backspace; the
    // words never hold one, so one key takes one character.
    editor.wordsEditing->text += QStringLiteral("😀");
    QTest::keyClick(&view, Qt::Key_Backspace);
    QTest::keyClick(&view, Qt::Key_Backspace);
    QCOMPARE(editor.wordsEditing->text, QStringLiteral("あ漢Aゆ"));
    QCOMPARE(editor.canvasImage.pixel(120, 100), qRgb(255, 255, 255));  // still only shown
    const int steps = editor.history.StepsDone();
    ChooseTool(editor, f.dialogs, Tool::ThinPen);
    QVERIFY(panel.bubbleButton->isHidden());
    QCOMPARE(editor.history.StepsDone(), steps + 1);  // the words finished, one step
  }
};

QTEST_MAIN(WordsTest)
#include "WordsTest.moc"
