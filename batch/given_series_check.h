#pragma once
#include <stdexcept>
#include <string>

#include "batch/options.h"

// A series the user gave (a file, or an array of the module) that is too short for one pulse:
// its message names the series, not --length, which the user did not give.
struct SeriesTooShort : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// checkProcess for options whose series length is the length of the series given as `source`;
// throws SeriesTooShort with the one message of files/series_fit.h when no pulse fits it, and
// OptionError for every other refusal.
ProcessSettings checkGivenProcess(const ProcessOptions& options, const std::string& source);
