#include "tests/screen/window_answers.h"

#include <algorithm>
#include <memory>
#include <sstream>
#include <vector>

#include "batch/workbench_runs.h"
#include "batch/workbench_start.h"
#include "display/app_state.h"
#include "display/result_view.h"
#include "platform/headless_window.h"
#include "processing/chains_header.h"
#include "processing/solver_choice.h"
#include "shell/main_window.h"
#include "shell/simulation_result_command.h"
#include "signal/series_header.h"
#include "signal/task_codes.h"
#include "simulation/rest_err_header.h"

namespace {

bool resultShown(const AppState& s) {
  return s.viewState == 6 && s.resultKind == 1 && s.lpCutOffSeriesHeader != nullptr &&
         s.lpCutOffSeriesHeader->lpNoisyData != nullptr && s.lpChainsHeader != nullptr &&
         s.lpChainsHeader->wInfoLevel == 2;
}

// The series type the menu ticks for a series type code.
uint16_t tickedSeriesType(uint16_t type) { return type == 16 ? 1 : type == 32 ? 4 : type; }

std::vector<int16_t> table(const int16_t* values, size_t count) {
  return values == nullptr ? std::vector<int16_t>{} : std::vector<int16_t>(values, values + count);
}

}  // namespace

std::string answerProblem(const AppState& s) {
  if (!resultShown(s)) return {};
  const SeriesHeader& shown = *s.lpCutOffSeriesHeader;
  const ChainsHeader& chains = *s.lpChainsHeader;
  ProcessSettings p;
  p.taskType = p.effectiveTaskType = chains.wTaskType;
  p.seriesType = chains.wSeriesType;
  p.processingLevel = chains.wProcessingEnergyLevel;
  p.required = s.requiredListUsed;  // the list may have changed since the run
  p.proceeding = s.subsetProceeding;
  SeriesSettings& series = p.series;
  series.length = shown.dwSeriesSize;
  series.tmin = shown.wTmin;
  series.tmax = shown.wTmax;
  series.impulseSize = shown.wImpulseSize;
  series.minPulses = shown.wMinPulses;
  series.maxPulses = shown.wMaxPulses;
  series.pulses = shown.wImpulseQuantity;
  const SolverRole role = solverFor(p.effectiveTaskType, p.seriesType);
  series.unknown = !solverNeedsPulseCount(role) || shown.wImpulseQuantity == 0;
  series.subsetMode = s.subsetEmployment;
  series.subsetPosition = s.subsetInitPosition;
  if (p.effectiveTaskType == kTaskTupleDetection && s.selectedSubset != nullptr)
    series.subset.assign(s.selectedSubset, s.selectedSubset + s.selectedSubsetCount);
  if (p.effectiveTaskType == kTaskTupleRecognition && s.selectedSubsetArraySize != nullptr &&
      s.reservedSubsetList != nullptr) {
    for (int32_t r = 0; r < s.reservedSubsetCount; ++r)
      p.subsets.emplace_back(s.reservedSubsetList[r], s.reservedSubsetList[r] + s.selectedSubsetArraySize[r]);
  }
  GivenData data;
  data.series.assign(shown.lpNoisyData, shown.lpNoisyData + shown.dwSeriesSize);

  WorkbenchStart start(nullptr);
  OrderedJson doc;
  const RunOutcome outcome = givenDataRun(start, p, data, doc);
  std::ostringstream out;
  out << "task " << p.effectiveTaskType << ", series type " << p.seriesType << ", " << series.length
      << " samples, pulses " << (series.unknown ? std::string("unknown") : std::to_string(series.pulses))
      << ", Tmin " << series.tmin << ", Tmax " << series.tmax << ", etalons";
  for (uint16_t e : p.required) out << " " << e;
  out << ": ";
  if (!outcome.ok || start.series == nullptr) {
    out << "the window shows a result where the shared run computes none";
    if (!outcome.failure.empty()) out << " (" << outcome.failure << ")";
    if (!start.window.messages().empty()) out << " (\"" << start.window.messages().back().text << "\")";
    return out.str();
  }
  const SeriesHeader& library = *start.series;
  const size_t n = std::min<size_t>(library.wRestoredQuantity, library.wPulsesCapacity);
  const size_t m = std::min<size_t>(shown.wRestoredQuantity, shown.wPulsesCapacity);
  if (library.wRestoredQuantity != shown.wRestoredQuantity ||
      table(library.lpRestoredPositions, n) != table(shown.lpRestoredPositions, m) ||
      table(library.lpRestoredEtalons, n) != table(shown.lpRestoredEtalons, m) ||
      table(library.lpRestoredCutBegin, n) != table(shown.lpRestoredCutBegin, m) ||
      table(library.lpRestoredCutEnd, n) != table(shown.lpRestoredCutEnd, m) ||
      library.wRestoredTuples != shown.wRestoredTuples ||
      library.wRecognizedSubset != shown.wRecognizedSubset) {
    out << "the window holds " << shown.wRestoredQuantity << " pulses";
    if (m > 0) out << " from " << shown.lpRestoredPositions[0];
    out << ", the shared run finds " << library.wRestoredQuantity;
    if (n > 0) out << " from " << library.lpRestoredPositions[0];
    if (table(library.lpRestoredEtalons, n) != table(shown.lpRestoredEtalons, m))
      out << "; the etalons differ";
    if (table(library.lpRestoredCutBegin, n) != table(shown.lpRestoredCutBegin, m) ||
        table(library.lpRestoredCutEnd, n) != table(shown.lpRestoredCutEnd, m))
      out << "; the cuts differ";
    if (library.wRestoredTuples != shown.wRestoredTuples) out << "; the tuples differ";
    if (library.wRecognizedSubset != shown.wRecognizedSubset) out << "; the recognised subset differs";
    return out.str();
  }
  return {};
}

