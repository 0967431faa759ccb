#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "batch/commands.h"
#include "batch/simulation_files.h"
#include "batch/subset_tables.h"
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
  const ProcessSettings& p = m.process;
  AtomicFile csv(m.csv), json(m.json), output(m.output);
  if ((!m.csv.empty() && !openOutput("--csv", csv)) || (!m.json.empty() && !openOutput("--json", json)) ||
      (!m.output.empty() && !openOutput("--output", output))) {
    return kExitBadOptions;
  }
  WorkbenchStart start;
  if (!start.ready || !prepareSeriesHeader(start, p.series)) return kExitFailed;
  const SubsetTables subsets(p.subsets);
  if (!applySubsets(start.window, p, subsets, start.series)) return kExitFailed;

  start.errors = getRestErrHeader(start.window, m.pulseSteps, m.noiseSteps, m.repeats, start.errors);
  if (start.errors == nullptr) return kExitFailed;
  if (initRestErrHeader(start.window, m.pulseSteps, m.pulsesFrom, m.pulsesStep, m.noiseSteps, m.noiseFirst,
                        m.noiseStep, m.repeats, start.errors) == 0) {
    return kExitFailed;
  }
  SimulationResult result;
  result.run = simulationRunOf(m, *start.errors);
  SimulationSettings settings;
  settings.wAmplitude = kBatchAmplitude;
  settings.subsetProceeding = p.proceeding;
  settings.workerThreads = m.threads;
  settings.progress = ProgressLine();
  const uint32_t shard = m.shard;
  const uint32_t shards = m.shards;
  if (shards > 1) settings.computeCell = [=](uint32_t cell) { return shardOfCell(cell, shards) == shard; };
  SimulationTimes times;
  const int complete = statCutoffTrawling(start.window, start.errors, kBatchEtalons, start.alphabet,
                                          static_cast<uint16_t>(p.required.size()), p.required.data(),
                                          p.seriesType, p.effectiveTaskType, p.series.makingLevel,
                                          p.processingLevel, start.series, start.seeds, times, settings);
  if (complete != 1 || (shards <= 1 && start.errors->ifComplete != 1)) {
    std::fputs("detection-batch: the simulation did not complete\n", stderr);
    return kExitFailed;
  }
  result.startTime = times.simulationStartTime;
  result.endTime = times.simulationEndTime;
  if (shards > 1) {
    result.cells = cellsOfErrors(*start.errors, settings.computeCell);
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
    return finishOutput("--output", output, simulationResultJson(result)) ? kExitOk : kExitFailed;
  }
  if (!m.json.empty() && !finishOutput("--json", json, simulationResultJson(result))) return kExitFailed;
  const std::string table = simulationCsv(result);
  const bool written = !m.csv.empty() ? finishOutput("--csv", csv, table) : writeStandardOutput(table);
  return written ? kExitOk : kExitFailed;
}
