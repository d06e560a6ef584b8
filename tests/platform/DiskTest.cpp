// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The file layer: drive letters, case-insensitive names, windows-31j text,
// atomic replacement and refusal of unsafe paths.

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QColor>
#include <QImage>
#include <QTest>

#include <unistd.h>

#include "platform/Disk.h"
#include "platform/FileCopy.h"
#include "platform/HostFiles.h"
#include "platform/RemovableDrives.h"
#include "platform/WholeFile.h"
#include "platform/TextCodec.h"
#include "support/TestSupport.h"

namespace {

// The program's working files in a host folder.
QStringList Leftovers(const QString& folder) {
  return QDir(folder).entryList({QStringLiteral(".pikorama*"), QStringLiteral("*~pikorama*")},
                                QDir::Files | QDir::Hidden | QDir::System);
}

// Moves the times of every file in a host folder `seconds` back.
void Age(const QString& folder, int seconds) {
  for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
    QFile f(folder + u'/' + name);
    if (f.open(QIODevice::ReadWrite))
      f.setFileTime(QDateTime::currentDateTime().addSecs(-seconds), QFileDevice::FileModificationTime);
  }
}

// USB sticks in a mount table of the test's own, with the device links
// the desktop keeps for them: by-uuid names the file system, by-id the
// device's serial. Like udev, a UUID's link goes to the stick plugged in
// last and, when that one is pulled, back to a clone still in.
struct FakeSticks {
  struct Stick {
    QString name, device, uuid, serial;
    int mountId = 0;
  };
  FakeSticks() {
    for (const char* folder : {"media/taro", "disk/by-uuid", "disk/by-id", "dev"})
      QDir().mkpath(base.filePath(QString::fromLatin1(folder)));
    disk::testing::SetMountTable([this] { return Table(); }, {base.filePath(QStringLiteral("media/taro"))},
                                 base.filePath(QStringLiteral("disk")));
  }
  ~FakeSticks() { disk::testing::SetMountTable({}); }
  QString Point(const QString& name) const { return base.filePath(QStringLiteral("media/taro/") + name); }
  // Plugs in a stick on device /dev/sd<device> (number 8:<minor>) mounted
  // at media/taro/<name>.
  void PlugIn(const QString& name, const QString& device, int minor, const QString& uuid,
              const QString& serial = {}) {
    const QString dev = base.filePath(QStringLiteral("dev/sd") + device);
    WriteHostFile(dev, {});
    QDir().mkpath(Point(name));
    Link(QStringLiteral("by-uuid/") + uuid, dev);
    if (!serial.isEmpty()) Link(QStringLiteral("by-id/usb-") + serial + QStringLiteral("-0:0-part1"), dev);
    in.append({name, QStringLiteral("8:%1 %2").arg(minor).arg(dev), uuid, serial, nextMount++});
  }
  void Pull(const QString& name) {
    const auto it = std::find_if(in.begin(), in.end(), [&](const Stick& s) { return s.name == name; });
    const Stick gone = *it;
    in.erase(it);
    QFile::remove(base.filePath(QStringLiteral("disk/by-uuid/") + gone.uuid));
    if (!gone.serial.isEmpty())
      QFile::remove(base.filePath(QStringLiteral("disk/by-id/usb-") + gone.serial + QStringLiteral("-0:0-part1")));
    for (const Stick& clone : in)
      if (clone.uuid == gone.uuid) Link(QStringLiteral("by-uuid/") + clone.uuid, clone.device.section(u' ', 1));
  }
  // The exchange letter that reaches a stick now, or a blank.
  QChar LetterOf(const QString& name) const {
    for (QChar letter : QStringLiteral("DEF"))
      if (disk::DriveRoot(letter) == std::optional<QString>(Point(name))) return letter;
    return u' ';
  }
  void Link(const QString& at, const QString& to) {
    QFile::remove(base.filePath(QStringLiteral("disk/") + at));
    QFile::link(to, base.filePath(QStringLiteral("disk/") + at));
  }
  QByteArray Table() const {
    QByteArray table = "22 27 0:21 / /proc rw - proc proc rw\n";
    for (const Stick& s : in)
      table += QByteArray::number(s.mountId) + " 27 " + s.device.section(u' ', 0, 0).toLatin1() + " / " +
               QFile::encodeName(Point(s.name)) + " rw - vfat " + QFile::encodeName(s.device.section(u' ', 1)) +
               " rw\n";
    return table;
  }
  QTemporaryDir tmp;
  QDir base{tmp.path()};
  QList<Stick> in;
  int nextMount = 90;
};

}  // namespace

