#pragma once
// The card text box Text1, lying over the canvas. It shows the shared
// module's card text and writes the child's typing back to it. Characters
// that windows-31j cannot hold are refused as they are typed, pasted or
// dropped (with a beep): the text file could not keep them.

#include <QPlainTextEdit>

class Shared;

// `s` without the characters windows-31j has no code for.
QString KeepEncodable(const QString& s);

// The card text as the shared module keeps it (lines ended by CR LF) and as
// the box shows it (lines ended by LF).
QString StoredCardText(const QString& shown);
QString ShownCardText(const QString& stored);

class CardTextBox : public QPlainTextEdit {
  Q_OBJECT
 public:
  CardTextBox(Shared& m, QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;
  void showEvent(QShowEvent* event) override;

 private:
  void ShowStoredText();
  Shared& m_;
};
