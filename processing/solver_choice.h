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

// The solver for a series that holds `givenPulses` pulses (0: the number is not known, as in a
// user's recording of unknown count): the solver of solverFor, or, when that one needs a number
// the series does not give, the solver of the same task that finds the number itself.
SolverRole solverForSeries(uint16_t effectiveTaskType, uint16_t seriesType, uint16_t givenPulses);

// True for the solvers that take the number of pulses from the series (wImpulseQuantity);
// the others find it themselves.
bool solverNeedsPulseCount(SolverRole role);

// The solver's function name, e.g. "detectFixedPulses".
const char* solverRoleName(SolverRole role);
