#include "tests/support/test_scale.h"

#include <cmath>
#include <cstdlib>
#include <limits>

double testScaleFactor() {
  const char* s = std::getenv("DETECTION_TEST_SCALE");
  if (s == nullptr) return 1.0;
  char* end = nullptr;
  const double v = std::strtod(s, &end);
  // Anything but a positive number (a typo, "0", "-1", "inf") counts as 1.
  return end != s && *end == '\0' && std::isfinite(v) && v > 0 ? v : 1.0;
}

int scaledCount(int full) {
  const double scaled = std::round(full * testScaleFactor());
  if (scaled >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  return scaled < 1.0 ? 1 : static_cast<int>(scaled);
}
