#pragma once
#include <cstdint>
#include <ctime>
#include <functional>

#include "signal/series_maker.h"

class MessageSink;
struct PulseHeader;
struct RandomSeeds;
struct RestErrHeader;
struct SeriesHeader;
struct SimulationSolvers;

// Calendar times (seconds) of the start and the end of the last simulation.
struct SimulationTimes {
  std::time_t simulationStartTime = 0;
  std::time_t simulationEndTime = 0;
};

// How a simulation runs beyond what defines its results.
struct SimulationSettings {
  int16_t wAmplitude = 128;       // amplitude setting given to the series maker and addNoise
  uint16_t subsetProceeding = 1;  // given to the tuples solvers
  // Worker threads that solve the trials of a cell side by side: 1 solves them one after
  // another, 0 uses every available core. The results do not depend on it.
  unsigned workerThreads = 1;
  // Called on the calling thread after every finished cell with the cells done and the cells
  // of the whole grid. It changes no result.
  std::function<void(uint32_t cellsDone, uint32_t cellsTotal)> progress;
  // Asked on the calling thread between cells; true ends the run early (tables incomplete).
  std::function<bool()> stopRequested;
  // Which cells to compute, by index j x (noise levels) + k (pulse counts outer, levels inner);
  // empty computes every cell. The trials of the other cells are passed over without making
  // their series, so every computed cell gets exactly the result of a whole run, and the seeds
  // end as after a whole run.
  std::function<bool(uint32_t cell)> computeCell;
  // The solvers to call; null means productionSolvers().
  const SimulationSolvers* solvers = nullptr;
};

// Runs a statistical simulation over the grid of the error header: for every pulse count Q and
// noise level it makes `repeats` series with getCutOffSeries and addNoise (from seeds, in one
// fixed order whatever the number of threads; the seeds at the start of every trial are computed
// without making the earlier series, so series are made on the worker threads), runs the solver of (taskType,
// seriesType) on each, and stores the cell's mean restoring error, total position error and recognition
// mismatches. The etalon sequence follows the schedule of the task type (1, 2, 4, 64, 36, 40).
// The series header must have been prepared with the run's length and distances; afterwards it
// holds the last trial's series and answer, with its subset size as before. Times go to times.
// Returns 1 when every cell asked for is computed, with ifComplete = 1 when that is the whole grid; 0 after a
// message (no error header, an invalid grid or series, a set-up or series failure, a solver failure), or
// without a message when stopRequested ended the run. A series that could not be made leaves series null (its
// header was released by the maker).
int statCutoffTrawling(MessageSink& window, RestErrHeader* errors, uint16_t alphabetSize,
                       PulseHeader* alphabet, uint16_t requiredCount, const uint16_t* requiredList,
                       uint16_t seriesType, uint16_t taskType, uint16_t makingLevel, uint16_t processingLevel,
                       SeriesHeader*& series, RandomSeeds& seeds, SimulationTimes& times,
                       const SimulationSettings& settings);

// The step D of the etalon-combination schedule of tasks 4 and 64: (repeats x Q) shifted right
// by Q bits; 0 for Q of 31 or more, where the combination then changes at every trial.
int64_t combinationStep(int32_t repeats, uint16_t pulses);
