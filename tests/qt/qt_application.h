#pragma once
// The one application object of the Qt tests: any test of test_qt may run first, and the ones
// with widgets need a QApplication rather than a QGuiApplication.
#include <QtWidgets/QApplication>

inline void ensureApplication() {
  if (QApplication::instance() != nullptr) return;
  static int argc = 1;
  static char name[] = "test_qt";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
}
