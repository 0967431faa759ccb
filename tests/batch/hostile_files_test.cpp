// Hostile outputs, inputs and signals met by the companion itself: one file named for two
// outputs or for an output and an input, devices behind links, a file-size limit with SIGXFSZ
// at its default, stop signals while a writer holds its temporary file, and recordings given
// through a pipe.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "batch_runner.h"

namespace {

const std::vector<std::string> kTinySimulation = {"simulate", "--length",    "300", "--pulses-from",
                                                  "2",        "--pulses-to", "2",   "--noise-steps",
                                                  "1",        "--repeats",   "1"};

std::vector<std::string> with(std::vector<std::string> args, const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

std::string freshFolder(const std::string& name) {
  const std::string folder = temporaryPath(name);
  std::filesystem::create_directories(folder);
  return folder;
}

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

bool isCharacterDevice(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

// A mono 16-bit WAV of the given samples whose header declares `declared` frames.
std::string wavBytes(const std::vector<int16_t>& samples, uint32_t declared) {
  const auto le32 = [](uint32_t v) {
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                       static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
  };
  const auto le16 = [](uint16_t v) {
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
  };
  std::string data;
  for (int16_t s : samples) data += le16(static_cast<uint16_t>(s));
  return "RIFF" + le32(36 + declared * 2) + "WAVEfmt " + le32(16) + le16(1) + le16(1) + le32(8000) +
         le32(16000) + le16(2) + le16(16) + "data" + le32(declared * 2) + data;
}

std::vector<int16_t> pulses(size_t n) {
  std::vector<int16_t> s(n);
  for (size_t i = 0; i < n; ++i)
    s[i] = static_cast<int16_t>((i % 97) < 20 ? 90 - 4 * (i % 97) : (i * 7) % 11);
  return s;
}

// Whether the folder holds any name but the given ones (a temporary file left behind).
std::vector<std::string> strayEntries(const std::string& folder, const std::vector<std::string>& expected) {
  std::vector<std::string> stray;
  for (const std::string& name : folderEntries(folder)) {
    if (std::find(expected.begin(), expected.end(), name) == expected.end()) stray.push_back(name);
  }
  return stray;
}

TEST(BatchHostileOutputs, OneFileForTwoOutputsOrForAnOutputAndAnInputIsRefusedBeforeTheRun) {
  const std::string folder = freshFolder("same-file");
  const std::string x = folder + "/x";
  // The same name, the same name spelt another way, and a link to the same file.
  BatchResult r = runBatch(with(kTinySimulation, {"--csv", x, "--json", x}));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--json: \"" + x + "\" is also given to --csv"), std::string::npos) << r.err;
  r = runBatch(with(kTinySimulation, {"--csv", x, "--json", folder + "/./../same-file/x"}));
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_FALSE(std::filesystem::exists(x)) << "nothing is written when the options are refused";
  writeBytes(x, "old");
  std::filesystem::create_symlink(x, folder + "/link");
  r = runBatch(with(kTinySimulation, {"--json", x, "--output", folder + "/link"}));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--output"), std::string::npos) << r.err;
  EXPECT_EQ(fileContents(x), "old");

  // An output that is the input: merge onto one of its shards, chart onto its result.
  const std::string shard = folder + "/shard.json";
  ASSERT_EQ(runBatch(with(kTinySimulation, {"--shard", "1/1", "--output", shard})).status, 0);
  const std::string before = fileContents(shard);
  r = runBatch({"merge", shard, "--json", shard});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("is also the input"), std::string::npos) << r.err;
  EXPECT_EQ(fileContents(shard), before);
  if (runBatch({"chart", "--help"}).status == 0) {
    const std::string picture = folder + "/result.png";
    std::filesystem::copy_file(shard, picture);
    r = runBatch({"chart", "--input", picture, "--output", picture});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--output: \"" + picture + "\" is also the input --input"), std::string::npos)
        << r.err;
  }

  // The pulses file of a recording onto the recording itself.
  r = runBatch({"process", "--input", x, "--series-type", "4", "--pulses-csv", folder + "/link"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--pulses-csv: \"" + folder + "/link\" is also the input --input"), std::string::npos)
      << r.err;
  EXPECT_EQ(fileContents(x), "old");

  // Distinct files, and two outputs onto one device, are fine.
  EXPECT_EQ(runBatch({"merge", shard, "--csv", folder + "/a.csv", "--json", folder + "/a.json"}).status, 0);
  EXPECT_EQ(runBatch(with(kTinySimulation, {"--csv", "/dev/null", "--json", "/dev/null"})).status, 0);
}

