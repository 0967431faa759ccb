// Hostile inputs and the program's end by a signal, at the level of files/: files cut short
// while read, sparse files, FIFOs, forged headers, formats told by content, the temporary files
// removed on SIGINT and SIGTERM, and a file-size limit.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "files/atomic_file.h"
#include "files/input_file.h"
#include "files/same_file.h"
#include "files/series_files.h"
#include "files/simulation_result.h"
#include "files/stop_signals.h"

namespace {

std::string scratch(const std::string& name) {
  static const std::string folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "hostile-inputs-XXXXXX").string();
    const char* made = ::mkdtemp(pattern.data());
    return std::string(made != nullptr ? made : ".");
  }();
  static const struct Cleanup {
    ~Cleanup() {
      std::error_code ignored;
      std::filesystem::remove_all(folder, ignored);
    }
  } cleanup;
  return folder + "/" + name;
}

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string le(uint64_t v, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
  return out;
}

std::string npy(const std::string& dict, const std::string& data) {
  std::string header = dict;
  while ((10 + header.size() + 1) % 64 != 0) header += ' ';
  header += '\n';
  return std::string("\x93NUMPY\x01\x00", 8) + le(header.size(), 2) + header + data;
}

std::string wav(size_t frames, uint32_t declaredFrames) {
  std::string data;
  for (size_t i = 0; i < frames; ++i) data += le(static_cast<uint16_t>((i * 37) % 200), 2);
  return "RIFF" + le(36 + declaredFrames * 2, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) +
         le(8000, 4) + le(16000, 4) + le(2, 2) + le(16, 2) + "data" + le(declaredFrames * 2, 4) + data;
}

std::string numberLines(size_t n) {
  std::string text;
  for (size_t i = 0; i < n; ++i) text += std::to_string(static_cast<int>(i % 50) - 25) + "\n";
  return text;
}

// Opens the file, then cuts it to `keep` bytes before the reader asks for its bytes.
std::string readAfterCut(const std::string& path, size_t keep) {
  InputFile file;
  std::string error;
  EXPECT_TRUE(file.open(path, error)) << error;
  EXPECT_EQ(::truncate(path.c_str(), static_cast<off_t>(keep)), 0);
  SeriesValues values;
  EXPECT_FALSE(parseSeries(file, path, {}, values, error)) << path;
  return error;
}

TEST(HostileInputs, AFileCutShortWhileReadIsAMessageNeverACrash) {
  const std::string text = scratch("cut.txt");
  writeBytes(text, numberLines(30000));
  EXPECT_NE(readAfterCut(text, 1000).find("it was cut short while being read"), std::string::npos);

  const std::string array = scratch("cut.npy");
  writeBytes(array,
             npy("{'descr': '<f8', 'fortran_order': False, 'shape': (20000,), }", std::string(160000, '\0')));
  const std::string npyError = readAfterCut(array, 5000);
  EXPECT_NE(npyError.find("\"" + array + "\": the file ends at byte 5000 though it held 160128 bytes"),
            std::string::npos)
      << npyError;

  const std::string sound = scratch("cut.wav");
  writeBytes(sound, wav(20000, 20000));
  EXPECT_NE(readAfterCut(sound, 3000).find("cut short"), std::string::npos);
}

// A file of a few lines followed by 4 GiB of nothing (a sparse hole): only what is needed is read.
TEST(HostileInputs, ASparseFileIsReadOnlyAsFarAsNeeded) {
  const std::string path = scratch("sparse.txt");
  writeBytes(path, numberLines(1000));
  if (::truncate(path.c_str(), off_t{1} << 32) != 0) GTEST_SKIP() << "no sparse files here";
  const auto start = std::chrono::steady_clock::now();
  SeriesValues values;
  std::string error;
  SeriesReadOptions segment;
  segment.from = 10;
  segment.count = 500;
  ASSERT_TRUE(readSeriesFile(path, segment, values, error)) << error;
  EXPECT_EQ(values.values.size(), 500u);
  EXPECT_FALSE(readSeriesFile(path, {}, values, error));
  EXPECT_EQ(error, "\"" + path + "\": line 1001: a NUL byte; this is not a text file");
  EtalonValues etalons;
  EXPECT_FALSE(readEtalonsFile(path, etalons, error));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 10.0) << "the whole hole was scanned";
  std::filesystem::remove(path);
}

