#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "batch/checked_output.h"
#include "batch/commands.h"
#include "batch/failure_boundary.h"
#include "batch/subset_tables.h"
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
char temporaryToRemove[4096] = {};

extern "C" void onStopSignal(int signal) {
  if (stopSignal == 0) {
    stopSignal = signal;
    return;
  }
  if (temporaryToRemove[0] != '\0') ::unlink(temporaryToRemove);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

class StopSignals {
 public:
  explicit StopSignals(const AtomicFile& file) {
    stopSignal = 0;
    const std::string& path = file.temporaryPath();
    if (path.size() < sizeof temporaryToRemove) std::memcpy(temporaryToRemove, path.c_str(), path.size() + 1);
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousInt_);
    sigaction(SIGTERM, &action, &previousTerm_);
  }
  ~StopSignals() {
    sigaction(SIGINT, &previousInt_, nullptr);
    sigaction(SIGTERM, &previousTerm_, nullptr);
    temporaryToRemove[0] = '\0';
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

// noise_level,pulses,restoring_error,position_error,recognition_errors; noise levels outer,
// pulse counts inner.
std::string csvTable(const RestErrHeader& errors) {
  std::string text = "noise_level,pulses,restoring_error,position_error,recognition_errors\n";
  char line[96];
  for (uint16_t k = 0; k < errors.wNoiseLevels; ++k) {
    for (uint16_t j = 0; j < errors.wVariousPulses; ++j) {
      const int n = std::snprintf(line, sizeof line, "%d,%d,%d,%d,%d\n", errors.lpNoiseLevel[k],
                                  errors.wPulseValues[j], errors.lpErrors[k][j],
                                  errors.lpFragmentErrors[k][j], errors.lpRecognitionErrors[k][j]);
      text.append(line, static_cast<size_t>(n));
    }
  }
  return text;
}

}  // namespace

int runSimulate(const SimulateSettings& m) {
  const ProcessSettings& p = m.process;
  const Making making("the simulation tables");
  // The temporary file is made now, so that a folder that cannot be written is found before
  // the run; the table replaces the target only when the run is complete.
  AtomicFile file(m.csv);
  if (!m.csv.empty() && !file.open()) {
    reportFileError("--csv", file);
    return kExitBadOptions;
  }
  WorkbenchStart start;
  if (!start.ready || !prepareSeriesHeader(start, p.series)) return kExitFailed;
  const SubsetTables subsets(p.subsets);
  if (!applySubsets(start.window, p, subsets, start.series)) return kExitFailed;

  const int messagesBefore = start.window.messageCount();
  start.errors = getRestErrHeader(start.window, m.pulseSteps, m.noiseSteps, m.repeats, start.errors);
  if (start.errors == nullptr ||
      initRestErrHeader(start.window, m.pulseSteps, m.pulsesFrom, m.pulsesStep, m.noiseSteps, m.noiseFirst,
                        m.noiseStep, m.repeats, start.errors) == 0) {
    saidWhyNot(start.window, messagesBefore, "the error tables");
    return kExitFailed;
  }
  SimulationSettings settings;
  settings.wAmplitude = kBatchAmplitude;
  settings.subsetProceeding = p.proceeding;
  settings.workerThreads = m.threads;
  settings.progress = ProgressLine();
  const StopSignals signals(file);
  settings.stopRequested = [&signals] { return signals.stopped(); };
  SimulationTimes times;
  const int complete = statCutoffTrawling(start.window, start.errors, kBatchEtalons, start.alphabet,
                                          static_cast<uint16_t>(p.required.size()), p.required.data(),
                                          p.seriesType, p.effectiveTaskType, p.series.makingLevel,
                                          p.processingLevel, start.series, start.seeds, times, settings);
  if (signals.stopped()) {
    std::fprintf(stderr, "detection-batch: the simulation was stopped by %s; no table was written\n",
                 stopSignal == SIGTERM ? "SIGTERM" : "SIGINT");
    return kExitFailed;
  }
  if (complete != 1 || start.errors->ifComplete != 1) {
    std::fputs("detection-batch: the simulation did not complete\n", stderr);
    return kExitFailed;
  }
  const Making table("the CSV table");
  const std::string text = csvTable(*start.errors);
  if (m.csv.empty()) return writeStandardOutput(text) && finishStandardOutput() ? kExitOk : kExitFailed;
  return commitOutputFile("--csv", file, text) ? kExitOk : kExitFailed;
}