TEST(BatchHostileOutputs, DevicesStayDevicesWhetherNamedOrBehindALink) {
  BatchResult r = runBatch(with(kTinySimulation, {"--csv", "/dev/null"}));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(isCharacterDevice("/dev/null"));

  const std::string folder = freshFolder("device-link");
  const std::string node = folder + "/null";
  if (::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
    GTEST_SKIP() << "mknod is not permitted here: " << std::strerror(errno);
  std::filesystem::create_symlink(node, folder + "/link");
  r = runBatch({"series", "--output", folder + "/link", "--format", "csv"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(isCharacterDevice(node)) << "the device node was replaced by a regular file";
  EXPECT_TRUE(std::filesystem::is_symlink(folder + "/link"));
  EXPECT_EQ(strayEntries(folder, {"link", "null"}), std::vector<std::string>{});
}

TEST(BatchHostileOutputs, AFileSizeLimitIsOneLineAndStatusOneWithTheOldFileKept) {
  const std::string folder = freshFolder("size-limit");
  const std::string shard = folder + "/shard.json";
  ASSERT_EQ(runBatch(with(kTinySimulation, {"--shard", "1/1", "--output", shard})).status, 0);
  const std::string target = folder + "/whole.json";
  writeBytes(target, "the old result");
  BatchConditions limited;
  limited.fileSizeLimit = 256;
  limited.defaultFileSizeSignal = true;  // the companion must keep the signal from killing it
  const BatchResult r = runBatch({"merge", shard, "--json", target}, limited);
  EXPECT_EQ(r.status, 1) << "killed by SIGXFSZ?";
  EXPECT_NE(r.err.find("--json: cannot write"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("File too large"), std::string::npos) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_EQ(fileContents(target), "the old result");
  EXPECT_EQ(strayEntries(folder, {"shard.json", "whole.json"}), std::vector<std::string>{});
}

// merge and chart open their outputs before they read their input; an input that is a FIFO
// nobody writes holds them there, with the temporary file made, until the signal comes.
TEST(BatchHostileOutputs, StopSignalsRemoveTheTemporaryFilesOfEveryWriter) {
  int round = 0;
  for (const int signal : {SIGINT, SIGTERM}) {
    for (const bool chart : {false, true}) {
      const std::string folder = freshFolder("stopped-" + std::to_string(round++));
      const std::string fifo = folder + "/input";
      ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
      const std::string target = folder + (chart ? "/chart.png" : "/table.csv");
      writeBytes(target, "old");
      BatchConditions stop;
      stop.interruptSignal = signal;
      stop.interruptWhen = [&] { return folderEntries(folder).size() > 2; };  // the temporary is there
      const std::vector<std::string> args =
          chart ? std::vector<std::string>{"chart", "--input", fifo, "--output", target}
                : std::vector<std::string>{"merge", fifo, "--csv", target};
      if (chart && runBatch({"chart", "--help"}).status != 0) continue;  // built without the chart
      const BatchResult r = runBatch(args, stop);
      // Ended by the signal, or (merge, which watches for it) stopped cleanly with status 1.
      EXPECT_TRUE(r.status == -1 || r.status == 1) << "ended by the signal, status " << r.status;
      EXPECT_EQ(fileContents(target), "old");
      EXPECT_EQ(strayEntries(folder, {"input", chart ? "chart.png" : "table.csv"}),
                std::vector<std::string>{})
          << args[0] << " with signal " << signal;
    }
  }
}

// A run waiting for the writer of a FIFO it reads stops at the first SIGINT or SIGTERM, whether
// the signal comes while it waits or just before: it says so, writes nothing and leaves no
// temporary file.
TEST(BatchHostileOutputs, AStopEndsTheWaitForAStream) {
  using Clock = std::chrono::steady_clock;
  int round = 0;
  for (const int signal : {SIGINT, SIGTERM}) {
    for (const int waitMs : {0, 300}) {
      for (const bool merge : {true, false}) {
        const std::string folder = freshFolder("waiting-" + std::to_string(round++));
        const std::string fifo = folder + "/input";
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        const std::string target = folder + "/out.csv";
        if (merge) writeBytes(target, "old");
        const std::vector<std::string> args = merge ? std::vector<std::string>{"merge", fifo, "--csv", target}
                                                    : std::vector<std::string>{"process", "--input", fifo};
        BatchConditions stop;
        stop.interruptSignal = signal;
        const Clock::time_point start = Clock::now();
        Clock::time_point seen = Clock::time_point::max();
        stop.interruptWhen = [&] {
          const Clock::time_point now = Clock::now();
          // merge makes its temporary before it reads; process has no file to write and is
          // given time to reach its wait.
          const bool reading =
              merge ? folderEntries(folder).size() > 2 : now >= start + std::chrono::milliseconds(200);
          if (reading && seen == Clock::time_point::max()) seen = now;
          return reading && now >= seen + std::chrono::milliseconds(waitMs);
        };
        const BatchResult r = runBatch(args, stop);
        const std::string where =
            args[0] + " with signal " + std::to_string(signal) + ", " + std::to_string(waitMs) + " ms on";
        EXPECT_TRUE(r.status == 1 || r.status == -1) << where << ": status " << r.status << "\n" << r.err;
        if (r.status == 1) {
          const std::string last = std::string("detection-batch: the run was stopped by ") +
                                   (signal == SIGTERM ? "SIGTERM" : "SIGINT") + "; nothing was written\n";
          EXPECT_TRUE(r.err.size() >= last.size() && r.err.substr(r.err.size() - last.size()) == last)
              << where << ": " << r.err;
        }
        if (merge) {
          EXPECT_EQ(fileContents(target), "old") << where;
        }
        EXPECT_EQ(strayEntries(folder, {"input", "out.csv"}), std::vector<std::string>{}) << where;
      }
    }
  }
}

TEST(BatchHostileInputs, RecordingsComeThroughAPipeOrStandardInput) {
  const std::string folder = freshFolder("streams");
  const std::string wav = wavBytes(pulses(3000), 3000);
  const std::string file = folder + "/rec.wav";
  writeBytes(file, wav);
  const BatchResult fromFile = runBatch({"process", "--input", file});
  ASSERT_EQ(fromFile.status, 0) << fromFile.err;
  const auto answer = [](const BatchResult& r) {
    nlohmann::json doc = parseOutput(r);
    doc.erase("input");
    return doc.dump();
  };

  BatchConditions piped;
  piped.standardInput = file;
  const BatchResult fromStdin = runBatch({"process", "--input", "-"}, piped);
  ASSERT_EQ(fromStdin.status, 0) << fromStdin.err;
  EXPECT_EQ(answer(fromStdin), answer(fromFile));

  // A FIFO with a writer that sends the recording in small pieces, as a converter would.
  const std::string fifo = folder + "/pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::thread writer([&] {
    const int fd = ::open(fifo.c_str(), O_WRONLY);
    for (size_t at = 0; fd >= 0 && at < wav.size(); at += 1000) {
      const size_t n = std::min<size_t>(1000, wav.size() - at);
      if (::write(fd, wav.data() + at, n) != static_cast<ssize_t>(n)) break;
    }
    if (fd >= 0) ::close(fd);
  });
  const BatchResult fromFifo = runBatch({"process", "--input", fifo, "--from", "100", "--count", "2000"});
  writer.join();
  ASSERT_EQ(fromFifo.status, 0) << fromFifo.err;
  EXPECT_EQ(parseOutput(fromFifo)["input"]["count"], 2000);
}

TEST(BatchHostileInputs, ASoundFileShorterThanItsHeaderIsRefusedUnlessAccepted) {
  const std::string folder = freshFolder("short");
  const std::string file = folder + "/short.wav";
  writeBytes(file, wavBytes(pulses(478), 4000));
  BatchResult r = runBatch({"process", "--input", file});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("declares 4000 frames, the file holds 478"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("--accept-short"), std::string::npos) << r.err;
  r = runBatch({"process", "--input", file, "--accept-short"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(parseOutput(r)["input"]["count"], 478);
  // A stream's placeholder length is no claim: such a file reads to its end.
  writeBytes(file, wavBytes(pulses(478), 0xFFFFFFFFu / 2).replace(40, 4, "\xFF\xFF\xFF\xFF"));
  r = runBatch({"process", "--input", file});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(parseOutput(r)["input"]["count"], 478);
}

}  // namespace
