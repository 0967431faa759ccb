#include "batch/commands.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "batch/checked_output.h"
#include "batch/failure_boundary.h"
#include "batch/json_output.h"
#include "batch/subset_tables.h"
#include "batch/workbench_start.h"
#include "processing/chains_header.h"
#include "processing/solver_choice.h"
#include "signal/pulse_bounds.h"
#include "signal/selected_subsets.h"
#include "signal/sequence_random.h"
#include "signal/series_header.h"
#include "signal/task_codes.h"
#include "simulation/simulation_driver.h"
#include "simulation/solver_call.h"

namespace {

// Capacity of the etalon sequence of a run: the workbench starts with 30 entries and grows
// the array to the largest admissible pulse count.
constexpr size_t kSequenceStartCapacity = 30;

// Prints the document; the exit status of the command.
int print(const OrderedJson& doc) {
  const Making making("the JSON document");
  const std::string text = formatDocument(doc);
  return writeStandardOutput(text) && finishStandardOutput() ? kExitOk : kExitFailed;
}

// The sequence a processing run makes its series from. A given --sequence is used as typed
// (the last entry repeated). Without one, the sequence is drawn from the required list as
// " Processing Next Data " draws it, and detection and recognition repeat its first etalon.
std::vector<uint16_t> processSequence(WorkbenchStart& start, const ProcessSettings& p) {
  const SeriesSettings& s = p.series;
  const size_t capacity = std::max<size_t>(kSequenceStartCapacity, s.maxPulses);
  if (!s.sequence.empty()) return extendedSequence(s.sequence, capacity);
  std::vector<uint16_t> sequence(capacity, 1);
  const uint16_t drawn = maxPulsesFor(s.length, kBatchImpulseSize, s.tmin);
  const auto count = static_cast<uint32_t>(p.required.size());
  for (uint16_t k = 0; k < drawn && k < capacity; ++k) {
    const auto r = static_cast<uint32_t>(nextSequenceRandom(start.sequenceState));
    sequence[k] = p.required[(r >> 3) % count];
  }
  if (p.effectiveTaskType == kTaskDetection || p.effectiveTaskType == kTaskRecognition) {
    for (uint16_t k = 1; k < s.maxPulses && k < capacity; ++k) sequence[k] = sequence[0];
  }
  return sequence;
}

struct SolverOutcome {
  SolverRole role;
  int64_t result = 0;
  bool failed = false;
};

SolverOutcome runSolver(WorkbenchStart& start, const ProcessSettings& p, const SubsetTables& subsets) {
  StderrWindow& window = start.window;
  const PulseHeader* alphabet = start.alphabet;
  const auto count = static_cast<uint16_t>(p.required.size());
  const uint16_t* list = p.required.data();
  const uint16_t tmin = p.series.tmin;
  const uint16_t tmax = p.series.tmax;
  const uint16_t level = p.processingLevel;
  const auto tupleSize = static_cast<int32_t>(p.series.subset.size());
  int32_t verboseTuples = 0;
  SolverOutcome outcome{solverFor(p.effectiveTaskType, p.seriesType)};
  const int messagesBefore = window.messageCount();
  SolverCall call;
  call.alphabet = alphabet;
  call.etalonCount = count;
  call.etalons = list;
  call.tupleSize = tupleSize;
  call.tuple = p.series.subset.data();
  call.subsetSizes = subsets.sizes.data();
  call.subsetRows = subsets.rows.data();
  call.subsetCount = subsets.count();
  call.proceeding = p.proceeding;
  call.tmin = tmin;
  call.tmax = tmax;
  call.level = level;
  call.chains = start.chains;
  call.series = start.series;
  call.verboseTuples = &verboseTuples;
  outcome.result = callSolver(window, outcome.role, call);
  // Detectors and the unknown-number pulse recogniser return 0 on failure; the other
  // recognisers return the etalon or subset found.
  const bool zeroIsFailure = outcome.role != SolverRole::kRecognizeFixedPulses &&
                             outcome.role != SolverRole::kRecognizeFixedTuples &&
                             outcome.role != SolverRole::kRecognizeUnfixedTuples;
  outcome.failed = zeroIsFailure && outcome.result == 0;
  // A solver reports memory shortage in a message box; that is a failed run whatever it returned.
  if (window.messageCount() != messagesBefore) outcome.failed = true;
  return outcome;
}

}  // namespace

