// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/Viewers.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

namespace viewers {

namespace {

bool Runs(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

}  // namespace

QString Chromium() { return QStandardPaths::findExecutable(QStringLiteral("chromium")); }

QStringList ChromiumOptions(const QString& profile) {
  return {"--headless",
          "--no-sandbox",
          "--disable-gpu",
          "--disable-quic",
          "--no-first-run",
          "--disable-background-networking",
          "--disable-component-update",
          "--disable-sync",
          "--user-data-dir=" + profile};
}

QImage Screenshot(const QString& hostPath, QSize window) {
  QTemporaryDir profile;
  const QString shot = profile.path() + QStringLiteral("/shot.png");
  Runs(Chromium(),
       ChromiumOptions(profile.path()) +
           QStringList{"--screenshot=" + shot,
                       QStringLiteral("--window-size=%1,%2").arg(window.width()).arg(window.height()),
                       "--hide-scrollbars", "--force-device-scale-factor=1", QUrl::fromLocalFile(hostPath).toString()});
  return QImage(shot).convertToFormat(QImage::Format_RGB32);
}

bool PopplerInstalled() { return !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty(); }

QImage PdfPage(const QString& pdf, int page, int dotsPerInch) {
  QTemporaryDir dir;
  const QString prefix = dir.path() + QStringLiteral("/page");
  Runs(QStringLiteral("pdftoppm"), {"-f", QString::number(page), "-l", QString::number(page), "-r",
                                    QString::number(dotsPerInch), "-png", "-singlefile", pdf, prefix});
  return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

bool FfmpegInstalled() { return !QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty(); }

QImage VideoFrame(const QString& video, double seconds) {
  QTemporaryDir dir;
  const QString png = dir.path() + QStringLiteral("/frame.png");
  Runs(QStringLiteral("ffmpeg"),
       {"-v", "error", "-ss", QString::number(seconds, 'f', 3), "-i", video, "-frames:v", "1", "-y", png});
  return QImage(png).convertToFormat(QImage::Format_RGB32);
}

}  // namespace viewers
