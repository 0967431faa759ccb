// The companion links no window system: its pictures come from the drawing plug-in, found
// beside the program. Without the plug-in every other subcommand still works, and a picture
// asked for fails with one line that names the places looked in, before any work is done.
#include "batch/drawing_plugin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "batch_runner.h"

namespace {

// Standard output of a shell command.
std::string output(const std::string& command) {
  std::string text;
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return text;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
  ::pclose(pipe);
  return text;
}

TEST(DrawingPlugin, TheCompanionLoadsNoWindowSystem) {
  const std::string libraries = output(std::string("ldd ") + DETECTION_BATCH_EXE + " 2>&1");
  ASSERT_NE(libraries.find("libc.so"), std::string::npos) << libraries;
  for (const char* heavy : {"libQt6", "libicu", "libGL", "libEGL", "libfontconfig", "libxkbcommon"})
    EXPECT_EQ(libraries.find(heavy), std::string::npos) << heavy << " in\n" << libraries;
  // The plug-in lies beside it in the build tree, and exports its entry point alone.
  const std::filesystem::path plugin =
      std::filesystem::path(DETECTION_BATCH_EXE).parent_path() / kDrawingPluginFile;
  ASSERT_TRUE(std::filesystem::exists(plugin)) << plugin;
  const std::string exported = output("nm -D --defined-only " + plugin.string() + " 2>&1");
  EXPECT_NE(exported.find(kDrawingPluginEntry), std::string::npos) << exported;
  EXPECT_EQ(exported.find("AtomicFile"), std::string::npos) << "the libraries linked in are exported";
}

TEST(DrawingPlugin, PluginCandidatesAreBesideTheProgramThenInTheLibraryFolder) {
  const auto candidates = drawingPluginCandidates("/opt/x/bin");
  ASSERT_EQ(candidates.size(), 2u);
  EXPECT_EQ(candidates[0], "/opt/x/bin/detection-batch-drawing.so");
  EXPECT_EQ(candidates[1].rfind("/opt/x/bin/../", 0), 0u) << candidates[1];
  EXPECT_NE(candidates[1].find("/detection-workbench/detection-batch-drawing.so"), std::string::npos);
}

TEST(DrawingPlugin, WithoutThePluginPicturesFailWithTheirPlacesAndTheRestWorks) {
  // A copy of the program in a folder of its own, with no plug-in near it.
  const std::filesystem::path folder = temporaryPath("lonely/bin");
  std::filesystem::create_directories(folder);
  const std::filesystem::path copy = folder / "detection-batch";
  std::filesystem::copy_file(DETECTION_BATCH_EXE, copy, std::filesystem::copy_options::overwrite_existing);
  const std::string result = temporaryPath("lonely-result.json");
  ASSERT_EQ(
      runBatch({"simulate", "--length", "300", "--noise-steps", "2", "--repeats", "2", "--json", result})
          .status,
      0);
  const std::string err = temporaryPath("lonely.err");
  const auto run = [&](const std::string& args) {
    return std::system(
               (copy.string() + " " + args + " >" + temporaryPath("lonely.out") + " 2>" + err).c_str()) >>
           8;
  };

  EXPECT_EQ(run("alphabet --count 1"), 0);
  EXPECT_NE(fileContents(temporaryPath("lonely.out")).find("\"wNumber\": 1"), std::string::npos);

  const std::string png = temporaryPath("lonely.png");
  EXPECT_EQ(run("chart --input " + result + " --output " + png), 1);
  const std::string message = fileContents(err);
  EXPECT_EQ(
      message.rfind("detection-batch: chart: the drawing plug-in detection-batch-drawing.so is missing", 0),
      0u)
      << message;
  EXPECT_NE(message.find((folder / "detection-batch-drawing.so").string()), std::string::npos) << message;
  EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
  EXPECT_FALSE(std::filesystem::exists(png));

  // process --plot fails before solving: nothing on standard output, no picture.
  EXPECT_EQ(run("process --length 600 --plot " + png), 1);
  EXPECT_NE(fileContents(err).find("detection-batch: --plot: the drawing plug-in"), std::string::npos)
      << fileContents(err);
  EXPECT_EQ(fileContents(temporaryPath("lonely.out")), "");
  EXPECT_FALSE(std::filesystem::exists(png));
  EXPECT_EQ(folderEntries(folder.string()), std::vector<std::string>{"detection-batch"});
}

}  // namespace
