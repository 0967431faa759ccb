#include "batch/workbench_runs.h"

#include <algorithm>

#include "batch/failure_boundary.h"
#include "batch/subset_tables.h"
#include "batch/workbench_start.h"
#include "processing/chains_header.h"
#include "signal/pulse_alphabet.h"
#include "signal/pulse_bounds.h"
#include "signal/pulse_header.h"
#include "signal/random_seeds.h"
#include "signal/selected_subsets.h"
#include "signal/sequence_random.h"
#include "signal/series_header.h"
#include "signal/series_maker.h"
#include "signal/task_codes.h"
#include "simulation/rest_err_header.h"
#include "simulation/solver_call.h"

namespace {

// Capacity of the etalon sequence of a run: the workbench starts with 30 entries and grows
// the array to the largest admissible pulse count.
constexpr size_t kSequenceStartCapacity = 30;

// The sequence a processing run makes its series from. A given sequence is used as typed
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

// Runs the solver of the task and series type on the series of the workbench with the given
// alphabet, stamps the chains and puts the solver, its result, the answer and the chains in doc.
RunOutcome solveInto(WorkbenchStart& start, const ProcessSettings& p, const SubsetTables& subsets,
                     const PulseHeader* alphabet, OrderedJson& doc) {
  StderrWindow& window = start.window;
  const auto chainPulses =
      static_cast<uint16_t>(std::max<size_t>(kSequenceStartCapacity, start.series->wMaxPulses));
  const int messagesBeforeChains = window.messageCount();
  start.chains = getChainsHeader(window, kBatchChainsCapacity, chainPulses, start.chains);
  if (start.chains == nullptr) {
    saidWhyNot(window, messagesBeforeChains, "the chains");
    return {};
  }

  const SolverRole role = solverForSeries(p.effectiveTaskType, p.seriesType, start.series->wImpulseQuantity);
  int32_t verboseTuples = 0;
  const int messagesBefore = window.messageCount();
  SolverCall call;
  call.alphabet = alphabet;
  call.etalonCount = static_cast<uint16_t>(p.required.size());
  call.etalons = p.required.data();
  call.tupleSize = static_cast<int32_t>(p.series.subset.size());
  call.tuple = p.series.subset.data();
  call.subsetSizes = subsets.sizes.data();
  call.subsetRows = subsets.rows.data();
  call.subsetCount = subsets.count();
  call.proceeding = p.proceeding;
  call.tmin = p.series.tmin;
  call.tmax = p.series.tmax;
  call.level = p.processingLevel;
  call.chains = start.chains;
  call.series = start.series;
  call.verboseTuples = &verboseTuples;
  const int32_t result = callSolver(window, role, call);
  // Detectors and the unknown-number pulse recogniser return 0 on failure; the other
  // recognisers return the etalon or subset found.
  const bool zeroIsFailure = role != SolverRole::kRecognizeFixedPulses &&
                             role != SolverRole::kRecognizeFixedTuples &&
                             role != SolverRole::kRecognizeUnfixedTuples;
  // A solver reports memory shortage in a message box; that is a failed run whatever it returned.
  if ((zeroIsFailure && result == 0) || window.messageCount() != messagesBefore) {
    return {false, std::string(solverRoleName(role)) + " failed"};
  }
  const int messagesBeforeRanking = window.messageCount();
  if (addToChainsHeader(window, p.seriesType, p.effectiveTaskType, p.series.makingLevel, p.processingLevel,
                        start.chains) == 0) {
    saidWhyNot(window, messagesBeforeRanking, "the ranked chains");
    return {};
  }
  doc["solver"] = solverRoleName(role);
  doc["solverResult"] = result;
  return {true, {}};
}

void checkEtalonNumber(const std::string& option, int64_t number, size_t available) {
  if (number < 1 || static_cast<size_t>(number) > available) {
    throw OptionError(option, "etalon " + std::to_string(number) + " is not among the " +
                                  std::to_string(available) + " etalons of the run");
  }
}

}  // namespace

