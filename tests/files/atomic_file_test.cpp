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
