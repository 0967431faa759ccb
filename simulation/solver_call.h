#pragma once
#include <cstdint>

#include "processing/solver_choice.h"
#include "simulation/production_solvers.h"

class MessageSink;
struct PulseHeader;
struct ChainsHeader;
struct SeriesHeader;

// Everything any of the eight solvers reads; each role takes the fields it needs.
struct SolverCall {
  const PulseHeader* alphabet = nullptr;
  uint16_t etalonCount = 0;  // detection and recognition: the etalon list
  const uint16_t* etalons = nullptr;
  int32_t tupleSize = 0;  // tuple detection: the tuple
  const int32_t* tuple = nullptr;
  const int32_t* subsetSizes = nullptr;  // tuple recognition: the candidate subsets
  const int32_t* const* subsetRows = nullptr;
  int32_t subsetCount = 0;
  uint16_t proceeding = 1;
  uint16_t tmin = 0;
  uint16_t tmax = 0;
  uint16_t level = 100;
  ChainsHeader* chains = nullptr;
  SeriesHeader* series = nullptr;
  int32_t* verboseTuples = nullptr;  // read and cleared by the unknown-number tuple solvers
};

// Runs the solver of `role` from the table (the production solvers by default) and returns
// what it returned.
int32_t callSolver(MessageSink& window, SolverRole role, const SolverCall& call,
                   const SimulationSolvers& solvers = productionSolvers());
