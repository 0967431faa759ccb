#include "files/atomic_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class AtomicFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("atomic_file_test_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  static std::string read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static void put(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
  }
  size_t entries() const { return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {})); }

  fs::path dir_;
};

TEST_F(AtomicFileTest, CommitReplacesTargetAndLeavesNoTemporary) {
  const fs::path target = dir_ / "out.csv";
  put(target, "previous\n");
  ::chmod(target.c_str(), 0640);
  AtomicFile file(target.string());
  ASSERT_TRUE(file.open());
  EXPECT_TRUE(file.write("new "));
  EXPECT_TRUE(file.write("contents\n"));
  // Until commit the old contents are what a reader sees.
  EXPECT_EQ(read(target), "previous\n");
  EXPECT_EQ(entries(), 2u);
  ASSERT_TRUE(file.commit()) << file.error();
  EXPECT_EQ(read(target), "new contents\n");
  EXPECT_EQ(entries(), 1u);
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(AtomicFileTest, UncommittedFileIsRemovedAndTargetKept) {
  const fs::path target = dir_ / "keep.csv";
  put(target, "previous\n");
  {
    AtomicFile file(target.string());
    ASSERT_TRUE(file.open());
    file.write("half a li");
  }
  EXPECT_EQ(read(target), "previous\n");
  EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicFileTest, BadNamesAreRefusedWithAReason) {
  std::string error;
  EXPECT_FALSE(writeFileAtomically("", "x", error));
  EXPECT_EQ(error, "an empty file name cannot be written");
  EXPECT_FALSE(writeFileAtomically((dir_ / "missing" / "a.csv").string(), "x", error));
  EXPECT_NE(error.find("missing/a.csv"), std::string::npos) << error;
  EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
  EXPECT_FALSE(writeFileAtomically(dir_.string(), "x", error));
  EXPECT_FALSE(writeFileAtomically((dir_ / "sub" / "..").string(), "x", error));
  EXPECT_EQ(entries(), 0u);
}

TEST_F(AtomicFileTest, WriteBeyondFileSizeLimitFailsWithoutTouchingAnything) {
  const fs::path target = dir_ / "big.bin";
  put(target, "old image");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    AtomicFile file(target.string());
    if (!file.open()) ::_exit(3);
    const std::string block(1000, 'x');
    for (int i = 0; i < 10; ++i) file.write(block);
    ::_exit(file.commit() ? 0 : (file.error().find("big.bin") != std::string::npos ? 1 : 2));
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(read(target), "old image");
  EXPECT_EQ(entries(), 1u);
}

}  // namespace

namespace {

class OutputTargetTest : public AtomicFileTest {};

// A character device made in the test folder; skipped where making device nodes is not allowed.
bool makeNullDevice(const fs::path& path) {
  struct stat null {};
  if (::stat("/dev/null", &null) != 0) return false;
  return ::mknod(path.c_str(), S_IFCHR | 0666, null.st_rdev) == 0;
}

TEST_F(OutputTargetTest, DeviceIsWrittenThroughNeverReplaced) {
  const fs::path device = dir_ / "null";
  if (!makeNullDevice(device)) GTEST_SKIP() << "device nodes cannot be made here";
  const fs::path link = dir_ / "link-to-null";
  fs::create_symlink(device, link);
  for (const fs::path& target : {device, link}) {
    AtomicFile file(target.string());
    ASSERT_TRUE(file.open()) << file.error();
    EXPECT_TRUE(file.temporaryPath().empty());
    EXPECT_TRUE(file.write("discarded\n"));
    ASSERT_TRUE(file.commit()) << file.error();
  }
  struct stat st {};
  ASSERT_EQ(::stat(device.c_str(), &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode)) << "the device was replaced by a file";
  ASSERT_EQ(::lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(entries(), 2u);
}

TEST_F(OutputTargetTest, FullDeviceReportsTheWriteError) {
  if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  AtomicFile file("/dev/full");
  ASSERT_TRUE(file.open()) << file.error();
  file.write(std::string(1 << 16, 'x'));
  EXPECT_FALSE(file.commit());
  EXPECT_NE(file.error().find("No space left on device"), std::string::npos) << file.error();
}

TEST_F(OutputTargetTest, FifoAndProcFdLinkAreWrittenThrough) {
  const fs::path fifo = dir_ / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  const pid_t reader = ::fork();
  ASSERT_GE(reader, 0);
  if (reader == 0) {
    // Copies what arrives through the FIFO into the pipe of the parent.
    ::close(ends[0]);
    std::ifstream in(fifo);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    const ssize_t n = ::write(ends[1], text.data(), text.size());
    ::_exit(n == static_cast<ssize_t>(text.size()) ? 0 : 1);
  }
  ::close(ends[1]);
  {
    AtomicFile file(fifo.string());
    ASSERT_TRUE(file.open()) << file.error();
    EXPECT_TRUE(file.write("through the pipe\n"));
    ASSERT_TRUE(file.commit()) << file.error();
  }
  std::string arrived(64, '\0');
  const ssize_t n = ::read(ends[0], arrived.data(), arrived.size());
  ::close(ends[0]);
  int status = 0;
  ::waitpid(reader, &status, 0);
  EXPECT_EQ(arrived.substr(0, n > 0 ? static_cast<size_t>(n) : 0), "through the pipe\n");
  struct stat st {};
  ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));

