#include <QApplication>

#include "platform/Fonts.h"
#include "shell/Form1.h"
#include "platform/QtDialogs.h"
#include "shell/Shared.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("pikorama"));
  InstallJapanese(app);
  QtDialogs dialogs;
  Shared shared(dialogs);
  Form1 form(shared);
  dialogs.SetParent(&form);
  form.show();
  return app.exec();
}
