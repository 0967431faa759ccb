#include "simulation/simulation_driver.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/message_recorder.h"
#include "platform/message_sink.h"
#include "processing/chains_header.h"
#include "processing/solver_choice.h"
#include "signal/memory_failure.h"
#include "signal/pulse_bounds.h"
#include "signal/pulse_header.h"
#include "signal/random_seeds.h"
#include "signal/random_source.h"
#include "signal/series_header.h"
#include "signal/series_maker.h"
#include "signal/task_codes.h"
#include "simulation/rest_err_header.h"
#include "simulation/series_copy.h"
#include "simulation/simulation_grid.h"
#include "simulation/solver_call.h"
#include "simulation/trial_measures.h"
#include "simulation/worker_pool.h"

static const char* const kDriverCaption = "statCutoffTrawling";

int64_t combinationStep(int32_t repeats, uint16_t pulses) {
  if (pulses >= 31) return 0;
  return (int64_t{repeats} * pulses) >> pulses;
}

namespace {

// One trial of a batch: everything its series is made from (the working sequence after the
// subset was imposed, the seeds at the trial's start, the current subset), its private series,
// its answers.
struct TrialSlot {
  SeriesHeader* series = nullptr;
  std::vector<uint16_t> sequence;
  uint16_t subsetNumber = 0;
  RandomSeeds seeds;
  std::vector<int16_t> subset;  // the run header's subset table at the trial
  uint16_t subsetSize = 0;
  uint16_t subsetMode = 0;
  uint16_t subsetPosition = 0;
  bool made = false;
  MessageRecorder window;  // the maker's and the solver's message boxes, shown later in trial order
  int64_t restoring = 0;
  int64_t position = 0;
  int32_t recognized = 0;
};

// A batch of consecutive trials of one cell.
struct Batch {
  uint16_t pulseIndex = 0;  // j
  uint16_t levelIndex = 0;  // k
  uint32_t first = 0;       // first trial of the batch within its cell
  uint32_t count = 0;
  bool computed = true;  // false: the cell is left to another shard; its trials are only planned
};

// The slots of one batch: while the trials of one bank are made and solved, the next batch is
// planned in the other.
struct Bank {
  std::vector<std::unique_ptr<TrialSlot>> slots;
  Batch batch;
};

// What a worker thread owns while it solves.
struct Worker {
  ChainsHeader* chains = nullptr;
  int32_t verboseTuples = 0;  // the simulation never asks for the tuple dumps
};

struct Run {
  Run(MessageSink& w, RestErrHeader& e, SeriesHeader*& h, RandomSeeds& rs, const SimulationSettings& st,
      const SimulationSolvers& sv)
      : window(w), errors(e), series(h), seeds(rs), settings(st), solvers(sv) {}
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

  MessageSink& window;
  RestErrHeader& errors;
  SeriesHeader*& series;
  RandomSeeds& seeds;
  const SimulationSettings& settings;
  const SimulationSolvers& solvers;
  uint16_t alphabetSize = 0;
  PulseHeader* alphabet = nullptr;
  uint16_t n = 0;
  const uint16_t* required = nullptr;
  uint16_t taskType = 0;
  uint16_t processingLevel = 0;
  uint16_t makingLevel = 0;
  SolverRole role = SolverRole::kDetectFixedPulses;
  uint32_t size = 0;
  uint16_t tmin = 0;
  uint16_t tmax = 0;
  uint16_t maxPulses = 0;
  uint16_t length = 0;
  uint16_t repeats = 0;
  UniformJump noiseJump;  // the draws of addNoise for one series

  std::vector<uint16_t> counters;
  std::vector<uint16_t> sequence;
  std::vector<int32_t> currentSubset;
  std::vector<int32_t> subsetSizes;
  std::vector<std::vector<int32_t>> subsetRows;
  std::vector<const int32_t*> subsetRowTable;
  std::vector<Worker> workers;
  Bank banks[2];

  // Schedule of the current cell.
  int64_t step = 0;       // D
  int64_t threshold = 0;  // E
  uint16_t subsetNumber = 0;

