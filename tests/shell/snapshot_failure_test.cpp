// Saving the window image over an existing file: a write that fails at any byte (a file-size
// limit in a child process, SIGXFSZ ignored) shows the writer's message and the snapshot's,
// and leaves the old file byte for byte and no fragment beside it.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/headless_window.h"
#include "shell/snapshot.h"

namespace {

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> entries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

struct ChildOutcome {
  int status = -1;       // MakeSnapshot's result, or -1 when the child did not exit normally
  std::string messages;  // "caption: text" of each message box, one per line
};

// Runs MakeSnapshot for `target` in a child process whose files may not grow beyond `limit`.
ChildOutcome snapshotUnderLimit(const std::string& target, rlim_t limit) {
  int channel[2];
  if (pipe(channel) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit rl{limit, limit};
    if (setrlimit(RLIMIT_FSIZE, &rl) != 0) _exit(125);
    HeadlessWindow window(200, 100);
    // A few marks, so that the PCX lines do not all compress to the same two bytes.
    Image& image = const_cast<Image&>(window.clientImage());
    for (int32_t x = 0; x < 200; x += 3) image.at(x, x % 100) = kBlack;
    window.queueFileName(target);
    const int result = MakeSnapshot(window);
    std::string text;
    for (const auto& m : window.messages()) text += m.caption + ": " + m.text + "\n";
    if (write(channel[1], text.data(), text.size()) != static_cast<ssize_t>(text.size())) _exit(124);
    _exit(result);
  }
  close(channel[1]);
  ChildOutcome outcome;
  char buffer[1024];
  for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;)
    outcome.messages.append(buffer, static_cast<size_t>(n));
  close(channel[0]);
  int status = 0;
  if (waitpid(child, &status, 0) == child && WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
  return outcome;
}

TEST(SnapshotFailure, OldImageSurvivesEveryFailedWriteByteForByte) {
  const std::string folder = testing::TempDir() + "snapfail_" + std::to_string(getpid());
  std::filesystem::create_directories(folder);
  const std::string old = std::string("old image\0\x01\x02", 12);
  struct Case {
    const char* name;
    std::vector<rlim_t> limits;
    const char* writerCaption;
    const char* snapshotText;
  };
  // The BMP is 54 + 200 x 100 x 4 bytes; the PCX a few hundred.
  const Case cases[] = {
      {"shot.bmp", {0, 1, 14, 54, 4096, 40000, 80053}, "About Bitmap", "Bitmap file is not created"},
      {"shot.pcx", {0, 1, 64, 128, 200}, "About PCX", "PCX file is not created"},
  };
  for (const Case& c : cases) {
    const std::string target = folder + "/" + c.name;
    for (const rlim_t limit : c.limits) {
      SCOPED_TRACE(std::string(c.name) + " limited to " + std::to_string(limit) + " bytes");
      {
        std::ofstream out(target, std::ios::binary);
        out << old;
      }
      const ChildOutcome outcome = snapshotUnderLimit(target, limit);
      EXPECT_EQ(outcome.status, 1);
      // The writer's own message, then the snapshot's.
      const std::string snapshotLine = std::string("About Bitmap: ") + c.snapshotText + "\n";
      ASSERT_GE(outcome.messages.size(), snapshotLine.size()) << outcome.messages;
      EXPECT_EQ(outcome.messages.rfind(std::string(c.writerCaption) + ": ", 0), 0u) << outcome.messages;
      EXPECT_EQ(outcome.messages.substr(outcome.messages.size() - snapshotLine.size()), snapshotLine);
      EXPECT_EQ(std::count(outcome.messages.begin(), outcome.messages.end(), '\n'), 2) << outcome.messages;
      EXPECT_EQ(readAll(target), old);
      EXPECT_EQ(entries(folder), std::vector<std::string>{c.name});
    }
    // Without a limit the image replaces the old file and nothing else is left.
    const ChildOutcome whole = snapshotUnderLimit(target, RLIM_INFINITY);
    EXPECT_EQ(whole.status, 1);
    EXPECT_EQ(whole.messages, "");
    EXPECT_NE(readAll(target), old);
    EXPECT_EQ(entries(folder), std::vector<std::string>{c.name});
    std::filesystem::remove(target);
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
