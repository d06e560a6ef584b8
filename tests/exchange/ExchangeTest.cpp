// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// Copying stories between the class folder and the exchange drive: the
// lists, the copies, the refusals, full and write-protected sticks, and
// which drive letters the mounted sticks get.

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDirIterator>
#include <QtTest>
#include <csignal>

#include "exchange/ExchangeHost.h"
#include "exchange/ExchangeWindow.h"
#include "exchange/StoryExchange.h"
#include "platform/Disk.h"
#include "platform/RemovableDrives.h"
#include "platform/Widgets.h"
#include "platform/WholeFile.h"
#include "support/TestSupport.h"

namespace {

const QString kClass = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\");
const QString kFull =
    QStringLiteral("ぴこらまは 100こまでです。いらない ぴこらまを すててから つくってください。");

class TestHost : public ExchangeHost {
 public:
  QStringList stories;
  QString drive = QStringLiteral("D:\\");
  ScriptedDialogs dialogs;

  QString ClassFolder() const override { return kClass; }
  QStringList ClassStories() const override { return stories; }
  void ReloadClassStories() override {
    stories = disk::ReadLines(kClass + QStringLiteral("Menu.txt")).value_or(QStringList());
  }
  QString ExchangeDrive() const override { return drive; }
  void SetExchangeDrive(const QString& root) override { drive = root; }
  Dialogs& MessageBox() override { return dialogs; }
};

// Drives C: (with the class folder) and D: as temporary folders, no sticks.
struct Drives {
  Drives() : drives(QStringLiteral("CD")) {
    disk::testing::SetMountTable([] { return QByteArray(); }, {QStringLiteral("/nowhere")});
    QDir().mkpath(cls());
  }
  ~Drives() { disk::testing::SetMountTable({}); }
  QString cls(const QString& rel = {}) const {
    return drives.c(QStringLiteral("A_PIKORA/CLASS_11/") + rel);
  }
  QString d(const QString& rel = {}) const { return drives.root(u'D') + u'/' + rel; }
  TempDrives drives;
};

// A story folder of `cards` cards, each with its picture, thumbnail, text
// and narration, and its card list.
void MakeStory(const QString& folder, int cards, const QByteArray& mark = "1") {
  QByteArray list;
  for (int n = 1; n <= cards; ++n) {
    const QString stem = folder + QStringLiteral("/Card_%1").arg(n, 2, 10, QLatin1Char('0'));
    for (const char* kind : {".PNG:png", ".BMP:bmp", ".txt:text", "_x.wav:wav"})
      WriteHostFile(stem + QString::fromLatin1(kind).section(u':', 0, 0),
                    QByteArray(kind).split(':')[1] + mark);
    list += " " + QByteArray::number(n) + " \r\n";
  }
  WriteHostFile(folder + QStringLiteral("/CardData.txt"), list);
}

void SetTime(const QString& path, const QDateTime& when) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::ReadWrite));
  QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
}

QRgb At(const QImage& image, int x, int y) { return image.pixel(x, y) | 0xff000000; }

}  // namespace

class ExchangeTest : public QObject {
  Q_OBJECT

 private slots:
  void copyToDrive();
  void windowAndLists();
  void refusals();
  void writeProtectedList();
  void fullDrive();
  void newerDestination();
  void driveLetters();
  void sticksKeepTheirLetters();
  void listsReadAgainAtTheClick();
  void linkedAndUnreadableStories();
  void killedCopiesLeaveNothing();
  void driveButtonKeepsItsStick();
};

