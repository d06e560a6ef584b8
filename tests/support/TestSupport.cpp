#include "support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QCryptographicHash>

bool ScriptedDialogs::Ask(const QString& text) {
  asked.append(text);
  if (answers.empty()) return false;
  const bool answer = answers.front();
  answers.pop_front();
  return answer;
}

void ScriptedDialogs::Tell(const QString& text) { told.append(text); }

std::optional<QString> ScriptedDialogs::Input(const QString& prompt) {
  asked.append(prompt);
  if (inputs.empty()) return std::nullopt;
  auto answer = inputs.front();
  inputs.pop_front();
  return answer;
}

TempDrives::TempDrives(const QString& letters) {
  for (char l = 'A'; l <= 'Z'; ++l) qunsetenv(QByteArray("PIKORAMA_DRIVE_") + l);
  QString all = letters.toUpper();
  if (!all.contains(u'C')) all += u'C';
  for (QChar letter : all) {
    auto dir = std::make_shared<QTemporaryDir>();
    dirs_.insert(letter, dir);
    qputenv(QByteArray("PIKORAMA_DRIVE_") + char(letter.unicode()), dir->path().toUtf8());
  }
}

TempDrives::~TempDrives() {
  for (char l = 'A'; l <= 'Z'; ++l) qunsetenv(QByteArray("PIKORAMA_DRIVE_") + l);
}

QString TempDrives::root(QChar letter) const { return dirs_.value(letter.toUpper())->path(); }

QString TempDrives::c(const QString& relative) const { return root(u'C') + u'/' + relative; }

QByteArray ReadHostFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

void WriteHostFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

QStringList Snapshot(const QString& folder) {
  QStringList entries;
  QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    const QFileInfo info(path);
    QString entry = path.mid(folder.size());
    if (info.isFile()) {
      entry += u' ' + QString::fromLatin1(
                          QCryptographicHash::hash(ReadHostFile(path), QCryptographicHash::Md5).toHex());
    } else {
      entry += u'/';
    }
    entries.append(entry);
  }
  entries.sort();
  return entries;
}
