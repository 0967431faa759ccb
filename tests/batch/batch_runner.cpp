#include "batch_runner.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

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

BatchResult runBatch(const std::vector<std::string>& arguments) { return runBatch(arguments, {}); }

std::string fileContents(const std::string& path) { return readFile(path); }

std::vector<std::string> folderEntries(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

BatchResult runBatch(const std::vector<std::string>& arguments, const BatchConditions& conditions) {
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
  // Under a file-size limit standard error goes through a pipe, which the limit does not cut.
  int errPipe[2] = {-1, -1};
  if (conditions.fileSizeLimit != 0 && pipe(errPipe) != 0) return result;
  const pid_t child = fork();
  const std::string& outTarget = conditions.standardOutput.empty() ? outPath : conditions.standardOutput;
  if (child == 0) {
    const int out = open(outTarget.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || dup2(out, STDOUT_FILENO) < 0) _exit(126);
    if (dup2(errPipe[1] >= 0 ? errPipe[1] : err, STDERR_FILENO) < 0) _exit(126);
    if (errPipe[0] >= 0) close(errPipe[0]);
    const int in =
        open(conditions.standardInput.empty() ? "/dev/null" : conditions.standardInput.c_str(), O_RDONLY);
    if (in < 0 || dup2(in, STDIN_FILENO) < 0) _exit(126);
    if (conditions.fileSizeLimit != 0) {
      // An ignored SIGXFSZ stays ignored across exec: writes beyond the limit fail with EFBIG.
      std::signal(SIGXFSZ, conditions.defaultFileSizeSignal ? SIG_DFL : SIG_IGN);
      const rlimit limit{conditions.fileSizeLimit, conditions.fileSizeLimit};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(125);
    }
    if (conditions.addressSpaceLimit != 0) {
      const rlimit limit{conditions.addressSpaceLimit, conditions.addressSpaceLimit};
      if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(125);
    }
    execv(pointers[0], pointers.data());
    _exit(127);
  }
  if (child > 0 && (!conditions.interruptWhenErrorShows.empty() || conditions.interruptWhen)) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (std::chrono::steady_clock::now() < deadline) {
      siginfo_t info{};
      if (waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
          info.si_pid != 0)
        break;  // ended before the text showed
      if ((conditions.interruptWhen && conditions.interruptWhen()) ||
          (!conditions.interruptWhenErrorShows.empty() &&
           readFile(errPath).find(conditions.interruptWhenErrorShows) != std::string::npos)) {
        kill(child, conditions.interruptSignal);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  std::string piped;
  if (errPipe[0] >= 0) {
    close(errPipe[1]);
    char buffer[4096];
    for (ssize_t n; (n = read(errPipe[0], buffer, sizeof buffer)) > 0;)
      piped.append(buffer, static_cast<size_t>(n));
    close(errPipe[0]);
  }
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status))
    result.status = WEXITSTATUS(status);
  result.out = readFile(outPath);
  result.err = errPipe[0] >= 0 ? piped : readFile(errPath);
  return result;
}

nlohmann::json parseOutput(const BatchResult& result) { return nlohmann::json::parse(result.out); }
