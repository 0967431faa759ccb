#pragma once
#include <string>

#include "batch/json_output.h"

struct RestErrHeader;

// The error tables of a finished simulation: "noise_level" and "pulses" (the grid), then
// "restoring_error", "position_error" and "recognition_errors", each one row per noise level
// and one value per pulse count.
OrderedJson simulationTableJson(const RestErrHeader& errors);
