// Files written by numpy and by Python's csv and wave modules read back to the values written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/series_files.h"
#include "files/user_data.h"
#include "tests/files/independent_writer.h"

namespace {

std::vector<double> readSeries(const std::string& path, const SeriesReadOptions& options = {}) {
  SeriesValues values;
  std::string error;
  EXPECT_TRUE(readSeriesFile(path, options, values, error)) << error;
  return values.values;
}

// The values every writer writes: fit int8 after adding 28, so unsigned types take them too.
const std::vector<double> kValues{-28, -3, 0, 1, 2, 99, 5, -7, 64, 0, 12};

std::string valuesPython() {
  std::string text = "values = [";
  for (double v : kValues) text += std::to_string(static_cast<int>(v)) + ",";
  return text + "]\n";
}

TEST(ReadersRoundTrip, NpyOfEveryTypeOrderAndVersion) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.python(valuesPython() + R"(
import numpy as np
for t in ['i1', 'i2', 'i4', 'i8', 'u1', 'u2', 'f4', 'f8']:
    for order in '<>':
        a = np.array(values, dtype=np.int64)
        if t[0] == 'u':
            a = a + 28
        a = a.astype(np.dtype(order + t))
        np.save('s_%s_%s.npy' % (t, 'le' if order == '<' else 'be'), a)
        with open('v2_%s_%s.npy' % (t, 'le' if order == '<' else 'be'), 'wb') as f:
            np.lib.format.write_array(f, a, version=(2, 0))
np.save('table.npy', np.array([values, [2 * v for v in values], [0.5 * v for v in values]]).T.copy())
)")) << dir.pythonErrors();
  for (const char* t : {"i1", "i2", "i4", "i8", "u1", "u2", "f4", "f8"}) {
    std::vector<double> expected = kValues;
    if (t[0] == 'u') {
      for (double& v : expected) v += 28;
    }
    for (const char* prefix : {"s_", "v2_"}) {
      for (const char* order : {"le", "be"}) {
        const std::string name = std::string(prefix) + t + "_" + order + ".npy";
        EXPECT_EQ(readSeries(dir.file(name)), expected) << name;
      }
    }
  }
  SeriesReadOptions column;
  column.column = 3;
  std::vector<double> halves = kValues;
  for (double& v : halves) v *= 0.5;
  EXPECT_EQ(readSeries(dir.file("table.npy"), column), halves);
  column.column = 2;
  column.from = 2;
  column.count = 3;
  EXPECT_EQ(readSeries(dir.file("table.npy"), column), (std::vector<double>{0, 2, 4}));

  EtalonValues etalons;
  std::string error;
  ASSERT_TRUE(readEtalonsFile(dir.file("table.npy"), etalons, error)) << error;
  EXPECT_EQ(etalons.rows.size(), kValues.size());
  EXPECT_EQ(etalons.rows[1], (std::vector<double>{-3, -6, -1.5}));
}

TEST(ReadersRoundTrip, CsvTsvAndBlankSeparatedTextByNumberAndName) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.python(valuesPython() + R"(
import csv
with open('s.csv', 'w', newline='') as f:
    w = csv.writer(f)
    w.writerow(['time', 'pure value'])
    for i, v in enumerate(values):
        w.writerow([i * 0.125, v + 0.25])
with open('s.tsv', 'w', newline='') as f:
    w = csv.writer(f, delimiter='\t')
    f.write('# recorded at the bench\n')
    for i, v in enumerate(values):
        w.writerow([i, v])
with open('s.txt', 'w') as f:
    for v in values:
        f.write('  %r  \n\n' % float(v))
with open('e.csv', 'w', newline='') as f:
    w = csv.writer(f)
    w.writerow([1.5, -2, 3])
    w.writerow([4, 5e-1, -6])
)")) << dir.pythonErrors();
  std::vector<double> shifted = kValues;
  for (double& v : shifted) v += 0.25;
  SeriesReadOptions byName;
  byName.columnName = "pure value";
  EXPECT_EQ(readSeries(dir.file("s.csv"), byName), shifted);
  SeriesReadOptions byNumber;
  byNumber.column = 2;
  EXPECT_EQ(readSeries(dir.file("s.csv"), byNumber), shifted);
  EXPECT_EQ(readSeries(dir.file("s.tsv"), byNumber), kValues);
  EXPECT_EQ(readSeries(dir.file("s.txt")), kValues);

  SeriesValues values;
  std::string error;
  byNumber.from = 4;
  ASSERT_TRUE(readSeriesFile(dir.file("s.tsv"), byNumber, values, error)) << error;
  EXPECT_EQ(values.position(0), "line 6");  // comment line, then the 5th value

  EtalonValues etalons;
  ASSERT_TRUE(readEtalonsFile(dir.file("e.csv"), etalons, error)) << error;
  ASSERT_EQ(etalons.rows.size(), 2u);
  EXPECT_EQ(etalons.rows[1], (std::vector<double>{4, 0.5, -6}));
}

