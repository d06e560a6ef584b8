// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The programs that show what the exports wrote, as a family would see it:
// headless Chromium for pages, poppler for the picture book, ffmpeg for a
// frame of the video. Each test asks whether the program is installed and
// skips, saying so, when it is not.

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

namespace viewers {

// Chromium's path, empty when it is not installed.
QString Chromium();
// Chromium's headless options for a run that touches neither the network
// nor the user's profile (`profile` is a temporary folder of the caller's).
QStringList ChromiumOptions(const QString& profile);
// The page at `hostPath` as headless Chromium shows it in a window of
// `window` pixels; a null image when it could not.
QImage Screenshot(const QString& hostPath, QSize window);

bool PopplerInstalled();
// Page `page` (from 1) of a PDF file rendered at `dotsPerInch`; null when
// it could not be.
QImage PdfPage(const QString& pdf, int page, int dotsPerInch);

bool FfmpegInstalled();
// The video's frame at `seconds`, in RGB32; null when there is none.
QImage VideoFrame(const QString& video, double seconds);

}  // namespace viewers
