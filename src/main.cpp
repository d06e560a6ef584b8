#include <QApplication>

#include "platform/Fonts.h"
#include "shell/MainWindow.h"
#include "platform/QtDialogs.h"
#include "shell/Session.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("pikorama"));
  InstallJapanese(app);
  QtDialogs dialogs;
  Session session(dialogs);
  MainWindow window(session);
  dialogs.SetParent(&window);
  window.show();
  return app.exec();
}