  // /proc/self/fd/N of a pipe is a link to no file at all; it is written through too.
  int out[2];
  ASSERT_EQ(::pipe(out), 0);
  {
    AtomicFile file("/proc/self/fd/" + std::to_string(out[1]));
    ASSERT_TRUE(file.open()) << file.error();
    EXPECT_TRUE(file.write("fd\n"));
    ASSERT_TRUE(file.commit()) << file.error();
  }
  ::close(out[1]);
  char got[8] = {};
  EXPECT_EQ(::read(out[0], got, sizeof got), 3);
  EXPECT_STREQ(got, "fd\n");
  ::close(out[0]);
}

TEST_F(OutputTargetTest, LinkToRegularFileStaysALinkAndItsTargetIsReplaced) {
  fs::create_directories(dir_ / "real");
  const fs::path real = dir_ / "real" / "out.csv";
  put(real, "old\n");
  const fs::path link = dir_ / "out.csv";
  fs::create_symlink("real/out.csv", link);
  const fs::path dangling = dir_ / "new.csv";
  fs::create_symlink("real/new.csv", dangling);
  for (const fs::path& target : {link, dangling}) {
    AtomicFile file(target.string());
    ASSERT_TRUE(file.open()) << file.error();
    EXPECT_EQ(fs::path(file.temporaryPath()).parent_path(), dir_ / "real");
    EXPECT_TRUE(file.write("new\n"));
    ASSERT_TRUE(file.commit()) << file.error();
    EXPECT_TRUE(fs::is_symlink(target));
  }
  EXPECT_EQ(read(real), "new\n");
  EXPECT_EQ(read(dir_ / "real" / "new.csv"), "new\n");

  const fs::path loop = dir_ / "loop";
  fs::create_symlink("loop", loop);
  AtomicFile file(loop.string());
  EXPECT_FALSE(file.open());
}

TEST_F(OutputTargetTest, LongestLegalNameGetsAShortenedTemporary) {
  const long longest = ::pathconf(dir_.c_str(), _PC_NAME_MAX);
  for (const size_t length : {size_t{244}, static_cast<size_t>(longest)}) {
    const fs::path target = dir_ / std::string(length, 'n');
    AtomicFile file(target.string());
    ASSERT_TRUE(file.open()) << file.error();
    EXPECT_LE(fs::path(file.temporaryPath()).filename().string().size(), static_cast<size_t>(longest));
    EXPECT_TRUE(file.write("x"));
    ASSERT_TRUE(file.commit()) << file.error();
    EXPECT_EQ(read(target), "x");
  }
  EXPECT_EQ(entries(), 2u);
}

}  // namespace
