#include "batch/given_series_check.h"

#include "files/series_fit.h"

ProcessSettings checkGivenProcess(const ProcessOptions& options, const std::string& source) {
  try {
    return checkProcess(options);
  } catch (const OptionError& e) {
    if (e.option != "--length") throw;
    const SeriesOptions& s = options.series;
    const std::string problem =
        seriesTooShortProblem(source, static_cast<uint64_t>(s.length), s.impulseSize, s.tmin, s.tmax);
    if (problem.empty()) throw;
    throw SeriesTooShort(problem);
  }
}
