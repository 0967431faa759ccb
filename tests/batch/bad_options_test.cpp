// Bad options end with one line on standard error that names the option, exit status 2,
// and nothing on standard output.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch_runner.h"

namespace {

struct BadCase {
  std::vector<std::string> args;
  std::string named;  // text the error line must contain
};

TEST(BatchOptions, BadValuesGetOneLineNamingTheOptionAndStatusTwo) {
  const BadCase cases[] = {
      {{"process", "--task", "guessing"}, "--task"},
      {{"series", "--tmin", "0"}, "--tmin"},
      {{"simulate", "--tmin", "0"}, "--tmin"},
      {{"series", "--tmin", "50", "--tmax", "45"}, "--tmax"},
      {{"series", "--tmax", "19"}, "--tmax"},
      {{"series", "--sequence", "1,21"}, "--sequence"},
      {{"series", "--sequence", "0"}, "--sequence"},
      {{"series", "--sequence", "1,,2"}, "--sequence"},
      {{"process", "--required", "3,x"}, "--required"},
      {{"process", "--required", "25"}, "--required"},
      {{"series", "--subset", "1,2,30"}, "--subset"},
      {{"series", "--length", "200", "--subset", "1,2,3,4,5,6"}, "--subset"},
      {{"process", "--task", "tuples-recognition", "--subsets", "1,2;0"}, "--subsets"},
      {{"series", "--pulses", "31"}, "--pulses"},
      {{"series", "--pulses", "5"}, "--pulses"},
      {{"series", "--length", "200", "--pulses", "6"}, "--pulses"},
      {{"series", "--pulses", "10", "--unknown"}, "--pulses"},
      {{"process", "--series-type", "4", "--pulses", "10"}, "--pulses"},
      {{"series", "--length", "4000000000"}, "--length"},
      {{"series", "--length", "40000"}, "--length"},
      {{"series", "--length", "10"}, "--length"},
      {{"series", "--length", "many"}, "--length"},
      {{"series", "--making-level", "101"}, "--making-level"},
      {{"series", "--noise", "-1"}, "--noise"},
      {{"series", "--subset-mode", "6"}, "--subset-mode"},
      {{"series", "--subset-position", "0"}, "--subset-position"},
      {{"process", "--series-type", "3"}, "--series-type"},
      {{"process", "--processing-level", "-5"}, "--processing-level"},
      {{"process", "--proceeding", "3"}, "--proceeding"},
      {{"process", "--task", "tuples-detection"}, "--subset"},
      {{"process", "--task", "tuples-recognition"}, "--subsets"},
      {{"alphabet", "--count", "21"}, "--count"},
      {{"alphabet", "--length", "0"}, "--length"},
      {{"simulate", "--pulses-from", "5"}, "--pulses-from"},
      {{"simulate", "--pulses-to", "31"}, "--pulses-to"},
      {{"simulate", "--pulses-from", "20", "--pulses-to", "10"}, "--pulses-to"},
      {{"simulate", "--repeats", "0"}, "--repeats"},
      {{"simulate", "--noise-steps", "0"}, "--noise-steps"},
      {{"simulate", "--noise-first", "30000", "--noise-step", "1000", "--noise-steps", "5"}, "--noise-steps"},
      {{"simulate", "--threads", "-1"}, "--threads"},
      {{"simulate", "--repeats", "1", "--noise-steps", "1", "--csv", "/nonexistent-folder/table.csv"},
       "--csv"},
      {{"simulate", "--pulses", "10"}, "--pulses"},
      {{"series", "--frobnicate"}, "--frobnicate"},
      {{"transmogrify"}, "transmogrify"},
      {{}, "subcommand"},
  };
  for (const BadCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const BatchResult run = runBatch(c.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line expected: " << run.err;
  }
}

TEST(BatchOptions, HelpAndAdmissibleEdgesSucceed) {
  const BatchResult help = runBatch({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("simulate"), std::string::npos);
  // The ends of the admissible ranges are accepted.
  for (const auto& args :
       std::vector<std::vector<std::string>>{{"series", "--pulses", "6", "--noise", "0"},
                                             {"series", "--pulses", "30", "--noise", "0"},
                                             {"series", "--length", "20", "--noise", "0"},
                                             {"series", "--length", "32767", "--noise", "0"}}) {
    SCOPED_TRACE(testing::PrintToString(args));
    const BatchResult run = runBatch(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
  }
}

}  // namespace
