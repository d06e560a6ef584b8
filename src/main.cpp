#include <QApplication>

#include "platform/Fonts.h"
#include "platform/InstanceLock.h"
#include "shell/Form1.h"
#include "platform/QtDialogs.h"
#include "shell/Shared.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("pikorama"));
  InstallJapanese(app);
  QtDialogs dialogs;
  // One copy per data folder: a second one would overwrite the first one's work.
  const auto lock = InstanceLock::Acquire(QStringLiteral("C:\\A_PIKORA\\"));
  if (!lock) {
    dialogs.Tell(QStringLiteral("ぴこらまつくろ は もう うごいています。"));
    return 0;
  }
  Shared shared(dialogs);
  Form1 form(shared);
  dialogs.SetParent(&form);
  form.show();
  return app.exec();
}
