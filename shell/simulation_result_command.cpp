#include "shell/simulation_result_command.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "display/app_state.h"
#include "display/text_format.h"
#include "files/simulation_result.h"
#include "platform/window.h"
#include "settings/setting_rules.h"
#include "shell/dialog_commands.h"
#include "shell/simulation_commands.h"
#include "signal/required_list.h"
#include "signal/selected_subsets.h"
#include "signal/series_header.h"
#include "simulation/rest_err_header.h"
#include "simulation/simulation_grid.h"

namespace {

const char* const kCaption = " Open simulation result ";

// The longest row of the selected subsets a header reserves room for.
int32_t longestSubset(const SimulationRun& run) {
  size_t longest = 1;
  for (const auto& s : run.subsets) longest = std::max(longest, s.size());
  return static_cast<int32_t>(longest);
}

}  // namespace

std::string simulationResultProblem(const AppState& state, const SimulationResult& result) {
  const SimulationRun& run = result.run;
  if (result.cells.size() != run.cellCount()) {
    return formatText("The file holds %u of the %u cells of its run; merge all its shards first.",
                      static_cast<unsigned>(result.cells.size()), run.cellCount());
  }
  if (run.etalons != state.wEtalonsQuantity || run.impulseSize != state.wImpulseSize ||
      run.amplitude != state.wAmplitude) {
    return formatText(
        "The run used %u etalons of %u samples at amplitude %d; the workbench has %u of %u at %d.",
        run.etalons, run.impulseSize, run.amplitude, state.wEtalonsQuantity, state.wImpulseSize,
        state.wAmplitude);
  }
  for (uint16_t e : run.required) {
    if (e < 1 || e > state.wEtalonsQuantity)
      return formatText("The required etalon %u lies outside the alphabet.", e);
  }
  std::string shape = seriesShapeProblem(run.seriesSize, run.impulseSize, run.tmin, run.tmax);
  if (!shape.empty()) return shape;
  for (int16_t q : run.pulseValues) {
    shape = pulseCountProblem(run.seriesSize, run.impulseSize, run.tmin, run.tmax, static_cast<uint16_t>(q));
    if (!shape.empty()) return shape;
  }
  for (const auto& subset : run.subsets) {
    if (subset.size() > 65535) return "A selected subset is too long.";
  }
  return {};
}

bool takeSimulationResult(Window& window, AppState& state, const SimulationResult& result) {
  const SimulationRun& run = result.run;
  RestErrHeader* errors = errorsOfResult(window, result, nullptr);
  if (errors == nullptr) return false;
  SeriesHeader* series = getCutOffSeriesHeader(window, run.etalons, run.impulseSize, run.tmin, run.tmax,
                                               run.seriesSize, nullptr);
  if (series == nullptr) {
    freeRestErrHeader(window, errors);
    return false;
  }
  // The description of the last trial's series, as the chart reads it.
  series->wImpulseSize = run.impulseSize;
  series->wImpulseQuantity = static_cast<uint16_t>(run.pulseValues.back());
  series->wNoiseLevel = run.noiseLevels.back();
  series->wAmplitude = run.amplitude;
  for (uint16_t i = 0; i < run.etalons && i < series->wReservedEtalons; ++i)
    series->lpPulsesList[i] = &state.etalonAlphabet[i];
  const uint16_t first = result.firstPulseEtalon != 0 ? result.firstPulseEtalon : run.required.front();
  series->lpFirstPulse = &state.etalonAlphabet[first - 1];
  bool stored = true;
  if (!run.subsets.empty()) {
    std::vector<int32_t> sizes;
    std::vector<const int32_t*> rows;
    for (const auto& s : run.subsets) {
      sizes.push_back(static_cast<int32_t>(s.size()));
      rows.push_back(s.data());
    }
    stored = addSomeSelectedSubsetToSeriesHeader(window, sizes.data(), rows.data(),
                                                 static_cast<int32_t>(rows.size()),
                                                 static_cast<int32_t>(rows.size()), longestSubset(run), 1,
                                                 run.subsetMode, run.subsetPosition, series) == 1;
  }
  if (stored && !run.subset.empty()) {
    setSubset(window, run.subset.data(), static_cast<int32_t>(run.subset.size()), run.subsetMode,
              run.subsetPosition, series);
  }
  uint16_t* required =
      stored ? getRequiredList(window, static_cast<uint16_t>(run.required.size()), nullptr) : nullptr;
  if (required == nullptr) {
    freeSeriesHeader(window, series);
    freeRestErrHeader(window, errors);
    return false;
  }
  std::copy(run.required.begin(), run.required.end(), required);

  // Everything is ready: the record changes in one step.
  freeRequiredList(state.requiredList);
  state.requiredList = required;
  state.requiredCount = state.requiredCapacity = static_cast<uint16_t>(run.required.size());
  requiredFlagsFromState(state);
  freeSeriesHeader(window, state.lpCutOffSeriesHeader);
  state.lpCutOffSeriesHeader = series;
  freeRestErrHeader(window, state.lpRestErrorHeader);
  state.lpRestErrorHeader = errors;
  keepSimulationSeries(window, state, *series);
  state.simulationStartTime = result.startTime;
  state.simulationEndTime = result.endTime;
  return true;
}

void commandOpenSimulationResult(Window& window, AppState& state) {
  OpenFileRequest request;
  request.title = "Open simulation result";
  request.filters = {{"Simulation results (*.json)", "*.json"}, {"All files (*.*)", "*.*"}};
  const std::optional<std::string> name = window.openFileName(request);
  if (!name) return;
  SimulationResult result;
  std::string problem;
  if (!readSimulationResult(*name, result, problem)) {
    window.messageBox(problem, kCaption, kMbOk | kMbIconWarning);
    return;
  }
  problem = simulationResultProblem(state, result);
  if (!problem.empty()) {
    window.messageBox("\"" + *name + "\": " + problem, kCaption, kMbOk | kMbIconWarning);
    return;
  }
  if (!takeSimulationResult(window, state, result)) return;
  showStatisticalChart(window, state, result.run.taskType == 2);
}
