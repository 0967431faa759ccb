#pragma once
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

// What one run of the companion gave.
struct BatchResult {
  int status = -1;  // exit status; -1 when it did not exit normally
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs the companion executable with the given arguments and collects its output.
BatchResult runBatch(const std::vector<std::string>& arguments);

// Parses the standard output of a successful run as JSON.
nlohmann::json parseOutput(const BatchResult& result);

// A file name in a fresh temporary folder that is removed with the runner's process.
std::string temporaryPath(const std::string& name);
