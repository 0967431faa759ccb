#include "batch/options.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "batch/checked_output.h"
#include "files/same_file.h"
#include "processing/solver_choice.h"
#include "processing/working_limits.h"
#include "signal/pulse_bounds.h"
#include "signal/pulse_header.h"
#include "signal/series_header.h"
#include "signal/task_codes.h"
#include "simulation/simulation_grid.h"

namespace {

std::string trimmed(const std::string& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
  while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1]))) --last;
  return text.substr(first, last - first);
}

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t at = text.find(separator, start);
    parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) return parts;
    start = at + 1;
  }
}

int64_t inRange(const std::string& option, int64_t value, int64_t low, int64_t high) {
  if (value < low || value > high) {
    throw OptionError(
        option, std::to_string(value) + " lies outside " + std::to_string(low) + ".." + std::to_string(high));
  }
  return value;
}

std::vector<uint16_t> etalonList(const std::string& option, const std::string& text) {
  std::vector<uint16_t> list;
  for (int64_t number : parseNumberList(option, text)) {
    list.push_back(static_cast<uint16_t>(inRange(option, number, 1, kBatchEtalons)));
  }
  return list;
}

std::vector<int32_t> toSubset(const std::string& option, const std::vector<int64_t>& numbers) {
  std::vector<int32_t> subset;
  for (int64_t number : numbers)
    subset.push_back(static_cast<int32_t>(inRange(option, number, 1, kBatchEtalons)));
  return subset;
}

}  // namespace

namespace {

bool readWholeNumber(const std::string& text, int64_t& value) {
  const std::string entry = trimmed(text);
  const char* begin = entry.data();
  const char* end = begin + entry.size();
  if (!entry.empty() && *begin == '+') ++begin;
  const auto [ptr, ec] = std::from_chars(begin, end, value);
  return !entry.empty() && ec == std::errc() && ptr == end;
}

// Throws when text holds more than maxParts parts between separators, before any is stored.
void limitParts(const std::string& option, const std::string& text, char separator, size_t maxParts,
                const char* what) {
  const size_t parts = static_cast<size_t>(std::count(text.begin(), text.end(), separator)) + 1;
  if (parts > maxParts) {
    throw OptionError(option, std::to_string(parts) + " " + what + " are more than the " +
                                  std::to_string(maxParts) + " allowed");
  }
}

}  // namespace

std::vector<int64_t> parseNumberList(const std::string& option, const std::string& text, size_t maxEntries) {
  limitParts(option, text, ',', maxEntries, "entries");
  std::vector<int64_t> numbers;
  for (const std::string& part : split(text, ',')) {
    int64_t value = 0;
    if (!readWholeNumber(part, value))
      throw OptionError(option, quotedValue(text) + " is not a comma-separated list of numbers");
    numbers.push_back(value);
  }
  return numbers;
}

std::vector<std::vector<int64_t>> parseNumberLists(const std::string& option, const std::string& text,
                                                   size_t maxLists) {
  limitParts(option, text, ';', maxLists, "subsets");
  std::vector<std::vector<int64_t>> lists;
  for (const std::string& part : split(text, ';')) lists.push_back(parseNumberList(option, part));
  return lists;
}

std::string wholeNumberProblem(const std::string& text) {
  int64_t value = 0;
  if (readWholeNumber(text, value)) return "";
  return quotedValue(text) + " is not a whole number from " + std::to_string(INT64_MIN) + " to " +
         std::to_string(INT64_MAX);
}

void checkFileName(const std::string& option, const std::string& name) {
  if (name.empty()) throw OptionError(option, "an empty file name cannot be written");
}

void checkDistinctFiles(const std::vector<NamedFile>& outputs, const std::vector<NamedFile>& inputs) {
  for (size_t i = 0; i < outputs.size(); ++i) {
    const auto& [option, name] = outputs[i];
    if (name.empty()) continue;
    for (const auto& [inputOption, input] : inputs) {
      if (!input.empty() && input != "-" && sameFile(name, input))
        throw OptionError(option, quotedValue(name) + " is also the input " + inputOption +
                                      "; write the output to another file");
    }
    if (isDeviceOrPipe(name)) continue;
    for (size_t k = 0; k < i; ++k) {
      if (!outputs[k].second.empty() && sameFile(name, outputs[k].second))
        throw OptionError(option, quotedValue(name) + " is also given to " + outputs[k].first +
                                      "; each output needs a file of its own");
    }
  }
}

const std::vector<std::string>& taskNames() {
  static const std::vector<std::string> names = {"detection", "recognition",      "joint",
                                                 "series",    "tuples-detection", "tuples-recognition"};
  return names;
}

