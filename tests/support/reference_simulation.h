#pragma once
#include <cstdint>

class MessageSink;
struct PulseHeader;
struct RandomSeeds;
struct RestErrHeader;
struct SeriesHeader;
struct SimulationSolvers;

// The simulation loop written straight from its description: one trial after another, each
// series made, noised and solved in the one series header with one chains header, the errors
// summed as they come. No threads, no copies. It takes the grid and the stamps of an error
// header prepared like the driver's and fills its tables; returns 1, or 0 when a set-up step
// fails (no messages of its own). The measures are the production ones (tested on their own).
int referenceStatCutoffTrawling(MessageSink& window, RestErrHeader* errors, uint16_t alphabetSize,
                                PulseHeader* alphabet, uint16_t requiredCount, const uint16_t* requiredList,
                                uint16_t seriesType, uint16_t taskType, uint16_t makingLevel,
                                uint16_t processingLevel, SeriesHeader*& series, RandomSeeds& seeds,
                                int16_t amplitude, uint16_t subsetProceeding,
                                const SimulationSolvers& solvers);
