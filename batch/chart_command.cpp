#include "batch/chart_command.h"

#include <CLI/CLI.hpp>
#include <cstdio>

#include "batch/commands.h"
#include "batch/drawing_plugin.h"
#include "batch/failure_boundary.h"
#include "files/atomic_file.h"
#include "files/simulation_result.h"
#include "platform/dialog_ids.h"

namespace {

int badOption(const char* option, const std::string& problem) {
  std::fprintf(stderr, "detection-batch: %s: %s\n", option, problem.c_str());
  return kExitBadOptions;
}

bool endsWith(const std::string& text, const char* tail) {
  const std::string t(tail);
  if (text.size() < t.size()) return false;
  std::string end = text.substr(text.size() - t.size());
  for (char& c : end) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
  return end == t;
}

}  // namespace

CLI::App* addChartCommand(CLI::App& app, ChartOptions& chart) {
  CLI::App* command = app.add_subcommand("chart", "draw the chart of a simulation result as PNG or BMP");
  command->add_option("--input", chart.input, "the whole result (simulate --json, merge --json)")->required();
  command->add_option("--errors", chart.errors, "restoring | detection | recognition")->capture_default_str();
  command->add_flag("--aggregate", chart.aggregate, "one curve over the pulse counts");
  command->add_flag("--bounds", chart.bounds, "recognition: the two theoretical bound curves");
  command->add_option("--output", chart.output, "FILE.png or FILE.bmp")->required();
  command->add_option("--width", chart.width, "width of the window the chart is laid out in")
      ->capture_default_str();
  command->add_option("--height", chart.height, "height of that window")->capture_default_str();
  return command;
}

int runChart(const ChartOptions& o) {
  if (o.input.empty()) return badOption("--input", "name the simulation result");
  ChartDrawing request;
  request.png = endsWith(o.output, ".png");
  if (!request.png && !endsWith(o.output, ".bmp"))
    return badOption("--output", "the file must end in .png or .bmp");
  if (o.width < 320 || o.width > 8192) return badOption("--width", "must lie in 320..8192");
  if (o.height < 240 || o.height > 8192) return badOption("--height", "must lie in 240..8192");
  if (o.errors == "restoring") request.errorsChoice = chart_settings_dialog::kRestoringError;
  if (o.errors == "detection") request.errorsChoice = chart_settings_dialog::kDetectionError;
  if (o.errors == "recognition") request.errorsChoice = chart_settings_dialog::kRecognitionError;
  if (request.errorsChoice == 0)
    return badOption("--errors", "\"" + o.errors + "\" is none of restoring, detection, recognition");
  AtomicFile output(o.output);
  if (!output.open()) return badOption("--output", output.error());

  const Making making("the chart");
  SimulationResult result;
  std::string problem;
  if (!readSimulationResult(o.input, result, problem)) {
    std::fprintf(stderr, "detection-batch: chart: %s\n", problem.c_str());
    return kExitFailed;
  }
  request.recognition = result.run.taskType == 2;
  if (request.errorsChoice == chart_settings_dialog::kRecognitionError && !request.recognition)
    return badOption("--errors", "recognition errors are charted for recognition runs");
  if (o.bounds && !request.recognition)
    return badOption("--bounds", "the bounds belong to recognition charts");

  const DrawingPlugin* drawing = drawingPlugin(problem);
  if (drawing == nullptr) {
    std::fprintf(stderr, "detection-batch: chart: %s\n", problem.c_str());
    return kExitFailed;
  }
  request.input = o.input;
  request.aggregate = o.aggregate;
  request.bounds = o.bounds;
  request.width = static_cast<int32_t>(o.width);
  request.height = static_cast<int32_t>(o.height);
  std::string bytes;
  if (!drawing->drawChart(request, bytes)) return kExitFailed;
  if (bytes.empty() || !output.write(bytes) || !output.commit()) {
    std::fprintf(stderr, "detection-batch: --output: %s\n",
                 bytes.empty() ? "the image could not be encoded" : output.error().c_str());
    return kExitFailed;
  }
  return kExitOk;
}
