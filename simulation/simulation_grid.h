#pragma once
#include <cstdint>
#include <string>

#include "processing/working_limits.h"

class MessageSink;

// The values that define a statistical simulation grid, as the simulation dialog and the
// command-line companion hold them before the run.
struct SimulationGrid {
  uint32_t seriesSize = 1200;  // N
  uint16_t impulseSize = 20;   // L
  uint16_t tmin = 40;
  uint16_t tmax = 181;
  uint16_t minPulses = 6;        // first pulse count
  uint16_t maxPulses = 30;       // last pulse count
  uint16_t pulsesIncrement = 1;  // 0 counts as 1
  uint16_t noiseInitialLevel = 0;
  uint16_t noiseSteps = 29;
  uint16_t noiseIncrement = 5;
  uint16_t repeats = 100;
};

// What is wrong with series of N samples, etalons of L samples and distances Tmin .. Tmax for a
// simulation (Tmin 0, Tmax below Tmin, L 0, N below L or above kMaxSolverSeriesSize);
// empty when nothing is.
std::string seriesShapeProblem(uint32_t seriesSize, uint16_t impulseSize, uint16_t tmin, uint16_t tmax);

// What is wrong with a pulse count for such series: outside max(1, (N + L - 1) / Tmax) ..
// (N - L + Tmin) / Tmin; empty when it is admissible. Expects a shape without problem.
std::string pulseCountProblem(uint32_t seriesSize, uint16_t impulseSize, uint16_t tmin, uint16_t tmax,
                              uint16_t pulses);

// What is wrong with a whole grid: no repeats, no noise steps, an inverted pulse range, a pulse
// count or a noise level out of range, or a series shape problem; empty when nothing is.
std::string simulationGridProblem(const SimulationGrid& grid);

// Number of pulse-count values of a grid: (max - min) / increment + 1 (increment 0 counts as 1);
// 0 for an inverted range.
uint16_t simulationPulseSteps(const SimulationGrid& grid);

// Shows the grid's problem, if any, in a message box (caption " Simulation parameters ",
// warning icon). Returns 1 when the grid can be simulated, 0 after the message.
int validateSimulationGrid(MessageSink& window, const SimulationGrid& grid);
