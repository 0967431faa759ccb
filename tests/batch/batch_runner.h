#pragma once
#include <functional>
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

// Conditions of a run for fault injection (Linux): where standard output goes, limits set in
// the child before it starts the companion, and a signal sent once standard error holds a text.
struct BatchConditions {
  std::string standardOutput;           // a path such as /dev/full; empty: a file the result reads
  uint64_t fileSizeLimit = 0;           // RLIMIT_FSIZE in bytes (SIGXFSZ ignored); 0: none
  uint64_t addressSpaceLimit = 0;       // RLIMIT_AS in bytes; 0: none
  std::string interruptWhenErrorShows;  // send the signal once standard error contains it
  int interruptSignal = 2;              // SIGINT
  std::function<bool()> interruptWhen;  // or once this holds (polled every 20 ms)
  std::string standardInput;            // a file or FIFO opened as standard input; empty: /dev/null
  // Under fileSizeLimit, leave SIGXFSZ at its default, so that only the companion's own
  // handling keeps the limit from killing it.
  bool defaultFileSizeSignal = false;
};
BatchResult runBatch(const std::vector<std::string>& arguments, const BatchConditions& conditions);

// Names of the entries of a folder, sorted.
std::vector<std::string> folderEntries(const std::string& folder);

// The whole contents of a file ("" when it cannot be read).
std::string fileContents(const std::string& path);

// Parses the standard output of a successful run as JSON.
nlohmann::json parseOutput(const BatchResult& result);

// A file name in a fresh temporary folder that is removed with the runner's process.
std::string temporaryPath(const std::string& name);
