// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/Program.h"

#include <QApplication>

#include "platform/Fonts.h"
#include "platform/InstanceLock.h"
#include "platform/QtDialogs.h"
#include "shell/MainWindow.h"
#include "shell/Session.h"
#include "deck/StoryFiles.h"

int RunProgram(int argc, char** argv, const std::function<void(QWidget&)>& beforeShow) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("pikorama"));
  // Lets a Wayland desktop match the window to its menu entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.pikorama.Pikorama"));
  InstallJapanese(app);
  QtDialogs dialogs;
  // One copy per data folder: a second one would overwrite the first one's work.
  auto lock = InstanceLock::Acquire(storyfiles::kDefaultDataRoot);
  if (!lock) {
    dialogs.Tell(QStringLiteral("ぴこらまつくろ は もう うごいています。"));
    return 0;
  }
  Session session(dialogs);
  session.dataRootLock = std::move(lock);
  MainWindow window(session);
  dialogs.SetParent(&window);
  if (beforeShow) beforeShow(window);
  window.show();
  return app.exec();
}