class DiskTest : public QObject {
  Q_OBJECT
 private slots:
  void drivesMapToFolders();
  void namesMatchWithoutCase();
  void textRoundTripsInWindows31j();
  void linesEndAtCrLfCrOrLf();
  void fullDiskKeepsTheOldFile();
  void rawLinesComeBackUnchanged();
  void killedWritesLeaveOldOrNew();
  void unsafePathsNeverReachTheHost();
  void linksLeadNowhere();
  void foldersAndPatterns();
  void sticksTakeTurnsOnTheLetters();
};

void DiskTest::drivesMapToFolders() {
  TempDrives drives(QStringLiteral("CD"));
  QVERIFY(disk::CreateFolder(QStringLiteral("D:\\A_PIKORA\\")));
  QVERIFY(QFileInfo(drives.root(u'D') + QStringLiteral("/A_PIKORA")).isDir());
  // A second create of the same folder reports failure, as MkDir does.
  QVERIFY(!disk::CreateFolder(QStringLiteral("d:\\a_pikora")));

  // No folder for I:, and E: names a folder that is not there: both missing.
  QVERIFY(!disk::CreateFolder(QStringLiteral("I:\\A_PIKORA")));
  qputenv("PIKORAMA_DRIVE_E", QByteArray("/nonexistent/pikorama-e"));
  QVERIFY(!disk::DriveRoot(u'E'));
  QVERIFY(!disk::WriteLines(QStringLiteral("E:\\Menu.txt"), {QStringLiteral("a")}));
  QVERIFY(!disk::ReadLines(QStringLiteral("E:\\Menu.txt")));

  // Without PIKORAMA_DRIVE_C and without a home folder, C: is missing, not
  // the host's top folder.
  const QByteArray home = qgetenv("HOME");
  qunsetenv("PIKORAMA_DRIVE_C");
  for (const QByteArray& value : {QByteArray(), QByteArray("")}) {
    if (value.isNull()) qunsetenv("HOME");
    else qputenv("HOME", value);
    QVERIFY(!disk::DriveRoot(u'C'));
    QVERIFY(!disk::CreateFolder(QStringLiteral("C:\\A_PIKORA\\")));
  }
  qputenv("HOME", home);
  qputenv("PIKORAMA_DRIVE_C", drives.root(u'C').toUtf8());

  // One level at a time: a folder whose parent is missing is not made.
  QVERIFY(!disk::CreateFolder(QStringLiteral("C:\\X\\Y\\")));
  QVERIFY(!QFileInfo::exists(drives.c(QStringLiteral("X"))));
}

void DiskTest::namesMatchWithoutCase() {
  TempDrives drives;
  WriteHostFile(drives.c(QStringLiteral("a_pikora/Class_11/Story/Card_05.TXT")), "abc\r\n");
  const QString asked = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\story\\Card_05.txt");
  QVERIFY(disk::FileExists(asked));
  QCOMPARE(*disk::ReadLines(asked), QStringList{QStringLiteral("abc")});

  // Writing through another spelling replaces the same file.
  QVERIFY(disk::WriteLines(asked, {QStringLiteral("xyz")}));
  QCOMPARE(QDir(drives.c(QStringLiteral("a_pikora/Class_11/Story"))).entryList(QDir::Files),
           QStringList{QStringLiteral("Card_05.TXT")});

  // A new file takes the spelling it is created with, inside the existing
  // folders whatever their case.
  QVERIFY(disk::WriteLines(QStringLiteral("C:\\A_PIKORA\\CLASS_11\\story\\Card_06.txt"), {}));
  QVERIFY(QFileInfo::exists(drives.c(QStringLiteral("a_pikora/Class_11/Story/Card_06.txt"))));

  // An exact match wins over another spelling of the same name.
  WriteHostFile(drives.c(QStringLiteral("m/TEST.BMP")), "upper");
  WriteHostFile(drives.c(QStringLiteral("m/test.bmp")), "lower");
  QCOMPARE(*disk::ReadBytes(QStringLiteral("C:\\m\\test.bmp")), QByteArray("lower"));
  QCOMPARE(*disk::ReadBytes(QStringLiteral("C:\\M\\TEST.BMP")), QByteArray("upper"));
}