std::string headerProblem(const AppState& s) {
  if (!resultShown(s)) return {};
  const ChainsHeader& chains = *s.lpChainsHeader;
  const std::string line = resultHeaderLines(&chains, *s.lpCutOffSeriesHeader, s.wAmplitude).front();
  // " <task> for series with <series type> ": neither name may be missing.
  const std::string with = " for series with ";
  const size_t at = line.find(with);
  if (at == std::string::npos || at <= 1 || line.size() <= at + with.size() + 1)
    return "the run description has an empty field: \"" + line + "\"";
  // What the menu ticks is what the run did: a known or an unknown number of pulses.
  // The pulse tasks on a tuple series of unknown number keep the number the series was made
  // with (the simulation does the same), so only a series that holds one may be solved so.
  const uint16_t given = s.lpCutOffSeriesHeader->wImpulseQuantity;
  const bool tickedUnknown = isUnknownNumberSeries(tickedSeriesType(s.seriesType));
  const bool solvedUnknown =
      !solverNeedsPulseCount(solverForSeries(chains.wTaskType, chains.wSeriesType, given));
  const bool pulsesOnUnknownTuples = chains.wSeriesType == 40 && chains.wTaskType != kTaskTupleDetection &&
                                     chains.wTaskType != kTaskTupleRecognition;
  if (!solvedUnknown && given == 0)
    return "the run \"" + line + "\" was solved with a given number of pulses on a series that holds none";
  if (chains.wSeriesType == s.seriesType && tickedUnknown != solvedUnknown &&
      !(pulsesOnUnknownTuples && given > 0))
    return "the menu ticks series type " + std::to_string(tickedSeriesType(s.seriesType)) +
           " but the run \"" + line + "\" was solved with a " + (solvedUnknown ? "found" : "given") +
           " number of pulses";
  return {};
}

