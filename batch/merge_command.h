#pragma once
#include "batch/options.h"

// Merges the shard files of one run and writes its CSV table and whole result; refuses parts of
// different runs, cells missing or given twice, and damaged files, naming them.
int runMerge(const MergeOptions& options);