void DiskTest::textRoundTripsInWindows31j() {
  TempDrives drives;
  const QStringList lines = {QStringLiteral("１年１組"), QStringLiteral("①"), QStringLiteral("～"),
                             QStringLiteral("ｱｲｳﾞ")};
  QVERIFY(disk::WriteLines(QStringLiteral("C:\\t.txt"), lines));
  const QByteArray expected = QByteArray::fromHex(
      "8250944e82509167" "0d0a" "8740" "0d0a" "8160" "0d0a" "b1b2b3de" "0d0a");
  QCOMPARE(ReadHostFile(drives.c(QStringLiteral("t.txt"))), expected);
  QCOMPARE(*disk::ReadLines(QStringLiteral("C:\\t.txt")), lines);

  // Bytes written on a Windows PC read back as the same characters.
  WriteHostFile(drives.c(QStringLiteral("w.txt")), expected);
  QCOMPARE(*disk::ReadLines(QStringLiteral("C:\\w.txt")), lines);

  // A character with no windows-31j form is refused, not silently lost.
  QVERIFY(!text::CanEncode(QStringLiteral("😀")));
  QVERIFY(!disk::WriteLines(QStringLiteral("C:\\t.txt"), {QStringLiteral("a😀")}));
  QVERIFY(!disk::AppendLine(QStringLiteral("C:\\t.txt"), QStringLiteral("😀")));
  QCOMPARE(ReadHostFile(drives.c(QStringLiteral("t.txt"))), expected);
}

void DiskTest::linesEndAtCrLfCrOrLf() {
  QCOMPARE(text::SplitLines(QString()), QStringList());
  QCOMPARE(text::SplitLines(QStringLiteral("\r\n")), QStringList{QString()});
  QCOMPARE(text::SplitLines(QStringLiteral("a\r\nb")), (QStringList{"a", "b"}));
  QCOMPARE(text::SplitLines(QStringLiteral("a\rb\nc\r\n")), (QStringList{"a", "b", "c"}));
  QCOMPARE(text::SplitLines(QStringLiteral("a\r\nb\r\n\r\n")), (QStringList{"a", "b", ""}));

  TempDrives drives;
  // Appending after a last line without its ending starts a new line.
  WriteHostFile(drives.c(QStringLiteral("Menu.txt")), "a\r\nb");
  QVERIFY(disk::AppendLine(QStringLiteral("C:\\Menu.txt"), QStringLiteral("c")));
  QCOMPARE(ReadHostFile(drives.c(QStringLiteral("Menu.txt"))), QByteArray("a\r\nb\r\nc\r\n"));
  QVERIFY(disk::AppendLine(QStringLiteral("C:\\New.txt"), QStringLiteral("x")));
  QCOMPARE(ReadHostFile(drives.c(QStringLiteral("New.txt"))), QByteArray("x\r\n"));
  QVERIFY(disk::WriteLines(QStringLiteral("C:\\Empty.txt"), {}));
  QCOMPARE(QFileInfo(drives.c(QStringLiteral("Empty.txt"))).size(), 0);
}

