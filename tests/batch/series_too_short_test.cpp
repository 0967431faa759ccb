// A series the user gives that holds no pulse is refused with one message wherever it comes from:
// the file is named, --length (which --input forbids) is not, and the status is 1 (a failure of
// the run's data), not 2 (bad options).
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "batch_runner.h"
#include "files/series_fit.h"
#include "tests/files/independent_writer.h"

namespace {

TEST(SeriesTooShort, TheCompanionNamesTheFileAndFailsWithStatusOne) {
  ScratchFolder dir;
  const std::string shortFile = dir.file("short.txt");
  { std::ofstream(shortFile) << "1\n2\n3\n"; }
  const BatchResult tooFew = runBatch({"process", "--input", shortFile});
  EXPECT_EQ(tooFew.status, 1);
  EXPECT_EQ(tooFew.out, "");
  EXPECT_EQ(tooFew.err, "detection-batch: \"" + shortFile +
                            "\": the series of 3 samples holds no admissible pulses of 20 samples with "
                            "Tmin 40 and Tmax 181\n");

  // Long enough for an etalon, but no pulse count fits the distances.
  const std::string gapFile = dir.file("gap.csv");
  {
    std::ofstream out(gapFile);
    for (int i = 0; i < 40; ++i) out << i << "\n";
  }
  const BatchResult noFit = runBatch({"process", "--input", gapFile, "--tmin", "25", "--tmax", "25"});
  EXPECT_EQ(noFit.status, 1) << noFit.err;
  EXPECT_EQ(noFit.err, "detection-batch: \"" + gapFile +
                           "\": the series of 40 samples holds no admissible pulses of 20 samples with "
                           "Tmin 25 and Tmax 25\n");

  // Other option faults keep their own message and status.
  const BatchResult badTmax = runBatch({"process", "--input", gapFile, "--tmin", "25", "--tmax", "5"});
  EXPECT_EQ(badTmax.status, 2);
  EXPECT_NE(badTmax.err.find("--tmax"), std::string::npos) << badTmax.err;
}

TEST(SeriesTooShort, TheMessageSaysWhetherAnyPulseFits) {
  EXPECT_EQ(seriesTooShortProblem("a.wav", 3, 20, 40, 181),
            "\"a.wav\": the series of 3 samples holds no admissible pulses of 20 samples with Tmin 40 and "
            "Tmax 181");
  EXPECT_EQ(seriesTooShortProblem("noisy", 19, 20, 20, 30),
            "\"noisy\": the series of 19 samples holds no admissible pulses of 20 samples with Tmin 20 and "
            "Tmax 30");
  EXPECT_EQ(seriesTooShortProblem("noisy", 20, 20, 20, 30), "");     // one pulse fills it
  EXPECT_EQ(seriesTooShortProblem("noisy", 1200, 20, 40, 181), "");  // the workbench's start
  EXPECT_EQ(seriesTooShortProblem("noisy", 30, 20, 25, 28), "");     // one pulse
  EXPECT_NE(seriesTooShortProblem("noisy", 40, 20, 25, 25), "");     // Tmax wants two, Tmin allows one
  EXPECT_NE(seriesTooShortProblem("noisy", 100, 0, 25, 28), "");     // no etalon length
}

}  // namespace
