#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct Answer {
  std::optional<int> status;
  std::string out;
  std::string err;
};

Answer answer(const std::vector<std::string>& arguments) {
  std::ostringstream out;
  std::ostringstream err;
  Answer a;
  a.status = answerCommandLine(arguments, "detection-workbench 1.2.3 (git abc)", out, err);
  a.out = out.str();
  a.err = err.str();
  return a;
}

TEST(WorkbenchCommandLine, HelpAndVersionAnswerWithoutAWindow) {
  for (const char* flag : {"--help", "-h"}) {
    const Answer a = answer({"detection-workbench", flag});
    ASSERT_EQ(a.status, 0) << flag;
    EXPECT_EQ(a.out, workbenchUsage());
    EXPECT_NE(a.out.find("--version"), std::string::npos);
    EXPECT_TRUE(a.err.empty());
  }
  const Answer v = answer({"detection-workbench", "-platform", "offscreen", "--version"});
  EXPECT_EQ(v.status, 0);
  EXPECT_EQ(v.out, "detection-workbench 1.2.3 (git abc)\n");
}

TEST(WorkbenchCommandLine, UnknownLongOptionIsRefusedAndToolkitOptionsPass) {
  const Answer bad = answer({"detection-workbench", "--verison"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_TRUE(bad.out.empty());
  EXPECT_NE(bad.err.find("\"--verison\""), std::string::npos);

  EXPECT_FALSE(answer({"detection-workbench"}).status.has_value());
  EXPECT_FALSE(
      answer({"detection-workbench", "-platform", "offscreen", "-style", "fusion"}).status.has_value());
  // The program name itself is never read as an option.
  EXPECT_FALSE(answer({"--help"}).status.has_value());
}

}  // namespace
