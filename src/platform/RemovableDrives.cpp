// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/RemovableDrives.h"

#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

namespace disk {

namespace {

std::function<QByteArray()> g_table;
QStringList g_mediaFolders;

// The letters given out in this run, by the identity of their volume.
QMutex g_lettersMutex;
QHash<QString, QChar> g_letters;

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

// What stays the same of a volume while it is pulled and plugged in again:
// the file system's UUID when the desktop's device links name one, else the
// device number and the folder of it that is mounted. Worked out anew at
// every lookup: a device node and a mount's number are used again for the
// next stick plugged in.
QString Identity(const QList<QByteArray>& fields) {
  QString identity = QStringLiteral("dev:") + QString::fromLatin1(fields.at(2)) + u':' +
                     Unescape(fields.at(3));
  const qsizetype dash = fields.indexOf("-");
  if (dash >= 0 && dash + 2 < fields.size() && fields.at(dash + 2).startsWith("/dev/")) {
    const QString device = QFileInfo(Unescape(fields.at(dash + 2))).canonicalFilePath();
    const QDir byUuid(QStringLiteral("/dev/disk/by-uuid"));
    for (const QFileInfo& link : byUuid.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
      if (!device.isEmpty() && QFileInfo(link.symLinkTarget()).canonicalFilePath() == device) {
        identity = QStringLiteral("uuid:") + link.fileName();
        break;
      }
    }
  }
  return identity;
}

struct Volume {
  QString point;
  QString identity;
};

// The volumes mounted directly inside one of `mediaFolders`, in mount
// order, each mount point once. Called with g_lettersMutex held.
QList<Volume> MountedVolumes(const QByteArray& mountinfo, const QStringList& mediaFolders) {
  QList<Volume> volumes;
  QStringList points;
  for (const QByteArray& line : mountinfo.split('\n')) {
    const QList<QByteArray> fields = line.split(' ');
    if (fields.size() < 5) continue;
    const QString point = QDir::cleanPath(Unescape(fields.at(4)));
    const QString parent = QFileInfo(point).path();
    bool removable = false;
    for (const QString& media : mediaFolders) removable |= parent == QDir::cleanPath(media);
    if (!removable) continue;
    // A later mount on the same point covers the earlier one.
    if (const qsizetype i = points.indexOf(point); i >= 0) {
      points.removeAt(i);
      volumes.removeAt(i);
    }
    points.append(point);
    volumes.append({point, Identity(fields)});
  }
  return volumes;
}

bool LetterHasItsOwnFolder(QChar letter) {
  return !qEnvironmentVariable(QByteArray("PIKORAMA_DRIVE_" + QByteArray(1, char(letter.unicode())))
                                   .constData())
              .isEmpty();
}

QStringList RemovableVolumes(const QByteArray& mountinfo, const QStringList& mediaFolders) {
  QMutexLocker lock(&g_lettersMutex);
  QStringList points;
  for (const Volume& volume : MountedVolumes(mountinfo, mediaFolders)) points.append(volume.point);
  return points;
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
  const QByteArray table = g_table ? g_table() : HostMountTable();
  const QStringList media = MediaFolders();
  QMutexLocker lock(&g_lettersMutex);
  const QList<Volume> volumes = MountedVolumes(table, media);
  // A volume seen for the first time takes the lowest letter not given out
  // before in this run (and not set to a folder of its own).
  for (const Volume& volume : volumes) {
    if (g_letters.contains(volume.identity)) continue;
    for (char16_t l = u'D'; l <= u'Z'; ++l) {
      const QChar free(l);
      if (!LetterHasItsOwnFolder(free) && !g_letters.values().contains(free)) {
        g_letters.insert(volume.identity, free);
        break;
      }
    }
  }
  for (const Volume& volume : volumes) {
    if (g_letters.value(volume.identity) == letter) return volume.point;
  }
  // Its volume is pulled: a missing drive until the same one comes back.
  return std::nullopt;
}

namespace testing {
void SetMountTable(std::function<QByteArray()> table, QStringList mediaFolders) {
  g_table = std::move(table);
  g_mediaFolders = g_table ? std::move(mediaFolders) : QStringList();
  QMutexLocker lock(&g_lettersMutex);
  g_letters.clear();
}
}  // namespace testing

}  // namespace disk
