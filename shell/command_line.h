#pragma once
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// The workbench's answer to its command line, given before any window or display exists.
// --help (-h) writes the usage to `out`, --version writes `versionText` and a newline; both give
// exit status 0. Any other argument that starts with "--" is refused with one line on `err` and
// status 2. Arguments with one dash (-platform offscreen, -style fusion, ...) belong to the window
// system and are left to it; nothing is returned for them, and the window opens.
std::optional<int> answerCommandLine(const std::vector<std::string>& arguments,
                                     const std::string& versionText, std::ostream& out, std::ostream& err);

// The usage text that --help prints.
const char* workbenchUsage();
