// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/RemovableDrives.h"

#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace disk {

namespace {

std::function<QByteArray()> g_table;
QStringList g_mediaFolders;

QByteArray HostMountTable() {
  QFile f(QStringLiteral("/proc/self/mountinfo"));
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();  // a proc file has no size: read to its end
}

// Mount points are written with octal escapes for blank, tab, newline and
// backslash ("\040").
QString Unescape(const QByteArray& field) {
  QByteArray out;
  for (qsizetype i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      bool ok = false;
      const int code = field.mid(i + 1, 3).toInt(&ok, 8);
      if (ok) {
        out += char(code);
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return QString::fromUtf8(out);
}

QString LoginName() {
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name && *pw->pw_name)
    return QString::fromLocal8Bit(pw->pw_name);
  QString name = qEnvironmentVariable("USER");
  if (name.isEmpty()) name = qEnvironmentVariable("LOGNAME");
  return name;
}

}  // namespace

QStringList RemovableVolumes(const QByteArray& mountinfo, const QStringList& mediaFolders) {
  QStringList volumes;
  for (const QByteArray& line : mountinfo.split('\n')) {
    const QList<QByteArray> fields = line.split(' ');
    if (fields.size() < 5) continue;
    const QString point = QDir::cleanPath(Unescape(fields.at(4)));
    const QString parent = QFileInfo(point).path();
    bool removable = false;
    for (const QString& media : mediaFolders) removable |= parent == QDir::cleanPath(media);
    if (removable && !volumes.contains(point)) volumes.append(point);
  }
  return volumes;
}

QStringList MediaFolders() {
  if (!g_mediaFolders.isEmpty()) return g_mediaFolders;
  const QString user = LoginName();
  if (user.isEmpty() || user.contains(u'/')) return {};
  return {QStringLiteral("/media/") + user, QStringLiteral("/run/media/") + user};
}

std::optional<QString> RemovableDriveRoot(QChar letter) {
  letter = letter.toUpper();
  if (letter < u'D' || letter > u'Z') return std::nullopt;
  const QStringList volumes =
      RemovableVolumes(g_table ? g_table() : HostMountTable(), MediaFolders());
  const int index = letter.unicode() - u'D';
  if (index >= volumes.size()) return std::nullopt;
  return volumes.at(index);
}

namespace testing {
void SetMountTable(std::function<QByteArray()> table, QStringList mediaFolders) {
  g_table = std::move(table);
  g_mediaFolders = g_table ? std::move(mediaFolders) : QStringList();
}
}  // namespace testing

}  // namespace disk
