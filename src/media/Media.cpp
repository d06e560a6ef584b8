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

}  // namespace

LoadedModule LoadModule(const QByteArray& path) {
  LoadedModule loaded;
  // Never unloaded once taken: the objects it made live as long as the
  // program.
  void* handle = ::dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    loaded.problem = QString::fromLocal8Bit(::dlerror());
    return loaded;
  }
  // The version before anything else: a module of another version may not
  // even agree on what the entry point returns.
  auto* version = reinterpret_cast<PikoramaMediaVersion*>(::dlsym(handle, kPikoramaMediaVersion));
  const int found = version ? version() : 0;
  if (found != kMediaInterfaceVersion) {
    const QString kind = version ? QStringLiteral("interface version %1").arg(found)
                                 : QStringLiteral("no interface version (an older one)");
    loaded.problem = QStringLiteral("%1: a module of %2, not of version %3")
                         .arg(QString::fromLocal8Bit(path), kind)
                         .arg(kMediaInterfaceVersion);
    ::dlclose(handle);
    return loaded;
  }
  auto* entry = reinterpret_cast<PikoramaMediaEntry*>(::dlsym(handle, kPikoramaMediaEntry));
  loaded.module = entry ? entry() : nullptr;
  if (!loaded.module) {
    loaded.problem = QStringLiteral("%1: no module in it").arg(QString::fromLocal8Bit(path));
    ::dlclose(handle);
  }
  return loaded;
}

namespace {

Module* Load() {
  const LoadedModule loaded = LoadModule(ModulePath());
  if (!loaded.module) std::fprintf(stderr, "pikorama: no sound or video: %s\n", qPrintable(loaded.problem));
  return loaded.module;
}

}  // namespace

Module* Get() {
  static Module* const module = Load();
  return module;
}

}  // namespace media
