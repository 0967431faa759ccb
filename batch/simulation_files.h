#pragma once
// The files of a simulation: its description for result files, and writing them.
#include <string>

#include "files/simulation_result.h"

struct RestErrHeader;
struct SimulateSettings;

// The description of the run of the settings, with the grid of the initialised error header.
SimulationRun simulationRunOf(const SimulateSettings& settings, const RestErrHeader& errors);