  ~Run() {
    for (Worker& w : workers) freeChainsHeader(window, w.chains);
    for (Bank& bank : banks) {
      for (auto& slot : bank.slots) freeSeriesHeader(window, slot->series);
    }
  }
};

std::string describeTrial(const char* what, uint32_t trial, int16_t pulses, int16_t level) {
  char text[200];
  std::snprintf(text, sizeof text, "%s in trial %u (pulse count %d, noise level %d); the simulation stops.",
                what, trial + 1, pulses, level);
  return text;
}

// Refuses what the run cannot simulate; empty when it can.
std::string runProblem(const Run& r, const SeriesHeader* series) {
  if (series == nullptr) return "Absence of SeriesHeader!";
  if (r.alphabet == nullptr || r.required == nullptr || r.n == 0) return "The required list is empty.";
  for (uint16_t i = 0; i < r.n; ++i) {
    if (r.required[i] < 1 || r.required[i] > r.alphabetSize) {
      return "The required list names an etalon outside the alphabet.";
    }
  }
  const SimulationSolvers& s = r.solvers;
  const bool solverGiven[] = {s.detectFixedPulses != nullptr,    s.detectUnfixedPulses != nullptr,
                              s.recognizeFixedPulses != nullptr, s.recognizeUnfixedPulses != nullptr,
                              s.detectFixedTuples != nullptr,    s.detectUnfixedTuples != nullptr,
                              s.recognizeFixedTuples != nullptr, s.recognizeUnfixedTuples != nullptr};
  if (!solverGiven[static_cast<int>(r.role)])
    return std::string("No solver is given for ") + solverRoleName(r.role) + ".";
  const RestErrHeader& e = r.errors;
  if (e.wVariousPulses == 0 || e.wNoiseLevels == 0) return "The simulation grid is empty.";
  if (e.repeats < 1 || e.repeats > 65535) return "The number of repeats must lie in 1..65535.";
  const uint16_t length = r.alphabet[r.required[0] - 1].wSize;
  std::string problem = seriesShapeProblem(series->dwSeriesSize, length, series->wTmin, series->wTmax);
  if (!problem.empty()) return problem;
  for (uint16_t j = 0; j < e.wVariousPulses; ++j) {
    const int16_t q = e.wPulseValues[j];
    problem = pulseCountProblem(series->dwSeriesSize, length, series->wTmin, series->wTmax,
                                static_cast<uint16_t>(q < 0 ? 0 : q));
    if (!problem.empty()) return problem;
  }
  return {};
}

// Copies selected subset number s (1-based) into the series as its current subset.
void imposeSelectedSubset(Run& r, uint16_t s) {
  SeriesHeader& h = *r.series;
  const std::vector<int32_t>& row = r.subsetRows[s - 1u];
  const size_t count = std::min<size_t>(row.size(), h.wPulsesCapacity);
  for (size_t i = 0; i < count; ++i) h.lpSubset[i] = static_cast<int16_t>(row[i]);
  h.wSubsetSize = static_cast<uint16_t>(count);
}

void setUpCell(Run& r, uint16_t pulses) {
  const int64_t repeats = r.repeats;
  switch (r.taskType) {
    case kTaskDetection:
      r.series->wSubsetSize = 0;
      break;
    case kTaskRecognition:
      r.step = (r.n + 2 * repeats) / (2 * int64_t{r.n});
      r.series->wSubsetSize = 0;
      break;
    case kTaskTupleDetection:
      r.step = repeats;
      break;
    case kTaskTupleRecognition: {
      const int64_t count = static_cast<int64_t>(r.subsetRows.size());
      r.subsetNumber = 1;
      r.step = (count + 2 * repeats) / (2 * count);
      imposeSelectedSubset(r, 1);
      break;
    }
    case kTaskJointDetection:
    case kTaskSeriesProcessing:
      r.step = combinationStep(r.repeats, pulses);
      break;
    default:
      break;
  }
  r.threshold = r.step;
  for (uint16_t m = 0; m < pulses; ++m) {
    r.counters[m] = 1;
    r.sequence[m] = r.required[0];
  }
}

// Changes the working sequence (or the subset) before trial l when the schedule says so.
void changeSequence(Run& r, uint32_t l, uint16_t pulses) {
  if (r.taskType == kTaskRecognition && l >= r.threshold) {
    for (size_t m = 0; m < r.counters.size(); ++m) {
      r.counters[m] = r.counters[m] >= r.n ? uint16_t{1} : static_cast<uint16_t>(r.counters[m] + 1);
      r.sequence[m] = r.required[r.counters[m] - 1u];
    }
    r.threshold += r.step;
  } else if (r.taskType == kTaskJointDetection && int64_t{l} * pulses >= r.threshold) {
    r.threshold += r.step;
    // An odometer over the first Q counters, counter 0 turning fastest.
    uint16_t i = 0;
    ++r.counters[0];
    while (r.counters[i] > r.n) {
      r.counters[i] = 1;
      if (++i >= pulses) break;
      ++r.counters[i];
    }
    for (uint16_t m = 0; m < pulses; ++m) r.sequence[m] = r.required[r.counters[m] - 1u];
  } else if (r.taskType == kTaskTupleRecognition && l >= r.threshold) {
    const size_t count = r.subsetRows.size();
    r.subsetNumber = r.subsetNumber >= count ? uint16_t{1} : static_cast<uint16_t>(r.subsetNumber + 1);
    imposeSelectedSubset(r, r.subsetNumber);
    r.threshold += r.step;
  }
}

// Plans trial l: moves the schedule on, records in the slot what the trial's series is made
// from, and advances the run's seeds past everything the series and its noise draw. The seeds
// of origins, cuts and noise jump without making the series; the subset draws are replayed on
// the working sequence. With a null slot the trial is only passed over.
void planTrial(Run& r, uint32_t l, uint16_t pulses, TrialSlot* slot) {
  changeSequence(r, l, pulses);
  if (slot != nullptr) slot->seeds = r.seeds;
  prepareEtalonSequence(*r.series, r.alphabetSize, pulses, r.sequence.data(), r.seeds);
  skipSeriesDraws(pulses, r.seeds);
  r.seeds.seedNoise = r.noiseJump(r.seeds.seedNoise);
  if (slot == nullptr) return;
  const SeriesHeader& h = *r.series;
  slot->sequence.assign(r.sequence.begin(), r.sequence.end());
  slot->subsetNumber = r.subsetNumber;
  slot->subsetSize = h.wSubsetSize;
  slot->subsetMode = h.wSubsetMode;
  slot->subsetPosition = h.wSubsetPosition;
  slot->subset.assign(h.lpSubset, h.lpSubset + h.wPulsesCapacity);
}

// Plans every trial of a batch, in trial order.
void planBatch(Run& r, Bank& bank, const Batch& batch) {
  bank.batch = batch;
  const uint16_t pulses = static_cast<uint16_t>(r.errors.wPulseValues[batch.pulseIndex]);
  if (batch.first == 0) setUpCell(r, pulses);
  for (uint32_t i = 0; i < batch.count; ++i)
    planTrial(r, batch.first + i, pulses, batch.computed ? bank.slots[i].get() : nullptr);
}

// Makes the planned series of a trial in its slot, with its noise. The subset was imposed on
// the planned sequence already, so the slot's header carries no subset while the series is
// made; afterwards it gets the run header's subset as the solver must see it. False when the
// series could not be made: the reasons are then in the slot's window.
bool makeTrial(const Run& r, TrialSlot& slot, uint16_t pulses, int16_t level, uint32_t trial) {
  slot.window.clear();
  slot.made = false;
  RandomSeeds seeds = slot.seeds;
  if (slot.series != nullptr) slot.series->wSubsetSize = 0;
  slot.series =
      getCutOffSeries(slot.window, r.alphabetSize, r.alphabet, r.length, r.tmin, r.tmax, r.size, pulses,
                      slot.sequence.data(), r.settings.wAmplitude, r.makingLevel, slot.series, seeds);
  if (slot.series == nullptr || !slot.window.messages().empty()) {
    slot.window.messageBox(
        describeTrial("The series could not be made", trial, static_cast<int16_t>(pulses), level),
        kDriverCaption, kMbOk | kMbIconWarning);
    return false;
  }
  addNoise(slot.window, level, r.settings.wAmplitude, slot.series, seeds.seedNoise);
  SeriesHeader& h = *slot.series;
  h.wSubsetSize = std::min(slot.subsetSize, h.wPulsesCapacity);
  h.wSubsetMode = slot.subsetMode;
  h.wSubsetPosition = slot.subsetPosition;
  const size_t entries = std::min<size_t>(slot.subset.size(), h.wPulsesCapacity);
  std::copy(slot.subset.begin(), slot.subset.begin() + static_cast<std::ptrdiff_t>(entries), h.lpSubset);
  slot.made = true;
  return true;
}

// The batch after the given one (cells in order: pulse counts outer, levels inner); false after
// the last.
bool cellComputed(const Run& r, uint16_t pulseIndex, uint16_t levelIndex) {
  const uint32_t cell = uint32_t{pulseIndex} * r.errors.wNoiseLevels + levelIndex;
  return !r.settings.computeCell || r.settings.computeCell(cell);
}

// Sizes a batch that starts at next.first of its cell.
void sizeBatch(const Run& r, uint32_t batchSize, Batch& next) {
  next.computed = cellComputed(r, next.pulseIndex, next.levelIndex);
  // A passed-over cell is planned in one piece: it needs no slots.
  next.count = next.computed ? std::min(batchSize, r.repeats - next.first) : r.repeats - next.first;
}

bool nextBatch(const Run& r, const Batch& b, uint32_t batchSize, Batch& next) {
  next = b;
  next.first = b.first + b.count;
  if (next.first >= r.repeats) {
    next.first = 0;
    if (++next.levelIndex >= r.errors.wNoiseLevels) {
      next.levelIndex = 0;
      if (++next.pulseIndex >= r.errors.wVariousPulses) return false;
    }
  }
  sizeBatch(r, batchSize, next);
  return true;
}

void solveTrial(const Run& r, TrialSlot& slot, Worker& worker, uint16_t pulses) {
  MessageSink& w = slot.window;
  SeriesHeader* h = slot.series;
  ChainsHeader* c = worker.chains;
  SolverCall call;
  call.alphabet = r.alphabet;
  call.etalonCount = r.n;
  // The known-number detector takes the required list, every other pulse solver the
  // working sequence of the trial.
  call.etalons = r.role == SolverRole::kDetectFixedPulses ? r.required : slot.sequence.data();
  call.tupleSize = static_cast<int32_t>(r.currentSubset.size());
  call.tuple = r.currentSubset.data();
  call.subsetSizes = r.subsetSizes.data();
  call.subsetRows = r.subsetRowTable.data();
  call.subsetCount = static_cast<int32_t>(r.subsetRowTable.size());
  call.proceeding = r.settings.subsetProceeding;
  call.tmin = r.tmin;
  call.tmax = r.tmax;
  call.level = r.processingLevel;
  call.chains = c;
  call.series = h;
  call.verboseTuples = &worker.verboseTuples;
  const int32_t result = callSolver(w, r.role, call, r.solvers);
  // Only the recognisers' answer is kept for the recognition measure.
  const bool recognizer =
      r.role == SolverRole::kRecognizeFixedPulses || r.role == SolverRole::kRecognizeUnfixedPulses ||
      r.role == SolverRole::kRecognizeFixedTuples || r.role == SolverRole::kRecognizeUnfixedTuples;
  const int32_t recognized = recognizer ? result : 0;
  worker.verboseTuples = 0;
  slot.recognized = recognized;
  slot.restoring = restoringError(*h);
  slot.position =
      scaledPositionError(pulses, c->wSeekingPulsesQuantity, h->lpPositions, h->lpRestoredPositions);
}

// Prepares the working state of a run: a stamped chains header per worker, the error header's
// stamp, the counters and the working sequence, the subset copies of the tuple tasks and two banks
// of private series. False after a message.
bool setUp(Run& r, uint16_t seriesType, unsigned workerCount, uint32_t slotCount) {
  const char* const chainsCaption = " About ChainsHeader ";
  r.workers.resize(workerCount);
  for (Worker& w : r.workers) {
    w.chains = getChainsHeader(r.window, 10, r.maxPulses, nullptr);
    if (w.chains == nullptr) {
      r.window.messageBox("Error getChainsHeader!", chainsCaption, kMbOk);
      return false;
    }
    if (addToChainsHeader(r.window, seriesType, r.taskType, r.makingLevel, r.processingLevel, w.chains) ==
        0) {
      r.window.messageBox("Error addToChainsHeader!", chainsCaption, kMbOk);
      return false;
    }
  }
  if (addInitRestErrHeader(r.window, seriesType, r.taskType, r.makingLevel, r.processingLevel, &r.errors) ==
      0) {
    r.window.messageBox("Ошибка addInitRestErrHeader!", " About RestoreErrorHeader ", kMbOk);
    return false;
  }
  // The working sequence is read as an etalon list of n entries too, so it holds at least n.
  const size_t sequenceLength = std::max<size_t>(r.maxPulses, r.n);
  if (!allocatedOrSaid(r.window, "Ошибка lpEtalonNumbersList!", " About statCutoffTrawling ", kMbOk, [&] {
        r.counters.assign(sequenceLength, 1);
        r.sequence.assign(sequenceLength, 1);
      }))
    return false;
  if (r.taskType == kTaskTupleDetection || r.taskType == kTaskTupleRecognition) {
    const char* const subsetCaption = " About selectedSubset ";
    const SeriesHeader& h = *r.series;
    if (h.wSubsetSize == 0 || (r.taskType == kTaskTupleRecognition && h.wSelectedSubsets == 0)) {
      r.window.messageBox("Error: selected Subset is absence!", subsetCaption, kMbOk);
      return false;
    }
    if (!allocatedOrSaid(r.window, "Ошибка selectedSubset!", subsetCaption, kMbOk, [&] {
          r.currentSubset.assign(h.lpSubset, h.lpSubset + h.wSubsetSize);
          if (r.taskType == kTaskTupleRecognition) {
            for (uint16_t i = 0; i < h.wSelectedSubsets; ++i) {
              const int16_t size = std::max<int16_t>(h.selectedSubsetSize[i], 0);
              r.subsetSizes.push_back(size);
              r.subsetRows.emplace_back(h.selectedSubsetList[i], h.selectedSubsetList[i] + size);
            }
            for (const auto& row : r.subsetRows) r.subsetRowTable.push_back(row.data());
          }
        }))
      return false;
  }
  // Every trial's subset is imposed on the run's header as it stands once prepared for the run.
  r.series = getCutOffSeriesHeader(r.window, r.alphabetSize, r.length, r.tmin, r.tmax, r.size, r.series);
  if (r.series == nullptr) {
    r.window.messageBox("Не могу выделить память для lpSeriesHeader!", " getCutOffSeries ", kMbIconWarning);
    const int16_t pulses = r.errors.wPulseValues[0];
    r.window.messageBox(describeTrial("The series could not be made", 0, pulses, r.errors.lpNoiseLevel[0]),
                        kDriverCaption, kMbOk | kMbIconWarning);
    return false;
  }
  r.noiseJump = UniformJump(noiseDraws(r.size));
  for (Bank& bank : r.banks) {
    for (uint32_t i = 0; i < slotCount; ++i) {
      bank.slots.push_back(std::make_unique<TrialSlot>());
      bank.slots.back()->series =
          getCutOffSeriesHeader(r.window, r.alphabetSize, r.length, r.tmin, r.tmax, r.size, nullptr);
      if (bank.slots.back()->series == nullptr) return false;
    }
  }
  return true;
}

// Runs every cell; false when the run ended early (after a message, or on a stop request).
// The trials of a batch are planned while the previous batch is made and solved; trials are
// planned, and measured, in trial order whatever the number of workers.
bool runCells(Run& r, WorkerPool& pool) {
  RestErrHeader& e = r.errors;
  uint32_t cells = 0;
  for (uint16_t j = 0; j < e.wVariousPulses; ++j) {
    for (uint16_t k = 0; k < e.wNoiseLevels; ++k) cells += cellComputed(r, j, k) ? 1 : 0;
  }
  const uint32_t batchSize = static_cast<uint32_t>(r.banks[0].slots.size());
  uint32_t done = 0;
  int64_t restoringSum = 0;
  int64_t positionSum = 0;
  int32_t mismatches = 0;
  const SeriesHeader* lastSeries = nullptr;
  Bank* current = &r.banks[0];
  Bank* following = &r.banks[1];
  Batch first{0, 0, 0, 0, true};
  sizeBatch(r, batchSize, first);
  planBatch(r, *current, first);
  for (;;) {
    const Batch batch = current->batch;
    const uint16_t pulses = static_cast<uint16_t>(e.wPulseValues[batch.pulseIndex]);
    const int16_t level = e.lpNoiseLevel[batch.levelIndex];
    Batch next;
    const bool more = nextBatch(r, batch, batchSize, next);
    if (!batch.computed) {
      if (!more) break;
      planBatch(r, *following, next);
      std::swap(current, following);
      continue;
    }
    const uint32_t ahead = more ? 1 : 0;  // task 0 plans the next batch
    pool.run(batch.count + ahead, [&](uint32_t i, unsigned w) {
      if (i < ahead) {
        planBatch(r, *following, next);
        return;
      }
      TrialSlot& slot = *current->slots[i - ahead];
      if (makeTrial(r, slot, pulses, level, batch.first + i - ahead))
        solveTrial(r, slot, r.workers[w], pulses);
    });
    for (uint32_t i = 0; i < batch.count; ++i) {
      TrialSlot& slot = *current->slots[i];
      if (!slot.made) {
        slot.window.replay(r.window);
        return false;
      }
      if (!slot.window.messages().empty()) {
        slot.window.replay(r.window);
        r.window.messageBox(
            describeTrial("The solver failed", batch.first + i, static_cast<int16_t>(pulses), level),
            kDriverCaption, kMbOk | kMbIconWarning);
        return false;
      }
      restoringSum += slot.restoring;
      positionSum += slot.position;
      if (r.taskType == kTaskTupleRecognition && slot.recognized != slot.subsetNumber) ++mismatches;
    }
    lastSeries = current->slots[batch.count - 1]->series;
    if (batch.first + batch.count >= r.repeats) {
      const uint16_t j = batch.pulseIndex;
      const uint16_t k = batch.levelIndex;
      e.lpErrors[k][j] = meanRestoringError(restoringSum, r.repeats);
      e.lpRecognitionErrors[k][j] = mismatches;
      e.lpSpareErrors1[k][j] = 0;
      e.lpSpareErrors2[k][j] = 0;
      e.lpFragmentErrors[k][j] = cellPositionError(positionSum);
      e.lpReservedErrors[k][j] = 0;
      restoringSum = 0;
      positionSum = 0;
      mismatches = 0;
      ++done;
      if (r.settings.progress) r.settings.progress(done, cells);
      if (done < cells && r.settings.stopRequested && r.settings.stopRequested()) return false;
    }
    if (!more) break;
    std::swap(current, following);
  }
  // The header ends with the last trial's series and the solver's answer to it.
  if (lastSeries != nullptr) copySeriesContents(*lastSeries, *r.series);
  return true;
}

}  // namespace

