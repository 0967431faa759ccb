#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "batch/commands.h"
#include "batch/workbench_runs.h"
#include "batch/workbench_start.h"
#include "signal/series_header.h"
#include "simulation/rest_err_header.h"
#include "simulation/simulation_driver.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
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
void writeCsv(std::FILE* out, const RestErrHeader& errors) {
  std::fputs("noise_level,pulses,restoring_error,position_error,recognition_errors\n", out);
  for (uint16_t k = 0; k < errors.wNoiseLevels; ++k) {
    for (uint16_t j = 0; j < errors.wVariousPulses; ++j) {
      std::fprintf(out, "%d,%d,%d,%d,%d\n", errors.lpNoiseLevel[k], errors.wPulseValues[j],
                   errors.lpErrors[k][j], errors.lpFragmentErrors[k][j], errors.lpRecognitionErrors[k][j]);
    }
  }
  std::fflush(out);
}

}  // namespace

int runSimulate(const SimulateSettings& m) {
  std::unique_ptr<std::FILE, FileCloser> file;
  if (!m.csv.empty()) {
    file.reset(std::fopen(m.csv.c_str(), "w"));
    if (!file) {
      std::fprintf(stderr, "detection-batch: --csv: cannot open \"%s\" for writing\n", m.csv.c_str());
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
  writeCsv(file ? file.get() : stdout, *start.errors);
  if (file && std::ferror(file.get())) {
    std::fprintf(stderr, "detection-batch: --csv: writing \"%s\" failed\n", m.csv.c_str());
    return kExitFailed;
  }
  return kExitOk;
}
