#include "batch/long_input.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "batch/checked_output.h"
#include "batch/commands.h"
#include "batch/workbench_runs.h"
#include "batch/workbench_start.h"
#include "files/user_data.h"
#include "processing/long_recording.h"
#include "signal/pulse_header.h"

namespace {

int failed(const std::string& message) {
  std::fprintf(stderr, "detection-batch: %s\n", message.c_str());
  return kExitFailed;
}

std::string number(double v) {
  if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
  char text[64];
  const auto r = std::to_chars(text, text + sizeof text, v);
  return std::string(text, r.ptr);
}

}  // namespace

double parseBreakPenalty(const std::string& text) {
  if (text == "inf" || text == "infinity") return INFINITY;
  double v = 0;
  const char* end = text.data() + text.size();
  const auto r = std::from_chars(text.data(), end, v);
  if (text.empty() || r.ec != std::errc() || r.ptr != end || !std::isfinite(v) || v < 0)
    throw OptionError("--break-penalty", quotedValue(text) + " is not a number of 0 or more, nor inf");
  return v;
}

bool longPathTask(const ProcessOptions& o) {
  if (o.seriesType == 1) return o.task == "detection" || o.task == "joint";
  return o.seriesType == 4 && (o.task == "detection" || o.task == "joint" || o.task == "recognition");
}

bool longPathNeeded(const ProcessOptions& o, const ScaledSamples& s, const LongInputOptions& lo,
                    int32_t builtInPeak) {
  if (!longPathTask(o)) return false;
  if (s.series.size() > kMaxSolverSeriesSize || lo.breakPenalty || lo.pulsesCsvGiven) return true;
  // A known number keeps the workbench's solver (and its scaling) for the series it takes.
  if (o.seriesType == 1) return false;
  // The workbench's criteria: a chain sums s (s - 2x) over at most N samples in 32 bits.
  const int64_t peakS = std::max<int64_t>(s.etalonPeak, builtInPeak);
  const int64_t bound = static_cast<int64_t>(s.series.size()) * peakS * (peakS + 2 * int64_t{s.seriesPeak});
  return bound > 2147483647;
}

std::string pulsesCsvText(const std::vector<int64_t>& positions, const std::vector<int32_t>& etalons,
                          const std::vector<double>& margins) {
  std::string text = "position,etalon,margin\n";
  for (size_t k = 0; k < positions.size(); ++k) {
    text += std::to_string(positions[k]) + "," + std::to_string(etalons[k]) + "," +
            (k < margins.size() ? number(margins[k]) : std::string("")) + "\n";
  }
  return text;
}

namespace {

// The number of pulses a known-number run takes: the one given, or the middle of the range
// the whole recording admits, as the series makers count it (throws OptionError).
int64_t knownNumberOf(int64_t size, int64_t n, int64_t tmin, int64_t tmax, bool given, int64_t pulses) {
  const int64_t fewest = std::max<int64_t>(1, (size + n - 1) / tmax);
  const int64_t most = size + tmin >= n ? (size - n + tmin) / tmin : 0;
  const std::string range = std::to_string(fewest) + ".." + std::to_string(most);
  if (most < fewest)
    throw OptionError("--tmin", "no number of pulses fits " + std::to_string(size) + " samples with --tmin " +
                                    std::to_string(tmin) + " and --tmax " + std::to_string(tmax));
  if (given && (pulses < fewest || pulses > most))
    throw OptionError("--pulses", std::to_string(pulses) + " lies outside the admissible range " + range);
  return given ? pulses : (fewest + most) / 2;
}

// The options checked as for a series the workbench could hold (its length clipped).
ProcessSettings clippedSettings(const ProcessOptions& options, int64_t size, size_t etalonCount,
                                size_t etalonLength, ProcessOptions& o) {
  o = options;
  if (options.seriesType == 1) o.series.pulses.reset();
  o.series.length = std::min<int64_t>(size, kMaxSolverSeriesSize);
  o.series.impulseSize = etalonCount > 0 ? static_cast<int64_t>(etalonLength) : kBatchImpulseSize;
  return checkProcess(o);
}

}  // namespace

std::string knownNumberSizeProblem(const ProcessOptions& options, int64_t size, size_t etalonCount,
                                   size_t etalonLength) {
  if (options.seriesType != 1 || size <= static_cast<int64_t>(kMaxSolverSeriesSize)) return {};
  ProcessOptions o;
  const ProcessSettings settings = clippedSettings(options, size, etalonCount, etalonLength, o);
  const int64_t n = o.series.impulseSize;
  const bool given = options.series.pulses.has_value();
  const int64_t pulses = knownNumberOf(size, n, settings.series.tmin, settings.series.tmax, given,
                                       given ? *options.series.pulses : 0);
  return longKnownNumberProblem(size, n, settings.series.tmin, settings.series.tmax, pulses);
}

