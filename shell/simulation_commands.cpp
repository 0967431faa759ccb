#include "shell/simulation_commands.h"

#include <algorithm>
#include <string>

#include "display/app_state.h"
#include "display/text_format.h"
#include "platform/window.h"
#include "settings/setting_rules.h"
#include "shell/command_ids.h"
#include "shell/dialog_commands.h"
#include "shell/parameter_dialogs.h"
#include "shell/repaint_areas.h"
#include "shell/settings_dialogs.h"
#include "signal/series_header.h"
#include "simulation/rest_err_header.h"
#include "simulation/series_copy.h"
#include "simulation/simulation_driver.h"

namespace {

// The parameters of a simulation as the command shows them before the run.
std::string simulationParameterText(const AppState& s) {
  std::string text = "Create series parameters:\n";
  text += formatText("длина серии: %u\n", s.dwSeriesSizeUsed);
  text += formatText("wTmin: %d\n", s.wTmin);
  text += formatText("wTmax: %d\n", s.wTmax);
  text += formatText("длина эталона: %d\n", s.wImpulseSize);
  text += formatText("MinPulses: %d -> %d\n", s.dialogMinPulses, s.wMinPulses);
  text += formatText("MaxPulses: %d -> %d\n", s.dialogMaxPulses, s.wMaxPulses);
  text += "\n";
  text += formatText("pulses: %d, from %d to %d incr %d \n", s.pulseSteps, s.wMinPulses, s.wMaxPulses,
                     s.pulsesIncrement);
  text +=
      formatText("noise level: from %d to %d incr %d\n", s.noiseInitialLevel, s.noiseSteps, s.noiseIncrement);
  text += formatText("number of repeats: %d\n", s.repeats);
  return text;
}

Rect exclusive(const Rect& r) { return Rect{r.left, r.top, r.right + 1, r.bottom + 1}; }

}  // namespace

void commandStatisticalSimulation(Window& window, AppState& state) {
  state.lostLevelUsed = state.lostLevel;
  state.makingLevelUsed = state.makingLevel;
  state.processingLevelUsed = state.processingLevel;
  commandSimulationSetup(window, state);
  if (state.dialogAccepted == 0) return;
  window.messageBox(simulationParameterText(state), "getPulseEstAsRepeats", kMbOk);

  state.lpCutOffSeriesHeader =
      getCutOffSeriesHeader(window, state.wEtalonsQuantity, state.wImpulseSize, state.wTmin, state.wTmax,
                            state.dwSeriesSizeUsed, state.lpCutOffSeriesHeader);
  if (state.lpCutOffSeriesHeader == nullptr) {
    window.messageBox("Не могу выделить память для lpCutOffSeriesHeader!", " About getCutOffSeriesHeader ",
                      kMbOk | kMbIconWarning);
    return;
  }
  // The run fills tables of its own; they replace those of the last complete run only when
  // the run completes, so that a cancelled or failed run never shows as a result.
  RestErrHeader* run = getRestErrHeader(window, state.pulseSteps, state.noiseSteps, state.repeats, nullptr);
  if (run == nullptr) {
    window.messageBox("Нет RestoreErrorHeader!", " About RestoreErrorHeader ", kMbOk);
    return;
  }
  if (initRestErrHeader(window, state.pulseSteps, state.wMinPulses, state.pulsesIncrement, state.noiseSteps,
                        state.noiseInitialLevel, state.noiseIncrement, state.repeats, run) == 0) {
    window.messageBox("Ошибка initRestErrHeader!", " About RestoreErrorHeader ", kMbOk);
    freeRestErrHeader(window, run);
    return;
  }

  // The run reports after every cell; the progress box's Cancel stops it between cells,
  // leaving the tables incomplete.
  bool cancelled = false;
  SimulationSettings settings;
  settings.wAmplitude = state.wAmplitude;
  settings.subsetProceeding = state.subsetProceeding;
  settings.workerThreads = 0;
  const std::string caption = " Statistical Simulation";
  window.showProgress(caption, "Statistical simulation: 0 cells done");
  settings.progress = [&](uint32_t done, uint32_t total) {
    if (!window.showProgress(caption, formatText("Statistical simulation: %u of %u cells done", done, total),
                             done, total))
      cancelled = true;
  };
  settings.stopRequested = [&] { return cancelled; };
  SimulationTimes times;
  statCutoffTrawling(window, run, state.wEtalonsQuantity, state.etalonAlphabet, state.requiredCount,
                     state.requiredList, state.seriesType, state.effectiveTaskType,
                     static_cast<uint16_t>(state.makingLevelUsed),
                     static_cast<uint16_t>(state.processingLevelUsed), state.lpCutOffSeriesHeader,
                     state.seeds, times, settings);
  window.endProgress();
  if (run->ifComplete == 0) {
    freeRestErrHeader(window, run);
    // The trials have replaced the series the result view was drawn from: the window shows
    // the chart of the last complete run, or the alphabet when there is none.
    if (state.lpRestErrorHeader != nullptr && state.lpRestErrorHeader->ifComplete != 0) {
      state.resultKind = 2;
      state.viewState = 6;
    } else {
      state.resultKind = 1;
      state.viewState = 5;
    }
    window.invalidate(raisedWorkArea(state), true);
    return;
  }
  freeRestErrHeader(window, state.lpRestErrorHeader);
  state.lpRestErrorHeader = run;
  keepSimulationSeries(window, state, *state.lpCutOffSeriesHeader);
  state.simulationStartTime = static_cast<int64_t>(times.simulationStartTime);
  state.simulationEndTime = static_cast<int64_t>(times.simulationEndTime);
  commandShowStatisticalSimulation(window, state);
}

void keepSimulationSeries(Window& window, AppState& state, const SeriesHeader& series) {
  freeSeriesHeader(window, state.lpSimulationSeries);
  state.lpSimulationSeries = duplicateSeries(window, series);
  const uint16_t required =
      state.requiredList != nullptr ? std::min(state.requiredCount, state.requiredCapacity) : uint16_t{0};
  state.simulationRequiredList.assign(state.requiredList, state.requiredList + required);
}

void commandShowStatisticalSimulation(Window& window, AppState& state) {
  if (state.lpRestErrorHeader == nullptr || state.lpRestErrorHeader->ifComplete == 0) return;
  showStatisticalChart(window, state, state.taskType == 2);
}

void showStatisticalChart(Window& window, AppState& state, bool recognition) {
  state.resultKind = 2;
  runChartSettingsDialog(window, state, recognition);
  updateChartKind(state);
  window.invalidate(raisedWorkArea(state), true);
  window.invalidate(grownRightBottom(state.layout.buttonColumnRect, 2), true);
  state.repaintButtonColumn = 0;
  int32_t* flags[3] = {&state.repaintSeriesSizePanel, &state.repaintNoisePanel, &state.repaintLostPanel};
  for (int32_t panel = 0; panel < 3; ++panel) {
    if (*flags[panel] == 0) continue;
    window.invalidate(exclusive(state.layout.choicePanel[panel]), true);
    *flags[panel] = 0;
  }
  state.viewState = 6;
}