void ExchangeTest::copyToDrive() {
  Drives drives;
  TestHost host;
  host.stories = {QStringLiteral("かえる"), QStringLiteral("くも")};
  WriteHostFile(drives.cls(QStringLiteral("Menu.txt")),
                "\x82\xa9\x82\xa6\x82\xe9\r\n\x82\xad\x82\xe0\r\n");
  MakeStory(drives.cls(QStringLiteral("かえる")), 2);
  MakeStory(drives.cls(QStringLiteral("くも")), 1);
  SetTime(drives.cls(QStringLiteral("かえる/Card_01.PNG")),
          QDateTime::currentDateTime().addDays(-3));

  StoryExchange x(host);
  x.Load();
  QCOMPARE(x.CopyToDrive(), ExchangeOutcome::Copied);
  // The list is made with the one name; the story is a folder at the root.
  QCOMPARE(ReadHostFile(drives.d(QStringLiteral("Menu.txt"))),
           QByteArray("\x82\xa9\x82\xa6\x82\xe9\r\n"));
  QCOMPARE(Snapshot(drives.d(QStringLiteral("かえる"))),
           Snapshot(drives.cls(QStringLiteral("かえる"))));
  QCOMPARE(QFileInfo(drives.d(QStringLiteral("かえる/Card_01.PNG"))).lastModified(),
           QFileInfo(drives.cls(QStringLiteral("かえる/Card_01.PNG"))).lastModified());
  QCOMPARE(host.dialogs.told, QStringList{QStringLiteral("コピーしました。")});

  // A second story, then the first again: found, selected, overwritten.
  x.PressList(StoryExchange::ClassSide, 3 + 21 + 5);
  QCOMPARE(x.CopyToDrive(), ExchangeOutcome::Copied);
  QCOMPARE(x.SelectedRow(StoryExchange::DriveSide), 1);
  x.PressList(StoryExchange::ClassSide, 10);
  MakeStory(drives.cls(QStringLiteral("かえる")), 2, "new");
  // Meanwhile no second copy starts.
  struct Reentry : CopyProgress {
    StoryExchange* x;
    QList<ExchangeOutcome> seen;
    void Begin(qint64) override {}
    void Advance(qint64) override { seen.append(x->CopyToClass()); }
    void End() override {}
  } progress;
  progress.x = &x;
  QCOMPARE(x.CopyToDrive(&progress), ExchangeOutcome::Copied);
  QCOMPARE(progress.seen,
           QList<ExchangeOutcome>(std::max<qsizetype>(progress.seen.size(), 1), ExchangeOutcome::Busy));
  QCOMPARE(x.SelectedRow(StoryExchange::DriveSide), 0);
  QCOMPARE(x.Count(StoryExchange::DriveSide), 2);
  QCOMPARE(ReadHostFile(drives.d(QStringLiteral("Menu.txt"))),
           QByteArray("\x82\xa9\x82\xa6\x82\xe9\r\n\x82\xad\x82\xe0\r\n"));
  QCOMPARE(ReadHostFile(drives.d(QStringLiteral("かえる/Card_02_x.wav"))), QByteArray("wavnew"));
  QVERIFY(host.dialogs.asked.isEmpty());

  // A name in another letter case is the same folder: no second row.
  WriteHostFile(drives.d(QStringLiteral("Menu.txt")), "KAERU\r\n");
  MakeStory(drives.d(QStringLiteral("KAERU")), 1, "stick");
  QVERIFY(QFile::rename(drives.d(QStringLiteral("KAERU/Card_01.PNG")),
                        drives.d(QStringLiteral("KAERU/card_01.png"))));
  host.stories = {QStringLiteral("kaeru")};
  MakeStory(drives.cls(QStringLiteral("kaeru")), 3, "class");
  x.Load();
  QCOMPARE(x.CopyToDrive(), ExchangeOutcome::Copied);
  QCOMPARE(ReadHostFile(drives.d(QStringLiteral("Menu.txt"))), QByteArray("KAERU\r\n"));
  QCOMPARE(ReadHostFile(drives.d(QStringLiteral("KAERU/Card_03.txt"))), QByteArray("textclass"));
  QVERIFY(!QFileInfo::exists(drives.d(QStringLiteral("kaeru"))));
  QCOMPARE(ReadHostFile(drives.d(QStringLiteral("KAERU/card_01.png"))), QByteArray("pngclass"));
  QVERIFY(!QFileInfo::exists(drives.d(QStringLiteral("KAERU/Card_01.PNG"))));
  // ... and back the other way, the class's list does not grow either.
  WriteHostFile(drives.cls(QStringLiteral("Menu.txt")), "kaeru\r\n");
  QCOMPARE(x.CopyToClass(), ExchangeOutcome::Copied);
  QCOMPARE(host.stories, QStringList{QStringLiteral("kaeru")});
  QCOMPARE(ReadHostFile(drives.cls(QStringLiteral("Menu.txt"))), QByteArray("kaeru\r\n"));
  // A new story from the stick joins the class's list, in memory too.
  WriteHostFile(drives.d(QStringLiteral("Menu.txt")), "KAERU\r\nkame\r\n");
  MakeStory(drives.d(QStringLiteral("kame")), 1);
  x.Load();
  x.PressList(StoryExchange::DriveSide, 30);
  QCOMPARE(x.CopyToClass(), ExchangeOutcome::Copied);
  QCOMPARE(host.stories, (QStringList{QStringLiteral("kaeru"), QStringLiteral("kame")}));
  QCOMPARE(x.SelectedRow(StoryExchange::ClassSide), 1);
}

