#include "tests/support/test_scale.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

// The positive number in `variable`, or 0 when it is unset or holds anything else.
double positiveNumberIn(const char* variable) {
  const char* s = std::getenv(variable);
  if (s == nullptr) return 0.0;
  char* end = nullptr;
  const double v = std::strtod(s, &end);
  return end != s && *end == '\0' && std::isfinite(v) && v > 0 ? v : 0.0;
}

int scaledBy(int full, double factor) {
  const double scaled = std::round(full * factor);
  if (scaled >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  return scaled < 1.0 ? 1 : static_cast<int>(scaled);
}

}  // namespace

// Anything but a positive number (a typo, "0", "-1", "inf") counts as 1.
double testScaleFactor() {
  const double v = positiveNumberIn("DETECTION_TEST_SCALE");
  return v > 0 ? v : 1.0;
}

double testScaleFactor(const char* variable) {
  const double v = positiveNumberIn(variable);
  return v > 0 ? v : testScaleFactor();
}

int scaledCount(int full) { return scaledBy(full, testScaleFactor()); }

int scaledCount(int full, const char* variable) { return scaledBy(full, testScaleFactor(variable)); }
