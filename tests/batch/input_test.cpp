// `process --input` on a made series written by independent writers (numpy, Python's csv and
// wave) and by `series --output` gives the answer of processing the made series itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "batch_runner.h"
#include "tests/files/independent_writer.h"

namespace {

using nlohmann::json;

std::vector<std::string> joined(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The answer of a run: everything the solver decided.
void expectSameAnswer(const json& made, const json& given, const std::string& what) {
  for (const char* key :
       {"solver", "solverResult", "wRestoredQuantity", "lpRestoredPositions", "lpRestoredEtalons",
        "lpRestoredCutBegin", "lpRestoredCutEnd", "wRestoredTuples", "lpRestoredTupleFirst",
        "lpRestoredTupleLast", "wRecognizedSubset", "chains", "wSeekingPulsesQuantity"}) {
    EXPECT_EQ(made[key], given[key]) << what << ": " << key;
  }
  for (const char* truth : {"lpPureData", "lpNoisyData", "lpPositions", "lpEtalonNumbers"}) {
    EXPECT_FALSE(given.contains(truth)) << what << ": " << truth;
  }
}

struct Case {
  std::vector<std::string> series;   // options of the made series
  std::vector<std::string> process;  // task options, the same for both runs
};

TEST(ProcessInput, IndependentlyWrittenFilesGiveTheAnswerOfTheMadeSeries) {
  const std::vector<Case> cases = {
      {{"--length", "400", "--tmin", "40", "--tmax", "70", "--noise", "40"}, {}},
      {{"--length", "500", "--tmin", "30", "--tmax", "60", "--noise", "20", "--making-level", "70"},
       {"--series-type", "4", "--processing-level", "70"}},
      {{"--length", "600", "--tmin", "40", "--tmax", "80", "--noise", "30"},
       {"--task", "recognition", "--required", "3,5,7", "--series-type", "2"}},
      {{"--length", "600", "--tmin", "30", "--tmax", "50", "--noise", "10"},
       {"--task", "joint", "--required", "2,4", "--series-type", "1"}},
  };
  for (const Case& c : cases) {
    const BatchResult madeRun = runBatch(joined(joined({"process"}, c.series), c.process));
    ASSERT_EQ(madeRun.status, 0) << madeRun.err;
    const json made = parseOutput(madeRun);
    ScratchFolder dir;
    { std::ofstream(dir.file("noisy.json")) << made["lpNoisyData"].dump(); }
    ASSERT_TRUE(dir.python(R"(
import json, csv, wave
import numpy as np
values = json.load(open('noisy.json'))
np.save('s.npy', np.array(values, dtype='<f8'))
np.save('s_be.npy', np.array([[v, -v] for v in values], dtype='>i4'))
with open('s.csv', 'w', newline='') as f:
    w = csv.writer(f, delimiter=';')
    w.writerow(['time', 'volts'])
    for i, v in enumerate(values):
        w.writerow(['%d' % i, '%.1f' % v])
f = wave.open('s.wav', 'wb')
f.setnchannels(2)
f.setsampwidth(2)
f.setframerate(8000)
f.writeframes(b''.join((-v).to_bytes(2, 'little', signed=True) + v.to_bytes(2, 'little', signed=True) for v in values))
f.close()
)")) << dir.pythonErrors();
    // Series types 4, 8 and 40 draw the number of pulses; the others are told it.
    bool drawn = false;
    for (size_t i = 0; i + 1 < c.process.size(); ++i) {
      if (c.process[i] == "--series-type") drawn = c.process[i + 1] == "4" || c.process[i + 1] == "8";
    }
    std::vector<std::string> task = joined({"--tmin", c.series[3], "--tmax", c.series[5]}, c.process);
    if (!drawn) task = joined(task, {"--pulses", made["wImpulseQuantity"].dump()});
    for (const std::vector<std::string>& file :
         std::vector<std::vector<std::string>>{{dir.file("s.npy")},
                                               {dir.file("s_be.npy"), "--column", "1"},
                                               {dir.file("s.csv"), "--column", "volts"},
                                               {dir.file("s.wav"), "--channel", "2"}}) {
      const BatchResult given = runBatch(joined(joined({"process", "--scale", "1", "--input"}, file), task));
      ASSERT_EQ(given.status, 0) << file[0] << ": " << given.err;
      const json doc = parseOutput(given);
      expectSameAnswer(made, doc, file[0]);
      EXPECT_EQ(doc["input"]["factor"], 1.0);
      EXPECT_EQ(doc["input"]["count"], made["dwSeriesSize"]);
    }
  }
}

TEST(ProcessInput, SeriesWrittenByTheCompanionReadsBackInEveryFormat) {
  const std::vector<std::string> series = {"--length", "300", "--tmin",  "40",
                                           "--tmax",   "60",  "--noise", "30"};
  const BatchResult madeRun = runBatch(joined({"process"}, series));
  ASSERT_EQ(madeRun.status, 0) << madeRun.err;
  const json made = parseOutput(madeRun);
  for (const char* format : {"json", "csv", "npy"}) {
    const std::string path = temporaryPath(std::string("made.") + format);
    const BatchResult written = runBatch(joined({"series", "--format", format, "--output", path}, series));
    ASSERT_EQ(written.status, 0) << written.err;
    EXPECT_EQ(written.out, "");
    std::vector<std::string> input = {"process", "--input", path,     "--scale", "1",
                                      "--tmin",  "40",      "--tmax", "60"};
    if (std::string(format) == "csv") input = joined(input, {"--column", "lpNoisyData"});
    if (std::string(format) == "npy") input = joined(input, {"--column", "2"});
    const BatchResult given = runBatch(input);
    ASSERT_EQ(given.status, 0) << format << ": " << given.err;
    expectSameAnswer(made, parseOutput(given), format);
  }
  // The CSV keeps the truth as comments, the JSON is the document `series` prints.
  std::ifstream csv(temporaryPath("made.csv"));
  std::string first;
  std::getline(csv, first);
  EXPECT_EQ(first, "# dwSeriesSize: 300");
  std::ifstream doc(temporaryPath("made.json"));
  const json series1 = json::parse(doc);
  EXPECT_EQ(series1["lpPositions"], made["lpPositions"]);
}

TEST(ProcessInput, SegmentsEtalonsAndFactorsAreRecorded) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.python(R"(
import numpy as np
x = np.zeros(3000)
etalon = np.sin(np.linspace(0, np.pi, 12)) * 0.5
for p in range(1000, 1400, 50):
    x[p:p + 12] += etalon
np.save('rec.npy', x)
np.save('etalons.npy', np.array([etalon, -etalon]))
with open('etalons.txt', 'w') as f:
    f.write(' '.join('%r' % v for v in etalon) + '\n')
)")) << dir.pythonErrors();
  const BatchResult run =
      runBatch({"process", "--input", dir.file("rec.npy"), "--from", "990", "--count", "420", "--etalons",
                dir.file("etalons.npy"), "--tmin", "40", "--tmax", "60", "--pulses", "8"});
  ASSERT_EQ(run.status, 0) << run.err;
  const json doc = parseOutput(run);
  EXPECT_EQ(doc["input"]["from"], 990);
  EXPECT_EQ(doc["input"]["count"], 420);
  EXPECT_EQ(doc["input"]["etalonCount"], 2);
  EXPECT_EQ(doc["input"]["etalonLength"], 12);
  EXPECT_GT(doc["input"]["factor"].get<double>(), 256.0);  // 128 over a peak just below 0.5
  EXPECT_EQ(doc["wImpulseSize"], 12);
  EXPECT_EQ(doc["lpRestoredPositions"], json::parse("[10, 60, 110, 160, 210, 260, 310, 360]"));

  // Too long, bad segment, bad etalon numbers, made-series options: clear refusals.
  BatchResult bad = runBatch({"process", "--input", dir.file("rec.npy"), "--from", "-1"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("--from: -1 is negative"), std::string::npos) << bad.err;
  bad = runBatch({"process", "--input", dir.file("rec.npy"), "--from", "3000"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("the segment starts after 3000 rows, but the file holds 3000"), std::string::npos)
      << bad.err;
  bad = runBatch({"process", "--input", dir.file("rec.npy"), "--from", "1000", "--count", "300", "--etalons",
                  dir.file("etalons.txt"), "--required", "2"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("--required"), std::string::npos) << bad.err;
  bad = runBatch({"process", "--input", dir.file("rec.npy"), "--length", "100"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("--length excludes --input"), std::string::npos) << bad.err;
  bad = runBatch({"process", "--column", "2"});
  EXPECT_EQ(bad.status, 2);
  bad = runBatch({"process", "--input", dir.file("rec.npy"), "--column", "0"});
  EXPECT_EQ(bad.status, 2);
}

TEST(ProcessInput, ACountPastTheEndOfTheFileIsRefusedNamingBothNumbers) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.python("open('rec.txt', 'w').write(''.join('%d\\n' % (i % 7) for i in range(3000)))\n"))
      << dir.pythonErrors();
  const std::string file = dir.file("rec.txt");
  BatchResult bad = runBatch({"process", "--input", file, "--count", "3001"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.err, "detection-batch: \"" + file +
                         "\": --count 3001 reaches past the end of the file, which holds 3000 samples\n");
  EXPECT_EQ(bad.out, "");
  bad = runBatch({"process", "--input", file, "--from", "2000", "--count", "1500"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.err, "detection-batch: \"" + file +
                         "\": --count 1500 reaches past the end of the file, which holds 1000 samples after "
                         "the 2000 skipped\n");
  // Up to the last sample, and without --count the rest of the file: accepted.
  for (const std::vector<std::string>& segment :
       {std::vector<std::string>{"--from", "2000", "--count", "1000"},
        std::vector<std::string>{"--from", "2000"}}) {
    const BatchResult run = runBatch(joined({"process", "--input", file}, segment));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(parseOutput(run)["input"]["count"], 1000);
  }
}

TEST(ProcessInput, LongRecordingIsRefusedNamingTheLimitAndTheSegmentOptions) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.python("open('long.txt', 'w').write('1\\n' * 40000)\n")) << dir.pythonErrors();
  const BatchResult bad = runBatch({"process", "--input", dir.file("long.txt"), "--task", "recognition"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.err,
            "detection-batch: \"" + dir.file("long.txt") +
                "\": 40000 samples, more than the 32,767 the solvers take; choose a part with --from N "
                "--count M\n");
  EXPECT_EQ(bad.out, "");
}

// long.txt: 40,000 samples of silence with a 20-sample half sine every 100 samples from 30 on;
// e.txt: that half sine.
bool writeLongClicks(ScratchFolder& dir) {
  return dir.python(
      "import math\n"
      "e = [round(2000 * math.sin(math.pi * (i + 0.5) / 20)) for i in range(20)]\n"
      "x = [0] * 40000\n"
      "for p in range(30, 40000 - 20, 100):\n"
      "    for i in range(20): x[p + i] = e[i]\n"
      "open('long.txt', 'w').write('\\n'.join(map(str, x)))\n"
      "open('e.txt', 'w').write(' '.join(map(str, e)))\n");
}

// Series type 4 takes the same long recording on the long path, at the file's own integer
// samples; the pulses file holds what the JSON holds, and the tasks the path does not answer,
// a negative penalty or an empty pulses file name are refused naming what to do.
TEST(ProcessInput, LongRecordingOfSeriesType4GoesTheLongPath) {
  ScratchFolder dir;
  ASSERT_TRUE(writeLongClicks(dir)) << dir.pythonErrors();
  const std::string pulses = dir.file("p.csv");
  const BatchResult run =
      runBatch({"process", "--input", dir.file("long.txt"), "--etalons", dir.file("e.txt"), "--series-type",
                "4", "--tmin", "80", "--tmax", "120", "--pulses-csv", pulses});
  ASSERT_EQ(run.status, 0) << run.err;
  const json doc = parseOutput(run);
  EXPECT_EQ(doc["solver"], "detectLongRecording");
  EXPECT_EQ(doc["input"]["factor"], 1.0);
  ASSERT_EQ(doc["wRestoredQuantity"], 400);
  for (int k = 0; k < 400; ++k) EXPECT_EQ(doc["lpRestoredPositions"][k], 30 + 100 * k);
  for (int k = 0; k < 400; ++k) EXPECT_GT(doc["lpMargins"][k].get<double>(), 0.5) << k;  // all clear
  const std::string csv = fileContents(pulses);
  EXPECT_EQ(csv.substr(0, 26), "position,etalon,margin\n30,");
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 401);

  BatchResult bad =
      runBatch({"process", "--input", dir.file("long.txt"), "--etalons", dir.file("e.txt"), "--series-type",
                "1", "--task", "recognition", "--tmin", "80", "--tmax", "120"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("32,767"), std::string::npos) << bad.err;
  bad = runBatch({"process", "--input", dir.file("long.txt"), "--etalons", dir.file("e.txt"), "--series-type",
                  "4", "--processing-level", "80"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("32,767"), std::string::npos) << bad.err;
  EXPECT_NE(bad.err.find("--processing-level 100"), std::string::npos) << bad.err;
  bad = runBatch({"process", "--input", dir.file("long.txt"), "--series-type", "4", "--break-penalty", "-2"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("--break-penalty"), std::string::npos) << bad.err;
  bad = runBatch({"process", "--input", dir.file("long.txt"), "--series-type", "4", "--pulses-csv", ""});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("--pulses-csv"), std::string::npos) << bad.err;
  EXPECT_EQ(bad.out, "");
}

// Series type 1 takes a long recording on the long path too: exactly the number of pulses
// given (the midpoint of the recording's admissible range without --pulses), and a number
// outside that range or breaks are refused naming the option.
TEST(ProcessInput, LongRecordingOfSeriesType1FindsTheKnownNumber) {
  ScratchFolder dir;
  ASSERT_TRUE(writeLongClicks(dir)) << dir.pythonErrors();
  const std::vector<std::string> base = {"process",
                                         "--input",
                                         dir.file("long.txt"),
                                         "--etalons",
                                         dir.file("e.txt"),
                                         "--series-type",
                                         "1",
                                         "--tmin",
                                         "80",
                                         "--tmax",
                                         "120"};
  auto with = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = base;
    args.insert(args.end(), extra.begin(), extra.end());
    return runBatch(args);
  };
  const BatchResult run = with({"--pulses", "400"});
  ASSERT_EQ(run.status, 0) << run.err;
  const json doc = parseOutput(run);
  EXPECT_EQ(doc["solver"], "detectLongRecording");
  EXPECT_EQ(doc["wImpulseQuantity"], 400);
  ASSERT_EQ(doc["wRestoredQuantity"], 400);
  for (int k = 0; k < 400; ++k) EXPECT_EQ(doc["lpRestoredPositions"][k], 30 + 100 * k);
  EXPECT_TRUE(doc["lpMargins"].empty());

  // 333 .. 500 pulses fit 40,000 samples with these distances: 416 by default.
  const BatchResult midpoint = with({});
  ASSERT_EQ(midpoint.status, 0) << midpoint.err;
  EXPECT_EQ(parseOutput(midpoint)["wRestoredQuantity"], 416);

  BatchResult bad = with({"--pulses", "501"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("--pulses: 501 lies outside the admissible range 333..500"), std::string::npos)
      << bad.err;
  bad = with({"--break-penalty", "1"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("--break-penalty"), std::string::npos) << bad.err;
  EXPECT_EQ(bad.out, "");
}

}  // namespace
