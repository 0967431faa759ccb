#include "batch/command_line/chart_wiring.h"

#include <CLI/CLI.hpp>
#include <memory>

#include "batch/chart/chart_command.h"

WiredCommand wireChart(CLI::App& app) {
  auto chart = std::make_shared<ChartOptions>();
  CLI::App* chartCommand = app.add_subcommand("chart", "draw the chart of a simulation result as PNG or BMP");
  chartCommand->add_option("--input", chart->input, "the whole result (simulate --json, merge --json)")
      ->required();
  chartCommand->add_option("--errors", chart->errors, "restoring | detection | recognition")
      ->capture_default_str();
  chartCommand->add_flag("--aggregate", chart->aggregate, "one curve over the pulse counts");
  chartCommand->add_flag("--bounds", chart->bounds, "recognition: the two theoretical bound curves");
  chartCommand->add_option("--output", chart->output, "FILE.png or FILE.bmp")->required();
  chartCommand->add_option("--width", chart->width, "width of the window the chart is laid out in")
      ->capture_default_str();
  chartCommand->add_option("--height", chart->height, "height of that window")->capture_default_str();
  return {chartCommand, [chart] { return runChart(*chart); }};
}
