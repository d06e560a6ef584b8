// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QtTest>

#include "deck/DeckState.h"
#include "cardtext/CardTextBox.h"
#include "cardtext/HiraganaKeyboard.h"
#include "platform/TextCodec.h"
#include "support/TestSupport.h"

namespace {

void Type(QWidget* widget, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
  QApplication::sendEvent(widget, &press);
}

}  // namespace

class HiraganaKeyboardTest : public QObject {
  Q_OBJECT

 private slots:
  // ゛ and ゜ over every letter from か to ぽ, worked out from the code
  // points: a plain letter's voiced form follows it, the は row has three.
  void marksCycleOverTheChart() {
    for (char16_t u = u'か'; u <= u'ぽ'; ++u) {
      const QChar c(u);
      std::optional<QChar> voiced, semi;
      if (u <= u'ぢ' || (u >= u'つ' && u <= u'ど')) {  // pairs: plain, voiced
        const bool plain = (u <= u'ぢ') == ((u - u'か') % 2 == 0);
        voiced = QChar(char16_t(plain ? u + 1 : u - 1));
      } else if (u >= u'は') {  // triples: plain, voiced, semi-voiced
        const char16_t plain = u - (u - u'は') % 3;
        voiced = QChar(char16_t(u == plain + 1 ? plain : plain + 1));
        semi = QChar(char16_t(u == plain + 2 ? plain : plain + 2));
      }
      QCOMPARE(hiragana::WithVoicedMark(c), voiced);
      QCOMPARE(hiragana::WithSemiVoicedMark(c), semi);
    }
    for (QChar other : QStringLiteral("あうっなんをー。ゃカ"))
      QVERIFY(!hiragana::WithVoicedMark(other) && !hiragana::WithSemiVoicedMark(other));
  }

  // Every letter a key writes fits the card text file, and every key is at
  // least 40 x 40 with letters of 18 points or more, inside the text box, in
  // both window sizes.
  void keysAreLargeAndFitBothLayouts() {
    DeckState deck;
    ScriptedDialogs dialogs;
    CardTextBox box(deck, dialogs, nullptr);
    for (const hiragana::Key& key : hiragana::Keys()) QVERIFY(key.letter.isEmpty() || text::CanEncode(key.letter));
    box.show();
    for (const QSize size : {QSize(818, 618), QSize(639, 483)}) {
      box.resize(size);
      HiraganaKeyboard* keyboard = box.keyboard();
      QCOMPARE(keyboard->geometry().bottom(), size.height() - 1);
      QVERIFY(keyboard->coveredHeight() < size.height() * 0.6);  // the text stays visible above
      for (const hiragana::Key& key : hiragana::Keys()) {
        QPushButton* button = keyboard->key(key.caption);
        QVERIFY(button);
        const QRect r = button->geometry().translated(keyboard->pos());
        QVERIFY2(r.width() >= 40 && r.height() >= 40 && QRect(QPoint(), size).contains(r), qPrintable(key.caption));
        QVERIFY(button->font().pixelSize() >= 24);
      }
    }
    // Given less room than its keys need, the panel shrinks them to it, or
    // folds to its bar when they would be too small for a finger; with not
    // even room for the bar it says so.
    HiraganaKeyboard* keyboard = box.keyboard();
    for (const int room : {300, 200, 150, 40, 20}) {
      const bool fits = keyboard->placeAlong(KeyboardEdge::Top, room);
      QCOMPARE(fits, room >= 36);
      if (!fits) continue;
      QVERIFY2(keyboard->y() == 0 && keyboard->height() <= room, qPrintable(QString::number(room)));
      QCOMPARE(keyboard->cramped(), room < 6 * 28 + 8);
      QCOMPARE(keyboard->key(QStringLiteral("あ"))->isVisible(), !keyboard->cramped());
      if (!keyboard->cramped()) QVERIFY(keyboard->key(QStringLiteral("あ"))->height() >= 28);
    }
    keyboard->placeAlong(KeyboardEdge::Bottom);
    QVERIFY(keyboard->key(QStringLiteral("あ"))->height() >= 40);
  }

