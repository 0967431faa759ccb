#pragma once
#include "batch/options.h"

// Runs a statistical simulation over the grid and writes its CSV table (and its whole result
// as JSON), or computes one shard of the grid and writes its shard file.
int runSimulate(const SimulateSettings& settings);
