#include "platform/progress_estimate.h"

#include <cmath>
#include <cstdio>

std::string timeLeftText(double elapsedSeconds, uint32_t done, uint32_t total) {
  if (done == 0 || done >= total || !(elapsedSeconds >= 0)) return {};
  const double left = elapsedSeconds * static_cast<double>(total - done) / static_cast<double>(done);
  // Rounded up to whole seconds; anything beyond 99 hours is shown as 99 hours.
  const long long seconds = static_cast<long long>(std::ceil(std::fmin(left, 99.0 * 3600.0 + 59 * 60 + 59)));
  char text[48];
  if (seconds >= 3600)
    std::snprintf(text, sizeof text, "time left: about %lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
  else
    std::snprintf(text, sizeof text, "time left: about %lld:%02lld", seconds / 60, seconds % 60);
  return text;
}
