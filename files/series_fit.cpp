#include "files/series_fit.h"

#include "signal/pulse_bounds.h"

std::string seriesTooShortProblem(const std::string& source, uint64_t n, int64_t impulseSize, int64_t tmin,
                                  int64_t tmax) {
  const auto inBounds = [](int64_t v) { return v >= 1 && v <= 65535; };
  bool fits = inBounds(impulseSize) && n >= static_cast<uint64_t>(impulseSize) && n <= UINT32_MAX;
  if (fits && inBounds(tmin) && inBounds(tmax)) {
    const auto size = static_cast<uint32_t>(n);
    const auto l = static_cast<uint16_t>(impulseSize);
    fits = maxPulsesFor(size, l, static_cast<uint16_t>(tmin)) >=
           seriesMinPulses(size, l, static_cast<uint16_t>(tmax));
  }
  if (fits) return {};
  return seriesTooShortText(source, n, impulseSize, tmin, tmax);
}

std::string seriesTooShortText(const std::string& source, uint64_t n, int64_t impulseSize, int64_t tmin,
                               int64_t tmax) {
  return "\"" + source + "\": the series of " + std::to_string(n) +
         " samples holds no admissible pulses of " + std::to_string(impulseSize) + " samples with Tmin " +
         std::to_string(tmin) + " and Tmax " + std::to_string(tmax);
}
