// `simulate` writes one CSV line per grid cell; the thread count changes nothing.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "batch_runner.h"

namespace {

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) result.push_back(line);
  return result;
}

std::vector<std::string> withThreads(std::vector<std::string> args, const char* threads) {
  args.push_back("--threads");
  args.push_back(threads);
  return args;
}

TEST(BatchSimulate, SameTableForOneAndTwoThreadsInGridOrder) {
  const std::vector<std::vector<std::string>> grids = {
      {"simulate", "--length", "300", "--pulses-from", "2", "--pulses-to", "4", "--noise-first", "0",
       "--noise-steps", "3", "--noise-step", "30", "--repeats", "4"},
      {"simulate", "--task",         "joint", "--series-type",      "8",  "--required",
       "1,4",      "--making-level", "70",    "--processing-level", "70", "--length",
       "300",      "--pulses-from",  "2",     "--pulses-to",        "6",  "--pulses-step",
       "2",        "--noise-first",  "10",    "--noise-steps",      "2",  "--noise-step",
       "40",       "--repeats",      "3"},
      {"simulate", "--task", "tuples-recognition", "--series-type", "36", "--subsets", "1,2;3,4,5",
       "--length", "300", "--pulses-from", "3", "--pulses-to", "4", "--noise-steps", "2", "--noise-step",
       "50", "--repeats", "4"},
  };
  for (const auto& grid : grids) {
    SCOPED_TRACE(testing::PrintToString(grid));
    const BatchResult one = runBatch(withThreads(grid, "1"));
    const BatchResult two = runBatch(withThreads(grid, "2"));
    ASSERT_EQ(one.status, 0) << one.err;
    ASSERT_EQ(two.status, 0) << two.err;
    EXPECT_EQ(one.out, two.out);
    const auto rows = lines(one.out);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0], "noise_level,pulses,restoring_error,position_error,recognition_errors");
    // Noise levels outer, pulse counts inner: read the first two columns back.
    std::vector<std::pair<int, int>> cells;
    for (size_t i = 1; i < rows.size(); ++i) {
      int level = 0, pulses = 0;
      ASSERT_EQ(std::sscanf(rows[i].c_str(), "%d,%d,", &level, &pulses), 2) << rows[i];
      cells.emplace_back(level, pulses);
    }
    std::vector<std::pair<int, int>> expected;
    if (grid[1] == "--length")
      expected = {{0, 2}, {0, 3}, {0, 4}, {30, 2}, {30, 3}, {30, 4}, {60, 2}, {60, 3}, {60, 4}};
    if (grid[2] == "joint") expected = {{10, 2}, {10, 4}, {10, 6}, {50, 2}, {50, 4}, {50, 6}};
    if (grid[2] == "tuples-recognition") expected = {{0, 3}, {0, 4}, {50, 3}, {50, 4}};
    EXPECT_EQ(cells, expected);
    // Progress goes to standard error, cell by cell.
    EXPECT_NE(one.err.find("1 of " + std::to_string(expected.size()) + " cells"), std::string::npos)
        << one.err;
    EXPECT_NE(
        one.err.find(std::to_string(expected.size()) + " of " + std::to_string(expected.size()) + " cells"),
        std::string::npos)
        << one.err;
  }
}

TEST(BatchSimulate, NoiselessDetectionFindsEveryPulseAndCsvFileMatchesStandardOutput) {
  const std::vector<std::string> grid = {
      "simulate", "--length",  "300", "--pulses-from", "3", "--pulses-to", "5", "--noise-steps",
      "1",        "--repeats", "3",   "--threads",     "2"};
  const BatchResult toStdout = runBatch(grid);
  ASSERT_EQ(toStdout.status, 0) << toStdout.err;
  // Whole pulses without noise are restored exactly: no restoring and no position error.
  const auto rows = lines(toStdout.out);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[1], "0,3,0,0,0");
  EXPECT_EQ(rows[2], "0,4,0,0,0");
  EXPECT_EQ(rows[3], "0,5,0,0,0");

  const std::string path = temporaryPath("table.csv");
  std::vector<std::string> toFile = grid;
  toFile.push_back("--csv");
  toFile.push_back(path);
  const BatchResult written = runBatch(toFile);
  ASSERT_EQ(written.status, 0) << written.err;
  EXPECT_EQ(written.out, "");
  std::ifstream in(path);
  std::stringstream content;
  content << in.rdbuf();
  EXPECT_EQ(content.str(), toStdout.out);
}

}  // namespace
