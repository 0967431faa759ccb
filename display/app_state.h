#pragma once
#include <cstdint>

#include "display/layout.h"
#include "display/opened_files.h"
#include "platform/geometry.h"
#include "signal/pulse_header.h"
#include "signal/random_seeds.h"

struct SeriesHeader;
struct ChainsHeader;
struct RestErrHeader;
struct ParamsHeader;

// One radio choice of a choice panel: a count (always 3), the values, and the 1-based
// index of the chosen value.
struct ChoiceTable {
  int32_t count = 3;
  int32_t values[3] = {0, 0, 0};
  int32_t selected = 1;
};

// The whole state of the application. The program owns one instance; tests build fresh
// ones. Member initializers are the values after window start-up, except the owned
// arrays and records, which start null: the start-up allocates them and the window
// destruction releases them.
struct AppState {
  // Constants of a run.
  uint16_t wEtalonsQuantity = 20;
  uint16_t wImpulseSize = 20;
  int16_t wAmplitude = 128;
  int16_t chainsCapacity = 10;
  int32_t reservedSubsetRows = 10;

  // Random sources of the signal model (seedNoise included) and the generator of the
  // etalon sequences of a new run (state of x * 214013 + 2531011, never reseeded).
  RandomSeeds seeds;
  uint32_t sequenceRandomState = 1;

  // Choice panels.
  ChoiceTable seriesSizeChoice{3, {200, 600, 1200}, 3};
  ChoiceTable noiseLevelChoice{3, {20, 35, 50}, 1};
  ChoiceTable lostLevelChoice{3, {0, 25, 50}, 1};

  // Series settings.
  uint32_t dwSeriesSize = 1200;
  uint32_t dwSeriesSizeUsed = 1200;
  uint16_t wTmin = 40;
  uint16_t wTmax = 181;
  uint16_t wMinPulses = 6;
  uint16_t wMaxPulses = 30;
  uint16_t wChainsMaxPulses = 30;
  uint16_t wPulsesRequested = 18;
  uint16_t wPulsesUsed = 18;
  int16_t noiseLevel = 20;
  int16_t noiseLevelUsed = 20;
  int16_t lostLevel = 0;
  int16_t lostLevelUsed = 0;
  int16_t makingLevel = 100;
  int16_t makingLevelUsed = 100;
  int16_t processingLevel = 100;
  int16_t processingLevelUsed = 100;
  int32_t detectionEtalon = 1;
  int32_t detectionEtalonUsed = 1;
  int32_t previousEtalon = 1;  // the etalon marked before the last press on a cell
  uint16_t taskType = 1;
  uint16_t effectiveTaskType = 1;
  uint16_t seriesType = 1;

  // Required etalons (owned list of requiredCapacity entries, the first requiredCount in
  // use; start-up makes it [1] with capacity 20) and their flags, index = etalon - 1.
  uint16_t* requiredList = nullptr;
  uint16_t requiredCapacity = 0;
  uint16_t requiredCount = 0;
  uint16_t etalonSelected[kAlphabetRecords] = {1};

  // Etalon sequences (owned arrays; start-up gives each wMaxPulses entries, all
  // detectionEtalon). Grown when needed, never shrunk.
  uint16_t* etalonSequence = nullptr;
  uint16_t etalonSequenceCapacity = 0;
  uint16_t* etalonSequenceEdit = nullptr;
  uint16_t etalonSequenceEditCapacity = 0;

  // Tuple (subset) settings.
  uint16_t subsetEmployment = 4;
  uint16_t subsetInitPosition = 1;
  uint16_t subsetProceeding = 1;

  // Drawing settings (dialog 112).
  int32_t drawFrameGraphFields = 1;
  int32_t drawShadedPulses = 1;
  int32_t drawHighlightDetectedPulses = 1;
  int32_t drawSpecialGraphSize = 0;
  uint16_t tuplesHighlightMode = 2;

  // Statistical simulation settings.
  uint16_t pulsesIncrement = 1;
  uint16_t noiseInitialLevel = 0;
  uint16_t noiseSteps = 29;
  uint16_t noiseIncrement = 5;
  uint16_t repeats = 100;
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

