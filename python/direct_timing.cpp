// Times the module's default detection called directly from C++ (see direct_run.h). Prints the
// seconds per call and the restored pulses summed over the calls.
//
//   detection_direct_timing [REPEATS [checks [fresh]]]
#include <cstdio>
#include <cstdlib>

#include "python/direct_run.h"

int main(int argc, char** argv) {
  const int repeats = argc > 1 ? std::atoi(argv[1]) : 200;
  const DirectRunTiming timing = timeDirectRuns(repeats, argc > 2, argc > 3);
  if (!timing.ok) return 1;
  std::printf("%.9f %lld\n", timing.secondsPerCall, static_cast<long long>(timing.restored));
  return 0;
}