TEST(ReadersRoundTrip, WaveFilesOfEveryWidthAndAChosenChannel) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.python(valuesPython() + R"(
import wave
for width in (2, 3, 4):
    f = wave.open('w%d.wav' % width, 'wb')
    f.setnchannels(2)
    f.setsampwidth(width)
    f.setframerate(8000)
    frames = b''
    for v in values:
        frames += (v * 100).to_bytes(width, 'little', signed=True) + (-v).to_bytes(width, 'little', signed=True)
    f.writeframes(frames)
    f.close()
f = wave.open('w1.wav', 'wb')
f.setnchannels(1)
f.setsampwidth(1)
f.setframerate(8000)
f.writeframes(bytes((v + 128) & 255 for v in values))
f.close()
)")) << dir.pythonErrors();
  std::vector<double> left = kValues, right = kValues;
  for (double& v : left) v *= 100;
  for (double& v : right) v = -v;
  for (int width : {2, 3, 4}) {
    SeriesReadOptions options;
    options.channel = 1;
    EXPECT_EQ(readSeries(dir.file("w" + std::to_string(width) + ".wav"), options), left) << width;
    options.channel = 2;
    EXPECT_EQ(readSeries(dir.file("w" + std::to_string(width) + ".wav"), options), right) << width;
  }
  EXPECT_EQ(readSeries(dir.file("w1.wav")), kValues);

  SeriesReadOptions segment;
  segment.channel = 2;
  segment.from = 5;
  segment.count = 2;
  SeriesValues values;
  std::string error;
  ASSERT_TRUE(readSeriesFile(dir.file("w2.wav"), segment, values, error)) << error;
  EXPECT_EQ(values.values, (std::vector<double>{-99, -5}));
  EXPECT_EQ(values.position(1), "frame 7");

  SeriesReadOptions none;
  EXPECT_FALSE(readSeriesFile(dir.file("w2.wav"), none, values, error));
  EXPECT_EQ(error, "\"" + dir.file("w2.wav") + "\": the file has 2 channels; choose one");
}

TEST(ReadersRoundTrip, LoadingScalesSeriesAndEtalonsWithOneFactor) {
  ScratchFolder dir;
  ASSERT_TRUE(dir.python(R"(
import numpy as np
np.save('s.npy', np.array([0.5, -1.0, 0.25, 0.0, 1.0, 0.75]))
np.save('e.npy', np.array([[1.0, -0.5, 0.25], [0.0, 0.5, 1.0]], dtype='>f4'))
np.save('bad.npy', np.array([0.5, np.nan, 1.0]))
)")) << dir.pythonErrors();
  UserDataRequest request;
  request.seriesPath = dir.file("s.npy");
  request.etalonsPath = dir.file("e.npy");
  request.options.from = 1;
  request.options.count = 4;
  UserData data;
  std::string error;
  ASSERT_TRUE(loadUserData(request, data, error)) << error;
  EXPECT_EQ(data.scaled.factor, 128.0);
  EXPECT_EQ(data.scaled.series, (std::vector<int16_t>{-128, 32, 0, 128}));
  EXPECT_EQ(data.scaled.etalons, (std::vector<int16_t>{128, -64, 32, 0, 64, 128}));
  EXPECT_EQ(data.first, 1u);
  EXPECT_EQ(data.count, 4u);

  request.seriesPath = dir.file("bad.npy");
  request.options = {};
  EXPECT_FALSE(loadUserData(request, data, error));
  EXPECT_EQ(error, "\"" + dir.file("bad.npy") + "\": sample 2: value is not a number");
  request.seriesPath = dir.file("missing.npy");
  EXPECT_FALSE(loadUserData(request, data, error));
  EXPECT_EQ(error, "\"" + dir.file("missing.npy") + "\": cannot open: No such file or directory");
}

}  // namespace
