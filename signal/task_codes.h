#pragma once
#include <cstdint>

// Task-type codes. They are tested as sets of values, never as bits.
enum : uint16_t {
  kTaskDetection = 1,
  kTaskRecognition = 2,
  kTaskJointDetection = 4,  // joint detection and identification
  kTaskSeriesProcessing = 64,
  kTaskTupleDetection = 36,    // effective code: detection on a tuple series
  kTaskTupleRecognition = 40,  // effective code: recognition on a tuple series
};

// Series-type codes.
enum : uint16_t {
  kSeriesFixedWhole = 1,
  kSeriesFixedCutOff = 2,
  kSeriesUnfixedWhole = 4,
  kSeriesUnfixedCutOff = 8,
  kSeriesEditedFixed = 16,    // user-edited etalon sequence, made from type 1
  kSeriesEditedUnfixed = 32,  // user-edited etalon sequence, made from type 4
  kSeriesFixedTuples = 36,
  kSeriesUnfixedTuples = 40,
};

// Description of a task type as a ChainsHeader stores it; null for 64 and unknown codes.
const char* chainsTaskText(uint16_t taskType);
// Description of a task type as a RestErrHeader stores it; null for 64 and unknown codes.
const char* restErrTaskText(uint16_t taskType);
// Description of a series type; null for 16, 32 and unknown codes.
const char* seriesTypeText(uint16_t seriesType);

// Unknown number of pulses as counted when a series is made or a tuples solver is
// chosen: {4, 8, 40}.
bool isUnknownNumberSeries(uint16_t seriesType);
// Unknown number of pulses as counted when a detection or recognition solver is chosen: {4, 8}.
bool isUnknownNumberPulseSeries(uint16_t seriesType);
// Tuple series: {36, 40}.
bool isTupleSeries(uint16_t seriesType);
// Cut-off series: {2, 8}.
bool isCutOffSeries(uint16_t seriesType);

// The task type the processing runs with: taskType, except detection (1) on a tuple
// series gives 36 and recognition (2) on a tuple series gives 40.
uint16_t effectiveTaskTypeFor(uint16_t taskType, uint16_t seriesType);

// Chart selector from the chart settings: detection error 2 / 3, recognition error
// 12 / 13 with bounds included or 4 / 5 without, any other (restoring error) 0 / 1;
// the first of each pair for the componentwise view (viewCase 1).
int32_t chartKindFor(int32_t handlingCase, int32_t viewCase, int32_t boundsIncluded);
