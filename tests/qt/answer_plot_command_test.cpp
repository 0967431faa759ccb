// detection-batch process --plot draws the series with the pulses found and the true ones: the
// PNG is read back by Qt's own reader, the strip is found from its axes, and the dotted boxes
// and the shaded spans must stand at the planted positions of a made series.
#include <gtest/gtest.h>

#include <QtGui/QImage>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

int run(const std::string& command) { return std::system(command.c_str()); }

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool isBlack(QRgb p) { return qRed(p) == 0 && qGreen(p) == 0 && qBlue(p) == 0; }
bool isBlue(QRgb p) { return qRed(p) == 0 && qGreen(p) == 0 && qBlue(p) == 255; }
bool isShade(QRgb p) { return qRed(p) == 192 && qGreen(p) == 190 && qBlue(p) == 178; }

// The strip as the picture shows it: the left axis is the longest black column, the zero line
// the row that holds most black or blue pixels right of it (the series may lie on it).
struct Strip {
  int axis = -1, top = 0, bottom = 0, zero = 0, right = 0;
};

Strip findStrip(const QImage& image) {
  Strip s;
  int longest = 0;
  for (int x = 0; x < image.width() / 4; ++x) {
    int run = 0;
    for (int y = 0; y < image.height(); ++y) {
      run = isBlack(image.pixel(x, y)) ? run + 1 : 0;
      if (run > longest) {
        longest = run;
        s.axis = x;
        s.bottom = y;
        s.top = y - run + 1;
      }
    }
  }
  int most = 0;
  for (int y = s.top; y <= s.bottom; ++y) {
    int count = 0, last = 0;
    for (int x = s.axis + 1; x < image.width(); ++x) {
      if (isBlack(image.pixel(x, y)) || isBlue(image.pixel(x, y))) {
        ++count;
        last = x;
      }
    }
    if (count > most) {
      most = count;
      s.zero = y;
      s.right = last;
    }
  }
  return s;
}

// Columns right of the axis holding at least `least` pixels that pass `test`, between rows
// top and bottom, the zero line left out.
std::set<int> columnsWith(const QImage& image, const Strip& s, int top, int bottom, int least,
                          bool (*test)(QRgb)) {
  std::set<int> columns;
  for (int x = s.axis + 1; x <= s.right; ++x) {
    int count = 0;
    for (int y = top; y <= bottom; ++y) count += y != s.zero && test(image.pixel(x, y));
    if (count >= least) columns.insert(x);
  }
  return columns;
}

bool near(const std::set<int>& columns, double x) {
  for (int c : columns)
    if (c >= x - 1.5 && c <= x + 1.5) return true;
  return false;
}

// The made series with noise 0 (so that every pulse is found where it was planted), drawn whole
// or in a stretch; the document and the picture.
struct Drawn {
  nlohmann::json doc;
  QImage image;
};

Drawn drawMade(const std::string& name, const std::string& extra) {
  const std::string exe = DETECTION_BATCH_EXE;
  const std::string dir = ::testing::TempDir();
  const std::string png = dir + name + ".png", json = dir + name + ".json", err = dir + name + ".err";
  std::remove(png.c_str());
  const std::string command = "env -u XDG_RUNTIME_DIR " + exe +
                              " process --length 3000 --tmin 30 --tmax 90 --noise 0 --plot " + png + extra +
                              " >" + json + " 2>" + err;
  Drawn drawn;
  EXPECT_EQ(run(command), 0) << contents(err);
  EXPECT_EQ(contents(err), "");  // nothing on standard error, Qt's runtime-folder note included
  drawn.doc = nlohmann::json::parse(contents(json), nullptr, false);
  drawn.image = QImage(QString::fromStdString(png));
  return drawn;
}