void DiskTest::fullDiskKeepsTheOldFile() {
  FullDisk full;
  const QString dir = full.root();
  // Old files small enough for the nearly full disk; new ones well over the
  // room left, so a write fails half-way.
  QImage oldPicture(8, 8, QImage::Format_RGB888);
  oldPicture.fill(Qt::red);
  QImage newPicture(200, 200, QImage::Format_RGB888);
  newPicture.fill(Qt::blue);
  const QByteArray big(64 * 1024, 'x');
  QStringList manyLines;
  for (int i = 0; i < 3000; ++i) manyLines.append(QStringLiteral("おはなし %1").arg(i));
  QVERIFY(disk::WriteLines(QStringLiteral("C:\\Menu.txt"), {QStringLiteral("ねこ")}));
  QVERIFY(disk::WriteBytes(QStringLiteral("C:\\Card.wav"), "RIFF-old"));
  QVERIFY(disk::WriteImage(QStringLiteral("C:\\Card.bmp"), oldPicture, "BMP"));
  QVERIFY(disk::WriteBytes(QStringLiteral("C:\\Big.bin"), big));
  const QStringList before = Snapshot(dir);

  // Small writes that fit in a buffer fail only when flushed.
  full.WhileFull([&] {
    QVERIFY(!disk::WriteLines(QStringLiteral("C:\\Menu.txt"), {QStringLiteral("いぬ")}));
    QVERIFY(!disk::AppendLine(QStringLiteral("C:\\Menu.txt"), QStringLiteral("とり")));
    QVERIFY(!disk::WriteBytes(QStringLiteral("C:\\Card.wav"), "RIFF-new"));
  });
  QCOMPARE(Snapshot(dir), before);
  full.WhileFull(
      [&] {
        QVERIFY(!disk::WriteLines(QStringLiteral("C:\\Menu.txt"), manyLines));
        QVERIFY(!disk::WriteRawLines(QStringLiteral("C:\\Menu.txt"), QList<QByteArray>(3000, big.left(30))));
        QVERIFY(!disk::AppendLine(QStringLiteral("C:\\Big.bin"), QStringLiteral("とり")));
        QVERIFY(!disk::WriteBytes(QStringLiteral("C:\\Card.wav"), big));
        QVERIFY(!disk::WriteImage(QStringLiteral("C:\\Card.bmp"), newPicture, "BMP"));
        QVERIFY(!disk::CopyFile(QStringLiteral("C:\\Big.bin"), QStringLiteral("C:\\Card.wav")));
        QVERIFY(!disk::CopyFile(QStringLiteral("C:\\Big.bin"), QStringLiteral("C:\\New.bin")));
      },
      4096);
  // Every old file byte for byte, nothing new, no temporary file left.
  QCOMPARE(Snapshot(dir), before);

  // With room again the same writes go through.
  QVERIFY(disk::WriteImage(QStringLiteral("C:\\Card.bmp"), newPicture, "BMP"));
  QCOMPARE(disk::ReadImage(QStringLiteral("C:\\Card.bmp"))->pixelColor(5, 5), QColor(Qt::blue));
}

void DiskTest::rawLinesComeBackUnchanged() {
  TempDrives drives;
  // A good line, a line that is not windows-31j, an empty line, a last line
  // without its ending.
  const QByteArray content = QByteArray::fromHex("82cb82b1" "0d0a" "82" "0d0a" "0d0a" "4162");
  WriteHostFile(drives.c(QStringLiteral("Menu.txt")), content);
  const auto lines = disk::ReadRawLines(QStringLiteral("C:\\menu.TXT"));
  QVERIFY(lines);
  QCOMPARE(*lines, (QList<QByteArray>{QByteArray::fromHex("82cb82b1"), QByteArray::fromHex("82"),
                                      QByteArray(), QByteArray("Ab")}));
  QCOMPARE(*text::DecodeLine(lines->at(0)), QStringLiteral("ねこ"));
  QVERIFY(!text::DecodeLine(lines->at(1)));
  QCOMPARE(*text::DecodeLine(lines->at(2)), QString());
  QVERIFY(disk::WriteRawLines(QStringLiteral("C:\\Menu.txt"), *lines));
  QCOMPARE(ReadHostFile(drives.c(QStringLiteral("Menu.txt"))), content + "\r\n");
}

