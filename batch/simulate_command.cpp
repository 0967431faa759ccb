#include "batch/simulate_command.h"

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>

#include "batch/checked_output.h"
#include "batch/exit_status.h"
#include "batch/failure_boundary.h"
#include "batch/progress_line.h"
#include "batch/simulation_files.h"
#include "batch/workbench_runs.h"
#include "batch/workbench_start.h"
#include "files/atomic_file.h"
#include "files/stop_signals.h"
#include "signal/series_header.h"
#include "simulation/rest_err_header.h"
#include "simulation/simulation_driver.h"

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
  ProgressLine progress("simulate");
  how.progress = [&progress](uint32_t done, uint32_t total) { progress("cells", done, total); };
  // SIGINT and SIGTERM: the first asks the run to stop between cells (the temporary files are
  // then removed and the targets left as they were); a second one ends the program at once,
  // removing them too.
  const StopRequest signals;
  how.stopRequested = [&signals] { return signals.stopped(); };
  const uint32_t shard = m.shard;
  const uint32_t shards = m.shards;
  if (shards > 1) how.computeCell = [=](uint32_t cell) { return shardOfCell(cell, shards) == shard; };
  SimulationTimes times;
  const RunOutcome outcome = simulationRun(start, m, how, &times);
  if (signals.stopped()) {
    progress.endLine();
    std::fprintf(stderr, "detection-batch: the simulation was stopped by %s; no table was written\n",
                 signals.signal() == SIGTERM ? "SIGTERM" : "SIGINT");
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
