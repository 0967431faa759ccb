#pragma once
// Progress of a long run on standard error: "simulate: 12 of 725 cells, 3.4 s", one line per
// report, or one line rewritten in place when standard error is a terminal.
#include <chrono>
#include <cstdint>
#include <string>

class ProgressLine {
 public:
  // `command` starts every line. Nothing is shown before `quietSeconds` have passed since the
  // start, and after that at most one line per `everySeconds` (the last step always has its
  // line once any was shown): a short run stays silent and a run of many quick steps does not
  // flood the terminal.
  explicit ProgressLine(std::string command, double quietSeconds = 0, double everySeconds = 0);

  // Reports `done` of `total` steps counted in `unit` ("cells", "subsets").
  void operator()(const char* unit, uint64_t done, uint64_t total);

  // Ends a line left open on a terminal, so that a message can follow (a stopped run).
  void endLine();

 private:
  std::string command_;
  double quietSeconds_;
  double everySeconds_;
  std::chrono::steady_clock::time_point start_;
  double lastShown_ = 0;
  bool terminal_;
  bool shown_ = false;
  bool open_ = false;  // a terminal line waits for its end
};
