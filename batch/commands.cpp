#include "batch/commands.h"

#include <cstdio>
#include <string>
#include <vector>

#include "batch/checked_output.h"
#include "batch/failure_boundary.h"
#include "batch/json_output.h"
#include "batch/stderr_window.h"
#include "batch/watched_run.h"
#include "batch/workbench_runs.h"
#include "batch/workbench_start.h"

namespace {

// Prints the document; the exit status of the command.
int print(const OrderedJson& doc) {
  const Making making("the JSON document");
  const std::string text = formatDocument(doc);
  return writeStandardOutput(text) && finishStandardOutput() ? kExitOk : kExitFailed;
}

// The exit status of a run; a failure no message box reported gets its own line.
int finished(const RunOutcome& outcome, const OrderedJson& doc) {
  if (!outcome.ok) {
    if (!outcome.failure.empty()) std::fprintf(stderr, "detection-batch: %s\n", outcome.failure.c_str());
    return kExitFailed;
  }
  return print(doc);
}

}  // namespace

int runAlphabet(const AlphabetOptions& options) {
  StderrWindow window;
  OrderedJson doc;
  const RunOutcome outcome = alphabetRun(window, options, doc);
  return finished(outcome, doc);
}

int runSeries(const SeriesSettings& settings) {
  WorkbenchStart start;
  OrderedJson doc;
  const RunOutcome outcome = seriesRun(start, settings, doc);
  return finished(outcome, doc);
}

int runProcess(const ProcessSettings& p, const PlotRequest& plot) {
  const PlotStretch stretch = plotStretch(plot.range, p.series.length);
  PlotOutput picture(plot);
  if (!picture.ready()) return kExitFailed;
  WorkbenchStart start;
  OrderedJson doc;
  WatchedRun watched("process");
  watched.watch(start.window);
  const RunOutcome outcome = processRun(start, p, doc);
  if (watched.stopped()) return kExitFailed;
  if (outcome.ok && plot.wanted()) {
    const Making making("the picture");
    std::vector<int16_t> samples;
    for (const auto& v : doc["lpNoisyData"]) samples.push_back(v.get<int16_t>());
    AnswerPlot answer;
    answer.samples = samples;
    answer.from = stretch.from;
    answer.to = stretch.to;
    describeAnswer(answer, doc, true, "a made series");
    if (!picture.write(answer)) return kExitFailed;
  }
  return finished(outcome, doc);
}
