// The examples of the companion in README.md show what the program prints: run each one and
// compare.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "batch_runner.h"

namespace {

struct Example {
  std::string command;  // after "$ detection-batch "
  std::string output;
  int status = 0;
};

std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string word; in >> word;) result.push_back(word);
  return result;
}

// The examples of the fenced block that follows the companion's heading.
std::vector<Example> readmeExamples() {
  std::ifstream in(std::string(DETECTION_SOURCE_DIR) + "/README.md");
  std::vector<Example> examples;
  bool inSection = false, inBlock = false;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("## ", 0) == 0) inSection = line.find("detection-batch") != std::string::npos;
    if (!inSection) continue;
    if (line.rfind("```", 0) == 0) {
      inBlock = !inBlock;
      continue;
    }
    if (!inBlock) continue;
    if (line.rfind("$ detection-batch ", 0) == 0) {
      examples.push_back({line.substr(18), ""});
    } else if (line == "$ echo $?") {
      std::string status;
      std::getline(in, status);
      if (!examples.empty()) examples.back().status = std::stoi(status);
    } else if (!examples.empty() && !line.empty()) {
      examples.back().output += line + "\n";
    }
  }
  return examples;
}

TEST(BatchReadme, ExamplesPrintWhatTheReadmeShows) {
  const std::vector<Example> examples = readmeExamples();
  ASSERT_GE(examples.size(), 4u);
  for (const Example& example : examples) {
    SCOPED_TRACE(example.command);
    std::string command = example.command;
    std::string filter;
    bool mergeErrors = false;
    if (const size_t pipe = command.find(" | grep -v "); pipe != std::string::npos) {
      filter = command.substr(pipe + 11);
      command.erase(pipe);
    }
    if (const size_t at = command.find(" 2>/dev/null"); at != std::string::npos) command.erase(at);
    if (const size_t at = command.find(" 2>&1"); at != std::string::npos) {
      command.erase(at);
      mergeErrors = true;
    }
    const BatchResult run = runBatch(words(command));
    EXPECT_EQ(run.status, example.status) << run.err;
    std::string shown;
    std::istringstream lines(run.out + (mergeErrors || run.status != 0 ? run.err : ""));
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && (filter.empty() || line.find(filter) == std::string::npos)) shown += line + "\n";
    }
    EXPECT_EQ(shown, example.output);
  }
}

}  // namespace
