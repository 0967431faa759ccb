#include "batch/command_line/shared_options.h"

#include <CLI/CLI.hpp>
#include <string>

CLI::Option* addSeriesOptions(CLI::App& command, SeriesOptions& o, int64_t& pulses,
                              bool withCountAndSequence) {
  command.add_option("--length", o.length, "series length in samples")->capture_default_str();
  command.add_option("--tmin", o.tmin, "least distance between neighbouring pulse origins")
      ->capture_default_str();
  command.add_option("--tmax", o.tmax, "largest distance between neighbouring pulse origins")
      ->capture_default_str();
  CLI::Option* pulsesOption = nullptr;
  if (withCountAndSequence) {
    pulsesOption = command.add_option("--pulses", pulses,
                                      "number of pulses (default: midpoint of the admissible range)");
    command.add_flag("--unknown", o.unknown, "draw the number of pulses");
    command.add_option("--sequence", o.sequence, "etalon of each pulse, e1,e2,...; the last one repeats");
    command
        .add_option("--seed", o.seed,
                    "series made before this one, as earlier runs would: 0 the start-up series, "
                    "N the one after N others (at most " +
                        std::to_string(kBatchMaxSeed) + ")")
        ->capture_default_str();
  }
  command.add_option("--making-level", o.makingLevel, "saved energy level of the pulses, percent")
      ->capture_default_str();
  command.add_option("--noise", o.noise, "noise level (standard deviation)")->capture_default_str();
  command.add_option("--subset", o.subset, "subset imposed on the etalon sequence (the tuple), e1,e2,...");
  command
      .add_option("--subset-mode", o.subsetMode,
                  "1 single random, 2 single fixed, 3 multiple random, 4 complete, 5 shifted complete")
      ->capture_default_str();
  command.add_option("--subset-position", o.subsetPosition, "1-based position of the subset in the sequence")
      ->capture_default_str();
  return pulsesOption;
}

void addProcessOptions(CLI::App& command, ProcessOptions& o) {
  command
      .add_option("--task", o.task, "detection|recognition|joint|series|tuples-detection|tuples-recognition")
      ->capture_default_str();
  command.add_option("--series-type", o.seriesType, "1, 2, 4, 8, 36 or 40")->capture_default_str();
  command.add_option("--required", o.required, "required etalons, e1,e2,...")->capture_default_str();
  command.add_option("--processing-level", o.processingLevel, "saved energy level for processing, percent")
      ->capture_default_str();
  command.add_option("--subsets", o.subsets, "candidate subsets of tuple recognition, \"a,b,c;d,e\"");
  command
      .add_option("--proceeding", o.proceeding, "subset proceeding: 1 complete, 2 probably shifted complete")
      ->capture_default_str();
}

void takePulses(SeriesOptions& o, const CLI::Option* option, int64_t value) {
  if (option != nullptr && option->count() > 0) o.pulses = value;
}