TEST(HostileInputs, AFirstLineIsAHeaderOnlyWhenNoFieldStartsLikeANumber) {
  SeriesValues values;
  EtalonValues etalons;
  std::string error;
  for (const char* first : {"0x1F", "1,5", "-.5e", "12abc", "+7;"}) {
    const std::string bytes = std::string(first) + "\n1\n2\n";
    EXPECT_FALSE(parseSeriesBytes(bytes, "f", {}, values, error)) << first;
    EXPECT_EQ(error.rfind("\"f\": line 1", 0), 0u) << first << ": " << error;
  }
  EXPECT_FALSE(parseEtalonBytes("0x1F 2 3\n4 5 6\n", "f", etalons, error));
  EXPECT_EQ(error.rfind("\"f\": line 1, column 1: \"0x1F\" is not a number", 0), 0u) << error;
  // Names stay headers; nan and inf are data.
  ASSERT_TRUE(parseSeriesBytes("value\n1\n2\n", "f", {}, values, error)) << error;
  EXPECT_EQ(values.values, (std::vector<double>{1, 2}));
  ASSERT_TRUE(parseSeriesBytes("nan\n1\n", "f", {}, values, error)) << error;
  EXPECT_EQ(values.values.size(), 2u);
}

TEST(HostileInputs, ForgedNpyHeadersAreRefused) {
  SeriesValues values;
  std::string error;
  const std::string data = le(5, 2) + le(6, 2);
  EXPECT_FALSE(
      parseSeriesBytes(npy("{'descr': '<i2', 'fortran_order': False, 'shape': (2,), 'shape': (1,), }", data),
                       "f", {}, values, error));
  EXPECT_EQ(error, "\"f\": the .npy header gives 'shape' twice");
  EXPECT_FALSE(
      parseSeriesBytes(npy("{'descr': '<i2', 'descr': '<f8', 'fortran_order': False, 'shape': (2,), }", data),
                       "f", {}, values, error));
  EXPECT_EQ(error, "\"f\": the .npy header gives 'descr' twice");
  ASSERT_TRUE(parseSeriesBytes(npy("{'descr': '<i2', 'fortran_order': False, 'shape': (2,), }", data), "f",
                               {}, values, error))
      << error;
  EXPECT_EQ(values.values, (std::vector<double>{5, 6}));
  // A column of a wide array is read value by value, not as one span of every column.
  const std::string wide = scratch("wide.npy");
  const size_t columns = 300000;
  std::string cells(3 * columns * 2, '\0');
  cells[(columns + 7) * 2] = 9;  // row 2, column 8
  writeBytes(wide,
             npy("{'descr': '<i2', 'fortran_order': False, 'shape': (3, " + std::to_string(columns) + "), }",
                 cells));
  SeriesReadOptions column;
  column.column = 8;
  ASSERT_TRUE(readSeriesFile(wide, column, values, error)) << error;
  EXPECT_EQ(values.values, (std::vector<double>{0, 9, 0}));
}

std::string soundFile(const std::string& name, int format, const std::vector<short>& samples) {
  const std::string path = scratch(name);
  SF_INFO info{};
  info.samplerate = 8000;
  info.channels = 1;
  info.format = format | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
  if (file == nullptr) return path;
  sf_write_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
  sf_close(file);
  return path;
}

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(HostileInputs, FormatsAreToldByContent) {
  const std::vector<short> samples{3, -4, 500, -600, 7};
  for (const int format : {SF_FORMAT_W64, SF_FORMAT_RF64, SF_FORMAT_WAV}) {
    const std::string path = soundFile("f" + std::to_string(format), format, samples);
    EXPECT_EQ(detectSeriesFormat(contents(path)), SeriesFormat::kSound) << std::hex << format;
    SeriesValues values;
    std::string error;
    ASSERT_TRUE(readSeriesFile(path, {}, values, error)) << error;
    EXPECT_EQ(values.values, (std::vector<double>{3, -4, 500, -600, 7}));
  }
  const std::string bom = "\xEF\xBB\xBF {\"lpNoisyData\": [1, 2, 3]}";
  EXPECT_EQ(detectSeriesFormat(bom), SeriesFormat::kJson);
  SeriesValues values;
  std::string error;
  ASSERT_TRUE(parseSeriesBytes(bom, "f", {}, values, error)) << error;
  EXPECT_EQ(values.values, (std::vector<double>{1, 2, 3}));
}