int runAlphabet(const AlphabetOptions& options) {
  const Making making("the etalons");
  StderrWindow window;
  RandomSeeds seeds;
  PulseHeader alphabet[kAlphabetRecords] = {};
  const auto count = static_cast<uint16_t>(options.count);
  const int built = makePulses(window, static_cast<int16_t>(options.amplitude), count,
                               static_cast<uint16_t>(options.length), alphabet, seeds);
  int status = kExitFailed;
  try {
    if (built == 1) {
      const Making making("the JSON document");
      status = print(alphabetJson(alphabet, count));
    }
  } catch (...) {
    freePulses(alphabet, kAlphabetRecords);
    throw;
  }
  freePulses(alphabet, kAlphabetRecords);
  return status;
}

int runSeries(const SeriesSettings& settings) {
  const Making making("the series");
  WorkbenchStart start;
  if (!start.ready || !prepareSeriesHeader(start, settings)) return kExitFailed;
  if (!settings.subset.empty()) {
    setSubset(start.window, settings.subset.data(), static_cast<int32_t>(settings.subset.size()),
              settings.subsetMode, settings.subsetPosition, start.series);
  }
  const std::vector<uint16_t> given =
      settings.sequence.empty() ? std::vector<uint16_t>{1} : settings.sequence;
  std::vector<uint16_t> sequence =
      extendedSequence(given, std::max<size_t>(kSequenceStartCapacity, settings.maxPulses));
  if (!makeNoisySeries(start, settings, sequence)) return kExitFailed;
  const Making json("the JSON document");
  OrderedJson doc;
  addSeriesJson(doc, *start.series);
  return print(doc);
}

int runProcess(const ProcessSettings& p) {
  const Making making("the series");
  WorkbenchStart start;
  if (!start.ready || !prepareSeriesHeader(start, p.series)) return kExitFailed;
  const SubsetTables subsets(p.subsets);
  if (!applySubsets(start.window, p, subsets, start.series)) return kExitFailed;
  const Making solving("the solver's answer");
  std::vector<uint16_t> sequence = processSequence(start, p);
  if (!makeNoisySeries(start, p.series, sequence)) return kExitFailed;
  const auto chainPulses =
      static_cast<uint16_t>(std::max<size_t>(kSequenceStartCapacity, start.series->wMaxPulses));
  const int messagesBefore = start.window.messageCount();
  start.chains = getChainsHeader(start.window, kBatchChainsCapacity, chainPulses, start.chains);
  if (start.chains == nullptr) {
    saidWhyNot(start.window, messagesBefore, "the chains");
    return kExitFailed;
  }

  const SolverOutcome outcome = runSolver(start, p, subsets);
  if (outcome.failed) {
    std::fprintf(stderr, "detection-batch: %s failed\n", solverRoleName(outcome.role));
    return kExitFailed;
  }
  const int messagesBeforeRanking = start.window.messageCount();
  if (addToChainsHeader(start.window, p.seriesType, p.effectiveTaskType, p.series.makingLevel,
                        p.processingLevel, start.chains) == 0) {
    saidWhyNot(start.window, messagesBeforeRanking, "the ranked chains");
    return kExitFailed;
  }
  const Making json("the JSON document");
  OrderedJson doc;
  doc["solver"] = solverRoleName(outcome.role);
  doc["solverResult"] = outcome.result;
  addSeriesJson(doc, *start.series);
  addRestoredJson(doc, *start.series);
  addChainsJson(doc, *start.chains);
  return print(doc);
}
