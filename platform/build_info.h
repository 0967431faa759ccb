#pragma once
#include <string>

// What the build knows about itself. Defined in a source that the build generates
// (cmake/build_info.cmake) and linked only into the programs, through the library
// detection_build_info, so that a new commit relinks the programs and nothing else.

// The version of the sources, "MAJOR.MINOR.PATCH".
const char* buildVersion();

// The git commit the program was built from (12 hex digits, "-modified" appended when the
// clone had uncommitted changes), or "" when the sources were not a git clone.
const char* buildCommit();

// The line that --version prints: "PROGRAM VERSION", then " (git COMMIT)" when the commit is known.
inline std::string versionLine(const std::string& program) {
  std::string line = program + " " + buildVersion();
  const std::string commit = buildCommit();
  if (!commit.empty()) line += " (git " + commit + ")";
  return line;
}
