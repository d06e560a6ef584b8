// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QProcess>
#include <QTest>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <random>

bool ScriptedDialogs::Ask(const QString& text) {
  asked.append(text);
  if (answers.empty()) return false;
  const bool answer = answers.front();
  answers.pop_front();
  return answer;
}

void ScriptedDialogs::Tell(const QString& text) {
  told.append(text);
  if (whenTold) whenTold(text);
}

std::optional<QString> ScriptedDialogs::Input(const QString& prompt) {
  asked.append(prompt);
  if (inputs.empty()) return std::nullopt;
  auto answer = inputs.front();
  inputs.pop_front();
  return answer;
}

TestShare TestShare::FromEnvironment() {
  TestShare share{qEnvironmentVariable("PIKORAMA_TEST_SHARE"), qEnvironmentVariable("PIKORAMA_TEST_OTHER_SHARE"),
                  qEnvironmentVariable("PIKORAMA_TEST_SHARE_MISSING")};
  if (share.there.isEmpty()) share.there = share.here;
  return share;
}

namespace {

void UnsetDrives() {
  for (char l = 'A'; l <= 'Z'; ++l) {
    qunsetenv(QByteArray("PIKORAMA_DRIVE_") + l);
    qunsetenv(QByteArray("PIKORAMA_OTHER_DRIVE_") + l);
  }
}

}  // namespace

TempDrives::TempDrives(const QString& letters) {
  UnsetDrives();
  QString all = letters.toUpper();
  if (!all.contains(u'C')) all += u'C';
  const TestShare share = TestShare::FromEnvironment();
  for (QChar letter : all) {
    const QByteArray drive = QByteArray(1, char(letter.unicode()));
    const bool shared = letter == u'C' && !share.here.isEmpty();
    auto dir = shared ? std::make_shared<QTemporaryDir>(share.here + QStringLiteral("/drive-XXXXXX"))
                      : std::make_shared<QTemporaryDir>();
    dirs_.insert(letter, dir);
    qputenv("PIKORAMA_DRIVE_" + drive, QFile::encodeName(dir->path()));
    if (shared)
      qputenv("PIKORAMA_OTHER_DRIVE_" + drive, QFile::encodeName(share.there + u'/' + QFileInfo(dir->path()).fileName()));
  }
}

TempDrives::~TempDrives() { UnsetDrives(); }

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