void ExchangeTest::windowAndLists() {
  Drives drives;
  TestHost host;
  host.stories = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
  WriteHostFile(drives.d(QStringLiteral("Menu.txt")), "X\r\nY\r\n");
  ExchangeWindow window(host, nullptr);
  auto* e = window.findChild<FaceButton*>(QStringLiteral("Command6"));
  auto* d = window.findChild<FaceButton*>(QStringLiteral("Command5"));
  QVERIFY(e && d);
  QCOMPARE(e->accessibleName(), QStringLiteral("Ｅ"));

  // Opened, the drive in use is lit; "とじる" hides and the window comes
  // back as it was left.
  const auto closeSoon = [&] {
    QTimer::singleShot(
        0, &window, [&] { window.findChild<QPushButton*>(QStringLiteral("Command3"))->click(); });
  };
  closeSoon();
  window.Open();
  QVERIFY(!window.isVisible());
  QCOMPARE(d->face(), QColor(255, 128, 128));
  QCOMPARE(e->face(), QColor(255, 255, 192));
  StoryExchange& x = window.exchange();
  QCOMPARE(x.Count(StoryExchange::DriveSide), 2);

  // Row 4 of 3 changes nothing; row 3 is taken.
  x.PressList(StoryExchange::ClassSide, 3 + 21 * 3 + 2);
  QCOMPARE(x.SelectedRow(StoryExchange::ClassSide), 0);
  x.PressList(StoryExchange::ClassSide, 3 + 21 * 2 + 2);
  QCOMPARE(x.SelectedRow(StoryExchange::ClassSide), 2);
  const QImage& left = x.ListImage(StoryExchange::ClassSide);
  QCOMPARE(At(left, 100, 3 + 21 * 2 + 10), qRgb(0, 0, 200));  // highlight
  QCOMPARE(At(left, 22, 200), qRgb(0, 0, 0));                 // number column
  QCOMPARE(At(left, 100, 3 + 21 * 20), qRgb(0, 0, 0));        // last row line
  QCOMPARE(At(left, 100, 3 + 21 * 20 + 2), qRgb(192, 255, 255));

  closeSoon();
  window.Open();
  QCOMPARE(x.SelectedRow(StoryExchange::ClassSide), 2);
  // "＞＞＞" copies the selected story, with its progress bar.
  MakeStory(drives.cls(QStringLiteral("C")), 1);
  window.findChild<QPushButton*>(QStringLiteral("Command2"))->click();
  QCOMPARE(ReadHostFile(drives.d(QStringLiteral("Menu.txt"))), QByteArray("X\r\nY\r\nC\r\n"));
  QCOMPARE(x.SelectedRow(StoryExchange::DriveSide), 2);

  // No drive E: "Ｅ" is lit all the same, its list is empty, row 1 both sides.
  e->click();
  QCOMPARE(host.drive, QStringLiteral("E:\\"));
  QCOMPARE(e->face(), QColor(255, 128, 128));
  QCOMPARE(d->face(), QColor(255, 255, 192));
  QCOMPARE(x.Count(StoryExchange::DriveSide), 0);
  QCOMPARE(x.SelectedRow(StoryExchange::ClassSide), 0);
  QCOMPARE(x.SelectedRow(StoryExchange::DriveSide), 0);
  QCOMPARE(At(x.ListImage(StoryExchange::DriveSide), 100, 10), qRgb(0, 0, 200));
  // Copying to it says the stick is missing.
  QCOMPARE(x.CopyToDrive(), ExchangeOutcome::Refused);
  QCOMPARE(host.dialogs.told.last(),
           QStringLiteral("USBメモリが みつかりません。ささっているか たしかめてください。"));
}

void ExchangeTest::refusals() {
  Drives drives;
  TestHost host;
  WriteHostFile(drives.cls(QStringLiteral("Menu.txt")), "");
  WriteHostFile(drives.cls(QStringLiteral("secret.txt")), "class");
  WriteHostFile(drives.d(QStringLiteral("root.txt")), "stick");
  StoryExchange x(host);
  x.Load();

  // Empty lists on both sides: nothing to copy, nothing touched.
  const QStringList classBefore = Snapshot(drives.drives.root(u'C'));
  const QStringList stickBefore = Snapshot(drives.d());
  QCOMPARE(x.CopyToDrive(), ExchangeOutcome::Refused);
  QCOMPARE(x.CopyToClass(), ExchangeOutcome::Refused);
  QCOMPARE(host.dialogs.told, QStringList(2, QStringLiteral("コピーする ぴこらまが ありません。")));
  QCOMPARE(Snapshot(drives.drives.root(u'C')), classBefore);
  QCOMPARE(Snapshot(drives.d()), stickBefore);

  // Names from a stick that are no folder of the class are shown, never copied.
  const QString longName(300, u'あ');
  WriteHostFile(drives.d(QStringLiteral("Menu.txt")),
                QByteArray("..\\x\r\na/b\r\nC:\\x\r\n") + longName.toUtf8() + "\r\n");
  QDir().mkpath(drives.d(QStringLiteral("a/b")));
  WriteHostFile(drives.d(QStringLiteral("a/b/CardData.txt")), " 1 \r\n");
  MakeStory(drives.d(QStringLiteral("x")), 1);
  x.Load();
  QCOMPARE(x.Count(StoryExchange::DriveSide), 4);
  const QStringList before = Snapshot(drives.drives.root(u'C'));
  for (int row = 1; row <= 4; ++row) {
    host.dialogs.told.clear();
    x.PressList(StoryExchange::DriveSide, 3 + 21 * (row - 1) + 4);
    QCOMPARE(x.SelectedRow(StoryExchange::DriveSide), row - 1);
    QCOMPARE(x.CopyToClass(), ExchangeOutcome::Refused);
    QCOMPARE(host.dialogs.told,
             QStringList{QStringLiteral(
                 "この ぴこらまは なまえに つかえない もじが あるので、コピーできません。")});
  }
  QCOMPARE(Snapshot(drives.drives.root(u'C')), before);

  // A class of 100 stories takes no 101st.
  QByteArray hundred;
  for (int i = 1; i <= 100; ++i) {
    host.stories.append(QStringLiteral("s%1").arg(i));
    hundred += "s" + QByteArray::number(i) + "\r\n";
  }
  WriteHostFile(drives.cls(QStringLiteral("Menu.txt")), hundred);
  WriteHostFile(drives.d(QStringLiteral("Menu.txt")), "new\r\n");
  MakeStory(drives.d(QStringLiteral("new")), 1);
  x.Load();
  host.dialogs.told.clear();
  QCOMPARE(x.CopyToClass(), ExchangeOutcome::Refused);
  QCOMPARE(host.dialogs.told, QStringList{kFull});
  QCOMPARE(ReadHostFile(drives.cls(QStringLiteral("Menu.txt"))), hundred);
  QVERIFY(!QFileInfo::exists(drives.cls(QStringLiteral("new"))));
}

