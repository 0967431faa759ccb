// --version and --help answer on standard output with status 0, before any subcommand is needed.
#include <gtest/gtest.h>

#include <regex>

#include "batch_runner.h"

namespace {

TEST(BatchVersionAndHelp, VersionIsOneLineWithTheCommitOfAClone) {
  const BatchResult r = runBatch({"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.err.empty()) << r.err;
  EXPECT_TRUE(std::regex_match(
      r.out, std::regex(R"(detection-batch [0-9]+\.[0-9]+\.[0-9]+( \(git [0-9a-f]{12}(-modified)?\))?\n)")))
      << r.out;
}

TEST(BatchVersionAndHelp, HelpListsTheSubcommandsAndTheExitStatuses) {
  const BatchResult r = runBatch({"--help"});
  EXPECT_EQ(r.status, 0);
  for (const char* name : {"alphabet", "series", "process", "simulate", "--version", "Exit status"})
    EXPECT_NE(r.out.find(name), std::string::npos) << name;
  const BatchResult sub = runBatch({"series", "--help"});
  EXPECT_EQ(sub.status, 0);
  EXPECT_NE(sub.out.find("--tmin INT=40"), std::string::npos) << sub.out;
}

}  // namespace
