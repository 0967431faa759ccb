// List options are bounded where they are read: 65,535 entries or subsets pass through to the
// libraries unchanged (no 16-bit wrap), 65,536 are refused with a message naming the limit.
// Messages quote what the user typed, on one line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch_runner.h"

namespace {

std::string repeated(const std::string& item, char separator, size_t count) {
  std::string text;
  text.reserve(count * (item.size() + 1));
  for (size_t i = 0; i < count; ++i) {
    if (i) text += separator;
    text += item;
  }
  return text;
}

std::vector<std::string> run(const std::string& command, std::vector<std::string> more) {
  std::vector<std::string> args = {command, "--length", "100", "--tmin", "25", "--tmax", "40"};
  if (command == "simulate") {
    for (const char* s : {"--noise-steps", "1", "--repeats", "1", "--pulses-from", "2", "--pulses-to", "3"})
      args.push_back(s);
  }
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

TEST(BatchListLimits, RequiredListOf65535EntriesWorksAnd65536IsRefused) {
  for (const std::string command : {"process", "simulate"}) {
    SCOPED_TRACE(command);
    const BatchResult most =
        runBatch(run(command, {"--task", "recognition", "--required", repeated("3", ',', 65535)}));
    ASSERT_EQ(most.status, 0) << most.err;
    if (command == "process") {
      const auto doc = parseOutput(most);
      // Every candidate is etalon 3, so recognition answers 3 (a wrapped count would find nothing).
      EXPECT_EQ(doc["solverResult"], 3);
      EXPECT_FALSE(doc["chains"].empty());
    } else {
      EXPECT_NE(most.out.find("noise_level,pulses"), std::string::npos);
    }
    const BatchResult over =
        runBatch(run(command, {"--task", "recognition", "--required", repeated("3", ',', 65536)}));
    EXPECT_EQ(over.status, 2);
    EXPECT_EQ(over.out, "");
    EXPECT_EQ(over.err, "detection-batch: --required: 65536 entries are more than the 65535 allowed\n");
  }
}

TEST(BatchListLimits, SubsetCountsOf65535WorkAnd65536AreRefused) {
  for (const std::string command : {"process", "simulate"}) {
    SCOPED_TRACE(command);
    const std::vector<std::string> task = {"--task", "tuples-recognition", "--series-type", "36",
                                           "--subsets"};
    auto most = task;
    most.push_back(repeated("3", ';', 65535));
    const BatchResult ok = runBatch(run(command, most));
    ASSERT_EQ(ok.status, 0) << ok.err;
    auto over = task;
    over.push_back(repeated("3", ';', 65536));
    const BatchResult refused = runBatch(run(command, over));
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err, "detection-batch: --subsets: 65536 subsets are more than the 65535 allowed\n");
  }
  // The etalon sequence and the entries of one list are bounded the same way.
  const BatchResult sequence = runBatch({"series", "--sequence", repeated("1", ',', 65536)});
  EXPECT_EQ(sequence.status, 2);
  EXPECT_EQ(sequence.err, "detection-batch: --sequence: 65536 entries are more than the 65535 allowed\n");
  const BatchResult longSubset = runBatch({"series", "--subset", repeated("1", ',', 65536)});
  EXPECT_EQ(longSubset.status, 2);
  EXPECT_NE(longSubset.err.find("--subset: 65536 entries"), std::string::npos) << longSubset.err;
}

TEST(BatchListLimits, MessagesQuoteTheTypedValueOnOneLine) {
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const Case cases[] = {
      {{"series", "--length", "99999999999999999999999"},
       "detection-batch: --length: \"99999999999999999999999\" is not a whole number from "
       "-9223372036854775808 to 9223372036854775807\n"},
      {{"series", "--noise", "-99999999999999999999"},
       "detection-batch: --noise: \"-99999999999999999999\" is not a whole number from "
       "-9223372036854775808 to 9223372036854775807\n"},
      {{"process", "--task", "de\ntection"},
       "detection-batch: --task: unknown task \"de\\ntection\" (detection, recognition, joint, series, "
       "tuples-detection or tuples-recognition)\n"},
      {{"process", "--required", "1,\t2\x1b"},
       "detection-batch: --required: \"1,\\t2\\x1B\" is not a comma-separated list of numbers\n"},
      {{"series", "--sequence", "\"1\\"},
       "detection-batch: --sequence: \"\\\"1\\\\\" is not a comma-separated "
       "list of numbers\n"},
      {{"simulate", "--csv", ""}, "detection-batch: --csv: an empty file name cannot be written\n"},
      {{"sim\nulate"},
       "detection-batch: unknown subcommand \"sim\\nulate\" (alphabet, series, process, simulate, "
       "merge or chart)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const BatchResult r = runBatch(c.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, c.err);
  }
  // CLI11's own messages are kept on one line too.
  const BatchResult stray = runBatch({"series", "--tmin", "5", "one\ntwo"});
  EXPECT_EQ(stray.status, 2);
  EXPECT_EQ(stray.err.find('\n'), stray.err.size() - 1) << stray.err;
}

}  // namespace