TEST(HostileInputs, ASoundFileShorterThanItsHeaderNamesBothLengths) {
  SeriesValues values;
  std::string error;
  SeriesReadOptions options;
  options.acceptShortHint = "; ask for them";
  EXPECT_FALSE(parseSeriesBytes(wav(478, 4000), "f", options, values, error));
  EXPECT_EQ(error, "\"f\": the header declares 4000 frames, the file holds 478 (cut short?); ask for them");
  options.acceptShort = true;
  ASSERT_TRUE(parseSeriesBytes(wav(478, 4000), "f", options, values, error)) << error;
  EXPECT_EQ(values.values.size(), 478u);
  ASSERT_TRUE(parseSeriesBytes(wav(478, 478), "f", {}, values, error)) << error;
  // Each container states its length its own way; cut short, each is refused the same way.
  const std::vector<short> samples(1000, 7);
  for (const int format : {SF_FORMAT_WAV, SF_FORMAT_W64, SF_FORMAT_RF64, SF_FORMAT_AIFF}) {
    const std::string whole = contents(soundFile("short" + std::to_string(format), format, samples));
    ASSERT_GT(whole.size(), 1500u);
    EXPECT_FALSE(parseSeriesBytes(whole.substr(0, 1500), "f", {}, values, error)) << std::hex << format;
    EXPECT_EQ(error.rfind("\"f\": the header declares 1000 frames, the file holds ", 0), 0u) << error;
    ASSERT_TRUE(parseSeriesBytes(whole, "f", {}, values, error)) << error;
    EXPECT_EQ(values.values.size(), 1000u);
  }
}

// RF64 files whose 64-bit sizes are forged to the largest values: the reader's seeks must not
// overflow (the sanitizer build catches it), and each file ends in values or a message.
TEST(HostileInputs, ForgedRf64SizesNeitherOverflowNorCrash) {
  const std::string fmt =
      "fmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(8000, 4) + le(16000, 4) + le(2, 2) + le(16, 2);
  const std::string samples = le(1, 2) + le(2, 2) + le(3, 2);
  for (const uint64_t size :
       {uint64_t{0x7FFFFFFFFFFFFFFF}, uint64_t{0xFFFFFFFFFFFFFFFF}, uint64_t{0x8000000000000000}}) {
    const std::string ds64 = "ds64" + le(28, 4) + le(size, 8) + le(size, 8) + le(size, 8) + le(0, 4);
    for (const std::string& body : {ds64 + fmt + "data" + le(0xFFFFFFFF, 4) + samples,
                                    ds64 + "data" + le(0xFFFFFFFF, 4) + samples + fmt,
                                    ds64 + fmt + "junk" + le(0xFFFFFFFF, 4) + "data" + le(6, 4) + samples}) {
      const std::string file = "RF64" + le(0xFFFFFFFF, 4) + "WAVE" + body;
      SeriesValues values;
      std::string error;
      SeriesReadOptions options;
      options.acceptShort = true;
      if (!parseSeriesBytes(file, "f", options, values, error)) {
        EXPECT_FALSE(error.empty());
      }
    }
  }
}

