#include "batch/merge_command.h"

// merge: the shard files of one run into its whole result.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "batch/checked_output.h"
#include "batch/commands.h"
#include "batch/exit_status.h"
#include "batch/failure_boundary.h"
#include "batch/simulation_files.h"
#include "batch/watched_run.h"
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
  const Making making("the merged result");
  AtomicFile csv(options.csv), json(options.json);
  if ((!options.csv.empty() && !openOutputFile("--csv", csv)) ||
      (!options.json.empty() && !openOutputFile("--json", json)))
    return kExitBadOptions;

  WatchedRun watched("merge");
  std::vector<SimulationResult> parts(options.parts.size());
  for (size_t i = 0; i < parts.size(); ++i) {
    std::string error;
    if (!readSimulationResult(options.parts[i], parts[i], error))
      return watched.stopped() ? kExitFailed : refuse(error);
    if (!watched.step("shard files", i + 1, parts.size()) && watched.stopped()) return kExitFailed;
    if (i > 0 && !(parts[i].run == parts[0].run)) {
      return refuse("\"" + options.parts[i] + "\" belongs to another run than \"" + options.parts[0] +
                    "\" (fingerprint " + simulationRunFingerprint(parts[i].run) + ", not " +
                    simulationRunFingerprint(parts[0].run) + ")");
    }
  }
  // Every table here is as large as the cells the parts hold, never as the grid they declare:
  // a forged part cannot make the merge allocate more than its own size.
  const SimulationRun& run = parts[0].run;
  const uint32_t cellCount = run.cellCount();
  struct Held {
    uint32_t cell;
    uint32_t part;
    uint32_t place;  // within its part
  };
  std::vector<Held> held;
  size_t heldCount = 0;
  for (const SimulationResult& part : parts) heldCount += part.cells.size();
  held.reserve(heldCount);
  for (size_t i = 0; i < parts.size(); ++i) {
    for (size_t c = 0; c < parts[i].cells.size(); ++c)
      held.push_back({parts[i].cells[c].index, static_cast<uint32_t>(i), static_cast<uint32_t>(c)});
  }
  std::sort(held.begin(), held.end(), [](const Held& a, const Held& b) {
    return a.cell != b.cell ? a.cell < b.cell : a.part != b.part ? a.part < b.part : a.place < b.place;
  });
  // A cell given twice: the one met first when the parts are read in order is named.
  const Held* twice = nullptr;
  const Held* firstOwner = nullptr;
  for (size_t i = 1; i < held.size(); ++i) {
    if (held[i].cell != held[i - 1].cell || (i > 1 && held[i - 2].cell == held[i].cell)) continue;
    if (twice == nullptr || held[i].part < twice->part ||
        (held[i].part == twice->part && held[i].place < twice->place)) {
      twice = &held[i];
      firstOwner = &held[i - 1];
    }
  }
  if (twice != nullptr) {
    return refuse(describeCell(run, twice->cell) + " is in both \"" + options.parts[firstOwner->part] +
                  "\" and \"" + options.parts[twice->part] + "\"");
  }
  if (held.size() < cellCount) {
    std::string text;
    size_t named = 0;
    size_t next = 0;  // the first held cell not yet passed
    for (uint32_t c = 0; c < cellCount && named < 6; ++c) {
      if (next < held.size() && held[next].cell == c) {
        ++next;
        continue;
      }
      if (named < 5) text += (named ? ", " : "") + describeCell(run, c);
      ++named;
    }
    if (named > 5) text += ", ...";
    return refuse(std::to_string(cellCount - held.size()) + " of " + std::to_string(cellCount) +
                  " cells are in no part: " + text);
  }
  SimulationResult whole;
  whole.run = run;
  whole.cells.reserve(cellCount);
  for (const Held& h : held) whole.cells.push_back(parts[h.part].cells[h.place]);
  whole.startTime = parts[0].startTime;
  whole.endTime = parts[0].endTime;
  for (const SimulationResult& part : parts) {
    whole.startTime = std::min(whole.startTime, part.startTime);
    whole.endTime = std::max(whole.endTime, part.endTime);
    whole.firstPulseEtalon = std::max(whole.firstPulseEtalon, part.firstPulseEtalon);
  }
  if (watched.stopped()) return kExitFailed;
  if (!options.json.empty() && !commitOutputFile("--json", json, simulationResultJson(whole)))
    return kExitFailed;
  const std::string table = simulationCsv(whole);
  if (!options.csv.empty()) return commitOutputFile("--csv", csv, table) ? kExitOk : kExitFailed;
  // Without --csv the table goes to standard output, unless only the JSON was asked for.
  if (options.json.empty())
    return writeStandardOutput(table) && finishStandardOutput() ? kExitOk : kExitFailed;
  return kExitOk;
}
