// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/RemovableDrives.h"

#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

namespace disk {

namespace {

std::function<QByteArray()> g_table;
QStringList g_mediaFolders;

// Guards the letters given out in this run and their holders.
QMutex g_lettersMutex;

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

// What the mount table and the device links say of a mounted volume.
struct Volume {
  QString point;
  QString mountId;  // the mount's number, used again after it is unmounted
  QString device;   // "major:minor", used again for the next stick plugged in
  QString root;     // the folder of the device that is mounted
  QString source;   // the device's path, as mounted
  QString uuid;     // the file system's, when a link in by-uuid names it
  QString serial;   // the device's link name in by-id, when there is one
};

// One letter given out: the stick it stands for and whether that stick was
// in at the last lookup.
struct Binding {
  QChar letter;
  QString uuid, serial, device, mountId;
  QString point;
  bool in = false;
};

QString g_deviceLinks = QStringLiteral("/dev/disk");
QList<Binding> g_bindings;     // under g_lettersMutex
QHash<QChar, int> g_held;      // holders of each letter, under g_lettersMutex

struct DeviceLink {
  QString name;
  bool block = false;
  dev_t rdev = 0;
  QString target;  // the canonical path of what it points to, for other files
};

QList<DeviceLink> ReadDeviceLinks(const QString& folder) {
  QList<DeviceLink> links;
  const QDir dir(folder);
  for (const QString& name : dir.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
    DeviceLink link;
    link.name = name;
    struct stat st {};
    const QString path = dir.filePath(name);
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) continue;
    link.block = S_ISBLK(st.st_mode);
    if (link.block)
      link.rdev = st.st_rdev;
    else
      link.target = QFileInfo(path).canonicalFilePath();
    links.append(link);
  }
  return links;
}

// The names of the links that point at `volume`'s device.
QStringList LinksTo(const QList<DeviceLink>& links, const Volume& volume) {
  const QStringList majorMinor = volume.device.split(u':');
  const dev_t rdev = majorMinor.size() == 2 ? makedev(majorMinor[0].toUInt(), majorMinor[1].toUInt()) : 0;
  QString source;
  QStringList names;
  for (const DeviceLink& link : links) {
    if (link.block) {
      if (link.rdev == rdev) names.append(link.name);
    } else if (!link.target.isEmpty()) {
      if (source.isEmpty()) source = QFileInfo(volume.source).canonicalFilePath();
      if (link.target == source) names.append(link.name);
    }
  }
  return names;
}

// Fills in the UUID and serial of each volume from the device links.
void ReadLinks(QList<Volume>& volumes) {
  if (volumes.isEmpty() || g_deviceLinks.isEmpty()) return;
  const QList<DeviceLink> byUuid = ReadDeviceLinks(g_deviceLinks + QStringLiteral("/by-uuid"));
  const QList<DeviceLink> byId = ReadDeviceLinks(g_deviceLinks + QStringLiteral("/by-id"));
  for (Volume& volume : volumes) {
    if (!volume.source.startsWith(u'/')) continue;  // tmpfs, a network share ...
    const QStringList uuids = LinksTo(byUuid, volume);
    if (!uuids.isEmpty()) volume.uuid = uuids.first();
    const QStringList ids = LinksTo(byId, volume);
    const auto usb = std::find_if(ids.begin(), ids.end(), [](const QString& n) { return n.startsWith(u"usb-"); });
    if (usb != ids.end())
      volume.serial = *usb;
    else if (!ids.isEmpty())
      volume.serial = ids.first();
  }
}

// Whether `volume` can be the stick of `binding`: the same serial when both
// have one (and no other UUID), else the same UUID when both have one, else
// the same device.
bool SameStick(const Volume& volume, const Binding& binding) {
  if (!volume.serial.isEmpty() && !binding.serial.isEmpty())
    return volume.serial == binding.serial &&
           (volume.uuid.isEmpty() || binding.uuid.isEmpty() || volume.uuid == binding.uuid);
  if (!volume.uuid.isEmpty() && !binding.uuid.isEmpty()) return volume.uuid == binding.uuid;
  return volume.device + u':' + volume.root == binding.device;
}

// The volumes mounted directly inside one of `mediaFolders`, in mount
// order, each mount point once.
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
    Volume volume;
    volume.point = point;
    volume.mountId = QString::fromLatin1(fields.at(0));
    volume.device = QString::fromLatin1(fields.at(2));
    volume.root = Unescape(fields.at(3));
    const qsizetype dash = fields.indexOf("-");
    if (dash >= 0 && dash + 2 < fields.size()) volume.source = Unescape(fields.at(dash + 2));
    points.append(point);
    volumes.append(volume);
  }
  return volumes;
}

bool LetterHasItsOwnFolder(QChar letter) {
  return !qEnvironmentVariable(QByteArray("PIKORAMA_DRIVE_" + QByteArray(1, char(letter.unicode())))
                                   .constData())
              .isEmpty();
}

constexpr char16_t kFirstLetter = u'D';
constexpr char16_t kLastExchangeLetter = u'F';

// The binding of `letter`, or -1.
int BindingOf(QChar letter) {
  for (int i = 0; i < int(g_bindings.size()); ++i)
    if (g_bindings[i].letter == letter) return i;
  return -1;
}