  // Keys write at the cursor as typing does, the marks change the letter
  // before it, けす and かいぎょう edit like Backspace and Enter, and the deck
  // keeps the text with CR LF; the box keeps the focus.
  void keysEditAsTyping() {
    DeckState deck;
    ScriptedDialogs dialogs;
    CardTextBox box(deck, dialogs, nullptr);
    box.resize(818, 618);
    box.show();
    QVERIFY(QTest::qWaitForWindowActive(&box));
    HiraganaKeyboard* keyboard = box.keyboard();
    auto click = [&](const QString& caption) {
      QPushButton* button = keyboard->key(caption);
      QVERIFY2(button, qPrintable(caption));
      QTest::mouseClick(button, Qt::LeftButton);
    };
    click(QStringLiteral("゛"));  // nothing before the cursor
    QCOMPARE(dialogs.beeps, 1);
    for (const QString& k : {"ね", "こ", "か", "゛", "すきま", "な", "い", "た", "。"}) click(k);
    QCOMPARE(box.toPlainText(), QStringLiteral("ねこが　ないた。"));
    QVERIFY(box.hasFocus());
    // Fingers each press their own key, in the order they came down, also
    // when the second is lifted first; one slid off its key presses nothing.
    QPointingDevice* fingers = QTest::createTouchDevice();
    const auto at = [&](const char* caption) {
      return keyboard->key(QString::fromUtf8(caption))->geometry().center() + keyboard->pos();
    };
    QTest::touchEvent(&box, fingers).press(0, at("と"));
    QTest::touchEvent(&box, fingers).stationary(0).press(1, at("り"));
    QTest::touchEvent(&box, fingers).stationary(0).release(1, at("り"));
    QTest::touchEvent(&box, fingers).release(0, at("と"));
    QTest::touchEvent(&box, fingers).press(2, at("け"));
    QTest::touchEvent(&box, fingers).move(2, at("か"));
    QTest::touchEvent(&box, fingers).release(2, at("か"));
    QCOMPARE(box.toPlainText(), QStringLiteral("ねこが　ないた。とり"));
    click(QStringLiteral("けす"));
    click(QStringLiteral("けす"));
    click(QStringLiteral("゛"));  // 。 takes no mark
    QCOMPARE(dialogs.beeps, 2);

    QTextCursor cursor = box.textCursor();
    cursor.setPosition(2);
    box.setTextCursor(cursor);
    for (const QString& k : {"は", "゜", "゛", "゜", "の"}) click(k);  // は→ぱ→ば→ぱ
    QCOMPARE(box.toPlainText(), QStringLiteral("ねこぱのが　ないた。"));
    for (const QString& k : {"けす", "けす", "かいぎょう"}) click(k);
    QCOMPARE(box.toPlainText(), QStringLiteral("ねこ\nが　ないた。"));
    QCOMPARE(box.textCursor().position(), 3);
    QCOMPARE(deck.cardText, QStringLiteral("ねこ\r\nが　ないた。"));
    QVERIFY(box.hasFocus());

    // Hidden, only the button that brings the keys back stays, and the
    // text gets the room.
    const int shownHeight = keyboard->coveredHeight();
    QTest::mouseClick(keyboard->showHideButton(), Qt::LeftButton);
    QVERIFY(!keyboard->keysShown() && !keyboard->key(QStringLiteral("あ"))->isVisible());
    QVERIFY(keyboard->coveredHeight() < shownHeight / 3);
    QVERIFY(box.viewport()->geometry().bottom() >= box.height() - keyboard->coveredHeight() - 4);
    box.hide();
    box.show();
    QVERIFY(!keyboard->keysShown());  // the choice holds while the program runs
    QTest::mouseClick(keyboard->showHideButton(), Qt::LeftButton);
    QVERIFY(keyboard->key(QStringLiteral("あ"))->isVisible());
    QVERIFY(box.viewport()->geometry().bottom() < box.height() - shownHeight);
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

  // The card text box: letters Shift_JIS cannot keep are refused as typed
  // or pasted, and its text follows the deck's.
  void textBox() {
    DeckState deck;
    ScriptedDialogs dialogs;
    CardTextBox box(deck, dialogs, nullptr);
    Type(&box, QStringLiteral("う"));
    Type(&box, QStringLiteral("한"));
    Type(&box, QStringLiteral("み"));
    QCOMPARE(box.toPlainText(), QStringLiteral("うみ"));
    QCOMPARE(dialogs.beeps, 1);
    QGuiApplication::clipboard()->setText(QString::fromUtf8("と\xF0\x9F\x90\x9fり"));
    box.paste();
    QCOMPARE(deck.cardText, QStringLiteral("うみとり"));
    QCOMPARE(dialogs.beeps, 2);

    // The deck's text keeps CR LF; the box shows plain line breaks.
    deck.cardText = QStringLiteral("abc\r\n");
    deck.notifyChanged();
    QCOMPARE(box.toPlainText(), QStringLiteral("abc\n"));
    box.moveCursor(QTextCursor::End);
    Type(&box, QStringLiteral("x"));
    QCOMPARE(deck.cardText, QStringLiteral("abc\r\nx"));
    // The deck told again without a new text leaves the child's typing alone.
    deck.notifyChanged();
    QVERIFY(box.document()->isUndoAvailable());
  }
};

QTEST_MAIN(HiraganaKeyboardTest)
#include "HiraganaKeyboardTest.moc"