AlphabetOptions checkAlphabet(const AlphabetOptions& options) {
  inRange("--amplitude", options.amplitude, 0, 10000);
  inRange("--count", options.count, 1, kAlphabetRecords);
  inRange("--length", options.length, 1, 1000);
  return options;
}

SeriesSettings checkSeries(const SeriesOptions& options) {
  SeriesSettings s;
  if (options.length > kMaxSolverSeriesSize) {
    throw OptionError("--length", std::to_string(options.length) +
                                      " samples cannot be held: pulse origins are "
                                      "signed 16-bit, so a series has at most " +
                                      std::to_string(kMaxSolverSeriesSize));
  }
  s.impulseSize = static_cast<uint16_t>(inRange("etalon length", options.impulseSize, 1, 32767));
  const uint16_t impulseSize = s.impulseSize;
  s.length = static_cast<uint32_t>(inRange("--length", options.length, impulseSize, kMaxSolverSeriesSize));
  s.tmin = static_cast<uint16_t>(inRange("--tmin", options.tmin, 1, 65535));
  s.tmax = static_cast<uint16_t>(inRange("--tmax", options.tmax, 1, 65535));
  if (s.tmax < s.tmin) {
    throw OptionError("--tmax", std::to_string(s.tmax) + " is below --tmin " + std::to_string(s.tmin));
  }
  if (s.tmax < impulseSize) {
    throw OptionError("--tmax",
                      std::to_string(s.tmax) + " is below the etalon length " + std::to_string(impulseSize));
  }
  s.minPulses = seriesMinPulses(s.length, impulseSize, s.tmax);
  s.maxPulses = maxPulsesFor(s.length, impulseSize, s.tmin);
  if (s.maxPulses < s.minPulses) {
    throw OptionError("--length", "no number of pulses fits " + std::to_string(s.length) +
                                      " samples with --tmin " + std::to_string(s.tmin) + " and --tmax " +
                                      std::to_string(s.tmax));
  }
  s.unknown = options.unknown;
  if (options.pulses) {
    if (options.unknown) throw OptionError("--pulses", "cannot be given together with --unknown");
    const std::string range = std::to_string(s.minPulses) + ".." + std::to_string(s.maxPulses);
    if (*options.pulses < s.minPulses || *options.pulses > s.maxPulses) {
      throw OptionError("--pulses",
                        std::to_string(*options.pulses) + " lies outside the admissible range " + range);
    }
    s.pulses = static_cast<uint16_t>(*options.pulses);
    s.pulsesGiven = true;
  } else {
    s.pulses = midpointPulses(s.minPulses, s.maxPulses);
  }
  if (!options.sequence.empty()) s.sequence = etalonList("--sequence", options.sequence);
  s.makingLevel = static_cast<uint16_t>(inRange("--making-level", options.makingLevel, 0, 100));
  s.noise = static_cast<int16_t>(inRange("--noise", options.noise, 0, 32767));
  if (!options.subset.empty()) s.subset = toSubset("--subset", parseNumberList("--subset", options.subset));
  if (s.subset.size() > s.maxPulses) {
    throw OptionError("--subset", "a subset of " + std::to_string(s.subset.size()) +
                                      " entries is longer than " + std::to_string(s.maxPulses) + " pulses");
  }
  s.subsetMode = static_cast<uint16_t>(inRange("--subset-mode", options.subsetMode, 1, 5));
  s.subsetPosition = static_cast<uint16_t>(inRange("--subset-position", options.subsetPosition, 1, 65535));
  if (options.seed < 0 || options.seed > kBatchMaxSeed) {
    throw OptionError("--seed", std::to_string(options.seed) + " lies outside 0.." +
                                    std::to_string(kBatchMaxSeed) +
                                    " (the limit of earlier series made first)");
  }
  s.seed = static_cast<uint32_t>(options.seed);
  return s;
}

