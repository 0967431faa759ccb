#include "batch/command_line/simulate_wiring.h"

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <memory>

#include "batch/command_line/shared_options.h"
#include "batch/options.h"
#include "batch/shard_options.h"
#include "batch/simulate_command.h"

namespace {

struct SimulateLine {
  SimulateOptions simulate;
  int64_t unusedPulses = 0;
  int64_t pulsesFrom = 0;
  int64_t pulsesTo = 0;
  const CLI::Option* pulsesFromOption = nullptr;
  const CLI::Option* toOption = nullptr;
  const CLI::Option* csvOption = nullptr;
};

int runSimulateLine(SimulateLine& l) {
  SimulateOptions& simulate = l.simulate;
  if (l.pulsesFromOption->count() > 0) simulate.pulsesFrom = l.pulsesFrom;
  if (l.toOption->count() > 0) simulate.pulsesTo = l.pulsesTo;
  simulate.csvGiven = l.csvOption->count() > 0;
  SimulateSettings settings = checkSimulate(simulate);
  checkDistinctFiles({{"--csv", simulate.csv}, {"--json", simulate.json}, {"--output", simulate.output}}, {});
  checkShard(simulate, settings, [](const char* name) -> const char* { return std::getenv(name); });
  return runSimulate(settings);
}

}  // namespace

WiredCommand wireSimulate(CLI::App& app) {
  auto l = std::make_shared<SimulateLine>();
  SimulateOptions& simulate = l->simulate;
  CLI::App* simulateCommand =
      app.add_subcommand("simulate", "run a statistical simulation and write its error tables as CSV");
  addSeriesOptions(*simulateCommand, simulate.process.series, l->unusedPulses, false);
  addProcessOptions(*simulateCommand, simulate.process);
  l->pulsesFromOption = simulateCommand->add_option("--pulses-from", l->pulsesFrom,
                                                    "first pulse count (default: fewest admissible)");
  l->toOption =
      simulateCommand->add_option("--pulses-to", l->pulsesTo, "last pulse count (default: most admissible)");
  simulateCommand
      ->add_option("--pulses-step", simulate.pulsesStep, "step between pulse counts (0 counts as 1)")
      ->capture_default_str();
  simulateCommand->add_option("--noise-first", simulate.noiseFirst, "first noise level")
      ->capture_default_str();
  simulateCommand->add_option("--noise-steps", simulate.noiseSteps, "number of noise levels")
      ->capture_default_str();
  simulateCommand->add_option("--noise-step", simulate.noiseStep, "noise increment per step")
      ->capture_default_str();
  simulateCommand->add_option("--repeats", simulate.repeats, "trials per cell")->capture_default_str();
  simulateCommand->add_option("--threads", simulate.threads, "worker threads, 0 = all cores")
      ->capture_default_str();
  l->csvOption = simulateCommand->add_option("--csv", simulate.csv,
                                             "write the CSV to this file instead of standard output");
  simulateCommand->add_option("--json", simulate.json, "also write the whole result as JSON to this file");
  simulateCommand->add_option("--shard", simulate.shard,
                              "compute only shard K of N (K from 1) and write its shard file to --output");
  simulateCommand->add_option(
      "--output", simulate.output,
      "the shard file; without --shard the shard of a Slurm array task, or the whole grid");
  return {simulateCommand, [l] { return runSimulateLine(*l); }};
}
