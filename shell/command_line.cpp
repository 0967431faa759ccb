#include "shell/command_line.h"

const char* workbenchUsage() {
  return "Usage: detection-workbench [OPTION]... [-platform NAME] [-style NAME]\n"
         "\n"
         "Opens the detection workbench: one window in which etalons and noisy series are made,\n"
         "the detection and recognition solvers run, statistical simulations are charted and the\n"
         "window is saved as an image. Every start begins from the same settings and seeds.\n"
         "\n"
         "Options:\n"
         "  -h,--help      print this help and exit\n"
         "  --version      print the version (and the git commit of the build) and exit\n"
         "\n"
         "Options with a single dash, such as -platform NAME or -style NAME, are passed on\n"
         "to the window system's toolkit.\n"
         "\n"
         "Exit status: 0 when the window was closed, 2 for an unknown option.\n";
}

std::optional<int> answerCommandLine(const std::vector<std::string>& arguments,
                                     const std::string& versionText, std::ostream& out, std::ostream& err) {
  // The first argument is the program's name.
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (a == "--help" || a == "-h") {
      out << workbenchUsage();
      return 0;
    }
    if (a == "--version") {
      out << versionText << "\n";
      return 0;
    }
    if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      err << "detection-workbench: unknown option \"" << a << "\" (see detection-workbench --help)\n";
      return 2;
    }
  }
  return std::nullopt;
}
