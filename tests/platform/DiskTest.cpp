// The file layer: drive letters, case-insensitive names, windows-31j text,
// atomic replacement and refusal of unsafe paths.

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include "platform/Disk.h"
#include "platform/TextCodec.h"
#include "support/TestSupport.h"

class DiskTest : public QObject {
  Q_OBJECT
 private slots:
  void drivesMapToFolders();
  void namesMatchWithoutCase();
  void textRoundTripsInWindows31j();
  void linesEndAtCrLfCrOrLf();
  void replaceIsAllOrNothing();
  void unsafePathsNeverReachTheHost();
  void foldersAndPatterns();
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

void DiskTest::replaceIsAllOrNothing() {
  TempDrives drives;
  const QString file = QStringLiteral("C:\\Menu.txt");
  QVERIFY(disk::WriteLines(file, {QStringLiteral("おはなし"), QStringLiteral("ねこ")}));
  const QByteArray before = ReadHostFile(drives.c(QStringLiteral("Menu.txt")));

  // The write stops after five bytes, as on a full disk or a crash.
  disk::testing::FailWritesAfter(5);
  QVERIFY(!disk::WriteLines(file, {QStringLiteral("いぬ"), QStringLiteral("うさぎ")}));
  QVERIFY(!disk::AppendLine(file, QStringLiteral("とり")));
  QVERIFY(!disk::CopyFile(file, QStringLiteral("C:\\Copy.txt")));
  disk::testing::FailWritesAfter(-1);

  QCOMPARE(ReadHostFile(drives.c(QStringLiteral("Menu.txt"))), before);
  QVERIFY(!QFileInfo::exists(drives.c(QStringLiteral("Copy.txt"))));
  // No temporary file is left behind.
  QCOMPARE(QDir(drives.root(u'C')).entryList(QDir::Files), QStringList{QStringLiteral("Menu.txt")});
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

void DiskTest::foldersAndPatterns() {
  TempDrives drives;
  const QString story = QStringLiteral("C:\\S\\");
  QVERIFY(disk::CreateFolder(story));
  for (const char* name : {"Card_01.PNG", "card_01.bmp", "x.JPG", "noext", "Menu.txt"})
    WriteHostFile(drives.c(QStringLiteral("S/") + QLatin1String(name)), "1");
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

QTEST_GUILESS_MAIN(DiskTest)
#include "DiskTest.moc"