int statCutoffTrawling(MessageSink& window, RestErrHeader* errors, uint16_t alphabetSize,
                       PulseHeader* alphabet, uint16_t requiredCount, const uint16_t* requiredList,
                       uint16_t seriesType, uint16_t taskType, uint16_t makingLevel, uint16_t processingLevel,
                       SeriesHeader*& series, RandomSeeds& seeds, SimulationTimes& times,
                       const SimulationSettings& settings) {
  const uint16_t keptSubsetSize = series != nullptr ? series->wSubsetSize : uint16_t{0};
  if (errors == nullptr) {
    window.messageBox("Absence of RestoreErrorHeader!", kDriverCaption, kMbOk);
    return 0;
  }
  errors->ifComplete = 0;  // the tables are rewritten from here on
  const SimulationSolvers& solvers = settings.solvers != nullptr ? *settings.solvers : productionSolvers();
  Run r(window, *errors, series, seeds, settings, solvers);
  r.alphabetSize = alphabetSize;
  r.alphabet = alphabet;
  r.n = requiredCount;
  r.required = requiredList;
  r.taskType = taskType;
  r.processingLevel = processingLevel;
  r.makingLevel = makingLevel;
  r.role = solverFor(taskType, seriesType);
  const std::string problem = runProblem(r, series);
  if (!problem.empty()) {
    window.messageBox(problem, kDriverCaption, kMbOk | kMbIconWarning);
    return 0;
  }
  r.size = series->dwSeriesSize;
  r.tmin = series->wTmin;
  r.tmax = series->wTmax;
  r.length = alphabet[requiredList[0] - 1].wSize;
  // The series made in the run report the pulse bound of their own etalon length; chains and
  // working sequence hold that many in any case.
  r.maxPulses = std::max(series->wMaxPulses, maxPulsesFor(r.size, r.length, r.tmin));
  r.repeats = static_cast<uint16_t>(errors->repeats);

  int result = 0;
  {
    WorkerPool pool(settings.workerThreads);
    // Batches of many trials per worker: each batch ends with every worker waiting for the
    // last trial, so fewer batches waste less; the two banks of private series stay within
    // about 64 MiB.
    const uint64_t slotBytes = 4 * uint64_t{r.size} + 26 * uint64_t{r.maxPulses} + 1024;
    const uint64_t affordable = std::max<uint64_t>(2 * pool.size(), (uint64_t{1} << 26) / (2 * slotBytes));
    const uint32_t slotCount =
        static_cast<uint32_t>(std::min<uint64_t>({r.repeats, 32 * uint64_t{pool.size()}, 256, affordable}));
    if (setUp(r, seriesType, pool.size(), slotCount)) {
      times.simulationStartTime = std::time(nullptr);
      times.simulationEndTime = times.simulationStartTime;
      if (runCells(r, pool)) {
        times.simulationEndTime = std::time(nullptr);
        errors->ifComplete = settings.computeCell ? 0 : 1;
        result = 1;
      }
    }
  }
  if (series != nullptr) series->wSubsetSize = keptSubsetSize;
  return result;
}