RunOutcome alphabetRun(Window& window, const AlphabetOptions& options, OrderedJson& doc) {
  RandomSeeds seeds;
  PulseHeader alphabet[kAlphabetRecords] = {};
  const auto count = static_cast<uint16_t>(options.count);
  const int built = makePulses(window, static_cast<int16_t>(options.amplitude), count,
                               static_cast<uint16_t>(options.length), alphabet, seeds);
  if (built == 1) doc = alphabetJson(alphabet, count);
  freePulses(alphabet, kAlphabetRecords);
  return {built == 1, {}};
}

namespace {

// One series of the settings, made as seriesRun makes it; false after a message.
bool makeGivenSequenceSeries(WorkbenchStart& start, const SeriesSettings& settings) {
  if (!start.ready || !prepareSeriesHeader(start, settings)) return false;
  if (!settings.subset.empty()) {
    setSubset(start.window, settings.subset.data(), static_cast<int32_t>(settings.subset.size()),
              settings.subsetMode, settings.subsetPosition, start.series);
  }
  const std::vector<uint16_t> given =
      settings.sequence.empty() ? std::vector<uint16_t>{1} : settings.sequence;
  std::vector<uint16_t> sequence =
      extendedSequence(given, std::max<size_t>(kSequenceStartCapacity, settings.maxPulses));
  return makeNoisySeries(start, settings, sequence);
}

// One series of a processing run, its sequence drawn as processRun draws it; false after a
// message.
bool makeProcessSeries(WorkbenchStart& start, const ProcessSettings& p, const SubsetTables& subsets) {
  if (!start.ready || !prepareSeriesHeader(start, p.series)) return false;
  if (!applySubsets(start.window, p, subsets, start.series)) return false;
  std::vector<uint16_t> sequence = processSequence(start, p);
  return makeNoisySeries(start, p.series, sequence);
}

}  // namespace

RunOutcome seriesRun(WorkbenchStart& start, const SeriesSettings& settings, OrderedJson& doc) {
  // --seed N: N series first, as N earlier calls on this workbench would make them.
  for (uint32_t k = 0; k <= settings.seed; ++k) {
    if (!makeGivenSequenceSeries(start, settings)) return {};
  }
  const Making json("the JSON document");
  addSeriesJson(doc, *start.series);
  return {true, {}};
}

RunOutcome processRun(WorkbenchStart& start, const ProcessSettings& p, OrderedJson& doc) {
  const SubsetTables subsets(p.subsets);
  const Making solving("the solver's answer");
  // --seed N: N series first, as N earlier runs on this workbench would make them (the solver
  // draws nothing, so they need not be solved).
  for (uint32_t k = 0; k <= p.series.seed; ++k) {
    if (!makeProcessSeries(start, p, subsets)) return {};
  }
  OrderedJson answer;
  RunOutcome outcome = solveInto(start, p, subsets, start.alphabet, answer);
  if (!outcome.ok) return outcome;
  doc["solver"] = answer["solver"];
  doc["solverResult"] = answer["solverResult"];
  addSeriesJson(doc, *start.series);
  addRestoredJson(doc, *start.series);
  addChainsJson(doc, *start.chains);
  return outcome;
}

void checkGivenEtalons(const ProcessSettings& p, size_t etalonCount, size_t etalonLength) {
  const size_t available = etalonCount > 0 && etalonLength != kBatchImpulseSize ? etalonCount : kBatchEtalons;
  for (uint16_t e : p.required) checkEtalonNumber("--required", e, available);
  for (int32_t e : p.series.subset) checkEtalonNumber("--subset", e, available);
  for (const auto& list : p.subsets)
    for (int32_t e : list) checkEtalonNumber("--subsets", e, available);
}

