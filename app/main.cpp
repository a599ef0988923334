// shapewright: the desktop converter, one dialog.
#include <QApplication>

#include "app/convert_app.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  CConvertApp app;
  app.InitInstance();
  return 0;
}
