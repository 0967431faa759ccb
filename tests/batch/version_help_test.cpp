// --version and --help answer on standard output with status 0, before any subcommand is needed.
#include <gtest/gtest.h>

#include <string>

#include "batch_runner.h"

namespace {

bool allOf(const std::string& text, const char* characters) {
  return !text.empty() && text.find_first_not_of(characters) == std::string::npos;
}

// "detection-batch X.Y.Z", in a clone followed by " (git " 12 hex digits, "-modified" when the
// sources differ, and ")"; then a newline. (Written out: std::regex draws a false
// maybe-uninitialized warning from gcc 12 in the sanitizer build.)
bool isVersionLine(const std::string& text) {
  const std::string program = "detection-batch ";
  if (text.rfind(program, 0) != 0 || text.back() != '\n') return false;
  const std::string rest = text.substr(program.size(), text.size() - program.size() - 1);
  const size_t blank = rest.find(' ');
  const std::string version = rest.substr(0, blank);
  const size_t dot1 = version.find('.');
  const size_t dot2 = dot1 == std::string::npos ? dot1 : version.find('.', dot1 + 1);
  if (dot2 == std::string::npos || !allOf(version.substr(0, dot1), "0123456789") ||
      !allOf(version.substr(dot1 + 1, dot2 - dot1 - 1), "0123456789") ||
      !allOf(version.substr(dot2 + 1), "0123456789")) {
    return false;
  }
  if (blank == std::string::npos) return true;
  const std::string commit = rest.substr(blank);
  const std::string open = " (git ";
  if (commit.rfind(open, 0) != 0 || commit.back() != ')') return false;
  std::string hash = commit.substr(open.size(), commit.size() - open.size() - 1);
  const std::string modified = "-modified";
  if (hash.size() > modified.size() && hash.ends_with(modified)) hash.resize(hash.size() - modified.size());
  return hash.size() == 12 && allOf(hash, "0123456789abcdef");
}

TEST(BatchVersionAndHelp, VersionIsOneLineWithTheCommitOfAClone) {
  const BatchResult r = runBatch({"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.err.empty()) << r.err;
  EXPECT_TRUE(isVersionLine(r.out)) << r.out;
  // The check itself: the forms it accepts and some it must not.
  EXPECT_TRUE(isVersionLine("detection-batch 0.1.0\n"));
  EXPECT_TRUE(isVersionLine("detection-batch 10.2.33 (git 0123456789ab-modified)\n"));
  for (const char* bad :
       {"detection-batch 0.1\n", "detection-batch 0.1.0", "detection-batch 0.1.0 (git 0123)\n",
        "detection-batch 0.1.0 (git 0123456789aB)\n", "detection-batch 0.1.x\n"}) {
    EXPECT_FALSE(isVersionLine(bad)) << bad;
  }
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