QByteArray ToneWav(double hertz, double seconds, int rate, int channels) {
  const int frames = int(seconds * rate);
  QByteArray data;
  for (int i = 0; i < frames; ++i) {
    const qint16 v = qint16(std::lround(12000 * std::sin(2 * M_PI * hertz * i / rate)));
    for (int c = 0; c < channels; ++c) data.append(reinterpret_cast<const char*>(&v), 2);
  }
  QByteArray wav("RIFF");
  auto u32 = [&](quint32 v) { wav.append(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](quint16 v) { wav.append(reinterpret_cast<const char*>(&v), 2); };
  u32(quint32(36 + data.size()));
  wav.append("WAVEfmt ");
  u32(16), u16(1), u16(quint16(channels)), u32(quint32(rate)), u32(quint32(rate * channels * 2));
  u16(quint16(channels * 2)), u16(16);
  wav.append("data");
  u32(quint32(data.size()));
  return wav + data;
}

QString OutputWithoutGStreamerPlugins(const QString& childVariable, const QString& value) {
  QTemporaryDir noPlugins;
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(childVariable, value);
  env.insert(QStringLiteral("GST_PLUGIN_SYSTEM_PATH_1_0"), noPlugins.path());
  env.insert(QStringLiteral("GST_PLUGIN_PATH_1_0"), noPlugins.path());
  env.insert(QStringLiteral("GST_REGISTRY_1_0"), noPlugins.path() + QStringLiteral("/registry.bin"));
  child.setProcessEnvironment(env);
  child.start(QCoreApplication::applicationFilePath(), {});
  if (!child.waitForFinished(60000)) return QStringLiteral("(the child did not finish)");
  return QString::fromUtf8(child.readAllStandardOutput()).trimmed();
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

void CopyFolder(const QString& from, const QString& to) {
  QDirIterator it(from, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    const QString target = to + path.mid(from.size());
    if (QFileInfo(path).isDir()) QDir().mkpath(target);
    else WriteHostFile(target, ReadHostFile(path));
  }
}

// Mounts made by the tests stay inside the test process: a mount namespace
// of its own, with nothing passed back to the host.
bool PrivateMounts() {
  static const bool ok = [] {
    if (geteuid() != 0) return false;
    if (qEnvironmentVariable("PIKORAMA_TEST_FULLDISK") == u"fsize") return false;
    if (unshare(CLONE_NEWNS) != 0) return false;
    return mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
  }();
  return ok;
}

bool AsUnprivilegedUser(const std::function<bool()>& check) {
  if (geteuid() != 0) return check();
  fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) _exit(setgid(65534) == 0 && setuid(65534) == 0 && check() ? 0 : 1);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

namespace {

constexpr long kTmpfsMagic = 0x01021994;

}  // namespace

FullDisk::FullDisk(QChar letter)
    : variable_(QByteArray("PIKORAMA_DRIVE_") + char(letter.toUpper().unicode())),
      base_(std::make_unique<QTemporaryDir>()) {
  hadPrevious_ = qEnvironmentVariableIsSet(variable_.constData());
  previous_ = qgetenv(variable_.constData());
  const QString mnt = base_->path() + QStringLiteral("/mnt");
  QDir().mkdir(mnt);
  if (PrivateMounts() &&
      mount("tmpfs", QFile::encodeName(mnt).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
            "size=1m,mode=0755") == 0) {
    struct statfs fs {};
    mounted_ = statfs(QFile::encodeName(mnt).constData(), &fs) == 0 && long(fs.f_type) == kTmpfsMagic;
    if (!mounted_) umount2(QFile::encodeName(mnt).constData(), MNT_DETACH);
  }
  root_ = mnt + QStringLiteral("/drive");
  QDir().mkdir(root_);
  qputenv(variable_.constData(), root_.toUtf8());
}

FullDisk::~FullDisk() {
  if (hadPrevious_) qputenv(variable_.constData(), previous_);
  else qunsetenv(variable_.constData());
  if (mounted_) umount2(QFile::encodeName(base_->path() + QStringLiteral("/mnt")).constData(), MNT_DETACH);
}

void FullDisk::WhileFull(const std::function<void()>& operation, qint64 room) {
  if (!mounted_) {
    rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit full = old;
    full.rlim_cur = rlim_t(room);
    setrlimit(RLIMIT_FSIZE, &full);
    operation();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    return;
  }
  // Fills the tmpfs with one file beside the drive's folder.
  const QByteArray filler = QFile::encodeName(base_->path() + QStringLiteral("/mnt/filler"));
  const int fd = open(filler.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) qFatal("FullDisk: cannot make the filler file");
  const QByteArray chunk(64 * 1024, 'f');
  off_t size = 0;
  for (qsizetype step : {chunk.size(), qsizetype(4096), qsizetype(1)}) {
    for (;;) {
      const ssize_t n = write(fd, chunk.constData(), size_t(step));
      if (n <= 0) break;
      size += n;
    }
  }
  if (room > 0) (void)!ftruncate(fd, std::max<off_t>(0, size - off_t(room)));
  close(fd);
  operation();
  unlink(filler.constData());
}

void RunKillRounds(int rounds, const std::function<void()>& childLoop,
                   const std::function<void(int round)>& checkAfterKill, int maxDelayUs) {
  std::mt19937 random(20261209);
  std::uniform_int_distribution<int> delayMicroseconds(0, maxDelayUs);
  for (int round = 0; round < rounds; ++round) {
    fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) qFatal("RunKillRounds: fork failed");
    if (child == 0) {
      for (;;) childLoop();
    }
    usleep(useconds_t(delayMicroseconds(random)));
    kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    checkAfterKill(round);
    if (QTest::currentTestFailed()) return;  // the first torn round says it all
  }
}
