// ミルテ, the desktop program.
#include <QtGui/QFont>
#include <QtWidgets/QApplication>

#include "nmail_library.h"
#include "penwick_app.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // The Windows program's 9-point UI Gothic: IPAGothic is the closest.
  QFont font("IPAGothic");
  font.setPointSize(9);
  application.setFont(font);
  mirte::NMailLibrary library;
  mirte::CPenwickApp app(library);
  QStringList arguments = application.arguments();
  arguments.removeFirst();
  if (!app.InitInstance(arguments)) return 1;
  return application.exec();
}
