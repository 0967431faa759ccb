#pragma once
#include "batch/options.h"

// The shard of --shard "K/N" (1 <= K <= N); without it and with --output, the shard of a Slurm
// array task from the environment variables read through getenv (SLURM_ARRAY_TASK_ID with
// SLURM_ARRAY_TASK_COUNT, or with SLURM_ARRAY_TASK_MIN and _MAX; _STEP when set). Sets K and N
// to 0 for the whole grid; throws OptionError naming --shard or the variable.
void checkShard(const SimulateOptions& options, SimulateSettings& settings,
                const char* (*getenv)(const char*));
