#include "tests/support/test_scale.h"

#include <cstdlib>

int testScale() {
  const char* s = std::getenv("DETECTION_TEST_SCALE");
  const int v = s != nullptr ? std::atoi(s) : 1;
  return v > 0 ? v : 1;
}
