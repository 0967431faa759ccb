#pragma once
#include <cstdint>

// The eight solvers, by role.
enum class SolverRole : uint8_t {
  kDetectFixedPulses,
  kDetectUnfixedPulses,
  kRecognizeFixedPulses,
  kRecognizeUnfixedPulses,
  kDetectFixedTuples,
  kDetectUnfixedTuples,
  kRecognizeFixedTuples,
  kRecognizeUnfixedTuples,
};

// The solver a processing run (and a simulation trial) uses for an effective task type and a
// series type: recognition (2) and detection (1, 4, 64 and every other code) count {4, 8} as
// unknown-number series, the tuple tasks (36, 40) count {4, 8, 40}.
SolverRole solverFor(uint16_t effectiveTaskType, uint16_t seriesType);

// True for the solvers that take the number of pulses from the series (wImpulseQuantity);
// the others find it themselves.
bool solverNeedsPulseCount(SolverRole role);

// The solver's function name, e.g. "detectFixedPulses".
const char* solverRoleName(SolverRole role);
