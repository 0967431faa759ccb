#pragma once
#include <cstdint>
#include <vector>

#include "display/layout.h"
#include "display/opened_files.h"
#include "platform/geometry.h"
#include "settings/settings_state.h"
#include "signal/pulse_header.h"
#include "signal/random_seeds.h"

struct SeriesHeader;
struct ChainsHeader;
struct RestErrHeader;
struct ParamsHeader;

// The whole state of the application: the settings (settings/settings_state.h) with the
// records, views and layout of the window. The program owns one instance; tests build fresh
// ones. Member initializers are the values after window start-up, except the owned
// arrays and records, which start null: the start-up allocates them and the window
// destruction releases them.
struct AppState : Settings {
  // Random sources of the signal model (seedNoise included) and the generator of the
  // etalon sequences of a new run (state of x * 214013 + 2531011, never reseeded).
  RandomSeeds seeds;
  uint32_t sequenceRandomState = 1;

  // Etalon sequences (owned arrays; start-up gives each wMaxPulses entries, all
  // detectionEtalon). Grown when needed, never shrunk.
  uint16_t* etalonSequence = nullptr;
  uint16_t etalonSequenceCapacity = 0;
  uint16_t* etalonSequenceEdit = nullptr;
  uint16_t etalonSequenceEditCapacity = 0;

  // Drawing settings (dialog 112).
  int32_t drawFrameGraphFields = 1;
  int32_t drawShadedPulses = 1;
  int32_t drawHighlightDetectedPulses = 1;
  int32_t drawSpecialGraphSize = 0;
  uint16_t tuplesHighlightMode = 2;

  // View and one-shot state.
  int32_t viewState = 5;
  uint16_t resultKind = 1;
  int32_t verboseTuples = 0;
  int32_t typeDetails = 0;
  int32_t repaintSeriesSizePanel = 0;
  int32_t repaintNoisePanel = 0;
  int32_t repaintLostPanel = 0;
  int32_t repaintButtonColumn = 0;
  int32_t etalonDragFrom = -1;  // x where a drag for "Use as etalon" began; -1: none

  // Records of the current run (owned; released at window destruction).
  PulseHeader etalonAlphabet[kAlphabetRecords];
  SeriesHeader* lpCutOffSeriesHeader = nullptr;
  ChainsHeader* lpChainsHeader = nullptr;
  RestErrHeader* lpRestErrorHeader = nullptr;
  ParamsHeader* lpParamsHeader = nullptr;
  // The series the chart of lpRestErrorHeader describes (length, distances, pulse range, the
  // last trial's noise and subsets), kept apart from the current series, which later runs,
  // cancelled ones included, replace. Null: the chart reads the current series.
  SeriesHeader* lpSimulationSeries = nullptr;
  // The required etalons of that run, beside it for the same reason: the list may change since.
  std::vector<uint16_t> simulationRequiredList;
  // The required etalons the last processing run looked for (the list may change since).
  std::vector<uint16_t> requiredListUsed;
  // The user's series and etalons opened from files.
  OpenedFiles opened;

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
