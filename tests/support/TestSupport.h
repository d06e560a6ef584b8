#pragma once
// Shared pieces of the tests: scripted answers in place of message boxes,
// and temporary folders standing for drives.

#include <QByteArray>
#include <QHash>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <memory>
#include <optional>

#include "platform/Dialogs.h"

class ScriptedDialogs : public Dialogs {
 public:
  // Answers given in order; a question with no scripted answer gets いいえ,
  // an input box with none is cancelled.
  std::deque<bool> answers;
  std::deque<std::optional<QString>> inputs;

  QStringList asked;  // every question and input prompt, in order
  QStringList told;   // every notice
  int beeps = 0;
  bool ended = false;

  bool Ask(const QString& text) override;
  void Tell(const QString& text) override;
  std::optional<QString> Input(const QString& prompt) override;
  void Beep() override { ++beeps; }
  void EndProgram() override { ended = true; }
};

// Temporary folders for drive letters. Drive C always gets one; the others
// only when asked for. Every other drive is missing while this lives.
class TempDrives {
 public:
  explicit TempDrives(const QString& letters = QStringLiteral("C"));
  ~TempDrives();
  // The host folder of a drive letter.
  QString root(QChar letter) const;
  // The host path of a file under drive C, "/" separated: c("A_PIKORA/x").
  QString c(const QString& relative) const;

 private:
  QHash<QChar, std::shared_ptr<QTemporaryDir>> dirs_;
};

// Whole files, bytes in and out, by host path.
QByteArray ReadHostFile(const QString& path);
void WriteHostFile(const QString& path, const QByteArray& bytes);
// Every file and folder under a host folder with sizes, for "nothing on
// disk changed" checks.
QStringList Snapshot(const QString& folder);