void DiskTest::killedWritesLeaveOldOrNew() {
  TempDrives drives;
  QVERIFY(disk::CreateFolder(QStringLiteral("C:\\K\\")));
  QImage pictures[2] = {QImage(400, 300, QImage::Format_RGB888), QImage(400, 300, QImage::Format_RGB888)};
  pictures[0].fill(Qt::white);
  pictures[1].fill(Qt::green);
  QStringList lines[2];
  for (int i = 0; i < 20000; ++i) {
    lines[0].append(QStringLiteral("いぬ %1").arg(i));
    lines[1].append(QStringLiteral("ねこ %1").arg(i));
  }
  WriteHostFile(drives.c(QStringLiteral("S/0.bin")), QByteArray(300 * 1024, '0'));
  WriteHostFile(drives.c(QStringLiteral("S/1.bin")), QByteArray(200 * 1024, '1'));
  const QString sources[2] = {QStringLiteral("C:\\S\\0.bin"), QStringLiteral("C:\\S\\1.bin")};

  // Every writer of the file layer: path texts, host paths, folder copies.
  const QString hostFile = drives.c(QStringLiteral("K/page.htm"));
  auto writeAll = [&](int v) {
    disk::WriteLines(QStringLiteral("C:\\K\\Menu.txt"), lines[v]);
    disk::WriteImage(QStringLiteral("C:\\K\\Card_01.BMP"), pictures[v], "BMP");
    disk::CopyFile(sources[v], QStringLiteral("C:\\K\\Card_01.wav"));
    host::CopyToHost(sources[v], hostFile);
    disk::FolderCopy copy(QStringLiteral("C:\\K\\"));
    copy.Add(QStringLiteral("C:\\S\\"), QStringLiteral("%1.bin").arg(v));
    copy.Finish();
  };
  const QStringList names = {QStringLiteral("0.bin"), QStringLiteral("1.bin"), QStringLiteral("Card_01.BMP"),
                             QStringLiteral("Card_01.wav"), QStringLiteral("Menu.txt"), QStringLiteral("page.htm")};
  QList<QByteArray> expected[2];
  for (int v : {0, 1}) {
    writeAll(v);
    for (const QString& name : names) expected[v].append(ReadHostFile(drives.c(QStringLiteral("K/") + name)));
  }

  // The kills fall anywhere in about two rounds of writes.
  QElapsedTimer timer;
  timer.start();
  writeAll(0);
  const int window = int(std::clamp<qint64>(2 * timer.nsecsElapsed() / 1000, 20000, 500000));
  qDebug("one round of writes: %lld us", timer.nsecsElapsed() / 1000);
  int v = 0;
  int leftovers = 0;
  RunKillRounds(
      60, [&] { writeAll(v ^= 1); },
      [&](int round) {
        for (int i = 0; i < names.size(); ++i) {
          const QByteArray now = ReadHostFile(drives.c(QStringLiteral("K/") + names[i]));
          QVERIFY2(now == expected[0][i] || now == expected[1][i],
                   qPrintable(QStringLiteral("round %1: %2 torn").arg(round).arg(names[i])));
        }
        // No listing shows what a killed write left, and no copy takes it.
        QCOMPARE(disk::ListFiles(QStringLiteral("C:\\K\\"), QStringLiteral("*.*")), names);
        leftovers += int(Leftovers(drives.c(QStringLiteral("K"))).size());
        disk::FolderCopy carry(QStringLiteral("C:\\S\\"));
        for (const QString& left : Leftovers(drives.c(QStringLiteral("K"))))
          QVERIFY(!carry.Add(QStringLiteral("C:\\K\\"), left));
        // A minute later the next write in the folder takes them away.
        Age(drives.c(QStringLiteral("K")), 120);
        disk::testing::ForgetLeftoverChecks();
        writeAll(v);
        QCOMPARE(Leftovers(drives.c(QStringLiteral("K"))), QStringList());
      },
      window);
  qDebug("temporary files left by killed writes: %d", leftovers);
  QVERIFY(leftovers > 0);  // the kills did cut writes short
  // Fresh leftovers stay for a while (another computer may be writing)...
  RunKillRounds(5, [&] { writeAll(v ^= 1); }, [](int) {}, window);
  const QStringList fresh = Leftovers(drives.c(QStringLiteral("K")));
  disk::testing::ForgetLeftoverChecks();
  writeAll(v);
  QVERIFY(fresh.isEmpty() || !Leftovers(drives.c(QStringLiteral("K"))).isEmpty());
  // ... but go with the other files when the folder is emptied.
  QCOMPARE(disk::DeleteFiles(QStringLiteral("C:\\K\\"), QStringLiteral("*.*")), int(names.size()));
  QVERIFY(disk::RemoveFolder(QStringLiteral("C:\\K\\")));
}

void DiskTest::unsafePathsNeverReachTheHost() {
  TempDrives drives;
  QVERIFY(disk::CreateFolder(QStringLiteral("C:\\A_PIKORA\\")));
  const QStringList before = Snapshot(drives.root(u'C'));
  for (const QString& path : {QStringLiteral("C:\\A_PIKORA\\a/b"), QStringLiteral("C:\\A_PIKORA\\..\\x"),
                              QStringLiteral("C:\\A_PIKORA\\.\\x"), QStringLiteral("C:\\A_PIKORA\\\\x"),
                              QStringLiteral("C:\\A_PIKORA\\../x"), QStringLiteral("A_PIKORA\\x"),
                              QStringLiteral("/tmp/x")}) {
    QVERIFY2(!disk::HostPath(path), qPrintable(path));
    QVERIFY(!disk::CreateFolder(path));
    QVERIFY(!disk::WriteLines(path + QStringLiteral("\\Menu.txt"), {QStringLiteral("x")}));
    QVERIFY(!disk::WriteBytes(path, "x"));
  }
  QCOMPARE(Snapshot(drives.root(u'C')), before);
  QVERIFY(!disk::IsSafeName(QStringLiteral("a\\b")));
  QVERIFY(!disk::IsSafeName(QStringLiteral("a/b")));
  QVERIFY(!disk::IsSafeName(QStringLiteral("..")));
  QVERIFY(disk::IsSafeName(QStringLiteral("ねこ..の")));
}