// Checks the boxes and shades of every pulse of [from, to) at x = left + map(i), and that no mark
// stands elsewhere.
template <typename Map>
void expectMarksAtPlantedPositions(const Drawn& drawn, uint64_t from, uint64_t to, Map map) {
  const QImage& image = drawn.image;
  ASSERT_FALSE(image.isNull());
  const Strip s = findStrip(image);
  ASSERT_GT(s.axis, 0);
  ASSERT_GT(s.bottom - s.top, 100);
  const int h = s.bottom - s.top, left = s.axis + 1;
  // Dotted box edges reach a third of the strip up and down: a quarter of their rows is black.
  const std::set<int> boxes = columnsWith(image, s, s.zero - h / 3, s.zero + h / 3, h / 6, isBlack);
  const std::set<int> shades = columnsWith(image, s, s.top, s.bottom, h / 4, isShade);
  const auto planted = drawn.doc["lpPositions"].get<std::vector<int64_t>>();
  const auto found = drawn.doc["lpRestoredPositions"].get<std::vector<int64_t>>();
  ASSERT_EQ(found, planted) << "at noise 0 every pulse is found where it was planted";
  const int64_t length = drawn.doc["wImpulseSize"].get<int64_t>();
  std::set<int> expected;
  int inside = 0;
  for (const int64_t p : planted) {
    const int64_t last = p + length - 1;
    if (last < static_cast<int64_t>(from) || p >= static_cast<int64_t>(to)) continue;
    ++inside;
    const double x1 = left + map(std::max<int64_t>(p, from)),
                 x2 = left + map(std::min<int64_t>(last, to - 1));
    SCOPED_TRACE("pulse at " + std::to_string(p));
    EXPECT_TRUE(near(boxes, x1)) << "no box edge near x " << x1;
    EXPECT_TRUE(near(boxes, x2)) << "no box edge near x " << x2;
    EXPECT_TRUE(near(shades, (x1 + x2) / 2)) << "no shade near x " << (x1 + x2) / 2;
    for (int x = static_cast<int>(x1) - 1; x <= static_cast<int>(x2) + 2; ++x) expected.insert(x);
  }
  EXPECT_GT(inside, 3);
  for (int x : boxes) EXPECT_TRUE(expected.count(x)) << "a box edge at x " << x << " marks no pulse";
  for (int x : shades) EXPECT_TRUE(expected.count(x)) << "a shade at x " << x << " stands for no pulse";
}

TEST(AnswerPlotCommand, MarksStandAtThePlantedPositionsOfALongSeries) {
  // 3000 samples over about 1200 columns: each column shows the extremes of its samples.
  const Drawn drawn = drawMade("plot-whole", "");
  ASSERT_FALSE(drawn.image.isNull());
  const Strip s = findStrip(drawn.image);
  const double columns = s.right - s.axis;
  ASSERT_LT(columns, 3000);
  expectMarksAtPlantedPositions(drawn, 0, 3000, [&](int64_t i) { return i * columns / 3000.0; });
}

TEST(AnswerPlotCommand, AStretchDrawsOnlyItsPulsesSpreadOverTheStrip) {
  // 400 samples: fewer than the columns, so the samples are spread as the window spreads them.
  const Drawn drawn = drawMade("plot-stretch", " --plot-range 1000:1400");
  ASSERT_FALSE(drawn.image.isNull());
  const Strip s = findStrip(drawn.image);
  const double span = s.right - s.axis - 1;
  expectMarksAtPlantedPositions(drawn, 1000, 1400, [&](int64_t i) { return (i - 1000) * span / 399.0; });
}

