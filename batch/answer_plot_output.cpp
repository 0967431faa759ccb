#include "batch/answer_plot_output.h"

#include <CLI/CLI.hpp>
#include <cstdio>

#include "batch/checked_output.h"
#include "batch/drawing_plugin.h"
#include "batch/options.h"
#include "files/atomic_file.h"

namespace {

bool endsWithPng(const std::string& name) {
  if (name.size() < 4) return false;
  std::string end = name.substr(name.size() - 4);
  for (char& c : end) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
  return end == ".png";
}

// A whole number of at most 18 digits, or nothing (absent).
bool readBound(const std::string& text, bool& given, uint64_t& value) {
  given = !text.empty();
  value = 0;
  if (!given) return true;
  if (text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  value = std::stoull(text);
  return true;
}

}  // namespace

void addPlotOptions(CLI::App& command, PlotRequest& request) {
  CLI::Option* plot = command.add_option(
      "--plot", request.file,
      "also draw the series with the pulses found (and the true ones of a made series) into this PNG file");
  command
      .add_option(
          "--plot-range", request.range,
          "draw only samples FROM..TO-1 of the series, counted from 0 (FROM:TO, either may be left out)")
      ->needs(plot);
}

PlotStretch plotStretch(const std::string& range, uint64_t length) {
  PlotStretch stretch{0, length};
  if (range.empty()) return stretch;
  const size_t colon = range.find(':');
  bool fromGiven = false, toGiven = false;
  uint64_t from = 0, to = 0;
  if (colon == std::string::npos || !readBound(range.substr(0, colon), fromGiven, from) ||
      !readBound(range.substr(colon + 1), toGiven, to)) {
    throw OptionError("--plot-range", quotedValue(range) + " is not FROM:TO with whole numbers");
  }
  if (fromGiven) stretch.from = from;
  if (toGiven) stretch.to = to;
  if (stretch.to > length) {
    throw OptionError("--plot-range", "the stretch ends at " + std::to_string(stretch.to) + ", past the " +
                                          std::to_string(length) + " samples of the series");
  }
  if (stretch.from >= stretch.to) {
    throw OptionError("--plot-range", "the stretch from " + std::to_string(stretch.from) + " to " +
                                          std::to_string(stretch.to) + " holds no sample");
  }
  return stretch;
}

void describeAnswer(AnswerPlot& plot, const OrderedJson& doc, bool truth, const std::string& source) {
  const int64_t length = doc.value("wImpulseSize", int64_t{0});
  const auto pulses = [&](const char* key, std::vector<PulseSpan>& out) {
    const auto it = doc.find(key);
    if (it == doc.end() || !it->is_array()) return;
    out.reserve(it->size());
    for (const auto& p : *it) out.push_back(PulseSpan{p.get<int64_t>(), length});
  };
  pulses("lpRestoredPositions", plot.found);
  if (truth) {
    pulses("lpPositions", plot.truth);
    plot.hasTruth = true;
  }
  const auto solver = doc.find("solver");
  plot.title =
      "detection-batch process: " +
      (solver != doc.end() && solver->is_string() ? solver->get<std::string>() : std::string("solver")) +
      " on " + source + ", " + std::to_string(plot.samples.size()) + " samples, " +
      std::to_string(plot.found.size()) + " pulses found";
  if (truth) plot.title += ", " + std::to_string(plot.truth.size()) + " true";
}

PlotOutput::PlotOutput(const PlotRequest& request) : request_(request) {}

PlotOutput::~PlotOutput() = default;

bool PlotOutput::ready() {
  if (!request_.wanted()) return true;
  if (!endsWithPng(request_.file)) throw OptionError("--plot", "the file must end in .png");
  std::string problem;
  drawing_ = drawingPlugin(problem);
  if (drawing_ == nullptr) {
    std::fprintf(stderr, "detection-batch: --plot: %s\n", problem.c_str());
    return false;
  }
  file_ = std::make_unique<AtomicFile>(request_.file);
  if (!file_->open()) throw OptionError("--plot", file_->error());
  return true;
}

bool PlotOutput::write(const AnswerPlot& plot) {
  if (!request_.wanted()) return true;
  std::string bytes, problem;
  if (drawing_ == nullptr || file_ == nullptr || !drawing_->drawAnswerPlot(plot, bytes, problem)) {
    std::fprintf(stderr, "detection-batch: --plot: %s\n", problem.empty() ? "not ready" : problem.c_str());
    return false;
  }
  if (!file_->write(bytes) || !file_->commit()) {
    std::fprintf(stderr, "detection-batch: --plot: %s\n", file_->error().c_str());
    return false;
  }
  return true;
}
