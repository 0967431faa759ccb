#include "simulation/production_solvers.h"

#include "processing/fixed_detection.h"
#include "processing/fixed_tuples.h"
#include "processing/recognition.h"
#include "processing/unfixed_detection.h"
#include "processing/unfixed_tuples.h"

const SimulationSolvers& productionSolvers() {
  static const SimulationSolvers solvers = [] {
    SimulationSolvers s;
    s.detectFixedPulses = &detectFixedPulses;
    s.detectUnfixedPulses = &detectUnfixedPulses;
    s.recognizeFixedPulses = &recognizeFixedPulses;
    s.recognizeUnfixedPulses = &recognizeUnfixedPulses;
    s.detectFixedTuples = &detectFixedTuples;
    s.detectUnfixedTuples = &detectUnfixedTuples;
    s.recognizeFixedTuples = &recognizeFixedTuples;
    s.recognizeUnfixedTuples = &recognizeUnfixedTuples;
    return s;
  }();
  return solvers;
}
