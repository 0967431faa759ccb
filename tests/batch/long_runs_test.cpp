// Long runs report and stop: tuple recognition over many subsets shows progress on standard
// error once it has taken 2 s, and SIGINT or SIGTERM ends it with one line and status 1.
#include <gtest/gtest.h>

#include <csignal>
#include <regex>
#include <string>
#include <vector>

#include "batch_runner.h"

namespace {

// Tuple recognition over `count` candidate subsets of two etalons each.
std::vector<std::string> recognitionOver(int count, const char* length) {
  std::string subsets;
  for (int i = 0; i < count; ++i)
    subsets += (i ? ";" : "") + std::to_string(1 + i % 19) + "," + std::to_string(2 + i % 19);
  return {"process",  "--task", "tuples-recognition", "--series-type", "36",
          "--length", length,   "--subsets",          subsets};
}

TEST(BatchLongRuns, ManySubsetsShowProgressAndStopOnSignals) {
  for (const auto& [signal, name] : {std::pair{SIGINT, "SIGINT"}, std::pair{SIGTERM, "SIGTERM"}}) {
    SCOPED_TRACE(name);
    BatchConditions interrupt;
    interrupt.interruptWhenErrorShows = " subsets, ";  // the first progress line
    interrupt.interruptSignal = signal;
    const BatchResult r = runBatch(recognitionOver(5000, "32767"), interrupt);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(std::regex_search(r.err, std::regex("^process: [0-9]+ of 5000 subsets, [0-9]+\\.[0-9] s\n")))
        << r.err;
    const std::string last =
        std::string("detection-batch: the run was stopped by ") + name + "; nothing was written\n";
    ASSERT_GE(r.err.size(), last.size());
    EXPECT_EQ(r.err.substr(r.err.size() - last.size()), last) << r.err;
  }
}

TEST(BatchLongRuns, AShortRunShowsNoProgressAndTheSameAnswer) {
  const BatchResult quiet = runBatch(recognitionOver(3, "1200"));
  ASSERT_EQ(quiet.status, 0) << quiet.err;
  EXPECT_EQ(quiet.err, "");
  EXPECT_EQ(parseOutput(quiet)["solver"], "recognizeFixedTuples");
}

}  // namespace
