#include "display/app_state.h"
#include "platform/qt/qt_host.h"
#include "shell/main_window.h"

// The workbench: one window over one application state; the exit code of its message loop.
int main(int argc, char** argv) {
  static AppState state;  // large; kept off the stack
  MainWindow window(state);
  return runMainWindow(window, argc, argv);
}
