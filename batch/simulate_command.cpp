#include "batch/simulate_command.h"

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>

#include "batch/checked_output.h"
#include "batch/exit_status.h"
#include "batch/failure_boundary.h"
#include "batch/simulation_files.h"
#include "batch/workbench_runs.h"
#include "batch/workbench_start.h"
#include "files/atomic_file.h"
#include "signal/series_header.h"
#include "simulation/rest_err_header.h"
#include "simulation/simulation_driver.h"

namespace {

// SIGINT and SIGTERM during a run: the first asks the run to stop between cells (the
// temporary file is then removed and the target left as it was); a second one removes the
// temporary file itself and ends the program at once.
volatile std::sig_atomic_t stopSignal = 0;
constexpr int kStopFiles = 3;
char temporaryToRemove[kStopFiles][4096] = {};

extern "C" void onStopSignal(int signal) {
  if (stopSignal == 0) {
    stopSignal = signal;
    return;
  }
  for (int i = 0; i < kStopFiles; ++i) {
    if (temporaryToRemove[i][0] != '\0') ::unlink(temporaryToRemove[i]);
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

class StopSignals {
 public:
  explicit StopSignals(std::initializer_list<const AtomicFile*> files) {
    stopSignal = 0;
    int slot = 0;
    for (const AtomicFile* file : files) {
      const std::string& path = file->temporaryPath();
      if (slot < kStopFiles && path.size() < sizeof temporaryToRemove[slot]) {
        std::memcpy(temporaryToRemove[slot++], path.c_str(), path.size() + 1);
      }
    }
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousInt_);
    sigaction(SIGTERM, &action, &previousTerm_);
  }
  ~StopSignals() {
    sigaction(SIGINT, &previousInt_, nullptr);
    sigaction(SIGTERM, &previousTerm_, nullptr);
    for (int i = 0; i < kStopFiles; ++i) temporaryToRemove[i][0] = '\0';
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  bool stopped() const { return stopSignal != 0; }

 private:
  struct sigaction previousInt_ {};
  struct sigaction previousTerm_ {};
};

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
  const Making making("the simulation tables");
  // The outputs are opened now, so that a folder that cannot be written is found before the
  // run; each replaces its target only when the run is complete.
  AtomicFile csv(m.csv), json(m.json), output(m.output);
  if ((!m.csv.empty() && !openOutputFile("--csv", csv)) ||
      (!m.json.empty() && !openOutputFile("--json", json)) ||
      (!m.output.empty() && !openOutputFile("--output", output))) {
    return kExitBadOptions;
  }
  WorkbenchStart start;
  SimulationSettings how;
  how.progress = ProgressLine();
  const StopSignals signals({&csv, &json, &output});
  how.stopRequested = [&signals] { return signals.stopped(); };
  const uint32_t shard = m.shard;
  const uint32_t shards = m.shards;
  if (shards > 1) how.computeCell = [=](uint32_t cell) { return shardOfCell(cell, shards) == shard; };
  SimulationTimes times;
  const RunOutcome outcome = simulationRun(start, m, how, &times);
  if (signals.stopped()) {
    std::fprintf(stderr, "detection-batch: the simulation was stopped by %s; no table was written\n",
                 stopSignal == SIGTERM ? "SIGTERM" : "SIGINT");
    return kExitFailed;
  }
  if (!outcome.ok) {
    if (!outcome.failure.empty()) std::fprintf(stderr, "detection-batch: %s\n", outcome.failure.c_str());
    return kExitFailed;
  }
  SimulationResult result;
  result.run = simulationRunOf(m, *start.errors);
  result.startTime = times.simulationStartTime;
  result.endTime = times.simulationEndTime;
  if (shards > 1) {
    result.cells = cellsOfErrors(*start.errors, how.computeCell);
  } else {
    result.cells = cellsOfErrors(*start.errors);
  }
  // The last trial's series is in the header when this run computed the grid's last cell.
  const uint32_t lastCell = result.run.cellCount() - 1;
  const PulseHeader* first = start.series != nullptr ? start.series->lpFirstPulse : nullptr;
  if ((shards <= 1 || shardOfCell(lastCell, shards) == shard) && first >= start.alphabet &&
      first < start.alphabet + kBatchEtalons) {
    result.firstPulseEtalon = static_cast<uint16_t>(first - start.alphabet + 1);
  }
  if (shards != 0) {
    result.shard = shard;
    result.shards = shards;
    return commitOutputFile("--output", output, simulationResultJson(result)) ? kExitOk : kExitFailed;
  }
  if (!m.json.empty() && !commitOutputFile("--json", json, simulationResultJson(result))) return kExitFailed;
  const Making table("the CSV table");
  const std::string text = simulationCsv(result);
  if (m.csv.empty()) return writeStandardOutput(text) && finishStandardOutput() ? kExitOk : kExitFailed;
  return commitOutputFile("--csv", csv, text) ? kExitOk : kExitFailed;
}