// A recording longer than the workbench's series goes the long path, and its picture too: 40,000
// samples over about 1200 columns, a box where each planted pulse stands and nowhere else, and
// the least and greatest sample of each column (the pulses reach the top of the strip, the
// quiet stretches stay on the zero line).
TEST(AnswerPlotCommand, ALongRecordingIsDrawnWithTheExtremesOfEachColumn) {
  const std::string exe = DETECTION_BATCH_EXE;
  const std::string dir = ::testing::TempDir();
  const std::string input = dir + "plot-long.txt", etalon = dir + "plot-long-etalon.txt";
  const std::string png = dir + "plot-long.png", json = dir + "plot-long.json", err = dir + "plot-long.err";
  const std::vector<int> shape = {300,   900,   1500, 2000, 1500, 900, 300, -300, -900, -1500,
                                  -2000, -1500, -900, -300, 200,  600, 400, 100,  -100, -50};
  std::vector<int> x(40000, 0);
  std::vector<int64_t> planted;
  for (int64_t p = 700; p + 20 <= 40000; p += 1900 + (p % 7) * 40) {
    planted.push_back(p);
    for (int i = 0; i < 20; ++i) x[static_cast<size_t>(p + i)] = shape[static_cast<size_t>(i)];
  }
  {
    std::ofstream out(input);
    for (int v : x) out << v << "\n";
    std::ofstream e(etalon);
    for (int v : shape) e << v << " ";
  }
  std::remove(png.c_str());
  const std::string command = "env -u XDG_RUNTIME_DIR " + exe + " process --input " + input + " --etalons " +
                              etalon + " --series-type 4 --tmin 1500 --tmax 2400 --plot " + png + " >" +
                              json + " 2>" + err;
  ASSERT_EQ(run(command), 0) << contents(err);
  const nlohmann::json doc = nlohmann::json::parse(contents(json), nullptr, false);
  ASSERT_EQ(doc["solver"], "detectLongRecording");
  ASSERT_EQ(doc["lpRestoredPositions"].get<std::vector<int64_t>>(), planted);
  const QImage image(QString::fromStdString(png));
  ASSERT_FALSE(image.isNull());
  const Strip s = findStrip(image);
  ASSERT_GT(s.axis, 0);
  const int h = s.bottom - s.top, left = s.axis + 1;
  const double columns = s.right - s.axis;
  ASSERT_LT(columns, 40000);
  const std::set<int> boxes = columnsWith(image, s, s.zero - h / 3, s.zero + h / 3, h / 6, isBlack);
  const std::set<int> peaks = columnsWith(image, s, s.top, s.zero - h / 3, 1, isBlue);
  std::set<int> expected;
  for (const int64_t p : planted) {
    const double x1 = left + p * columns / 40000.0, x2 = left + (p + 19) * columns / 40000.0;
    SCOPED_TRACE("pulse at " + std::to_string(p));
    EXPECT_TRUE(near(boxes, x1)) << "no box near x " << x1;
    EXPECT_TRUE(near(peaks, x1)) << "the pulse's peak is lost at x " << x1;
    for (int c = static_cast<int>(x1) - 2; c <= static_cast<int>(x2) + 2; ++c) expected.insert(c);
  }
  for (int c : boxes) EXPECT_TRUE(expected.count(c)) << "a box at x " << c << " marks no pulse";
  for (int c : peaks)
    EXPECT_TRUE(expected.count(c)) << "a peak at x " << c << " where the recording is quiet";
}

TEST(AnswerPlotCommand, RefusesWhatItCannotDraw) {
  const std::string exe = DETECTION_BATCH_EXE;
  const std::string dir = ::testing::TempDir();
  const std::string quiet = " >/dev/null 2>&1";
  const std::string base = exe + " process --length 600 ";
  EXPECT_EQ(run(base + "--plot " + dir + "plot.gif" + quiet) >> 8, 2);
  EXPECT_EQ(run(base + "--plot-range 0:10" + quiet) >> 8, 2);  // needs --plot
  for (const char* range : {"10", "a:b", "5:5", "20:10", "0:601", "-1:4"}) {
    SCOPED_TRACE(range);
    EXPECT_EQ(run(base + "--plot " + dir + "plot.png --plot-range " + range + quiet) >> 8, 2);
  }
  EXPECT_EQ(run(base + "--plot " + dir + "no-such-folder/plot.png" + quiet) >> 8, 2);
  EXPECT_EQ(run(base + "--plot " + dir + "plot.png --plot-range 100:" + quiet), 0);
  EXPECT_FALSE(QImage(QString::fromStdString(dir + "plot.png")).isNull());
}

}  // namespace
