#pragma once
// A run of the companion that may take long: once it has taken 2 s, the steps its solver
// reports show as progress lines on standard error ("process: 40 of 5000 subsets, 3.1 s", at
// most one a second), and SIGINT or SIGTERM asks the solver to stop at its next step.
#include "batch/progress_line.h"
#include "batch/stop_signals.h"

class StderrWindow;

class WatchedRun {
 public:
  // Watches what the libraries report to `window` until destroyed; `command` starts the lines.
  WatchedRun(StderrWindow& window, const char* command);
  ~WatchedRun();
  WatchedRun(const WatchedRun&) = delete;
  WatchedRun& operator=(const WatchedRun&) = delete;

  // True when a signal stopped the run; the line "detection-batch: the run was stopped by
  // SIGINT; nothing was written" (or SIGTERM) is then on standard error.
  bool stopped();

 private:
  StderrWindow& window_;
  ProgressLine line_;
  StopSignals signals_;
};
