#include "processing/solver_choice.h"

SolverRole solverFor(uint16_t effectiveTaskType, uint16_t seriesType) {
  const bool unknownPulses = seriesType == 4 || seriesType == 8;
  const bool unknownTuples = unknownPulses || seriesType == 40;
  switch (effectiveTaskType) {
    case 2:
      return unknownPulses ? SolverRole::kRecognizeUnfixedPulses : SolverRole::kRecognizeFixedPulses;
    case 36:
      return unknownTuples ? SolverRole::kDetectUnfixedTuples : SolverRole::kDetectFixedTuples;
    case 40:
      return unknownTuples ? SolverRole::kRecognizeUnfixedTuples : SolverRole::kRecognizeFixedTuples;
    default:
      return unknownPulses ? SolverRole::kDetectUnfixedPulses : SolverRole::kDetectFixedPulses;
  }
}

SolverRole solverForSeries(uint16_t effectiveTaskType, uint16_t seriesType, uint16_t givenPulses) {
  const SolverRole role = solverFor(effectiveTaskType, seriesType);
  if (givenPulses != 0) return role;
  switch (role) {
    case SolverRole::kDetectFixedPulses:
      return SolverRole::kDetectUnfixedPulses;
    case SolverRole::kRecognizeFixedPulses:
      return SolverRole::kRecognizeUnfixedPulses;
    case SolverRole::kDetectFixedTuples:
      return SolverRole::kDetectUnfixedTuples;
    case SolverRole::kRecognizeFixedTuples:
      return SolverRole::kRecognizeUnfixedTuples;
    default:
      return role;
  }
}

const char* solverRoleName(SolverRole role) {
  switch (role) {
    case SolverRole::kDetectFixedPulses:
      return "detectFixedPulses";
    case SolverRole::kDetectUnfixedPulses:
      return "detectUnfixedPulses";
    case SolverRole::kRecognizeFixedPulses:
      return "recognizeFixedPulses";
    case SolverRole::kRecognizeUnfixedPulses:
      return "recognizeUnfixedPulses";
    case SolverRole::kDetectFixedTuples:
      return "detectFixedTuples";
    case SolverRole::kDetectUnfixedTuples:
      return "detectUnfixedTuples";
    case SolverRole::kRecognizeFixedTuples:
      return "recognizeFixedTuples";
    case SolverRole::kRecognizeUnfixedTuples:
      return "recognizeUnfixedTuples";
  }
  return "";
}

bool solverNeedsPulseCount(SolverRole role) {
  return role == SolverRole::kDetectFixedPulses || role == SolverRole::kRecognizeFixedPulses ||
         role == SolverRole::kDetectFixedTuples || role == SolverRole::kRecognizeFixedTuples;
}
