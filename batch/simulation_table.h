#pragma once
#include <string>

#include "batch/json_output.h"

struct RestErrHeader;

// The error tables of a finished simulation: "noise_level" and "pulses" (the grid), then
// "restoring_error", "position_error" and "recognition_errors", each one row per noise level
// and one value per pulse count.
OrderedJson simulationTableJson(const RestErrHeader& errors);

// The tables as CSV: the header line
// noise_level,pulses,restoring_error,position_error,recognition_errors, then one line per
// cell, noise levels outer and pulse counts inner.
std::string simulationCsv(const OrderedJson& table);
