#include "batch/command_line/alphabet_wiring.h"

#include <CLI/CLI.hpp>
#include <memory>

#include "batch/commands.h"
#include "batch/options.h"

WiredCommand wireAlphabet(CLI::App& app) {
  auto alphabet = std::make_shared<AlphabetOptions>();
  CLI::App* alphabetCommand = app.add_subcommand("alphabet", "print the etalons as JSON");
  alphabetCommand->add_option("--amplitude", alphabet->amplitude, "amplitude setting")->capture_default_str();
  alphabetCommand->add_option("--count", alphabet->count, "number of etalons")->capture_default_str();
  alphabetCommand->add_option("--length", alphabet->length, "etalon length in samples")
      ->capture_default_str();
  return {alphabetCommand, [alphabet] { return runAlphabet(checkAlphabet(*alphabet)); }};
}
