#pragma once
// The module's default detection called directly from C++: the same run (givenDataRun on the
// workbench's default series, built-in alphabet) repeated, for comparing with the module's
// overhead. Shared by the timing program and the timing extension, which runs the same loop
// inside the interpreter's process.
#include <cstdint>

struct DirectRunTiming {
  double secondsPerCall = 0;
  int64_t restored = 0;  // restored pulses summed over the calls, the module's answer times repeats
  bool ok = false;
};

// checks: each call also scales float64 values and checks the options, as the module's solve
// does; fresh: each call also starts a fresh workbench, as the module-level solve() does
// (Workbench.solve keeps one).
DirectRunTiming timeDirectRuns(int repeats, bool checks, bool fresh);