  // View and one-shot state.
  int32_t viewState = 5;
  uint16_t resultKind = 1;
  int32_t verboseTuples = 0;
  int32_t typeDetails = 0;
  int32_t repaintSeriesSizePanel = 0;
  int32_t repaintNoisePanel = 0;
  int32_t repaintLostPanel = 0;
  int32_t repaintButtonColumn = 0;

  // Records of the current run (owned; released at window destruction).
  PulseHeader etalonAlphabet[kAlphabetRecords];
  SeriesHeader* lpCutOffSeriesHeader = nullptr;
  ChainsHeader* lpChainsHeader = nullptr;
  RestErrHeader* lpRestErrorHeader = nullptr;
  ParamsHeader* lpParamsHeader = nullptr;
  // The user's series and etalons opened from files.
  OpenedFiles opened;

  // Dialog results.
  int32_t dialogAccepted = 0;
  uint32_t dialogSeriesSize = 1200;
  uint16_t dialogTmin = 40;
  uint16_t dialogTmax = 181;
  int16_t dialogMakingLevel = 100;
  int16_t dialogProcessingLevel = 100;
  uint16_t dialogMinPulses = 6;
  uint16_t dialogMaxPulses = 30;
  uint16_t dialogPulses = 40;
  int16_t dialogNoiseLevel = 20;
  uint16_t pulsesBeforeDialog = 0;

  // Geometry of the window, recomputed at every paint.
  ScreenLayout layout;

  // Subset panel tables (owned; allocated on the first paint of the subset view, released
  // at window destruction by freeSubsetTables). selectedSubset holds 2 x subsetCapacity
  // values, the marks in the second half (selectedSubsetMarks points there).
  // possibleSubsetArrayRect and reservedSubsetList are row tables whose row 0 points at
  // the one block that holds every row; subsetRowRect points into the rectangle block
  // after the rows.
  int32_t subsetCapacity = 0;
  Rect* possibleSubsetRect = nullptr;
  int32_t* selectedSubset = nullptr;
  int32_t* selectedSubsetMarks = nullptr;
  int32_t selectedSubsetCount = 0;
  int32_t reservedSubsetCapacity = 0;
  int32_t reservedSubsetCount = 0;
  int32_t* selectedSubsetArraySize = nullptr;
  int32_t** reservedSubsetList = nullptr;
  Rect** possibleSubsetArrayRect = nullptr;
  Rect* subsetRowRect = nullptr;
  int32_t selectedSubsetRow = 0;
  int32_t markAllPending = 0;
  Rect* ButtonsWhileSelectedSubsetRect = nullptr;
  int32_t subsetButtonCount = 0;
  Rect usedEtalonCellRect[kMaxEtalonCells];
  Rect possibleSubsetBox;
};

// Recomputes wMinPulses and wMaxPulses from dwSeriesSize, wImpulseSize, wTmin and wTmax
// (a zero distance gives a bound of 0) and resets wPulsesRequested to their midpoint.
void resetPulseBounds(AppState& state);

// wPulsesUsed = wPulsesRequested when it lies within the current bounds, else their midpoint.
void clampPulsesUsed(AppState& state);

// Sets the requested lost data level and both requested saved energy levels (100 - lost).
void setLostLevel(AppState& state, int16_t lostLevel);

// What a whole-pulse or tuple series-type command does to the levels: lost level 0
// (choice index 1), every saved energy level 100.
void resetLevelsForWholePulses(AppState& state);

// effectiveTaskType from taskType and seriesType.
void updateEffectiveTaskType(AppState& state);

// chartKind from handlingCase, viewCase and boundsIncluded.
void updateChartKind(AppState& state);

// etalonSelected from the first requiredCount entries of requiredList (a null list
// clears every flag).
void requiredFlagsFromState(AppState& state);

// requiredList (at most requiredCapacity entries) and requiredCount from etalonSelected,
// ascending. With no list allocated requiredCount becomes 0.
void requiredListFromState(AppState& state);
