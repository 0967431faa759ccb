#pragma once
#include <functional>

namespace CLI {
class App;
}

// A subcommand of the companion as its wiring leaves it on the command line: the CLI11
// subcommand with its options, and what runs it once the command line chose it (its result is
// the exit status; a bad option throws OptionError).
struct WiredCommand {
  CLI::App* command = nullptr;
  std::function<int()> run;
};

// Adds one subcommand to the command line.
using WireCommand = WiredCommand (*)(CLI::App& app);
