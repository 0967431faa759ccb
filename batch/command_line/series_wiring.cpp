#include "batch/command_line/series_wiring.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "batch/command_line/shared_options.h"
#include "batch/commands.h"
#include "batch/input_command.h"
#include "batch/options.h"

namespace {

struct SeriesLine {
  SeriesOptions series;
  int64_t seriesPulses = 0;
  const CLI::Option* seriesPulsesOption = nullptr;
  std::string seriesFormat = "json";
  std::string seriesOutput;
  CLI::Option* outputOption = nullptr;
};

}  // namespace

WiredCommand wireSeries(CLI::App& app) {
  auto l = std::make_shared<SeriesLine>();
  CLI::App* seriesCommand = app.add_subcommand("series", "make one noisy series and print it as JSON");
  l->seriesPulsesOption = addSeriesOptions(*seriesCommand, l->series, l->seriesPulses, true);
  l->outputOption = seriesCommand->add_option("--output", l->seriesOutput,
                                              "write the series to this file instead of printing it");
  seriesCommand->add_option("--format", l->seriesFormat, "format of --output: json, csv or npy")
      ->check(CLI::IsMember({"json", "csv", "npy"}))
      ->needs(l->outputOption)
      ->capture_default_str();
  return {seriesCommand, [l] {
            takePulses(l->series, l->seriesPulsesOption, l->seriesPulses);
            if (l->outputOption->count() > 0)
              return runSeriesToFile(checkSeries(l->series), l->seriesFormat, l->seriesOutput);
            return runSeries(checkSeries(l->series));
          }};
}
