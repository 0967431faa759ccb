#include "batch/command_line/chart_wiring.h"

#include <CLI/CLI.hpp>
#include <memory>

#include "batch/chart_command.h"
#include "batch/options.h"

WiredCommand wireChart(CLI::App& app) {
  auto chart = std::make_shared<ChartOptions>();
  CLI::App* chartCommand = addChartCommand(app, *chart);
  return {chartCommand, [chart] {
            checkDistinctFiles({{"--output", chart->output}}, {{"--input", chart->input}});
            return runChart(*chart);
          }};
}
