// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "media/Media.h"

#include <QByteArray>
#include <QFileInfo>
#include <cstdio>

#include <dlfcn.h>
#include <unistd.h>

namespace media {

namespace {

// Where the module is: beside the installed program (PIKORAMA_MEDIA_MODULE
// relative to the program's folder), else where the build left it.
QByteArray ModulePath() {
  char self[4096];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n > 0) {
    const QString installed =
        QFileInfo(QString::fromLocal8Bit(self, int(n))).absolutePath() + QLatin1String("/" PIKORAMA_MEDIA_MODULE);
    if (QFileInfo::exists(installed)) return QFileInfo(installed).absoluteFilePath().toLocal8Bit();
  }
  return QByteArrayLiteral(PIKORAMA_MEDIA_BUILD_MODULE);
}

Module* Load() {
  const QByteArray path = ModulePath();
  // Never unloaded: the objects it made live as long as the program.
  void* handle = ::dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    std::fprintf(stderr, "pikorama: no sound or video: %s\n", ::dlerror());
    return nullptr;
  }
  auto* entry = reinterpret_cast<PikoramaMediaEntry*>(::dlsym(handle, kPikoramaMediaEntry));
  return entry ? entry() : nullptr;
}

}  // namespace

Module* Get() {
  static Module* const module = Load();
  return module;
}

}  // namespace media
