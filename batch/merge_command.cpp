#include "batch/merge_command.h"

// merge: the shard files of one run into its whole result.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "batch/checked_output.h"
#include "batch/exit_status.h"
#include "batch/simulation_files.h"
#include "files/atomic_file.h"

namespace {

std::string describeCell(const SimulationRun& run, uint32_t cell) {
  const size_t levels = run.noiseLevels.size();
  return "cell " + std::to_string(cell) + " (pulses " + std::to_string(run.pulseValues[cell / levels]) +
         ", noise level " + std::to_string(run.noiseLevels[cell % levels]) + ")";
}

int refuse(const std::string& text) {
  std::fprintf(stderr, "detection-batch: merge: %s\n", text.c_str());
  return kExitFailed;
}

}  // namespace

int runMerge(const MergeOptions& options) {
  if (options.parts.empty()) {
    std::fputs("detection-batch: merge: name the shard files to merge\n", stderr);
    return kExitBadOptions;
  }
  AtomicFile csv(options.csv), json(options.json);
  if ((!options.csv.empty() && !openOutputFile("--csv", csv)) ||
      (!options.json.empty() && !openOutputFile("--json", json)))
    return kExitBadOptions;

  std::vector<SimulationResult> parts(options.parts.size());
  for (size_t i = 0; i < parts.size(); ++i) {
    std::string error;
    if (!readSimulationResult(options.parts[i], parts[i], error)) return refuse(error);
    if (i > 0 && !(parts[i].run == parts[0].run)) {
      return refuse("\"" + options.parts[i] + "\" belongs to another run than \"" + options.parts[0] +
                    "\" (fingerprint " + simulationRunFingerprint(parts[i].run) + ", not " +
                    simulationRunFingerprint(parts[0].run) + ")");
    }
  }
  const SimulationRun& run = parts[0].run;
  const uint32_t cellCount = run.cellCount();
  constexpr size_t kNobody = static_cast<size_t>(-1);
  std::vector<size_t> owner(cellCount, kNobody);
  SimulationResult whole;
  whole.run = run;
  whole.cells.resize(cellCount);
  whole.startTime = parts[0].startTime;
  whole.endTime = parts[0].endTime;
  for (size_t i = 0; i < parts.size(); ++i) {
    whole.startTime = std::min(whole.startTime, parts[i].startTime);
    whole.endTime = std::max(whole.endTime, parts[i].endTime);
    whole.firstPulseEtalon = std::max(whole.firstPulseEtalon, parts[i].firstPulseEtalon);
    for (const SimulationCell& cell : parts[i].cells) {
      if (owner[cell.index] != kNobody) {
        return refuse(describeCell(run, cell.index) + " is in both \"" + options.parts[owner[cell.index]] +
                      "\" and \"" + options.parts[i] + "\"");
      }
      owner[cell.index] = i;
      whole.cells[cell.index] = cell;
    }
  }
  std::vector<uint32_t> missing;
  for (uint32_t c = 0; c < cellCount; ++c) {
    if (owner[c] == kNobody) missing.push_back(c);
  }
  if (!missing.empty()) {
    std::string text =
        std::to_string(missing.size()) + " of " + std::to_string(cellCount) + " cells are in no part: ";
    for (size_t i = 0; i < missing.size() && i < 5; ++i)
      text += (i ? ", " : "") + describeCell(run, missing[i]);
    if (missing.size() > 5) text += ", ...";
    return refuse(text);
  }
  if (!options.json.empty() && !commitOutputFile("--json", json, simulationResultJson(whole)))
    return kExitFailed;
  const std::string table = simulationCsv(whole);
  if (!options.csv.empty()) return commitOutputFile("--csv", csv, table) ? kExitOk : kExitFailed;
  // Without --csv the table goes to standard output, unless only the JSON was asked for.
  if (options.json.empty())
    return writeStandardOutput(table) && finishStandardOutput() ? kExitOk : kExitFailed;
  return kExitOk;
}