void DiskTest::linksLeadNowhere() {
  // A stick on which a story folder, a class folder and a card file are
  // links into a folder of the computer.
  TempDrives drives(QStringLiteral("CD"));
  QTemporaryDir computer;
  const QString secret = computer.path() + QStringLiteral("/.ssh");
  WriteHostFile(secret + QStringLiteral("/id_rsa"), "key");
  WriteHostFile(secret + QStringLiteral("/CardData.txt"), " 1 \r\n");
  const QString d = drives.root(u'D');
  QDir().mkpath(d + QStringLiteral("/A_PIKORA"));
  QVERIFY(QFile::link(secret, d + QStringLiteral("/ねこ")));
  QVERIFY(QFile::link(secret, d + QStringLiteral("/A_PIKORA/CLASS_11")));
  WriteHostFile(d + QStringLiteral("/いぬ/CardData.txt"), " 1 \r\n");
  QVERIFY(QFile::link(secret + QStringLiteral("/id_rsa"), d + QStringLiteral("/いぬ/Card_01.txt")));
  const QStringList before = Snapshot(computer.path());

  for (const QString& folder : {QStringLiteral("D:\\ねこ\\"), QStringLiteral("D:\\A_PIKORA\\CLASS_11\\")}) {
    QVERIFY(disk::IsBehindLink(folder));
    QVERIFY(!disk::FolderExists(folder));
    QVERIFY(disk::Exists(folder));  // something is there: no story is made in its place
    QVERIFY(!disk::HostPath(folder + QStringLiteral("id_rsa")));
    QVERIFY(!disk::ReadFolder(folder, QStringLiteral("*.*")));
    QVERIFY(!disk::ReadBytes(folder + QStringLiteral("id_rsa")));
    QVERIFY(!disk::ReadLines(folder + QStringLiteral("cardData.txt")));
    QVERIFY(!disk::CanRead(folder + QStringLiteral("id_rsa")));
    QVERIFY(!disk::WriteLines(folder + QStringLiteral("CardData.txt"), {QStringLiteral("2")}));
    QVERIFY(!disk::WriteBytes(folder + QStringLiteral("new.txt"), "x"));
    QVERIFY(!disk::AppendLine(folder + QStringLiteral("Menu.txt"), QStringLiteral("x")));
    QVERIFY(!disk::CreateFolder(folder + QStringLiteral("sub")));
    QVERIFY(!disk::CopyFile(QStringLiteral("D:\\いぬ\\CardData.txt"), folder + QStringLiteral("id_rsa")));
    QVERIFY(!disk::DeleteFile(folder + QStringLiteral("id_rsa")));
    QCOMPARE(disk::DeleteFiles(folder, QStringLiteral("*.*")), 0);
    QVERIFY(!disk::RenameFolder(folder, QStringLiteral("D:\\とら")));
    disk::FolderCopy into(folder);
    QVERIFY(!into.Add(QStringLiteral("D:\\いぬ\\"), QStringLiteral("CardData.txt")));
    disk::FolderCopy from(QStringLiteral("D:\\いぬ\\"));
    QVERIFY(!from.Add(folder, QStringLiteral("id_rsa")));
    QCOMPARE(from.Finish(), 0);
    QCOMPARE(host::CopyToHost(folder + QStringLiteral("id_rsa"), computer.path() + QStringLiteral("/out")),
             host::FileCopyResult::SourceUnreadable);
  }
  // A card file that is a link: not a file, not read, not listed; deleting
  // it takes the link away, not what it points to.
  const QString card = QStringLiteral("D:\\いぬ\\Card_01.txt");
  QVERIFY(disk::IsBehindLink(card) && !disk::FileExists(card) && !disk::ReadBytes(card));
  QCOMPARE(disk::ListFiles(QStringLiteral("D:\\いぬ\\"), QStringLiteral("*.*")),
           QStringList{QStringLiteral("CardData.txt")});
  QVERIFY(!disk::WriteLines(card, {QStringLiteral("x")}));
  QVERIFY(disk::DeleteFile(card));
  QVERIFY(!QFileInfo(d + QStringLiteral("/いぬ/Card_01.txt")).isSymLink());
  QCOMPARE(Snapshot(computer.path()), before);

  // A link to a folder of the same stick is no way in either.
  QVERIFY(::symlink("いぬ", QFile::encodeName(d + QStringLiteral("/とり")).constData()) == 0);
  QVERIFY(disk::IsBehindLink(QStringLiteral("D:\\とり\\")));
  QVERIFY(!disk::FolderExists(QStringLiteral("D:\\とり\\")));
  QVERIFY(!disk::ReadBytes(QStringLiteral("D:\\とり\\CardData.txt")));
  QVERIFY(!disk::HostPath(QStringLiteral("D:\\とり\\CardData.txt")));

  // The drive's own folder may be a link: that is how it is set up.
  QVERIFY(QFile::link(d, computer.path() + QStringLiteral("/stick")));
  qputenv("PIKORAMA_DRIVE_E", QFile::encodeName(computer.path() + QStringLiteral("/stick")));
  QVERIFY(disk::FileExists(QStringLiteral("E:\\いぬ\\CardData.txt")));
  qunsetenv("PIKORAMA_DRIVE_E");
}

