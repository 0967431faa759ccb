#include "batch/watched_run.h"

#include <csignal>
#include <cstdio>

#include "batch/stderr_window.h"

namespace {

// A run this short stays silent; a longer one shows a line at most this often.
constexpr double kQuietSeconds = 2.0;
constexpr double kSecondsBetweenLines = 1.0;

}  // namespace

WatchedRun::WatchedRun(const char* command) : line_(command, kQuietSeconds, kSecondsBetweenLines) {}

WatchedRun::~WatchedRun() {
  if (window_ != nullptr) window_->steps = nullptr;
}

bool WatchedRun::step(const char* unit, uint64_t done, uint64_t total) {
  if (signals_.stopped()) return false;
  line_(unit, done, total);
  return true;
}

void WatchedRun::watch(StderrWindow& window) {
  window_ = &window;
  window.steps = [this](const char* unit, uint64_t done, uint64_t total) { return step(unit, done, total); };
}

bool WatchedRun::stopped() {
  if (!signals_.stopped()) return false;
  line_.endLine();
  std::fprintf(stderr, "detection-batch: the run was stopped by %s; nothing was written\n",
               signals_.signal() == SIGTERM ? "SIGTERM" : "SIGINT");
  std::fflush(stderr);
  return true;
}
