#pragma once
#include <cstdint>
#include <string>

// The one message for a series the user gave that is too short for a single pulse: the window,
// the companion and the module all give it, naming the file or the array it came from.
// Empty when pulses of impulseSize samples fit n samples with distances tmin .. tmax; otherwise
// "\"<source>\": the series of <n> samples holds no admissible pulses of <L> samples with Tmin
// <tmin> and Tmax <tmax>".
std::string seriesTooShortProblem(const std::string& source, uint64_t n, int64_t impulseSize, int64_t tmin,
                                  int64_t tmax);

// The text of that message, for a caller that has judged the fit itself.
std::string seriesTooShortText(const std::string& source, uint64_t n, int64_t impulseSize, int64_t tmin,
                               int64_t tmax);
