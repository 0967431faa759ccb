#pragma once
#include <cstdint>

#include "batch/options.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

// The options of a series, shared by series, process and simulate; --pulses is read into pulses
// and reported through the option it gives back (null without withCountAndSequence).
CLI::Option* addSeriesOptions(CLI::App& command, SeriesOptions& o, int64_t& pulses,
                              bool withCountAndSequence);

// The options of a solver run, shared by process and simulate.
void addProcessOptions(CLI::App& command, ProcessOptions& o);

// --pulses into the options when it was given.
void takePulses(SeriesOptions& o, const CLI::Option* option, int64_t value);