TEST(HostileInputs, FifosFoldersAndDevicesGetTheirOwnAnswers) {
  const std::string fifo = scratch("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string text = numberLines(5000);
  std::thread writer([&] {
    const int fd = ::open(fifo.c_str(), O_WRONLY);
    for (size_t at = 0; fd >= 0 && at < text.size(); at += 333) {
      const size_t n = std::min<size_t>(333, text.size() - at);
      if (::write(fd, text.data() + at, n) != static_cast<ssize_t>(n)) break;
    }
    if (fd >= 0) ::close(fd);
  });
  SeriesValues values;
  std::string error;
  const bool read = readSeriesFile(fifo, {}, values, error);
  writer.join();
  ASSERT_TRUE(read) << error;
  EXPECT_EQ(values.values.size(), 5000u);

  const std::string folder = scratch("");
  EXPECT_FALSE(readSeriesFile(folder, {}, values, error));
  EXPECT_EQ(error, "\"" + folder + "\": a folder, not a file");
  SimulationResult result;
  EXPECT_FALSE(readSimulationResult(folder, result, error));
  EXPECT_EQ(error, "\"" + folder + "\": a folder, not a file");
  ASSERT_TRUE(readSeriesFile("/dev/null", {}, values, error)) << error;  // an empty stream
  EXPECT_TRUE(values.values.empty());
}

TEST(HostileInputs, SameFileComparesIdentityAndResolvedNames) {
  const std::string a = scratch("same-a");
  writeBytes(a, "x");
  std::filesystem::create_hard_link(a, scratch("same-hard"));
  std::filesystem::create_symlink(a, scratch("same-soft"));
  EXPECT_TRUE(sameFile(a, scratch("same-hard")));
  EXPECT_TRUE(sameFile(a, scratch("same-soft")));
  EXPECT_TRUE(sameFile(scratch("new"), scratch("./new")));
  EXPECT_TRUE(sameFile(
      scratch("new"),
      scratch("../") + std::filesystem::path(scratch("")).parent_path().filename().string() + "/new"));
  EXPECT_FALSE(sameFile(a, scratch("new")));
  EXPECT_FALSE(sameFile(scratch("new"), scratch("other")));
  EXPECT_TRUE(isDeviceOrPipe("/dev/null"));
  EXPECT_FALSE(isDeviceOrPipe(a));
  EXPECT_FALSE(isDeviceOrPipe(scratch("")));
}

// Runs body in a child process; returns its wait status.
template <typename Body>
int inChild(Body body) {
  const pid_t child = ::fork();
  if (child == 0) {
    body();
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return status;
}

TEST(StopSignals, TemporaryFilesAreRemovedWhenASignalEndsTheProgram) {
  for (const int signal : {SIGINT, SIGTERM}) {
    const std::string target = scratch("stopped-" + std::to_string(signal));
    const std::string listing = target + ".temporary";
    const int status = inChild([&] {
      installStopSignals();
      AtomicFile file(target);
      if (!file.open() || !file.write("half")) ::_exit(3);
      writeBytes(listing, file.temporaryPath());
      std::raise(signal);
      ::_exit(4);  // not reached
    });
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), signal);
    const std::string temporary = contents(listing);
    ASSERT_FALSE(temporary.empty());
    EXPECT_FALSE(std::filesystem::exists(temporary)) << temporary;
    EXPECT_FALSE(std::filesystem::exists(target));
  }
}

TEST(StopSignals, AStopRequestTakesTheFirstSignalAndASecondEndsTheProgram) {
  const std::string target = scratch("requested");
  const std::string listing = target + ".temporary";
  const int status = inChild([&] {
    installStopSignals();
    AtomicFile file(target);
    if (!file.open()) ::_exit(3);
    writeBytes(listing, file.temporaryPath());
    const StopRequest request;
    std::raise(SIGTERM);
    if (request.signal() != SIGTERM || !std::filesystem::exists(file.temporaryPath())) ::_exit(5);
    std::raise(SIGINT);
    ::_exit(6);  // not reached
  });
  ASSERT_TRUE(WIFSIGNALED(status)) << (WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  EXPECT_EQ(WTERMSIG(status), SIGINT);
  EXPECT_FALSE(std::filesystem::exists(contents(listing)));
}

TEST(StopSignals, AFileSizeLimitIsAWriteErrorAndKeepsTheOldFile) {
  const std::string target = scratch("limited");
  writeBytes(target, "old");
  const int status = inChild([&] {
    ::signal(SIGXFSZ, SIG_DFL);
    installStopSignals();
    const rlimit limit{100, 100};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(3);
    std::string error;
    const bool written = writeFileAtomically(target, std::string(100000, 'x'), error);
    ::_exit(!written && error == "cannot write \"" + target + "\": File too large" ? 0 : 7);
  });
  ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(contents(target), "old");
  for (const auto& entry : std::filesystem::directory_iterator(scratch("")))
    EXPECT_EQ(entry.path().filename().string().find(".limited"), std::string::npos) << entry.path();
}

}  // namespace
