// Feeds arbitrary option values to the companion's option readers and checks: the whole-number
// check, the list readers and the checks of every subcommand. Nothing is run: the checked
// settings are only held against the limits the libraries need.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "batch/checked_output.h"
#include "batch/long_input.h"
#include "batch/options.h"
#include "processing/working_limits.h"

namespace {

// Fields of the input, one per line; values of whole-number options that do not read as
// 64-bit numbers are left at their defaults, as the command line refuses them first.
struct Fields {
  std::vector<std::string> values;
  size_t next = 0;
  std::string text() { return next < values.size() ? values[next++] : std::string(); }
  void number(int64_t& target) {
    const std::string value = text();
    const std::string problem = wholeNumberProblem(value);
    if (problem.find('\n') != std::string::npos) __builtin_trap();
    if (problem.empty()) {
      const auto list = parseNumberList("--n", value);
      if (list.size() != 1) __builtin_trap();
      target = list[0];
    }
  }
};

void checkSeriesLimits(const SeriesSettings& s) {
  if (s.length > kMaxSolverSeriesSize || s.tmin > s.tmax || s.minPulses > s.maxPulses) __builtin_trap();
  if (s.sequence.size() > kBatchMaxListEntries || s.subset.size() > s.maxPulses) __builtin_trap();
  if (!s.unknown && (s.pulses < s.minPulses || s.pulses > s.maxPulses)) __builtin_trap();
  for (uint16_t e : s.sequence)
    if (e < 1 || e > kBatchEtalons) __builtin_trap();
}

void checkProcessLimits(const ProcessSettings& p) {
  checkSeriesLimits(p.series);
  if (p.required.empty() || p.required.size() > kBatchMaxListEntries) __builtin_trap();
  if (p.subsets.size() > kBatchMaxListEntries) __builtin_trap();
  for (const auto& subset : p.subsets)
    if (subset.size() > p.series.maxPulses) __builtin_trap();
}

void readSeries(Fields& f, SeriesOptions& o) {
  f.number(o.length);
  f.number(o.tmin);
  f.number(o.tmax);
  int64_t pulses = 0;
  if (f.text() == "p") {
    f.number(pulses);
    o.pulses = pulses;
  }
  o.unknown = f.text() == "u";
  o.sequence = f.text();
  f.number(o.makingLevel);
  f.number(o.noise);
  o.subset = f.text();
  f.number(o.subsetMode);
  f.number(o.subsetPosition);
}

void readProcess(Fields& f, ProcessOptions& o) {
  readSeries(f, o.series);
  o.task = f.text();
  f.number(o.seriesType);
  o.required = f.text();
  if (o.required.empty()) o.required = "1";
  f.number(o.processingLevel);
  o.subsets = f.text();
  f.number(o.proceeding);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 200000) return 0;
  Fields f;
  std::string field;
  for (size_t i = 1; i < size; ++i) {
    if (data[i] == '\n') {
      f.values.push_back(field);
      field.clear();
    } else {
      field += static_cast<char>(data[i]);
    }
  }
  f.values.push_back(field);
  try {
    switch (data[0] % 4) {
      case 0: {
        AlphabetOptions o;
        f.number(o.amplitude);
        f.number(o.count);
        f.number(o.length);
        checkAlphabet(o);
        break;
      }
      case 1: {
        SeriesOptions o;
        readSeries(f, o);
        checkSeriesLimits(checkSeries(o));
        break;
      }
      case 2: {
        ProcessOptions o;
        readProcess(f, o);
        // The long path's penalty: a number of 0 or more, or inf, whatever the text.
        const std::string penalty = f.text();
        try {
          const double p = parseBreakPenalty(penalty);
          if (!(p >= 0)) __builtin_trap();
        } catch (const OptionError& e) {
          if (std::string(e.what()).find('\n') != std::string::npos) __builtin_trap();
        }
        checkProcessLimits(checkProcess(o));
        break;
      }
      default: {
        SimulateOptions o;
        readProcess(f, o.process);
        int64_t value = 0;
        if (f.text() == "f") {
          f.number(value);
          o.pulsesFrom = value;
        }
        if (f.text() == "t") {
          f.number(value);
          o.pulsesTo = value;
        }
        f.number(o.pulsesStep);
        f.number(o.noiseFirst);
        f.number(o.noiseSteps);
        f.number(o.noiseStep);
        f.number(o.repeats);
        f.number(o.threads);
        o.csvGiven = f.text() == "c";
        o.csv = f.text();
        const SimulateSettings m = checkSimulate(o);
        checkProcessLimits(m.process);
        if (m.pulseSteps == 0 || m.noiseSteps == 0 || m.repeats < 1 || m.repeats > 65535) __builtin_trap();
        if (o.csvGiven && m.csv.empty()) __builtin_trap();
        break;
      }
    }
  } catch (const OptionError& e) {
    // Every refusal is one line that names its option.
    const std::string message = oneLine(e.what());
    if (message != e.what() || e.option.empty()) __builtin_trap();
  }
  return 0;
}
