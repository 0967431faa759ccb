#include "simulation/solver_call.h"

int32_t callSolver(MessageSink& window, SolverRole role, const SolverCall& c, const SimulationSolvers& s) {
  int32_t unusedVerbose = 0;
  int32_t& verbose = c.verboseTuples != nullptr ? *c.verboseTuples : unusedVerbose;
  switch (role) {
    case SolverRole::kDetectFixedPulses:
      return s.detectFixedPulses(window, c.alphabet, c.etalonCount, c.etalons, c.tmin, c.tmax, c.level,
                                 c.chains, c.series);
    case SolverRole::kDetectUnfixedPulses:
      return s.detectUnfixedPulses(window, c.alphabet, c.etalonCount, c.etalons, c.tmin, c.tmax, c.level,
                                   c.chains, c.series);
    case SolverRole::kRecognizeFixedPulses:
      return s.recognizeFixedPulses(window, c.alphabet, c.etalonCount, c.etalons, c.tmin, c.tmax, c.level,
                                    c.chains, c.series);
    case SolverRole::kRecognizeUnfixedPulses:
      return s.recognizeUnfixedPulses(window, c.alphabet, c.etalonCount, c.etalons, c.tmin, c.tmax, c.level,
                                      c.chains, c.series);
    case SolverRole::kDetectFixedTuples:
      return s.detectFixedTuples(window, c.alphabet, c.tupleSize, c.tuple, c.proceeding, c.tmin, c.tmax,
                                 c.level, c.chains, c.series);
    case SolverRole::kDetectUnfixedTuples:
      return s.detectUnfixedTuples(window, c.alphabet, c.tupleSize, c.tuple, c.proceeding, c.tmin, c.tmax,
                                   c.level, c.chains, c.series, verbose);
    case SolverRole::kRecognizeFixedTuples:
      return s.recognizeFixedTuples(window, c.alphabet, c.subsetSizes, c.subsetRows, c.subsetCount,
                                    c.proceeding, c.tmin, c.tmax, c.level, c.chains, c.series);
    case SolverRole::kRecognizeUnfixedTuples:
      return s.recognizeUnfixedTuples(window, c.alphabet, c.subsetSizes, c.subsetRows, c.subsetCount,
                                      c.proceeding, c.tmin, c.tmax, c.level, c.chains, c.series, verbose);
  }
  return 0;
}