RunOutcome longRecordingRun(const ProcessOptions& options, const ScaledSamples& scaled,
                            const PulseHeader* alphabet, const LongInputOptions& lo, OrderedJson& doc,
                            LongAnswer& answer) {
  // The settings are checked as for a series the workbench could hold (its length clipped):
  // task, series type, distances, required etalons and level.
  // A known number is checked against the whole recording below, not the clipped length.
  const bool pulsesGiven = options.seriesType == 1 && options.series.pulses.has_value();
  const int64_t pulses = pulsesGiven ? *options.series.pulses : 0;
  ProcessOptions o;
  const ProcessSettings settings = clippedSettings(options, static_cast<int64_t>(scaled.series.size()),
                                                   scaled.etalonCount, scaled.etalonLength, o);
  checkGivenEtalons(settings, scaled.etalonCount, scaled.etalonLength);
  if (settings.processingLevel != 100) {
    throw OptionError(
        "--processing-level",
        "kept parts of cut-off pulses are searched in series of at most 32,767 samples; give "
        "--processing-level 100 for this recording, or take a part of it with --from N --count M");
  }

  LongRequest r;
  r.samples = scaled.series.data();
  r.size = static_cast<int64_t>(scaled.series.size());
  r.n = static_cast<int32_t>(o.series.impulseSize);
  r.tmin = settings.series.tmin;
  r.tmax = settings.series.tmax;
  r.task = settings.effectiveTaskType == 2 ? LongTask::kRecognize : LongTask::kDetect;
  if (options.seriesType == 1) {
    if (lo.breakPenalty)
      throw OptionError("--break-penalty", "applies to an unknown number of pulses (--series-type 4) only");
    r.pulses = knownNumberOf(r.size, r.n, r.tmin, r.tmax, pulsesGiven, pulses);
  }
  if (lo.breakPenalty) r.breakPenalty = *lo.breakPenalty;
  // As the workbench's solvers: every required etalon is a candidate.
  const std::vector<uint16_t>& required = settings.required;
  for (uint16_t number : required) {
    const bool given = number <= scaled.etalonCount;
    r.etalons.push_back(given ? scaled.etalons.data() + (number - 1u) * scaled.etalonLength
                              : alphabet[number - 1].lpData);
    r.etalonNumbers.push_back(number);
  }
  std::string error;
  if (!solveLongRecording(r, answer, error)) return {false, error};

  doc["solver"] = r.task == LongTask::kRecognize ? "recognizeLongRecording" : "detectLongRecording";
  doc["dwSeriesSize"] = r.size;
  doc["wTmin"] = r.tmin;
  doc["wTmax"] = r.tmax;
  doc["wImpulseSize"] = r.n;
  if (r.pulses > 0) doc["wImpulseQuantity"] = r.pulses;
  doc["breakPenalty"] = std::isinf(r.breakPenalty) ? OrderedJson("inf") : OrderedJson(r.breakPenalty);
  doc["found"] = answer.found;
  doc["criterion"] = answer.criterion;
  if (r.task == LongTask::kRecognize) {
    doc["recognized"] = answer.recognized;
    OrderedJson candidates = OrderedJson::array();
    for (size_t t = 0; t < required.size(); ++t) {
      OrderedJson c;
      c["etalon"] = required[t];
      c["found"] = static_cast<bool>(answer.candidateFound[t]);
      c["criterion"] = answer.candidateCriteria[t];
      candidates.push_back(std::move(c));
    }
    doc["candidates"] = std::move(candidates);
  }
  doc["wRestoredQuantity"] = answer.positions.size();
  doc["lpRestoredPositions"] = answer.positions;
  doc["lpRestoredEtalons"] = answer.etalons;
  OrderedJson margins = OrderedJson::array();
  // JSON has no infinity: a pulse no admissible answer can do without has margin null.
  for (double m : answer.margins) margins.push_back(std::isinf(m) ? OrderedJson(nullptr) : OrderedJson(m));
  doc["lpMargins"] = std::move(margins);
  return {true, {}};
}

int runLongInput(const ProcessOptions& options, const UserData& user, WorkbenchStart& start,
                 const LongInputOptions& lo, OrderedJson input, PlotOutput& picture,
                 const PlotStretch& stretch) {
  OrderedJson doc;
  doc["input"] = std::move(input);
  LongAnswer answer;
  const RunOutcome outcome = longRecordingRun(options, user.scaled, start.alphabet, lo, doc, answer);
  if (!outcome.ok) return failed(outcome.failure);
  if (lo.pulsesCsvGiven && !writeOutputFile("--pulses-csv", lo.pulsesCsv,
                                            pulsesCsvText(answer.positions, answer.etalons, answer.margins)))
    return kExitFailed;
  if (picture.wanted()) {
    AnswerPlot plot;
    plot.samples = user.scaled.series;
    plot.from = stretch.from;
    plot.to = stretch.to;
    plot.columnNote = true;
    describeAnswer(plot, doc, false, user.seriesPath);
    if (!picture.write(plot)) return kExitFailed;
  }
  if (!writeStandardOutput(formatDocument(doc)) || !finishStandardOutput()) return kExitFailed;
  return kExitOk;
}