std::optional<SimulationResult> resultOfRun(const AppState& s) {
  const RestErrHeader* errors = s.lpRestErrorHeader;
  const SeriesHeader* series = s.lpCutOffSeriesHeader;  // the last trial's, right after the run
  if (errors == nullptr || errors->ifComplete == 0 || series == nullptr || s.requiredList == nullptr)
    return std::nullopt;
  SimulationResult result;
  SimulationRun& run = result.run;
  run.taskType = s.taskType;
  run.effectiveTaskType = errors->wTaskType;
  run.seriesType = errors->wSeriesType;
  run.seriesSize = series->dwSeriesSize;
  run.tmin = series->wTmin;
  run.tmax = series->wTmax;
  run.impulseSize = series->wImpulseSize;
  run.etalons = s.wEtalonsQuantity;
  run.amplitude = s.wAmplitude;
  run.makingLevel = errors->wMakingEnergyLevel;
  run.processingLevel = errors->wProcessingEnergyLevel;
  run.required.assign(s.requiredList, s.requiredList + std::min(s.requiredCount, s.requiredCapacity));
  if (series->lpSubset != nullptr)
    run.subset.assign(series->lpSubset, series->lpSubset + series->wSubsetSize);
  run.subsetMode = series->wSubsetMode;
  run.subsetPosition = series->wSubsetPosition;
  if (series->selectedSubsetList != nullptr && series->selectedSubsetSize != nullptr)
    for (uint16_t i = 0; i < series->wSelectedSubsets; ++i)
      run.subsets.emplace_back(
          series->selectedSubsetList[i],
          series->selectedSubsetList[i] + std::max<int16_t>(series->selectedSubsetSize[i], 0));
  run.proceeding = s.subsetProceeding;
  run.pulseValues.assign(errors->wPulseValues, errors->wPulseValues + errors->wVariousPulses);
  run.noiseLevels.assign(errors->lpNoiseLevel, errors->lpNoiseLevel + errors->wNoiseLevels);
  run.repeats = errors->repeats;
  result.cells = cellsOfErrors(*errors);
  result.startTime = s.simulationStartTime;
  result.endTime = s.simulationEndTime;
  result.firstPulseEtalon = series->lpFirstPulse != nullptr ? series->lpFirstPulse->wNumber : 0;
  return result;
}

std::string chartProblem(HeadlessWindow& shown, const AppState& state, const SimulationResult& result) {
  if (state.viewState != 6 || state.resultKind != 2) return {};
  const Image& screen = shown.clientImage();
  auto fresh = std::make_unique<AppState>();
  HeadlessWindow window(screen.width, screen.height);
  MainWindow procedure(*fresh);
  if (!window.create(procedure)) return "a fresh window could not be made";
  std::string problem;
  if (!takeSimulationResult(window, *fresh, result)) {
    problem = "a fresh window cannot take the run's result";
  } else {
    AppState& f = *fresh;
    f.taskType = state.taskType;
    f.handlingCase = state.handlingCase;
    f.viewCase = state.viewCase;
    f.boundsIncluded = state.boundsIncluded;
    f.fixedUpperBound = state.fixedUpperBound;
    f.upperBound = state.upperBound;
    f.chartKind = state.chartKind;
    f.detectionEtalonUsed = state.detectionEtalonUsed;
    f.viewState = 6;
    f.resultKind = 2;
    window.invalidateAll(true);
    window.pump();
    const Image& drawn = window.clientImage();
    const Rect area = state.layout.workArea;
    int64_t differing = 0;
    for (int32_t y = std::max(area.top, 0); y < std::min(area.bottom, screen.height); ++y)
      for (int32_t x = std::max(area.left, 0); x < std::min(area.right, screen.width); ++x)
        if (screen.at(x, y) != drawn.at(x, y)) ++differing;
    if (differing > 0)
      problem = "the chart differs in " + std::to_string(differing) +
                " pixels from the chart a fresh window draws from the last complete run's result";
  }
  window.close();
  return problem;
}
