#pragma once
// A run of the companion that may take long: once it has taken 2 s, its steps show as progress
// lines on standard error ("process: 40 of 5000 subsets, 3.1 s", at most one a second), and
// SIGINT or SIGTERM asks it to stop at its next step.
#include <cstdint>

#include "batch/progress_line.h"
#include "files/stop_signals.h"

class StderrWindow;

class WatchedRun {
 public:
  // `command` starts the lines.
  explicit WatchedRun(const char* command);
  ~WatchedRun();
  WatchedRun(const WatchedRun&) = delete;
  WatchedRun& operator=(const WatchedRun&) = delete;

  // Shows that `done` of `total` steps counted in `unit` are done; false once a signal asked
  // the run to stop.
  bool step(const char* unit, uint64_t done, uint64_t total);

  // Takes the steps a solver reports to `window` as steps of this run, until destroyed.
  void watch(StderrWindow& window);

  // True when a signal stopped the run; the line "detection-batch: the run was stopped by
  // SIGINT; nothing was written" (or SIGTERM) is then on standard error.
  bool stopped();

 private:
  StderrWindow* window_ = nullptr;
  ProgressLine line_;
  StopRequest signals_;
};