void ExchangeTest::writeProtectedList() {
  // A stick whose folder may be written but whose list may not. Root writes
  // anywhere, so as root the copy runs as an unprivileged user.
  Drives drives;
  TestHost host;
  host.stories = {QStringLiteral("かえる")};
  MakeStory(drives.cls(QStringLiteral("かえる")), 1);
  WriteHostFile(drives.d(QStringLiteral("Menu.txt")), "other\r\n");
  const QStringList before = Snapshot(drives.d());
  const QByteArray list = QFile::encodeName(drives.d(QStringLiteral("Menu.txt")));
  const bool root = geteuid() == 0;
  if (root) {
    for (const QChar letter : {u'C', u'D'})
      QCOMPARE(
          QProcess::execute(QStringLiteral("chown"), {QStringLiteral("-R"), QStringLiteral("65534"),
                                                      drives.drives.root(letter)}),
          0);
    QVERIFY(::chown(list.constData(), 0, 0) == 0);
  }
  QVERIFY(::chmod(list.constData(), 0444) == 0);

  StoryExchange x(host);
  x.Load();
  const auto attempt = [&] {
    return x.CopyToDrive() == ExchangeOutcome::Refused &&
           host.dialogs.told ==
               QStringList{
                   QStringLiteral("USBメモリの リストに かきこめないので、コピーしませんでした。")};
  };
  QVERIFY(AsUnprivilegedUser(attempt));
  QCOMPARE(Snapshot(drives.d()), before);
}

void ExchangeTest::fullDrive() {
  Drives drives;
  TestHost host;
  host.stories = {QStringLiteral("かえる")};
  const QString story = drives.cls(QStringLiteral("かえる"));
  MakeStory(story, 3);
  // A narration too big for what is left on the stick, sorted after the
  // card list.
  WriteHostFile(story + QStringLiteral("/Zzz_x.wav"), QByteArray(400 * 1024, 'w'));

  // A small stick: a 256 KB tmpfs when mounting works, else a file size
  // limit that makes every bigger write fail.
  QTemporaryDir stick;
  const QByteArray point = QFile::encodeName(stick.path());
  const bool mounted = ::mount("tmpfs", point.constData(), "tmpfs", 0, "size=256k") == 0;
  rlimit oldLimit{};
  getrlimit(RLIMIT_FSIZE, &oldLimit);
  if (!mounted) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = oldLimit;
    limit.rlim_cur = 200 * 1024;
    QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
  }
  qputenv("PIKORAMA_DRIVE_D", point);

  // Undone however the checks end.
  const std::unique_ptr<void, std::function<void(void*)>> undo(&stick, [&](void*) {
    if (mounted)
      ::umount2(point.constData(), MNT_DETACH);
    else
      setrlimit(RLIMIT_FSIZE, &oldLimit);
  });

  StoryExchange x(host);
  x.Load();
  QCOMPARE(x.CopyToDrive(), ExchangeOutcome::Incomplete);
  QCOMPARE(host.dialogs.told.size(), 1);
  QVERIFY(
      host.dialogs.told[0].startsWith(QStringLiteral("コピーできなかった ファイルが あります。")));
  // A new story that did not arrive whole is taken away again: the stick
  // holds no part of it, no temporary file, and its list does not name it.
  QCOMPARE(Snapshot(stick.path()), QStringList());
}

void ExchangeTest::newerDestination() {
  Drives drives;
  TestHost host;
  host.stories = {QStringLiteral("かえる")};
  MakeStory(drives.cls(QStringLiteral("かえる")), 2);
  StoryExchange x(host);
  x.Load();
  QCOMPARE(x.CopyToDrive(), ExchangeOutcome::Copied);

  // The stick's copy was worked on later.
  MakeStory(drives.d(QStringLiteral("かえる")), 2, "stick");
  SetTime(drives.d(QStringLiteral("かえる/Card_02.PNG")),
          QDateTime::currentDateTime().addSecs(3600));
  const QStringList stickBefore = Snapshot(drives.d());
  host.dialogs.answers = {false};
  QCOMPARE(x.CopyToDrive(), ExchangeOutcome::Declined);
  QCOMPARE(host.dialogs.asked,
           QStringList{QStringLiteral("USBメモリのほうが あたらしいです。うわがきしますか？")});
  QCOMPARE(Snapshot(drives.d()), stickBefore);

  host.dialogs.answers = {true};
  QCOMPARE(x.CopyToDrive(), ExchangeOutcome::Copied);
  QCOMPARE(ReadHostFile(drives.d(QStringLiteral("かえる/Card_01.txt"))), QByteArray("text1"));

  // The other way round, the class's copy being the newer one.
  SetTime(drives.cls(QStringLiteral("かえる/CardData.txt")),
          QDateTime::currentDateTime().addSecs(7200));
  const QStringList classBefore = Snapshot(drives.drives.root(u'C'));
  host.dialogs.asked.clear();
  QCOMPARE(x.CopyToClass(), ExchangeOutcome::Declined);
  QCOMPARE(host.dialogs.asked,
           QStringList{QStringLiteral("クラスのほうが あたらしいです。うわがきしますか？")});
  QCOMPARE(Snapshot(drives.drives.root(u'C')), classBefore);
}

