#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "batch/commands.h"
#include "batch/simulation_table.h"
#include "batch/workbench_runs.h"
#include "files/atomic_file.h"
#include "batch/workbench_start.h"
#include "signal/series_header.h"
#include "simulation/rest_err_header.h"
#include "simulation/simulation_driver.h"

namespace {

// Progress on standard error: one line per finished cell, or one line rewritten in place
// when standard error is a terminal.
class ProgressLine {
 public:
  ProgressLine() : start_(std::chrono::steady_clock::now()), terminal_(isatty(STDERR_FILENO) == 1) {}

  void operator()(uint32_t done, uint32_t total) const {
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    std::fprintf(stderr, "%ssimulate: %u of %u cells, %.1f s%s", terminal_ ? "\r" : "", done, total, seconds,
                 terminal_ && done < total ? "" : "\n");
    std::fflush(stderr);
  }

 private:
  std::chrono::steady_clock::time_point start_;
  bool terminal_;
};

}  // namespace

int runSimulate(const SimulateSettings& m) {
  // The CSV file appears whole or not at all: a failed or stopped run leaves no half table.
  std::unique_ptr<AtomicFile> file;
  if (!m.csv.empty()) {
    file = std::make_unique<AtomicFile>(m.csv);
    if (!file->open()) {
      std::fprintf(stderr, "detection-batch: --csv: %s\n", file->error().c_str());
      return kExitBadOptions;
    }
  }
  WorkbenchStart start;
  SimulationSettings how;
  how.progress = ProgressLine();
  const RunOutcome outcome = simulationRun(start, m, how);
  if (!outcome.ok) {
    if (!outcome.failure.empty()) std::fprintf(stderr, "detection-batch: %s\n", outcome.failure.c_str());
    return kExitFailed;
  }
  const std::string csv = simulationCsv(simulationTableJson(*start.errors));
  if (!file) {
    std::fwrite(csv.data(), 1, csv.size(), stdout);
    std::fflush(stdout);
  } else if (!file->write(csv) || !file->commit()) {
    std::fprintf(stderr, "detection-batch: --csv: %s\n", file->error().c_str());
    return kExitFailed;
  }
  return kExitOk;
}