void DiskTest::foldersAndPatterns() {
  TempDrives drives;
  const QString story = QStringLiteral("C:\\S\\");
  QVERIFY(disk::CreateFolder(story));
  for (const char* name : {"Card_01.PNG", "card_01.bmp", "x.JPG", "noext", "Menu.txt"})
    WriteHostFile(drives.c(QStringLiteral("S/") + QLatin1String(name)), "1");
  // What a killed write of an earlier version left is no file of the story.
  WriteHostFile(drives.c(QStringLiteral("S/Menu.txt.~pikorama-Ab12Cd")), "half");
  QCOMPARE(disk::ListFiles(story, QStringLiteral("*.*")).size(), 5);
  QDir().mkdir(drives.c(QStringLiteral("S/sub")));

  QCOMPARE(disk::ListFiles(story, QStringLiteral("*.BMP;*.JPG")),
           (QStringList{QStringLiteral("card_01.bmp"), QStringLiteral("x.JPG")}));
  // "*.*" takes every file, but sub-folders stay and keep the folder.
  QCOMPARE(disk::DeleteFiles(story, QStringLiteral("*.*")), 5);
  QVERIFY(!disk::RemoveFolder(story));
  QVERIFY(disk::RemoveFolder(QStringLiteral("C:\\S\\SUB")));
  QVERIFY(disk::RemoveFolder(story));
  QVERIFY(!QFileInfo::exists(drives.c(QStringLiteral("S"))));

  // Renaming never replaces another folder; a change of case is allowed.
  QVERIFY(disk::CreateFolder(QStringLiteral("C:\\ねこ")));
  QVERIFY(disk::CreateFolder(QStringLiteral("C:\\いぬ")));
  QVERIFY(!disk::RenameFolder(QStringLiteral("C:\\ねこ"), QStringLiteral("C:\\いぬ")));
  QVERIFY(disk::CreateFolder(QStringLiteral("C:\\abc")));
  QVERIFY(disk::RenameFolder(QStringLiteral("C:\\abc"), QStringLiteral("C:\\ABC")));
  QVERIFY(QFileInfo(drives.c(QStringLiteral("ABC"))).isDir());
  QVERIFY(disk::RenameFolder(QStringLiteral("C:\\ねこ"), QStringLiteral("C:\\とら")));
  QVERIFY(QFileInfo(drives.c(QStringLiteral("とら"))).isDir());

  // Copy replaces its target.
  WriteHostFile(drives.c(QStringLiteral("a.bin")), "new");
  WriteHostFile(drives.c(QStringLiteral("b.bin")), "old-and-longer");
  QVERIFY(disk::CopyFile(QStringLiteral("C:\\a.bin"), QStringLiteral("C:\\B.BIN")));
  QCOMPARE(ReadHostFile(drives.c(QStringLiteral("b.bin"))), QByteArray("new"));
  QVERIFY(!disk::CopyFile(QStringLiteral("C:\\missing.bin"), QStringLiteral("C:\\b.bin")));
}