ProcessSettings checkProcess(const ProcessOptions& options) {
  ProcessSettings p;
  p.series = checkSeries(options.series);
  static const uint16_t codes[] = {kTaskDetection,        kTaskRecognition,    kTaskJointDetection,
                                   kTaskSeriesProcessing, kTaskTupleDetection, kTaskTupleRecognition};
  const auto& names = taskNames();
  const auto found = std::find(names.begin(), names.end(), options.task);
  if (found == names.end())
    throw OptionError("--task", "unknown task " + quotedValue(options.task) +
                                    " (detection, recognition, joint, series, "
                                    "tuples-detection or tuples-recognition)");
  p.taskType = codes[found - names.begin()];
  const int64_t type = options.seriesType;
  if (type != 1 && type != 2 && type != 4 && type != 8 && type != 36 && type != 40) {
    throw OptionError("--series-type", std::to_string(type) + " is none of 1, 2, 4, 8, 36, 40");
  }
  p.seriesType = static_cast<uint16_t>(type);
  p.effectiveTaskType = effectiveTaskTypeFor(p.taskType, p.seriesType);
  if (options.givenSeries) {
    p.series.unknown = !solverNeedsPulseCount(solverFor(p.effectiveTaskType, p.seriesType));
    if (p.series.unknown && p.series.pulsesGiven) {
      throw OptionError("--pulses", "the solver of series type " + std::to_string(type) +
                                        " finds the number of pulses itself");
    }
  } else if (isUnknownNumberSeries(p.seriesType)) {
    if (p.series.pulsesGiven) {
      throw OptionError("--pulses", "series type " + std::to_string(type) + " draws the number of pulses");
    }
    p.series.unknown = true;
  }
  p.required = etalonList("--required", options.required);
  p.processingLevel = static_cast<uint16_t>(inRange("--processing-level", options.processingLevel, 0, 100));
  if (!options.subsets.empty()) {
    for (const auto& list : parseNumberLists("--subsets", options.subsets)) {
      if (list.size() > p.series.maxPulses) {
        throw OptionError("--subsets", "a subset of " + std::to_string(list.size()) +
                                           " entries is longer than " + std::to_string(p.series.maxPulses) +
                                           " pulses");
      }
      p.subsets.push_back(toSubset("--subsets", list));
    }
  }
  p.proceeding = static_cast<uint16_t>(inRange("--proceeding", options.proceeding, 1, 2));
  if (p.effectiveTaskType == kTaskTupleDetection && p.series.subset.empty()) {
    throw OptionError("--subset", "tuple detection needs the tuple");
  }
  if (p.effectiveTaskType == kTaskTupleRecognition && p.subsets.empty()) {
    throw OptionError("--subsets", "tuple recognition needs the candidate subsets");
  }
  return p;
}

SimulateSettings checkSimulate(const SimulateOptions& options) {
  SimulateSettings m;
  m.process = checkProcess(options.process);
  const SeriesSettings& s = m.process.series;
  const std::string range = std::to_string(s.minPulses) + ".." + std::to_string(s.maxPulses);
  const int64_t from = options.pulsesFrom.value_or(s.minPulses);
  const int64_t to = options.pulsesTo.value_or(s.maxPulses);
  if (from < s.minPulses || from > s.maxPulses) {
    throw OptionError("--pulses-from", std::to_string(from) + " lies outside the admissible range " + range);
  }
  if (to < s.minPulses || to > s.maxPulses) {
    throw OptionError("--pulses-to", std::to_string(to) + " lies outside the admissible range " + range);
  }
  if (to < from)
    throw OptionError("--pulses-to", std::to_string(to) + " is below --pulses-from " + std::to_string(from));
  m.pulsesFrom = static_cast<uint16_t>(from);
  // A step of 0 counts as 1, as in the workbench's simulation set-up.
  m.pulsesStep =
      static_cast<uint16_t>(std::max<int64_t>(1, inRange("--pulses-step", options.pulsesStep, 0, 65535)));
  m.pulseSteps = static_cast<uint16_t>((to - from) / m.pulsesStep + 1);
  m.noiseFirst = static_cast<uint16_t>(inRange("--noise-first", options.noiseFirst, 0, 32767));
  m.noiseSteps = static_cast<uint16_t>(inRange("--noise-steps", options.noiseSteps, 1, 65535));
  m.noiseStep = static_cast<uint16_t>(inRange("--noise-step", options.noiseStep, 0, 32767));
  const int64_t lastLevel = int64_t{m.noiseFirst} + int64_t{m.noiseStep} * (m.noiseSteps - 1);
  if (lastLevel > 32767) {
    throw OptionError("--noise-steps",
                      "the last noise level " + std::to_string(lastLevel) + " exceeds 32767");
  }
  m.repeats = static_cast<int32_t>(inRange("--repeats", options.repeats, 1, 65535));
  m.threads = static_cast<unsigned>(inRange("--threads", options.threads, 0, 256));
  if (options.csvGiven) checkFileName("--csv", options.csv);
  m.csv = options.csv;
  SimulationGrid grid;
  grid.seriesSize = s.length;
  grid.impulseSize = kBatchImpulseSize;
  grid.tmin = s.tmin;
  grid.tmax = s.tmax;
  grid.minPulses = m.pulsesFrom;
  grid.maxPulses = static_cast<uint16_t>(to);
  grid.pulsesIncrement = m.pulsesStep;
  grid.noiseInitialLevel = m.noiseFirst;
  grid.noiseSteps = m.noiseSteps;
  grid.noiseIncrement = m.noiseStep;
  grid.repeats = static_cast<uint16_t>(m.repeats);
  const std::string problem = simulationGridProblem(grid);
  if (!problem.empty()) throw OptionError("simulate", problem);
  return m;
}