// The letter from `first` to `last` a stick may take now: the lowest never
// given out, else the lowest whose stick is gone and that nobody holds (its
// old stick is forgotten then). A null QChar when there is none.
QChar TakeFreeLetter(char16_t first, char16_t last) {
  for (char16_t l = first; l <= last; ++l)
    if (!LetterHasItsOwnFolder(QChar(l)) && BindingOf(QChar(l)) < 0) return QChar(l);
  for (char16_t l = first; l <= last; ++l) {
    const int b = BindingOf(QChar(l));
    if (LetterHasItsOwnFolder(QChar(l)) || b < 0 || g_bindings[b].in || g_held.value(QChar(l)) > 0)
      continue;
    g_bindings.removeAt(b);
    return QChar(l);
  }
  return {};
}

// Brings the letters up to date with the volumes mounted now, as the rule
// in the header says.
void ShareOutLetters(QList<Volume>& volumes) {
  ReadLinks(volumes);
  QList<int> stickOf(volumes.size(), -1);  // the binding of each volume
  QList<bool> found(g_bindings.size(), false);
  // A mount still in place is the stick it was, whatever the links say now
  // (a clone plugged in or pulled moves a shared UUID's link).
  for (int v = 0; v < int(volumes.size()); ++v) {
    for (int b = 0; b < int(g_bindings.size()); ++b) {
      const Binding& binding = g_bindings[b];
      if (found[b] || !binding.in || binding.mountId != volumes[v].mountId ||
          binding.device != volumes[v].device + u':' + volumes[v].root || binding.point != volumes[v].point)
        continue;
      // Another stick on the same device number, mount number and folder
      // (both used again at once after a pull): its links tell.
      if (!volumes[v].serial.isEmpty() && !binding.serial.isEmpty() && volumes[v].serial != binding.serial)
        continue;
      if (!volumes[v].uuid.isEmpty() && !binding.uuid.isEmpty() && volumes[v].uuid != binding.uuid) continue;
      stickOf[v] = b;
      found[b] = true;
      break;
    }
  }
  // A stick plugged in again: its letter, unless another stick has it.
  // Of two clones without serials, the one on the same device wins.
  for (int v = 0; v < int(volumes.size()); ++v) {
    if (stickOf[v] >= 0) continue;
    int best = -1;
    for (int b = 0; b < int(g_bindings.size()); ++b) {
      if (found[b] || !SameStick(volumes[v], g_bindings[b])) continue;
      if (best < 0 || g_bindings[b].device == volumes[v].device + u':' + volumes[v].root) best = b;
    }
    if (best >= 0) {
      stickOf[v] = best;
      found[best] = true;
    }
  }
  for (int b = 0; b < int(g_bindings.size()); ++b) g_bindings[b].in = found[b];
  for (int v = 0; v < int(volumes.size()); ++v) {
    if (stickOf[v] < 0) continue;
    Binding& binding = g_bindings[stickOf[v]];
    binding.mountId = volumes[v].mountId;
    binding.device = volumes[v].device + u':' + volumes[v].root;
    binding.point = volumes[v].point;
    if (binding.uuid.isEmpty()) binding.uuid = volumes[v].uuid;
    if (binding.serial.isEmpty()) binding.serial = volumes[v].serial;
  }
  // New sticks, in mount order; then sticks beyond F: move down when they can.
  for (int v = 0; v < int(volumes.size()); ++v) {
    if (stickOf[v] >= 0) continue;
    QChar letter = TakeFreeLetter(kFirstLetter, kLastExchangeLetter);
    if (letter.isNull()) letter = TakeFreeLetter(char16_t(kLastExchangeLetter + 1), u'Z');
    if (letter.isNull()) continue;
    g_bindings.append({letter, volumes[v].uuid, volumes[v].serial, volumes[v].device + u':' + volumes[v].root,
                       volumes[v].mountId, volumes[v].point, true});
  }
  auto stickAt = [](const QString& point) {
    for (int b = 0; b < int(g_bindings.size()); ++b)
      if (g_bindings[b].in && g_bindings[b].point == point) return b;
    return -1;
  };
  for (const Volume& volume : volumes) {
    const int b = stickAt(volume.point);
    if (b < 0 || g_bindings[b].letter <= QChar(kLastExchangeLetter) || g_held.value(g_bindings[b].letter) > 0)
      continue;
    const QChar letter = TakeFreeLetter(kFirstLetter, kLastExchangeLetter);
    if (letter.isNull()) break;  // nothing free: no later stick can move either
    g_bindings[stickAt(volume.point)].letter = letter;
  }
}

}  // namespace

QStringList RemovableVolumes(const QByteArray& mountinfo, const QStringList& mediaFolders) {
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
  QList<Volume> volumes = MountedVolumes(table, MediaFolders());
  QMutexLocker lock(&g_lettersMutex);
  ShareOutLetters(volumes);
  const int b = BindingOf(letter);
  if (b >= 0 && g_bindings[b].in) return g_bindings[b].point;
  // No stick has it, or its stick is pulled: a missing drive.
  return std::nullopt;
}

void DriveLetterHold::Hold(QChar letter) {
  letter = letter.toUpper();
  if (letter == letter_) return;
  QMutexLocker lock(&g_lettersMutex);
  if (!letter_.isNull() && --g_held[letter_] <= 0) g_held.remove(letter_);
  letter_ = letter;
  if (!letter_.isNull()) ++g_held[letter_];
}

namespace testing {
void SetMountTable(std::function<QByteArray()> table, QStringList mediaFolders, QString deviceLinks) {
  g_table = std::move(table);
  g_mediaFolders = g_table ? std::move(mediaFolders) : QStringList();
  QMutexLocker lock(&g_lettersMutex);
  g_deviceLinks = g_table ? std::move(deviceLinks) : QStringLiteral("/dev/disk");
  g_bindings.clear();
}
}  // namespace testing

}  // namespace disk
