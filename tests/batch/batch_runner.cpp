#include "batch_runner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

const std::filesystem::path& scratchFolder() {
  static const std::filesystem::path folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "detection-batch-test-XXXXXX").string();
    const char* made = mkdtemp(pattern.data());
    return std::filesystem::path(made != nullptr ? made : ".");
  }();
  static const struct Cleanup {
    ~Cleanup() {
      std::error_code ignored;
      std::filesystem::remove_all(folder, ignored);
    }
  } cleanup;
  return folder;
}

}  // namespace

std::string temporaryPath(const std::string& name) { return (scratchFolder() / name).string(); }

BatchResult runBatch(const std::vector<std::string>& arguments) {
  static int runs = 0;
  ++runs;
  const std::string outPath = temporaryPath("out" + std::to_string(runs));
  const std::string errPath = temporaryPath("err" + std::to_string(runs));
  std::vector<std::string> argv{DETECTION_BATCH_EXE};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::vector<char*> pointers;
  for (std::string& argument : argv) pointers.push_back(argument.data());
  pointers.push_back(nullptr);

  BatchResult result;
  const pid_t child = fork();
  if (child == 0) {
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0) _exit(126);
    execv(pointers[0], pointers.data());
    _exit(127);
  }
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status))
    result.status = WEXITSTATUS(status);
  result.out = readFile(outPath);
  result.err = readFile(errPath);
  return result;
}

nlohmann::json parseOutput(const BatchResult& result) { return nlohmann::json::parse(result.out); }