RunOutcome givenDataRun(WorkbenchStart& start, const ProcessSettings& p, const GivenData& data,
                        OrderedJson& doc) {
  if (!start.ready) return {};
  const SeriesSettings& s = p.series;
  if (data.series.size() != s.length || (data.etalonCount > 0 && data.etalonLength != s.impulseSize) ||
      data.etalons.size() != data.etalonCount * data.etalonLength || data.etalonCount > kBatchEtalons) {
    return {false, "the given data do not match the run's settings"};
  }
  // The run's alphabet: the built-in etalons with the given ones in place of the first; given
  // etalons of another length stand alone.
  const bool alone = data.etalonCount > 0 && data.etalonLength != kBatchImpulseSize;
  const uint16_t etalons = alone ? static_cast<uint16_t>(data.etalonCount) : kBatchEtalons;
  std::vector<int16_t> rows(data.etalons);
  PulseHeader alphabet[kAlphabetRecords] = {};
  for (uint16_t i = 0; i < etalons; ++i) {
    if (i < data.etalonCount) {
      alphabet[i].wReservedSize = alphabet[i].wSize = static_cast<uint16_t>(data.etalonLength);
      alphabet[i].wNumber = static_cast<uint16_t>(i + 1);
      alphabet[i].lpData = rows.data() + i * data.etalonLength;
    } else {
      alphabet[i] = start.alphabet[i];  // shares the samples; nothing here releases them
    }
  }
  start.series =
      getCutOffSeriesHeader(start.window, etalons, s.impulseSize, s.tmin, s.tmax, s.length, start.series);
  if (start.series == nullptr) return {};
  const SubsetTables subsets(p.subsets);
  if (!applySubsets(start.window, p, subsets, start.series)) return {};
  if (setGivenSeries(start.window, data.series.data(), s.length, etalons, alphabet, s.impulseSize, s.tmin,
                     s.tmax, s.unknown ? uint16_t{0} : s.pulses, start.series) == 0) {
    return {};
  }
  OrderedJson answer;
  RunOutcome outcome = solveInto(start, p, subsets, alphabet, answer);
  // The series header must not keep pointers into this run's etalons.
  for (uint16_t i = 0; i < start.series->wReservedEtalons; ++i) start.series->lpPulsesList[i] = nullptr;
  start.series->lpFirstPulse = nullptr;
  if (!outcome.ok) return outcome;
  doc["solver"] = answer["solver"];
  doc["solverResult"] = answer["solverResult"];
  addSeriesSizesJson(doc, *start.series);
  addRestoredJson(doc, *start.series);
  addChainsJson(doc, *start.chains);
  return outcome;
}

RunOutcome simulationRun(WorkbenchStart& start, const SimulateSettings& m, SimulationSettings how,
                         SimulationTimes* timesOut) {
  const ProcessSettings& p = m.process;
  if (!start.ready || !prepareSeriesHeader(start, p.series)) return {};
  const SubsetTables subsets(p.subsets);
  if (!applySubsets(start.window, p, subsets, start.series)) return {};
  const int messagesBefore = start.window.messageCount();
  start.errors = getRestErrHeader(start.window, m.pulseSteps, m.noiseSteps, m.repeats, start.errors);
  if (start.errors == nullptr ||
      initRestErrHeader(start.window, m.pulseSteps, m.pulsesFrom, m.pulsesStep, m.noiseSteps, m.noiseFirst,
                        m.noiseStep, m.repeats, start.errors) == 0) {
    saidWhyNot(start.window, messagesBefore, "the error tables");
    return {};
  }
  how.wAmplitude = kBatchAmplitude;
  how.subsetProceeding = p.proceeding;
  how.workerThreads = m.threads;
  how.solvers = nullptr;
  SimulationTimes times;
  const int complete = statCutoffTrawling(start.window, start.errors, kBatchEtalons, start.alphabet,
                                          static_cast<uint16_t>(p.required.size()), p.required.data(),
                                          p.seriesType, p.effectiveTaskType, p.series.makingLevel,
                                          p.processingLevel, start.series, start.seeds, times, how);
  if (timesOut != nullptr) *timesOut = times;
  // A run of some cells only (a shard) leaves the grid incomplete by design.
  const bool whole = !how.computeCell;
  if (complete != 1 || (whole && start.errors->ifComplete != 1))
    return {false, "the simulation did not complete"};
  return {true, {}};
}
