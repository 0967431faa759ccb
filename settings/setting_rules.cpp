#include "settings/setting_rules.h"

#include "signal/pulse_bounds.h"
#include "signal/required_list.h"
#include "signal/task_codes.h"

void resetPulseBounds(Settings& state) {
  state.wMinPulses = minPulsesFor(state.dwSeriesSize, state.wImpulseSize, state.wTmax);
  state.wMaxPulses = maxPulsesFor(state.dwSeriesSize, state.wImpulseSize, state.wTmin);
  state.wPulsesRequested = midpointPulses(state.wMinPulses, state.wMaxPulses);
}

void clampPulsesUsed(Settings& state) {
  state.wPulsesUsed = clampPulses(state.wPulsesRequested, state.wMinPulses, state.wMaxPulses);
}

void setLostLevel(Settings& state, int16_t lostLevel) {
  state.lostLevel = lostLevel;
  state.makingLevel = savedEnergyLevel(lostLevel);
  state.processingLevel = state.makingLevel;
}

void resetLevelsForWholePulses(Settings& state) {
  state.lostLevelChoice.selected = 1;
  state.lostLevel = 0;
  state.lostLevelUsed = 0;
  state.makingLevel = state.makingLevelUsed = state.dialogMakingLevel = 100;
  state.processingLevel = state.processingLevelUsed = state.dialogProcessingLevel = 100;
}

void markChoice(ChoiceTable& table, int32_t value) {
  for (int32_t k = 0; k < table.count && k < 3; ++k)
    if (table.values[k] == value) table.selected = k + 1;
}

void updateEffectiveTaskType(Settings& state) {
  state.effectiveTaskType = effectiveTaskTypeFor(state.taskType, state.seriesType);
}

void updateChartKind(Settings& state) {
  state.chartKind = chartKindFor(state.handlingCase, state.viewCase, state.boundsIncluded);
}

void requiredFlagsFromState(Settings& state) {
  const uint16_t flags =
      state.wEtalonsQuantity < kAlphabetRecords ? state.wEtalonsQuantity : kAlphabetRecords;
  const uint16_t count =
      state.requiredCount < state.requiredCapacity ? state.requiredCount : state.requiredCapacity;
  requiredFlagsFromList(state.requiredList, count, state.etalonSelected, flags);
}

void requiredListFromState(Settings& state) {
  const uint16_t flags =
      state.wEtalonsQuantity < kAlphabetRecords ? state.wEtalonsQuantity : kAlphabetRecords;
  state.requiredCount =
      requiredListFromFlags(state.etalonSelected, flags, state.requiredList, state.requiredCapacity);
}
