// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/Fonts.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cmath>

namespace {

QFont Face(const QString& family, double points, bool bold, double scale) {
  QFont font(family);
  font.setPixelSize(std::max(1, int(std::lround(points * 96.0 / 72.0 * scale))));
  font.setBold(bold);
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

void Substitute() {
  static bool done = false;
  if (done) return;
  done = true;
  QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
  QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
}

}  // namespace

void InstallJapanese(QApplication& app) {
  Substitute();
  app.setFont(Gothic(9));
  auto* translator = new QTranslator(&app);
  if (translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    app.installTranslator(translator);
}

QFont Gothic(double points, bool bold, double scale) {
  Substitute();
  return Face(QStringLiteral("ＭＳ ゴシック"), points, bold, scale);
}

QFont PGothic(double points, bool bold, double scale) {
  Substitute();
  return Face(QStringLiteral("ＭＳ Ｐゴシック"), points, bold, scale);
}
