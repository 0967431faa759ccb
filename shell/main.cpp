#include <iostream>

#include "display/app_state.h"
#include "files/stop_signals.h"
#include "platform/build_info.h"
#include "platform/qt/qt_host.h"
#include "shell/command_line.h"
#include "shell/main_window.h"

// The workbench: one window over one application state; the exit code of its message loop.
// --help and --version are answered before anything of the window system is touched.
int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv, argv + argc);
  if (const auto status =
          answerCommandLine(arguments, versionLine("detection-workbench"), std::cout, std::cerr))
    return *status;
  // A saved file's temporary is removed on SIGINT and SIGTERM; a file-size limit is a write error.
  installStopSignals();
  static AppState state;  // large; kept off the stack
  MainWindow window(state);
  return runMainWindow(window, argc, argv);
}
