// --seed N of `series` and `process`: the series (and answer) a workbench gives after N earlier
// series made with the same options, checked against runs on one workbench kept from call to
// call, as the Python module's Workbench and the window keep theirs.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "batch/json_output.h"
#include "batch/options.h"
#include "batch/workbench_runs.h"
#include "batch/workbench_start.h"
#include "batch_runner.h"

namespace {

using nlohmann::json;

std::vector<std::string> joined(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The document of the k-th run (from 0) on one kept workbench.
json keptRun(int k, const std::function<RunOutcome(WorkbenchStart&, OrderedJson&)>& run) {
  WorkbenchStart start(nullptr);
  OrderedJson doc;
  for (int i = 0; i <= k; ++i) {
    doc = OrderedJson();
    EXPECT_TRUE(run(start, doc).ok) << "run " << i;
  }
  return json::parse(formatDocument(doc));
}

TEST(BatchSeed, SeriesAfterNEarlierSeriesOfAKeptWorkbench) {
  // Drawn pulse counts, a random subset and noise: every random source of a series moves.
  SeriesOptions o;
  o.length = 600;
  o.unknown = true;
  o.sequence = "2,7,4";
  o.subset = "3,5";
  o.subsetMode = 1;
  o.noise = 30;
  const std::vector<std::string> args = {"series",     "--length", "600",           "--unknown",
                                         "--sequence", "2,7,4",    "--subset",      "3,5",
                                         "--noise",    "30",       "--subset-mode", "1"};
  const SeriesSettings settings = checkSeries(o);
  const auto run = [&](WorkbenchStart& start, OrderedJson& doc) { return seriesRun(start, settings, doc); };

  const BatchResult plain = runBatch(args);
  ASSERT_EQ(plain.status, 0) << plain.err;
  const BatchResult zero = runBatch(joined(args, {"--seed", "0"}));
  ASSERT_EQ(zero.status, 0) << zero.err;
  EXPECT_EQ(zero.out, plain.out);
  EXPECT_EQ(parseOutput(zero), keptRun(0, run));

  json previous = parseOutput(zero);
  for (int n : {1, 2, 5}) {
    SCOPED_TRACE("seed " + std::to_string(n));
    const BatchResult seeded = runBatch(joined(args, {"--seed", std::to_string(n)}));
    ASSERT_EQ(seeded.status, 0) << seeded.err;
    const json doc = parseOutput(seeded);
    EXPECT_EQ(doc, keptRun(n, run));
    EXPECT_NE(doc["lpNoisyData"], previous["lpNoisyData"]);
    previous = doc;
  }
}

TEST(BatchSeed, ProcessAfterNEarlierRunsOfAKeptWorkbench) {
  // Series type 4 draws the number of pulses; the sequence is drawn from the required list.
  ProcessOptions o;
  o.series.length = 800;
  o.task = "joint";
  o.seriesType = 4;
  o.required = "1,3,6";
  const ProcessSettings settings = checkProcess(o);
  const auto run = [&](WorkbenchStart& start, OrderedJson& doc) { return processRun(start, settings, doc); };
  const std::vector<std::string> args = {"process",       "--length", "800",        "--task", "joint",
                                         "--series-type", "4",        "--required", "1,3,6"};
  for (int n : {0, 1, 3}) {
    SCOPED_TRACE("seed " + std::to_string(n));
    const BatchResult seeded = runBatch(joined(args, {"--seed", std::to_string(n)}));
    ASSERT_EQ(seeded.status, 0) << seeded.err;
    EXPECT_EQ(parseOutput(seeded), keptRun(n, run));
  }
}

TEST(BatchSeed, SeedsBeyondTheLimitAndWithAFileAreRefused) {
  for (const char* command : {"series", "process"}) {
    BatchResult bad = runBatch({command, "--seed", std::to_string(kBatchMaxSeed + 1)});
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err,
              "detection-batch: --seed: 10001 lies outside 0..10000 (the limit of earlier series made "
              "first)\n");
    EXPECT_EQ(bad.out, "");
    bad = runBatch({command, "--seed", "-1"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("--seed: -1 lies outside 0..10000"), std::string::npos) << bad.err;
  }
  const BatchResult limit = runBatch(
      {"series", "--length", "100", "--tmin", "25", "--tmax", "40", "--seed", std::to_string(kBatchMaxSeed)});
  EXPECT_EQ(limit.status, 0) << limit.err;
  const BatchResult withFile = runBatch({"process", "--input", "x.csv", "--seed", "1"});
  EXPECT_EQ(withFile.status, 2);
  EXPECT_NE(withFile.err.find("--seed excludes --input"), std::string::npos) << withFile.err;
}

}  // namespace
