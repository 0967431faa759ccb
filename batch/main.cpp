// detection-batch: the workbench's generators, solvers and simulations from the command line.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "batch/checked_output.h"
#include "batch/command_line/alphabet_wiring.h"
#include "batch/command_line/merge_wiring.h"
#include "batch/command_line/process_wiring.h"
#include "batch/command_line/series_wiring.h"
#include "batch/command_line/simulate_wiring.h"
#include "batch/command_line/wired_command.h"
#include "batch/exit_status.h"
#include "batch/failure_boundary.h"
#include "batch/options.h"
#include "files/stop_signals.h"
#include "platform/build_info.h"
#ifdef DETECTION_BATCH_CHART
#include "batch/command_line/chart_wiring.h"
#endif

namespace {

// Every whole-number option is checked as typed, so that a number beyond 64 bits is quoted
// as the user wrote it instead of being clamped.
void checkWholeNumbers(CLI::App& app) {
  const CLI::Validator wholeNumber([](std::string& text) { return wholeNumberProblem(text); }, "");
  for (CLI::App* command : app.get_subcommands({})) {
    for (CLI::Option* option : command->get_options()) {
      if (option->get_type_name() == "INT") option->check(wholeNumber);
    }
  }
}

// The subcommands, in the order --help lists them.
constexpr WireCommand kSubcommands[] = {
    wireAlphabet, wireSeries, wireProcess, wireSimulate, wireMerge,
#ifdef DETECTION_BATCH_CHART
    wireChart,
#endif
};

// "a, b or c" of the subcommands' names.
std::string subcommandNames(const std::vector<WiredCommand>& wired) {
  std::string names;
  for (size_t i = 0; i < wired.size(); ++i) {
    if (i > 0) names += i + 1 == wired.size() ? " or " : ", ";
    names += wired[i].command->get_name();
  }
  return names;
}

int runCommandLine(int argc, char** argv) {
  // Only reading the options is "making the options"; each command names its own stages.
  std::optional<Making> making(std::in_place, "the options");
  CLI::App app{
      "detection-batch: makes etalons and series, runs the solvers and simulations of the "
      "detection workbench"};
  app.require_subcommand(1, 1);
  app.set_version_flag("--version", versionLine("detection-batch"),
                       "print the version (and the git commit of the build) and exit");
  app.footer(
      "Exit status: 0 on success, 1 when an operation failed, 2 for a bad option.\n"
      "detection-batch SUBCOMMAND --help lists the options of a subcommand.");
  std::vector<WiredCommand> wired;
  for (WireCommand wire : kSubcommands) wired.push_back(wire(app));
  checkWholeNumbers(app);

  if (argc > 1 && argv[1][0] != '-') {
    const std::string name = argv[1];
    bool known = false;
    for (const WiredCommand& w : wired) known = known || w.command->get_name() == name;
    if (!known) {
      std::fprintf(stderr, "detection-batch: unknown subcommand %s (%s)\n", quotedValue(name).c_str(),
                   subcommandNames(wired).c_str());
      return kExitBadOptions;
    }
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {  // --help, --help-all, --version
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::fprintf(stderr, "detection-batch: %s\n", oneLine(e.what()).c_str());
    return kExitBadOptions;
  }

  making.reset();
  try {
    for (const WiredCommand& w : wired)
      if (w.command->parsed()) return w.run();
    return kExitBadOptions;
  } catch (const OptionError& e) {
    std::fprintf(stderr, "detection-batch: %s\n", oneLine(e.what()).c_str());
    return kExitBadOptions;
  }
}

}  // namespace

int main(int argc, char** argv) {
  holdMemoryReserve();
  // Temporary files are removed on SIGINT and SIGTERM; a file-size limit is a write error.
  installStopSignals();
  const int status = runGuarded([&] { return runCommandLine(argc, argv); });
  // Whatever went to standard output must have arrived: a failed write or flush fails the run.
  if (!finishStandardOutput()) return status != kExitOk ? status : kExitFailed;
  return status;
}