void ExchangeTest::driveLetters() {
  TempDrives drives(QStringLiteral("C"));
  QTemporaryDir media;
  for (const char* name : {"STICK A", "B", "C"})
    QDir(media.path()).mkpath(QString::fromLatin1(name));
  QByteArray table;
  const QByteArray mounts = QFile::encodeName(media.path());
  // Mount order: "STICK A", then another user's stick, then "B"; "C" is
  // mounted later.
  table += "22 27 0:21 / /proc rw - proc proc rw\n";
  table += "90 27 8:17 / " + mounts + "/STICK\\040A rw,nosuid - vfat /dev/sdb1 rw\n";
  table += "91 27 8:33 / /media/someone/OTHER rw - vfat /dev/sdc1 rw\n";
  table += "92 27 8:49 / " + mounts + "/B/inner rw - vfat /dev/sdd1 rw\n";
  table += "93 27 8:65 / " + mounts + "/B rw - vfat /dev/sde1 rw\n";
  QByteArray current = table;
  disk::testing::SetMountTable([&] { return current; }, {media.path()});

  QCOMPARE(disk::DriveRoot(u'D'),
           std::optional<QString>(media.path() + QStringLiteral("/STICK A")));
  QCOMPARE(disk::DriveRoot(u'e'), std::optional<QString>(media.path() + QStringLiteral("/B")));
  QCOMPARE(disk::DriveRoot(u'F'), std::nullopt);
  QCOMPARE(disk::DriveRoot(u'A'), std::nullopt);
  QCOMPARE(disk::DriveRoot(u'C'), std::optional<QString>(drives.root(u'C')));
  // A stick plugged in meanwhile is there at the next lookup.
  current += "94 27 8:81 / " + mounts + "/C rw - vfat /dev/sdf1 rw\n";
  QCOMPARE(disk::DriveRoot(u'F'), std::optional<QString>(media.path() + QStringLiteral("/C")));
  // A letter with its own folder keeps it; the next letter does not move.
  qputenv("PIKORAMA_DRIVE_D", QFile::encodeName(drives.root(u'C')));
  QCOMPARE(disk::DriveRoot(u'D'), std::optional<QString>(drives.root(u'C')));
  QCOMPARE(disk::DriveRoot(u'E'), std::optional<QString>(media.path() + QStringLiteral("/B")));
  qunsetenv("PIKORAMA_DRIVE_D");

  // "STICK A" is pulled: D: is a missing drive, the others keep their
  // letters; the same stick back, wherever it is mounted, is D: again.
  const QByteArray stickA = "90 27 8:17 / " + mounts + "/STICK\\040A rw,nosuid - vfat /dev/sdb1 rw\n";
  current.replace(stickA, "");
  QCOMPARE(disk::DriveRoot(u'D'), std::nullopt);
  QCOMPARE(disk::DriveRoot(u'E'), std::optional<QString>(media.path() + QStringLiteral("/B")));
  QDir(media.path()).mkpath(QStringLiteral("N"));
  const QByteArray again = "95 27 8:17 / " + mounts + "/N rw - vfat /dev/sdb1 rw\n";
  current += again;
  QCOMPARE(disk::DriveRoot(u'D'), std::optional<QString>(media.path() + QStringLiteral("/N")));
  // Pulled again: with D:, E:, F: all given out, a stick never seen before
  // takes the one whose stick is gone.
  current.replace(again, "96 27 8:97 / " + mounts + "/N rw - vfat /dev/sdg1 rw\n");
  QCOMPARE(disk::DriveRoot(u'D'), std::optional<QString>(media.path() + QStringLiteral("/N")));
  QCOMPARE(disk::DriveRoot(u'F'), std::optional<QString>(media.path() + QStringLiteral("/C")));
  QCOMPARE(disk::DriveRoot(u'G'), std::nullopt);
  disk::testing::SetMountTable({});
}

namespace {

// A tmpfs standing for a USB stick: it keeps its files while it is pulled
// (unmounted from the media folder) and plugged in again elsewhere.
struct Stick {
  Stick(const QString& base, const QString& name) : store(base + u'/' + name) {
    QDir().mkpath(store);
    mounted = ::mount("tmpfs", QFile::encodeName(store).constData(), "tmpfs", 0, "size=4m") == 0;
  }
  ~Stick() {
    if (!at.isEmpty()) Pull();
    ::umount2(QFile::encodeName(store).constData(), MNT_DETACH);
  }
  bool PlugIn(const QString& point) {
    QDir().mkpath(point);
    at = point;
    return ::mount(QFile::encodeName(store).constData(), QFile::encodeName(point).constData(), nullptr,
                   MS_BIND, nullptr) == 0;
  }
  bool Pull() {
    const bool pulled = ::umount2(QFile::encodeName(at).constData(), MNT_DETACH) == 0;
    at.clear();
    return pulled;
  }
  QString store, at;
  bool mounted = false;
};

// The program's working files anywhere under a host folder.
QStringList Hidden(const QString& folder) {
  QStringList found;
  QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    if (it.fileName().startsWith(QStringLiteral(".pikorama"))) found.append(path);
  }
  return found;
}

