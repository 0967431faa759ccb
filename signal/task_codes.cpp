#include "signal/task_codes.h"

const char* chainsTaskText(uint16_t taskType) {
  switch (taskType) {
    case kTaskDetection:
    case kTaskTupleDetection:
    case 32:
      return "detection";
    case kTaskRecognition:
    case kTaskTupleRecognition:
      return "recognition";
    case kTaskJointDetection:
      return "joint detection and identification";
    default:
      return nullptr;
  }
}

const char* restErrTaskText(uint16_t taskType) {
  switch (taskType) {
    case kTaskDetection:
    case kTaskTupleDetection:
      return "detection";
    case kTaskRecognition:
    case kTaskTupleRecognition:
      return "recognition";
    case kTaskJointDetection:
      return "joint detection and identification";
    case 8:
    case 16:
      return "joint detection and estimation";
    case 32:
      return "blind detection";
    default:
      return nullptr;
  }
}

const char* seriesTypeText(uint16_t seriesType) {
  switch (seriesType) {
    case kSeriesFixedWhole:
      return "known number of whole pulses";
    case kSeriesFixedCutOff:
      return "known number of cut-off pulses";
    case kSeriesUnfixedWhole:
      return "unknown number of whole pulses";
    case kSeriesUnfixedCutOff:
      return "unknown number of cut-off pulses";
    case kSeriesFixedTuples:
      return "known number of whole pulses tuples";
    case kSeriesUnfixedTuples:
      return "unknown number of whole pulses tuples";
    default:
      return nullptr;
  }
}

bool isUnknownNumberSeries(uint16_t seriesType) {
  return seriesType == kSeriesUnfixedWhole || seriesType == kSeriesUnfixedCutOff ||
         seriesType == kSeriesUnfixedTuples;
}

bool isUnknownNumberPulseSeries(uint16_t seriesType) {
  return seriesType == kSeriesUnfixedWhole || seriesType == kSeriesUnfixedCutOff;
}

bool isTupleSeries(uint16_t seriesType) {
  return seriesType == kSeriesFixedTuples || seriesType == kSeriesUnfixedTuples;
}

bool isCutOffSeries(uint16_t seriesType) {
  return seriesType == kSeriesFixedCutOff || seriesType == kSeriesUnfixedCutOff;
}

uint16_t effectiveTaskTypeFor(uint16_t taskType, uint16_t seriesType) {
  if (isTupleSeries(seriesType)) {
    if (taskType == kTaskDetection) return kTaskTupleDetection;
    if (taskType == kTaskRecognition) return kTaskTupleRecognition;
  }
  return taskType;
}

int32_t chartKindFor(int32_t handlingCase, int32_t viewCase, int32_t boundsIncluded) {
  const bool componentwise = viewCase == 1;
  if (handlingCase == 2) return componentwise ? 2 : 3;
  if (handlingCase == 3) {
    if (boundsIncluded) return componentwise ? 12 : 13;
    return componentwise ? 4 : 5;
  }
  return componentwise ? 0 : 1;
}
