// Nothing lost and no failure reported as success: standard output that cannot be written,
// files under a size limit, a stopped simulation, and memory limits (Linux fault injection).
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "batch_runner.h"

namespace {

const std::vector<std::string> kSmallSimulation = {"simulate", "--length",    "300", "--pulses-from",
                                                   "2",        "--pulses-to", "3",   "--noise-steps",
                                                   "2",        "--repeats",   "2"};
// 58 cells: a table of about 900 bytes.
const std::vector<std::string> kLargerTable = {"simulate", "--length",    "300", "--pulses-from",
                                               "2",        "--pulses-to", "3",   "--noise-steps",
                                               "29",       "--repeats",   "1"};

void writeText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::vector<std::string> with(std::vector<std::string> args, const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

// A folder of its own holding one file "target.csv" with the given text.
std::string folderWithTarget(const std::string& name, const std::string& text) {
  const std::string folder = temporaryPath(name);
  std::filesystem::create_directories(folder);
  writeText(folder + "/target.csv", text);
  return folder;
}

TEST(BatchOutputFaults, FullStandardOutputIsAMessageAndStatusOneForEveryCommand) {
  BatchConditions full;
  full.standardOutput = "/dev/full";
  const std::vector<std::vector<std::string>> commands = {
      {"alphabet"}, {"series"}, {"process", "--length", "300"}, kSmallSimulation, {"--help"},
  };
  for (const auto& args : commands) {
    SCOPED_TRACE(testing::PrintToString(args));
    const BatchResult r = runBatch(args, full);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("detection-batch: cannot write standard output: No space left on device"),
              std::string::npos)
        << r.err;
  }
}

TEST(BatchOutputFaults, DocumentsCutByAFileSizeLimitAreFailures) {
  BatchConditions limited;
  limited.fileSizeLimit = 512;
  // Each document is larger than the limit; a partial one must never pass as success.
  const std::vector<std::vector<std::string>> commands = {
      {"series", "--length", "3000"},
      {"process", "--length", "3000"},
      kLargerTable,
  };
  for (const auto& args : commands) {
    SCOPED_TRACE(testing::PrintToString(args));
    const BatchResult r = runBatch(args, limited);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot write standard output: File too large"), std::string::npos) << r.err;
  }
}

TEST(BatchOutputFaults, AnExistingCsvSurvivesEveryFailedRunByteForByte) {
  const std::string old = "previous table\n1,2,3\n";
  struct Case {
    std::vector<std::string> args;
    BatchConditions conditions;
    std::string message;
  };
  BatchConditions limited;
  limited.fileSizeLimit = 200;
  const Case cases[] = {
      // The table is larger than the file-size limit.
      {kLargerTable, limited, "File too large"},
      // The run fails in its first trial.
      {{"simulate", "--length", "32767", "--tmin", "31", "--tmax", "31", "--noise-steps", "1", "--repeats",
        "1"},
       {},
       "the simulation did not complete"},
      // Bad options after the file name.
      {{"simulate", "--repeats", "0"}, {}, "--repeats"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const std::string folder = folderWithTarget("keep" + std::to_string(n++), old);
    const BatchResult r = runBatch(with(c.args, {"--csv", folder + "/target.csv"}), c.conditions);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(fileContents(folder + "/target.csv"), old);
    EXPECT_EQ(folderEntries(folder), std::vector<std::string>{"target.csv"});
  }
}

TEST(BatchOutputFaults, InterruptedSimulationLeavesTheOldFileAndSaysSo) {
  const std::string old = "previous\n";
  for (const auto& [signal, name] : {std::pair{SIGINT, "SIGINT"}, std::pair{SIGTERM, "SIGTERM"}}) {
    SCOPED_TRACE(name);
    const std::string folder = folderWithTarget(std::string("interrupted-") + name, old);
    BatchConditions interrupt;
    interrupt.interruptWhenErrorShows = "1 of 725 cells";
    interrupt.interruptSignal = signal;
    // 725 cells take seconds; the signal comes after the first one.
    const BatchResult r = runBatch({"simulate", "--noise-steps", "29", "--repeats", "100", "--threads", "1",
                                    "--csv", folder + "/target.csv"},
                                   interrupt);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find(std::string("detection-batch: the simulation was stopped by ") + name +
                         "; no table was written"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(fileContents(folder + "/target.csv"), old);
    EXPECT_EQ(folderEntries(folder), std::vector<std::string>{"target.csv"});
  }
}

TEST(BatchOutputFaults, CompleteRunReplacesTheOldFileWithTheTableOnStandardOutput) {
  const std::string folder = folderWithTarget("replaced", "previous\n");
  const BatchResult toFile = runBatch(with(kSmallSimulation, {"--csv", folder + "/target.csv"}));
  const BatchResult toStdout = runBatch(kSmallSimulation);
  ASSERT_EQ(toFile.status, 0) << toFile.err;
  ASSERT_EQ(toStdout.status, 0) << toStdout.err;
  EXPECT_TRUE(toFile.out.empty());
  EXPECT_EQ(fileContents(folder + "/target.csv"), toStdout.out);
  EXPECT_EQ(folderEntries(folder), std::vector<std::string>{"target.csv"});
}

// Address-space limits at which making the series or its JSON document fails: each run
// either succeeds or ends with status 1 and a memory message, never with an abort.
TEST(BatchOutputFaults, MemoryLimitsEndWithStatusOneAndAMessage) {
  if (std::getenv("DETECTION_SANITIZED") != nullptr) {
    GTEST_SKIP() << "the address sanitizer reserves far more address space than any limit tried here";
  }
  const std::vector<std::vector<std::string>> commands = {
      {"series", "--length", "32767", "--tmin", "1", "--tmax", "20"},
      {"process", "--length", "32767", "--tmin", "20", "--tmax", "40"},
  };
  // The libraries the program loads take
  // address space before main runs: find the smallest limit at which it starts at all.
  uint64_t start = 4;
  for (;; start += 4) {
    ASSERT_LE(start, 512u) << "detection-batch alphabet does not start under 512 MB";
    BatchConditions limited;
    limited.addressSpaceLimit = start << 20;
    if (runBatch({"alphabet"}, limited).status == 0) break;
  }
  for (const auto& args : commands) {
    int failures = 0;
    for (uint64_t megabytes = start > 8 ? start - 4 : 4; megabytes <= start + 20; ++megabytes) {
      SCOPED_TRACE(testing::PrintToString(args) + " at " + std::to_string(megabytes) + " MB");
      BatchConditions limited;
      limited.addressSpaceLimit = megabytes << 20;
      const BatchResult r = runBatch(args, limited);
      if (r.status == 0) continue;
      // Below the size of the loader's own needs the program cannot start at all.
      if (r.status == 127 && r.err.find("error while loading shared libraries") != std::string::npos)
        continue;
      ++failures;
      EXPECT_EQ(r.status, 1) << r.err;
      const bool ours = r.err.find("detection-batch: memory ran out while making ") != std::string::npos;
      const bool library = r.err.find("Нет памяти") != std::string::npos;
      EXPECT_TRUE(ours || library) << r.err;
      EXPECT_EQ(r.err.find("terminate"), std::string::npos) << r.err;
    }
    EXPECT_GT(failures, 0) << "no limit made " << args[0] << " fail";
  }
}

}  // namespace