QByteArray ProcMountTable() {
  QFile f(QStringLiteral("/proc/self/mountinfo"));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

void ExchangeTest::sticksKeepTheirLetters() {
  if (!PrivateMounts()) QSKIP("mounting sticks needs root and a mount namespace of the test's own");
  TempDrives drives(QStringLiteral("C"));
  QTemporaryDir base;
  const QString media = base.path() + QStringLiteral("/media/taro");
  disk::testing::SetMountTable(ProcMountTable, {media});
  const std::unique_ptr<void, void (*)(void*)> undo(&base, [](void*) { disk::testing::SetMountTable({}); });
  Stick a(base.path(), QStringLiteral("a")), b(base.path(), QStringLiteral("b")),
      c(base.path(), QStringLiteral("c"));
  QVERIFY(a.mounted && b.mounted && c.mounted);
  WriteHostFile(a.store + QStringLiteral("/Menu.txt"), "A\r\n");
  WriteHostFile(b.store + QStringLiteral("/Menu.txt"), "B\r\n");
  QVERIFY(a.PlugIn(media + QStringLiteral("/STICK")));
  QVERIFY(b.PlugIn(media + QStringLiteral("/STICK1")));
  QCOMPARE(disk::DriveRoot(u'D'), std::optional<QString>(media + QStringLiteral("/STICK")));
  QCOMPARE(disk::DriveRoot(u'E'), std::optional<QString>(media + QStringLiteral("/STICK1")));

  // A class story copied to D: while its stick is out goes nowhere.
  TestHost host;
  host.stories = {QStringLiteral("かえる")};
  QDir().mkpath(drives.c(QStringLiteral("A_PIKORA/CLASS_11")));
  MakeStory(drives.c(QStringLiteral("A_PIKORA/CLASS_11/かえる")), 1);
  StoryExchange x(host);
  x.Load();
  QCOMPARE(x.Name(StoryExchange::DriveSide, 0), QStringLiteral("A"));
  QVERIFY(a.Pull());
  const QStringList stickB = Snapshot(b.store);
  QCOMPARE(x.CopyToDrive(), ExchangeOutcome::Refused);
  QCOMPARE(host.dialogs.told.last(),
           QStringLiteral("USBメモリが みつかりません。ささっているか たしかめてください。"));
  QCOMPARE(disk::DriveRoot(u'E'), std::optional<QString>(media + QStringLiteral("/STICK1")));

  // Both back in the other order, each where the other was: D: is still
  // stick a, E: stick b; a new stick takes F:.
  QVERIFY(b.Pull());
  QVERIFY(b.PlugIn(media + QStringLiteral("/STICK")));
  QVERIFY(a.PlugIn(media + QStringLiteral("/STICK1")));
  QVERIFY(c.PlugIn(media + QStringLiteral("/STICK2")));
  QCOMPARE(disk::DriveRoot(u'D'), std::optional<QString>(media + QStringLiteral("/STICK1")));
  QCOMPARE(disk::DriveRoot(u'E'), std::optional<QString>(media + QStringLiteral("/STICK")));
  QCOMPARE(disk::DriveRoot(u'F'), std::optional<QString>(media + QStringLiteral("/STICK2")));
  QCOMPARE(x.CopyToDrive(), ExchangeOutcome::Copied);
  QCOMPARE(ReadHostFile(a.store + QStringLiteral("/Menu.txt")), QByteArray("A\r\n\x82\xa9\x82\xa6\x82\xe9\r\n"));
  QCOMPARE(Snapshot(b.store), stickB);
}

void ExchangeTest::listsReadAgainAtTheClick() {
  Drives drives;
  TestHost host;
  host.stories = {QStringLiteral("くも")};
  WriteHostFile(drives.cls(QStringLiteral("Menu.txt")), "\x82\xad\x82\xe0\r\n");
  MakeStory(drives.cls(QStringLiteral("くも")), 1, "class");
  WriteHostFile(drives.d(QStringLiteral("Menu.txt")), "neko\r\n");
  MakeStory(drives.d(QStringLiteral("neko")), 2, "first");
  StoryExchange x(host);
  x.Load();
  QCOMPARE(x.Name(StoryExchange::DriveSide, 0), QStringLiteral("neko"));

  // The stick is swapped for another child's, on which row 1 is another
  // story: nothing is copied, the child sees the new list and chooses again.
  QTemporaryDir other;
  WriteHostFile(other.path() + QStringLiteral("/Menu.txt"), "inu\r\nneko\r\n");
  MakeStory(other.path() + QStringLiteral("/inu"), 1, "other");
  MakeStory(other.path() + QStringLiteral("/neko"), 3, "other");
  qputenv("PIKORAMA_DRIVE_D", QFile::encodeName(other.path()));
  const QStringList classBefore = Snapshot(drives.drives.root(u'C'));
  // While the message is up, the window already shows the new list.
  QSignalSpy drawn(&x, &StoryExchange::listDrawn);
  QString shownWhileTold;
  host.dialogs.whenTold = [&](const QString&) {
    for (const auto& args : drawn)
      if (args.at(0).value<StoryExchange::Side>() == StoryExchange::DriveSide)
        shownWhileTold = x.Name(StoryExchange::DriveSide, 0);
  };
  QCOMPARE(x.CopyToClass(), ExchangeOutcome::Changed);
  host.dialogs.whenTold = nullptr;
  QCOMPARE(shownWhileTold, QStringLiteral("inu"));
  QCOMPARE(host.dialogs.told.last(), QStringLiteral("USBメモリの なかみが かわりました。もういちど えらんでください。"));
  QVERIFY(host.dialogs.asked.isEmpty());
  QCOMPARE(Snapshot(drives.drives.root(u'C')), classBefore);
  QCOMPARE(x.Count(StoryExchange::DriveSide), 2);
  QCOMPARE(x.Name(StoryExchange::DriveSide, 0), QStringLiteral("inu"));

  // The same names on a stick that is not the one read: still nothing.
  x.PressList(StoryExchange::DriveSide, 3 + 21 + 5);
  QTemporaryDir third;
  CopyFolder(other.path(), third.path());
  qputenv("PIKORAMA_DRIVE_D", QFile::encodeName(third.path()));
  QCOMPARE(x.CopyToClass(), ExchangeOutcome::Changed);
  QCOMPARE(Snapshot(drives.drives.root(u'C')), classBefore);

  // Chosen again on the stick that is there: copied as usual.
  QCOMPARE(x.CopyToClass(), ExchangeOutcome::Copied);
  QCOMPARE(ReadHostFile(drives.cls(QStringLiteral("neko/Card_03.txt"))), QByteArray("textother"));

  // The class list changed under "＞＞＞" (another computer, say): the same.
  x.PressList(StoryExchange::ClassSide, 5);
  host.stories = {QStringLiteral("neko"), QStringLiteral("くも")};
  QCOMPARE(x.CopyToDrive(), ExchangeOutcome::Changed);
  QCOMPARE(host.dialogs.told.last(), QStringLiteral("クラスの リストが かわりました。もういちど えらんでください。"));
}

void ExchangeTest::linkedAndUnreadableStories() {
  Drives drives;
  TestHost host;
  host.stories = {QStringLiteral("かえる"), QStringLiteral("くも")};
  MakeStory(drives.cls(QStringLiteral("かえる")), 2);
  // On the stick: a story folder that is a link to a folder of the
  // computer, a story holding a linked card file, and on the other side a
  // stick story folder "くも" that is a link, where "＞＞＞" would write.
  QTemporaryDir computer;
  const QString secret = computer.path() + QStringLiteral("/.ssh");
  MakeStory(secret, 1, "secret");
  QVERIFY(QFile::link(secret, drives.d(QStringLiteral("neko"))));
  MakeStory(drives.d(QStringLiteral("inu")), 1);
  QVERIFY(QFile::link(secret + QStringLiteral("/Card_01.txt"), drives.d(QStringLiteral("inu/Card_02.txt"))));
  QVERIFY(QFile::link(secret, drives.d(QStringLiteral("くも"))));
  WriteHostFile(drives.d(QStringLiteral("Menu.txt")), "neko\r\ninu\r\n\x82\xad\x82\xe0\r\n");
  MakeStory(drives.cls(QStringLiteral("くも")), 1);
  const QStringList computerBefore = Snapshot(computer.path());
  const QStringList classBefore = Snapshot(drives.drives.root(u'C'));
  StoryExchange x(host);
  x.Load();
  for (int row : {1, 2}) {
    x.PressList(StoryExchange::DriveSide, 3 + 21 * (row - 1) + 5);
    QCOMPARE(x.CopyToClass(), ExchangeOutcome::Refused);
    QCOMPARE(host.dialogs.told.last(),
             QStringLiteral("「%1」の フォルダは つかえないので、コピーしませんでした。")
                 .arg(x.Name(StoryExchange::DriveSide, row - 1)));
  }
  x.PressList(StoryExchange::ClassSide, 3 + 21 + 5);
  QCOMPARE(x.CopyToDrive(), ExchangeOutcome::Refused);
  QCOMPARE(host.dialogs.told.last(), QStringLiteral("「くも」の フォルダは つかえないので、コピーしませんでした。"));
  QCOMPARE(Snapshot(computer.path()), computerBefore);
  QCOMPARE(Snapshot(drives.drives.root(u'C')), classBefore);

  // Files that are there but cannot be read: nothing is copied, and the
  // child hears which cards. Root reads everything, so the copy runs as an
  // unprivileged user.
  QFile::remove(drives.d(QStringLiteral("くも")));
  WriteHostFile(drives.cls(QStringLiteral("かえる/CardData.txt")), " 2 \r\n 1 \r\n");
  const QByteArray wav = QFile::encodeName(drives.cls(QStringLiteral("かえる/Card_01_x.wav")));
  QVERIFY(::chmod(wav.constData(), 0) == 0);
  for (const QChar letter : {u'C', u'D'})
    QProcess::execute(QStringLiteral("chmod"), {QStringLiteral("-R"), QStringLiteral("a+rwX"), drives.drives.root(letter)});
  QVERIFY(::chmod(wav.constData(), 0) == 0);
  const QStringList stickBefore = Snapshot(drives.d());
  x.PressList(StoryExchange::ClassSide, 5);
  QVERIFY(AsUnprivilegedUser([&] {
    return x.CopyToDrive() == ExchangeOutcome::Refused &&
           host.dialogs.told.last() == QStringLiteral("「かえる」の 2まいめの カードが よめないので、コピーしませんでした。");
  }));
  // A story folder that cannot be read is no empty story.
  QVERIFY(::chmod(wav.constData(), 0644) == 0);
  const QByteArray folder = QFile::encodeName(drives.cls(QStringLiteral("かえる")));
  QVERIFY(::chmod(folder.constData(), 0) == 0);
  QVERIFY(AsUnprivilegedUser([&] {
    return x.CopyToDrive() == ExchangeOutcome::Refused &&
           host.dialogs.told.last() == QStringLiteral("「かえる」の ファイルが よめないので、コピーしませんでした。");
  }));
  QVERIFY(::chmod(folder.constData(), 0755) == 0);
  QCOMPARE(Snapshot(drives.d()), stickBefore);
}

void ExchangeTest::killedCopiesLeaveNothing() {
  Drives drives;
  TestHost host;
  host.stories = {QStringLiteral("かえる")};
  // A story big enough that a copy takes a good part of the kill window.
  const QString story = drives.cls(QStringLiteral("かえる"));
  MakeStory(story, 30);
  for (int n = 1; n <= 30; ++n)
    WriteHostFile(story + QStringLiteral("/Card_%1.PNG").arg(n, 2, 10, QLatin1Char('0')), QByteArray(100 * 1024, char('a' + n % 26)));
  const QStringList whole = Snapshot(story);
  // The kills fall anywhere in about two copies.
  QElapsedTimer timer;
  timer.start();
  {
    StoryExchange x(host);
    x.Load();
    QVERIFY(x.CopyToDrive() == ExchangeOutcome::Copied);
  }
  const int window = int(std::clamp<qint64>(2 * timer.nsecsElapsed() / 1000, 20000, 500000));
  qDebug("one copy: %lld us", timer.nsecsElapsed() / 1000);
  QFile::remove(drives.d(QStringLiteral("Menu.txt")));
  QDir(drives.d(QStringLiteral("かえる"))).removeRecursively();
  int cut = 0;
  RunKillRounds(
      20,
      [&] {
        StoryExchange x(host);
        x.Load();
        x.CopyToDrive();
        // The next copy is a new story again.
        QFile::remove(drives.d(QStringLiteral("Menu.txt")));
        QDir(drives.d(QStringLiteral("かえる"))).removeRecursively();
      },
      [&](int round) {
        // The stick's list names only a whole story.
        const auto listed = disk::ReadLines(QStringLiteral("D:\\Menu.txt")).value_or(QStringList());
        for (const QString& name : listed)
          QVERIFY2(Snapshot(drives.d(name)) == whole, qPrintable(QStringLiteral("round %1").arg(round)));
        const QStringList left = Hidden(drives.d());
        cut += !left.isEmpty();
        // The next start, a minute or more later, copies the story again:
        // what the cut left is gone, and nothing of it travelled.
        for (const QString& path : left) {
          QFile f(path);
          QVERIFY(f.open(QIODevice::ReadWrite));
          f.setFileTime(QDateTime::currentDateTime().addSecs(-120), QFileDevice::FileModificationTime);
        }
        disk::testing::ForgetLeftoverChecks();
        StoryExchange x(host);
        x.Load();
        QVERIFY(x.CopyToDrive() == ExchangeOutcome::Copied);
        QCOMPARE(Snapshot(drives.d(QStringLiteral("かえる"))), whole);
        QCOMPARE(ReadHostFile(drives.d(QStringLiteral("Menu.txt"))), QByteArray("\x82\xa9\x82\xa6\x82\xe9\r\n"));
        QCOMPARE(Hidden(drives.d()), QStringList());
        QFile::remove(drives.d(QStringLiteral("Menu.txt")));
        QDir(drives.d(QStringLiteral("かえる"))).removeRecursively();
      },
      window);
  qDebug("copies cut with their temporary files on the stick: %d of 20", cut);
}

void ExchangeTest::driveButtonKeepsItsStick() {
  // The window's Ｄ keeps D: for its stick while it is out: with D:, E:,
  // F: all given out, the next stick takes E:, and the stick back is D:.
  TempDrives drives(QStringLiteral("C"));
  QDir().mkpath(drives.c(QStringLiteral("A_PIKORA/CLASS_11")));
  QTemporaryDir media;
  QByteArray table;
  disk::testing::SetMountTable([&] { return table; }, {media.path()});
  auto plugIn = [&](const QByteArray& name, int minor) {
    QDir(media.path()).mkpath(QString::fromLatin1(name));
    WriteHostFile(media.path() + u'/' + QString::fromLatin1(name) + QStringLiteral("/Menu.txt"), name + "\r\n");
    table = QByteArray::number(90 + minor) + " 27 8:" + QByteArray::number(minor) + " / " +
            QFile::encodeName(media.path()) + '/' + name + " rw - vfat /dev/sdx rw\n";
  };
  TestHost host;
  ExchangeWindow window(host, nullptr);
  plugIn("ONE", 17);
  window.findChild<QPushButton*>(QStringLiteral("Command5"))->click();
  QCOMPARE(window.exchange().Name(StoryExchange::DriveSide, 0), QStringLiteral("ONE"));
  plugIn("TWO", 33);
  QCOMPARE(disk::DriveRoot(u'E'), std::optional<QString>(media.path() + QStringLiteral("/TWO")));
  plugIn("THREE", 49);
  QCOMPARE(disk::DriveRoot(u'F'), std::optional<QString>(media.path() + QStringLiteral("/THREE")));
  plugIn("FOUR", 65);
  QCOMPARE(disk::DriveRoot(u'D'), std::nullopt);
  QCOMPARE(disk::DriveRoot(u'E'), std::optional<QString>(media.path() + QStringLiteral("/FOUR")));
  plugIn("ONE", 17);
  window.findChild<QPushButton*>(QStringLiteral("Command5"))->click();
  QCOMPARE(window.exchange().Name(StoryExchange::DriveSide, 0), QStringLiteral("ONE"));
  // A letter held the way the drive dialog holds its data root's keeps it
  // the same way.
  disk::DriveLetterHold dataRootDrive(u'E');  // Ｅ, whose stick FOUR is out
  plugIn("FIVE", 81);
  QCOMPARE(disk::DriveRoot(u'E'), std::nullopt);
  QCOMPARE(disk::DriveRoot(u'F'), std::optional<QString>(media.path() + QStringLiteral("/FIVE")));
  disk::testing::SetMountTable({});
}

QTEST_MAIN(ExchangeTest)
#include "ExchangeTest.moc"
