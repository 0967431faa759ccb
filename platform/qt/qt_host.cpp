#include "platform/qt/qt_host.h"

#include <QtWidgets/QApplication>

#include "platform/qt/qt_window.h"

int runMainWindow(WindowProcedure& procedure, int argc, char** argv) {
  QApplication app(argc, argv);
  QtWindow window;
  window.setQuitOnClose(true);
  if (!window.create(procedure)) return 0;
  window.showMaximized();
  return app.exec();
}