void DiskTest::sticksTakeTurnsOnTheLetters() {
  TempDrives drives;
  {
    // Four sticks in turn, each pulled before the next: every one is on
    // a letter of the exchange window's Ｄ Ｅ Ｆ. The letter the exchange
    // holds keeps its stick while it is out.
    FakeSticks sticks;
    disk::DriveLetterHold exchange;
    QString letters;
    for (int i = 0; i < 4; ++i) {
      const QString name = QStringLiteral("STICK%1").arg(i);
      sticks.PlugIn(name, QString(QChar(u'b' + i)), 17 + 16 * i, QStringLiteral("UUID-%1").arg(i));
      letters += sticks.LetterOf(name);
      if (i == 0) exchange.Hold(letters.back());
      if (i < 3) sticks.Pull(name);
    }
    QCOMPARE(letters, QStringLiteral("DEFE"));
    // Put back while still known: its letter, wherever it is mounted now.
    sticks.PlugIn(QStringLiteral("AGAIN"), QStringLiteral("x"), 99, QStringLiteral("UUID-0"));
    QCOMPARE(sticks.LetterOf(QStringLiteral("AGAIN")), u'D');
    QCOMPARE(sticks.LetterOf(QStringLiteral("STICK3")), u'E');
  }
  for (const QString& serial : {QStringLiteral("SERIAL"), QString()}) {
    // Two sticks made from one image: one UUID, other devices.
    FakeSticks sticks;
    const QString uuid = QStringLiteral("4A1B-77C0");
    const auto serialOf = [&](char16_t n) { return serial.isEmpty() ? QString() : serial + QChar(n); };
    sticks.PlugIn(QStringLiteral("TARO"), QStringLiteral("b1"), 17, uuid, serialOf(u'1'));
    QCOMPARE(sticks.LetterOf(QStringLiteral("TARO")), u'D');
    sticks.PlugIn(QStringLiteral("HANAKO"), QStringLiteral("c1"), 33, uuid, serialOf(u'2'));
    QCOMPARE(sticks.LetterOf(QStringLiteral("HANAKO")), u'E');
    QCOMPARE(sticks.LetterOf(QStringLiteral("TARO")), u'D');
    sticks.Pull(QStringLiteral("TARO"));  // its UUID's link goes to HANAKO
    QCOMPARE(disk::DriveRoot(u'D'), std::nullopt);
    QCOMPARE(sticks.LetterOf(QStringLiteral("HANAKO")), u'E');
    if (serial.isEmpty()) continue;
    // Both out; HANAKO back first, on TARO's first device: still E:.
    sticks.Pull(QStringLiteral("HANAKO"));
    sticks.PlugIn(QStringLiteral("HANAKO"), QStringLiteral("b1"), 17, uuid, serial + u'2');
    sticks.PlugIn(QStringLiteral("TARO"), QStringLiteral("d1"), 49, uuid, serial + u'1');
    QCOMPARE(sticks.LetterOf(QStringLiteral("HANAKO")), u'E');
    QCOMPARE(sticks.LetterOf(QStringLiteral("TARO")), u'D');
  }
  {
    // Four in at once: the fourth waits on G:, and moves onto the first
    // letter of Ｄ Ｅ Ｆ that is free; a held letter is not free.
    FakeSticks sticks;
    for (int i = 0; i < 4; ++i)
      sticks.PlugIn(QStringLiteral("S%1").arg(i), QString(QChar(u'b' + i)), 17 + 16 * i, QStringLiteral("U%1").arg(i));
    QCOMPARE(disk::DriveRoot(u'G'), std::optional<QString>(sticks.Point(QStringLiteral("S3"))));
    disk::DriveLetterHold dataRoot(u'd');
    sticks.Pull(QStringLiteral("S0"));
    QCOMPARE(disk::DriveRoot(u'D'), std::nullopt);
    QCOMPARE(disk::DriveRoot(u'G'), std::optional<QString>(sticks.Point(QStringLiteral("S3"))));
    dataRoot.Hold(QChar());
    QCOMPARE(sticks.LetterOf(QStringLiteral("S3")), u'D');
    QCOMPARE(disk::DriveRoot(u'G'), std::nullopt);
  }
}

QTEST_GUILESS_MAIN(DiskTest)
#include "DiskTest.moc"
