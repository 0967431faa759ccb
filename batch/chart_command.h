#pragma once
// detection-batch chart: the workbench's chart of a simulation result, drawn without a display
// and written as PNG or BMP. The options are checked here; the drawing is done by the drawing
// plug-in (drawing_plugin.h), the only piece of the companion that uses the window system.
#include <cstdint>
#include <string>

namespace CLI {
class App;
}

struct ChartOptions {
  std::string input;                 // a whole result (simulate --json, or merge --json)
  std::string errors = "restoring";  // restoring | detection | recognition
  bool aggregate = false;            // the aggregate form instead of one curve per pulse count
  bool bounds = false;               // recognition: the two theoretical bound curves
  std::string output;                // FILE.png or FILE.bmp
  int64_t width = 1280;              // client size of the window the chart is laid out in
  int64_t height = 1000;
};

// Adds the subcommand chart and its options, read into `options`.
CLI::App* addChartCommand(CLI::App& app, ChartOptions& options);

// Draws the view of a headless workbench window of width x height that opened the result
// through File > "Open simulation result..." and chose the errors in the chart dialog (the
// chart with its frame and caption), and writes it to the output. Returns the exit status
// (0, 1 after a message, 2 for a bad option).
int runChart(const ChartOptions& options);
