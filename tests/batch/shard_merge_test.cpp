// Shards and merge: a simulation split into shards merges into exactly the CSV of the unsplit
// run, the Slurm script does the same, and merge refuses what is not one whole run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "batch_runner.h"
#include "tests/support/test_scale.h"

namespace {

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void writeText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> plus(std::vector<std::string> args, const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

// Writes the shards of a run as name-K.json and gives their paths.
std::vector<std::string> shardFiles(const std::vector<std::string>& grid, uint32_t shards,
                                    const char* threads, const std::string& name) {
  std::vector<std::string> paths;
  for (uint32_t k = 1; k <= shards; ++k) {
    const std::string path = temporaryPath(name + "-" + std::to_string(k) + ".json");
    const BatchResult run =
        runBatch(plus(grid, {"--threads", threads, "--shard",
                             std::to_string(k) + "/" + std::to_string(shards), "--output", path}));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    paths.push_back(path);
  }
  return paths;
}

const std::vector<std::string> kSmallGrid = {
    "simulate", "--length",     "300", "--pulses-from", "2", "--pulses-to", "4", "--noise-steps",
    "3",        "--noise-step", "30",  "--repeats",     "3"};

TEST(BatchShards, EveryTaskSplitIntoOneToSevenShardsMergesIntoTheUnsplitTable) {
  const std::vector<std::vector<std::string>> runs = {
      {"--task", "detection", "--series-type", "2", "--making-level", "80"},
      {"--task", "recognition", "--series-type", "4", "--required", "1,3,5"},
      {"--task", "joint", "--series-type", "8", "--required", "1,4", "--subset", "2,3", "--subset-mode", "3"},
      {"--task", "series", "--series-type", "1", "--subset", "6", "--subset-mode", "1"},
      {"--task", "tuples-detection", "--series-type", "40", "--subset", "2,6", "--subset-mode", "5"},
      {"--task", "tuples-recognition", "--series-type", "36", "--subsets", "1,2;3,4,5"},
  };
  for (const auto& options : runs) {
    const std::vector<std::string> grid = plus(kSmallGrid, options);
    SCOPED_TRACE(testing::PrintToString(options));
    const BatchResult whole = runBatch(plus(grid, {"--threads", "1"}));
    ASSERT_EQ(whole.status, 0) << whole.err;
    // A quick run (a scale below 1) splits into 1, 4 and 7 shards only.
    const uint32_t shardStep = testScaleFactor() < 1.0 ? 3 : 1;
    for (const char* threads : {"1", "2"}) {
      for (uint32_t shards = 1; shards <= 7; shards += shardStep) {
        SCOPED_TRACE("threads " + std::string(threads) + ", " + std::to_string(shards) + " shards");
        const std::vector<std::string> parts = shardFiles(grid, shards, threads, "part");
        const std::string csv = temporaryPath("merged.csv");
        std::vector<std::string> merge{"merge"};
        // The order of the parts does not matter.
        merge.insert(merge.end(), parts.rbegin(), parts.rend());
        const BatchResult merged = runBatch(plus(merge, {"--csv", csv}));
        ASSERT_EQ(merged.status, 0) << merged.err;
        EXPECT_EQ(readText(csv), whole.out);
      }
    }
  }
}

TEST(BatchShards, MergedJsonAndSimulateJsonAreTheSameWholeResult) {
  const std::string simulated = temporaryPath("simulated.json");
  const BatchResult whole = runBatch(plus(kSmallGrid, {"--json", simulated}));
  ASSERT_EQ(whole.status, 0) << whole.err;
  const std::vector<std::string> parts = shardFiles(kSmallGrid, 4, "2", "json");
  const std::string merged = temporaryPath("merged.json");
  const BatchResult run = runBatch(plus(plus({"merge"}, parts), {"--json", merged}));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");  // with --json only, no CSV on standard output
  auto a = nlohmann::json::parse(readText(simulated));
  auto b = nlohmann::json::parse(readText(merged));
  for (auto* d : {&a, &b}) {
    for (const char* key : {"start_time", "end_time", "checksum"}) d->erase(key);
  }
  EXPECT_EQ(a, b);
  // Merging the whole result alone gives the unsplit table.
  EXPECT_EQ(runBatch({"merge", simulated}).out, whole.out);
}

TEST(BatchShards, SlurmScriptBodyRunsEveryArrayTaskThenTheMerge) {
  const std::string folder = temporaryPath("slurm");
  const std::string script = std::string(DETECTION_SOURCE_DIR) + "/scripts/cluster/simulate.sbatch";
  const std::string args =
      "--task recognition --required 2,7 --length 300 --pulses-from 2 --pulses-to 4 "
      "--noise-steps 3 --noise-step 30 --repeats 3";
  const std::string common = "DETECTION_BATCH='" + std::string(DETECTION_BATCH_EXE) + "' SIMULATION_DIR='" +
                             folder + "' SIMULATE_ARGS='" + args + "' ";
  const int tasks = 5;
  for (int id = 1; id <= tasks; ++id) {
    const std::string env =
        "SLURM_ARRAY_TASK_ID=" + std::to_string(id) + " SLURM_ARRAY_TASK_COUNT=" + std::to_string(tasks) +
        " SLURM_ARRAY_TASK_MIN=1 SLURM_ARRAY_TASK_MAX=" + std::to_string(tasks) + " SLURM_CPUS_PER_TASK=2 ";
    ASSERT_EQ(std::system((common + env + "bash '" + script + "' 2>/dev/null").c_str()), 0) << id;
  }
  ASSERT_EQ(std::system((common + "bash '" + script + "' merge").c_str()), 0);
  std::vector<std::string> grid{"simulate"};
  std::istringstream words(args);
  for (std::string w; words >> w;) grid.push_back(w);
  const BatchResult whole = runBatch(grid);
  ASSERT_EQ(whole.status, 0) << whole.err;
  EXPECT_EQ(readText(folder + "/result.csv"), whole.out);
  EXPECT_FALSE(readText(folder + "/result.json").empty());
}

// The parts of a 3-shard run of the small grid, written once.
const std::vector<std::string>& threeParts() {
  static const std::vector<std::string> parts = shardFiles(kSmallGrid, 3, "1", "refuse");
  return parts;
}

BatchResult mergeOf(const std::vector<std::string>& parts) { return runBatch(plus({"merge"}, parts)); }

void expectRefusal(const BatchResult& run, const std::vector<std::string>& named) {
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line expected: " << run.err;
  for (const std::string& text : named) EXPECT_NE(run.err.find(text), std::string::npos) << run.err;
}

TEST(BatchMergeRefuses, PartsOfDifferentRuns) {
  const std::string other = temporaryPath("other-2.json");
  ASSERT_EQ(runBatch(plus(kSmallGrid, {"--making-level", "90", "--shard", "2/3", "--output", other})).status,
            0);
  const auto& p = threeParts();
  expectRefusal(mergeOf({p[0], other, p[2]}), {other, "another run", p[0]});
}

TEST(BatchMergeRefuses, AMissingCell) {
  const auto& p = threeParts();
  // Shard 2 of 3 holds cells 1, 4 and 7: pulse counts 2, 3, 4 at noise level 30.
  expectRefusal(mergeOf({p[0], p[2]}), {"3 of 9 cells", "cell 1 (pulses 2, noise level 30)", "cell 7"});
}

TEST(BatchMergeRefuses, ADuplicatedCell) {
  const auto& p = threeParts();
  const std::string whole = temporaryPath("whole-as-shard.json");
  ASSERT_EQ(runBatch(plus(kSmallGrid, {"--output", whole})).status, 0);
  expectRefusal(mergeOf({p[0], whole}), {"cell 0 (pulses 2, noise level 0)", p[0], whole});
}

TEST(BatchMergeRefuses, ATruncatedFile) {
  const auto& p = threeParts();
  const std::string text = readText(p[1]);
  const std::string cut = temporaryPath("truncated.json");
  writeText(cut, text.substr(0, text.size() / 2));
  expectRefusal(mergeOf({p[0], cut, p[2]}), {cut, "truncated"});
  writeText(cut, "");
  expectRefusal(mergeOf({p[0], cut, p[2]}), {cut});
}

TEST(BatchMergeRefuses, AnEditedFile) {
  const auto& p = threeParts();
  std::string text = readText(p[1]);
  const size_t at = text.find("\"restoring_error\": ");
  ASSERT_NE(at, std::string::npos);
  text.insert(at + 19, "1");
  const std::string edited = temporaryPath("edited.json");
  writeText(edited, text);
  expectRefusal(mergeOf({p[0], edited, p[2]}), {edited, "edited"});
}

TEST(BatchShards, BadShardsAndSlurmVariablesAreRefusedNamingTheOption) {
  const std::string out = temporaryPath("never.json");
  for (const auto& [args, named] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"--shard", "0/3", "--output", out}, "--shard"},
           {{"--shard", "4/3", "--output", out}, "--shard"},
           {{"--shard", "two", "--output", out}, "--shard"},
           {{"--shard", "1/3"}, "--output"},
           {{"--shard", "1/3", "--output", out, "--csv", temporaryPath("x.csv")}, "--csv"},
           {{"--output", "/nonexistent-folder/shard.json"}, "--output"}}) {
    SCOPED_TRACE(testing::PrintToString(args));
    const BatchResult run = runBatch(plus(kSmallGrid, args));
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(named), std::string::npos) << run.err;
  }
  setenv("SLURM_ARRAY_TASK_ID", "6", 1);
  setenv("SLURM_ARRAY_TASK_COUNT", "5", 1);
  setenv("SLURM_ARRAY_TASK_MIN", "1", 1);
  const BatchResult beyond = runBatch(plus(kSmallGrid, {"--output", out}));
  unsetenv("SLURM_ARRAY_TASK_ID");
  unsetenv("SLURM_ARRAY_TASK_COUNT");
  unsetenv("SLURM_ARRAY_TASK_MIN");
  EXPECT_EQ(beyond.status, 2);
  EXPECT_NE(beyond.err.find("SLURM_ARRAY_TASK_ID"), std::string::npos) << beyond.err;
  EXPECT_EQ(readText(out), "");
}

}  // namespace
