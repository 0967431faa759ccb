#pragma once
#include <cstdint>

#include "settings/start_values.h"
#include "signal/pulse_header.h"

// One radio choice of a choice panel: a count (always 3), the values, and the 1-based
// index of the chosen value.
struct ChoiceTable {
  int32_t count = 3;
  int32_t values[3] = {0, 0, 0};
  int32_t selected = 1;
};

// The settings of the workbench: what the user asks for (menus, dialogs, choice panels)
// and the values the current series was made with. Member initializers are the start
// values. The window's state holds them together with its records and layout; the rules
// that keep them consistent are in settings/setting_rules.h.
struct Settings {
  // Constants of a run.
  uint16_t wEtalonsQuantity = start_values::kEtalons;
  uint16_t wImpulseSize = start_values::kImpulseSize;
  int16_t wAmplitude = start_values::kAmplitude;
  int16_t chainsCapacity = start_values::kChainsCapacity;
  int32_t reservedSubsetRows = 10;

  // Choice panels.
  ChoiceTable seriesSizeChoice{3, {200, 600, 1200}, 3};
  ChoiceTable noiseLevelChoice{3, {20, 35, 50}, 1};
  ChoiceTable lostLevelChoice{3, {0, 25, 50}, 1};

  // Series settings.
  uint32_t dwSeriesSize = start_values::kSeriesSize;
  uint32_t dwSeriesSizeUsed = start_values::kSeriesSize;
  uint16_t wTmin = start_values::kTmin;
  uint16_t wTmax = start_values::kTmax;
  uint16_t wMinPulses = start_values::kMinPulses;
  uint16_t wMaxPulses = start_values::kMaxPulses;
  uint16_t wChainsMaxPulses = start_values::kMaxPulses;
  uint16_t wPulsesRequested = start_values::kPulses;
  uint16_t wPulsesUsed = start_values::kPulses;
  int16_t noiseLevel = start_values::kNoiseLevel;
  int16_t noiseLevelUsed = start_values::kNoiseLevel;
  int16_t lostLevel = start_values::kLostLevel;
  int16_t lostLevelUsed = start_values::kLostLevel;
  int16_t makingLevel = start_values::kSavedLevel;
  int16_t makingLevelUsed = start_values::kSavedLevel;
  int16_t processingLevel = start_values::kSavedLevel;
  int16_t processingLevelUsed = start_values::kSavedLevel;
  int32_t detectionEtalon = start_values::kDetectionEtalon;
  int32_t detectionEtalonUsed = start_values::kDetectionEtalon;
  int32_t previousEtalon = 1;  // the etalon marked before the last press on a cell
  uint16_t taskType = start_values::kTaskType;
  uint16_t effectiveTaskType = start_values::kTaskType;
  uint16_t seriesType = start_values::kSeriesType;

  // Required etalons (owned list of requiredCapacity entries, the first requiredCount in
  // use; start-up makes it [1] with capacity 20) and their flags, index = etalon - 1.
  uint16_t* requiredList = nullptr;
  uint16_t requiredCapacity = 0;
  uint16_t requiredCount = 0;
  uint16_t etalonSelected[kAlphabetRecords] = {1};

  // Tuple (subset) settings.
  uint16_t subsetEmployment = start_values::kSubsetEmployment;
  uint16_t subsetInitPosition = start_values::kSubsetInitPosition;
  uint16_t subsetProceeding = start_values::kSubsetProceeding;

  // Statistical simulation settings.
  uint16_t pulsesIncrement = start_values::kPulsesIncrement;
  uint16_t noiseInitialLevel = start_values::kNoiseInitialLevel;
  uint16_t noiseSteps = start_values::kNoiseSteps;
  uint16_t noiseIncrement = start_values::kNoiseIncrement;
  uint16_t repeats = start_values::kRepeats;
  uint16_t pulseSteps = 0;
  int32_t firstSimulation = 1;

  // Chart settings.
  int32_t handlingCase = 1;
  int32_t viewCase = 1;
  int32_t fixedUpperBound = 0;
  double upperBound = 0.25;
  int32_t boundsIncluded = 1;
  int32_t chartKind = 2;
  // Calendar times (seconds) of the start and the end of the last statistical simulation.
  int64_t simulationStartTime = 0;
  int64_t simulationEndTime = 0;

  // Dialog results.
  int32_t dialogAccepted = 0;
  uint32_t dialogSeriesSize = start_values::kSeriesSize;
  uint16_t dialogTmin = start_values::kTmin;
  uint16_t dialogTmax = start_values::kTmax;
  int16_t dialogMakingLevel = start_values::kSavedLevel;
  int16_t dialogProcessingLevel = start_values::kSavedLevel;
  uint16_t dialogMinPulses = start_values::kMinPulses;
  uint16_t dialogMaxPulses = start_values::kMaxPulses;
  uint16_t dialogPulses = 40;
  int16_t dialogNoiseLevel = start_values::kNoiseLevel;
  uint16_t pulsesBeforeDialog = 0;
};
