#include "display/result_view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/restore_error.h"
#include "platform/glyph_source.h"
#include "platform/headless_window.h"
#include "platform/surface.h"
#include "processing/chains_header.h"
#include "processing/fixed_detection.h"
#include "processing/recognition.h"
#include "signal/series_header.h"
#include "signal/series_maker.h"
#include "tests/support/series_factory.h"

TEST(ResultGeometry, StripsBoxAndTextOfAKnownWorkArea) {
  // W = 1105, Hh = 978, line 15.
  const ResultGeometry g = resultGeometry(Rect{10, 10, 1114, 987}, 15, 3, false);
  EXPECT_EQ(g.stripWidth, 884);
  EXPECT_EQ(g.stripHeight, 234);  // 233 made even
  EXPECT_EQ(g.marginX, 13);
  EXPECT_EQ(g.x0, 23);
  EXPECT_EQ(g.marginY, 15);
  EXPECT_EQ(g.halfMarginY, 7);
  EXPECT_EQ(g.bottomReserve, 15);
  EXPECT_EQ(g.stripTop[0], 71);
  EXPECT_EQ(g.stripTop[1], 320);
  EXPECT_EQ(g.stripTop[2], 569);
  EXPECT_EQ(g.textY, 825);
  EXPECT_EQ(g.strip(1), (Rect{23, 320, 907, 554}));
  EXPECT_EQ(g.alphabetRows, 2);
  EXPECT_EQ(g.cellW, 55);
  EXPECT_EQ(g.boxWidth, 168);
  EXPECT_EQ(g.boxLeft, 934);
  EXPECT_EQ(g.boxTop, 32);
  EXPECT_EQ(g.cellH, 91);
  EXPECT_EQ(g.boxHeight, 256);

  // Twenty etalons do not fit at the default cell height: the box takes all it may.
  const ResultGeometry full = resultGeometry(Rect{10, 10, 1114, 987}, 15, 20, false);
  EXPECT_EQ(full.cellH, 69);
  EXPECT_EQ(full.boxHeight, 940);

  const ResultGeometry special = resultGeometry(Rect{10, 10, 1114, 987}, 15, 3, true);
  EXPECT_EQ(special.stripWidth, 618);
  EXPECT_EQ(special.stripHeight, 112);

  // No etalon in use: no rows and no division by them.
  EXPECT_EQ(resultGeometry(Rect{0, 0, 20, 20}, 15, 0, false).alphabetRows, 0);
}

TEST(ResultGeometry, ScaleAndAlphabetTitle) {
  EXPECT_EQ(resultScale(128, 20), 144);
  EXPECT_EQ(resultScale(128, 60), 180);  // 8/3 of the noise is 160
  // Amplitude 0 is shown as 128, doubled while below the noise level.
  EXPECT_EQ(resultScale(0, 0), 144);
  EXPECT_EQ(resultScale(0, 300), 900);  // a = 512, 8/3 of the noise 800
  EXPECT_EQ(resultScale(0, 200), 599);  // a = 256, 8/3 of the noise 533

  EXPECT_EQ(alphabetBoxTitle(3, 168), " Alphabet, 3 items ");
  EXPECT_EQ(alphabetBoxTitle(1, 168), " Alphabet, 1 item ");
  EXPECT_EQ(alphabetBoxTitle(1, 99), " Alph: 1 ");
  EXPECT_EQ(alphabetBoxTitle(12, 99), " Alph: 12 ");
}

namespace {

// A series of etalon-1 pulses without noise, processed by detection (or recognition among
// etalons 1 and 2) and stamped like a run of the workbench.
struct KnownRun {
  HeadlessWindow window;
  TestAlphabet alphabet;
  RandomSeeds seeds;
  SeriesHeader* series = nullptr;
  ChainsHeader* chains = nullptr;

  KnownRun(uint32_t size, uint16_t pulses, uint16_t task, uint16_t seriesType = 1, uint16_t level = 100) {
    std::vector<uint16_t> sequence(30, 1);
    series = getCutOffSeries(window, 20, alphabet.pulses, 20, 40, 181, size, pulses, sequence.data(), 128,
                             level, nullptr, seeds);
    addNoise(window, 0, 128, series, seeds.seedNoise);
    chains = getChainsHeader(window, 10, 30, nullptr);
    const uint16_t list[2] = {1, 2};
    if (task == 2)
      recognizeFixedPulses(window, alphabet.pulses, 2, list, 40, 181, level, chains, series);
    else
      detectFixedPulses(window, alphabet.pulses, 1, list, 40, 181, level, chains, series);
    addToChainsHeader(window, seriesType, task, level, level, chains);
  }
  ~KnownRun() {
    freeChainsHeader(window, chains);
    freeSeriesHeader(window, series);
  }
  std::string positions(const char* format, int count) const {
    std::string s;
    for (int i = 0; i < count; ++i) s += formatPosition(format, series->lpPositions[i]);
    return s;
  }
  static std::string formatPosition(const char* format, int p) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, p);
    return buffer;
  }
};

}  // namespace

TEST(ResultText, ChainTableOfAKnownDetection) {
  KnownRun run(200, 3, 1);
  ASSERT_NE(run.series, nullptr);
  ASSERT_EQ(run.series->wRestoredQuantity, 3);
  // Etalon 1 is twenty 60s: each pulse scores -72000 on its own noiseless samples.
  EXPECT_EQ(trueConfigurationMeasure(run.window, run.series), -216000);
  EXPECT_EQ(restoreError(run.window, run.chains, run.series), 0);

  const std::vector<ResultTextLine> lines = resultTextLines(run.window, run.chains, *run.series, 15);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].left, "Detected 3 pulses: " + run.positions(" %d", 3));
  EXPECT_EQ(lines[1].left, "Restore Error 0. ");
  EXPECT_EQ(lines[2].left, " n  measure ");
  EXPECT_EQ(lines[2].right, "  positions of etalons in series");
  EXPECT_EQ(lines[2].advance, 16);
  EXPECT_EQ(lines[3].left, " 1.   -216000");
  EXPECT_EQ(lines[3].right, run.positions("  %d", 3));
  EXPECT_EQ(lines[3].advance, 15 + 4);
  EXPECT_EQ(lines[4].left, " 0.   -216000");
  EXPECT_EQ(lines[4].right, run.positions("  %d", 3));

  const std::vector<std::string> header = resultHeaderLines(run.chains, *run.series, 128);
  ASSERT_EQ(header.size(), 4u);
  EXPECT_EQ(header[0], " detection for series with known number of whole pulses ");
  EXPECT_EQ(header[1],
            " series length 200, Tmin=40, Tmax=181,  amplitude 128, noise level 0, allN/S 0,  N/S 0");
  EXPECT_EQ(header[2], " pulses number 3 [1-5], length 20");
  EXPECT_EQ(header[3], " pulses:" + run.positions(" %d", 3));

  // One detected pulse out of three: the true count in brackets and the singular.
  run.series->wRestoredQuantity = 1;
  EXPECT_EQ(resultTextLines(run.window, run.chains, *run.series, 15)[0].left,
            "Detected 1 (3) pulse: " + run.positions(" %d", 1));
}

TEST(ResultText, LongListsStopWithEllipses) {
  KnownRun run(1200, 25, 1);
  ASSERT_EQ(run.series->wRestoredQuantity, 25);
  const std::vector<std::string> header = resultHeaderLines(run.chains, *run.series, 128);
  EXPECT_EQ(header[3], " pulses:" + run.positions(" %d", 19) + "...");
  const std::vector<ResultTextLine> lines = resultTextLines(run.window, run.chains, *run.series, 15);
  EXPECT_EQ(lines[0].left, "Detected 25 pulses: " + run.positions(" %d", 9) + " ... ");
  EXPECT_EQ(lines[3].right, run.positions("  %d", 19) + " ... ");
  EXPECT_EQ(lines.back().right, run.positions("  %d", 19) + " ... ");
}

TEST(ResultText, RecognitionShowsLettersAndCutOffShowsKeptParts) {
  KnownRun run(200, 3, 2);
  ASSERT_GT(run.chains->wPretenders, 1);
  const std::vector<ResultTextLine> lines = resultTextLines(run.window, run.chains, *run.series, 15);
  EXPECT_EQ(lines[2].left, " n et  measure ");
  EXPECT_EQ(lines[3].left.substr(0, 7), " 1.  a ");  // the letter of the recognised etalon
  EXPECT_EQ(lines[0].left.find("Detected 3 pulses:  "), 0u);
  EXPECT_NE(lines[0].left.find('a'), std::string::npos);

  KnownRun cut(200, 3, 1, 2, 75);
  const SeriesHeader& s = *cut.series;
  const std::vector<std::string> header = resultHeaderLines(cut.chains, s, 128);
  EXPECT_EQ(header[2], " pulses number 3 [1-5], length 20, saved energy level for making/processing 75/75");
  char first[64];
  std::snprintf(first, sizeof first, " pulses: %d[%d..%d] ", s.lpPositions[0], s.lpCutBegin[0],
                s.lpCutEnd[0]);
  EXPECT_EQ(header[3].substr(0, std::string(first).size()), first);
}

TEST(RestoreError, MissingChainGivesThePureEnergyAndShiftedChainsCount) {
  KnownRun run(200, 3, 1);
  // No chain kept: the whole pure series is the error.
  const uint16_t kept = run.chains->wPretenders;
  run.chains->wPretenders = 0;
  EXPECT_EQ(restoreError(run.window, run.chains, run.series), 3 * 72000);
  EXPECT_EQ(restoreError(run.window, nullptr, run.series), 3 * 72000);
  run.chains->wPretenders = kept;
  // A pulse restored 5 samples late leaves 5 samples of it unmatched and 5 wrong ones.
  run.chains->positionsList[0][1] = static_cast<int16_t>(run.chains->positionsList[0][1] + 5);
  EXPECT_EQ(restoreError(run.window, run.chains, run.series), 10 * 3600);
  // Kept parts limit the rebuilt samples.
  run.chains->positionsList[0][1] = static_cast<int16_t>(run.chains->positionsList[0][1] - 5);
  run.chains->cutOffBeginList[0][2] = 10;
  EXPECT_EQ(restoreError(run.window, run.chains, run.series), 10 * 3600);
  EXPECT_EQ(restoreError(run.window, run.chains, nullptr), 0);
  EXPECT_EQ(trueConfigurationMeasure(run.window, nullptr), 0);
}

// The text block's placement: no measure loses a digit under the positions, and nothing runs
// under the alphabet box.
TEST(ResultText, PlacementKeepsLongMeasuresWholeAndStopsBeforeTheAlphabetBox) {
  Image image;
  resizeImage(image, 1200, 900, kWhite);
  const Surface surface(image, fixedGlyphSource());
  ResultGeometry g = resultGeometry(Rect{10, 10, 1114, 887}, 15, 4, false);
  const std::vector<ResultTextLine> lines = {
      {"Detected 2 pulses:  10 200", "", 15},
      {" n  measure ", "  positions of etalons in series", 16},
      {" 1.  c   -1294638", "  10  200", 15},
      {" 2.  a       -463", "  12 [0..19]   300 [2..17]   600 [0..11]   900 [0..19] ", 15},
  };
  const int32_t widest = surface.textExtent(" 1.  c   -1294638").cx;
  ASSERT_GT(widest, 100);  // the measure is wider than the specified column
  std::vector<PlacedTextLine> placed = placeResultText(surface, g, lines);
  ASSERT_EQ(placed.size(), 4u);
  EXPECT_EQ(placed[0].y, g.textY);
  EXPECT_EQ(placed[1].y, g.textY + 15);
  EXPECT_EQ(placed[3].y, g.textY + 46);
  for (const PlacedTextLine& p : placed) {
    EXPECT_EQ(p.leftX, g.textX);
    EXPECT_GT(p.rightX, g.textX + widest) << p.right;  // one column for every row
    EXPECT_EQ(p.rightX, placed[1].rightX);
  }
  // Beside the box nothing fits; the lines are below the box here, so all are whole.
  EXPECT_LT(g.boxTop + g.boxHeight, g.textY);
  EXPECT_EQ(placed[3].right, lines[3].right);

  // Below the box a line ends half a margin inside the work area (right edge 1114).
  std::string many;
  for (int k = 0; k < 40; ++k) many += "  " + std::to_string(1000 + k) + " [0..19]";
  const std::vector<ResultTextLine> wide = {{" 1.  c   -1294638", many, 15}};
  const PlacedTextLine cut = placeResultText(surface, g, wide)[0];
  EXPECT_EQ(resultTextEnd(surface, g, g.textY), 1114 - g.marginX / 2);
  EXPECT_LE(cut.rightX + surface.textExtent(cut.right).cx, 1114 - g.marginX / 2);
  EXPECT_GT(cut.rightX + surface.textExtent(cut.right).cx, 1114 - g.marginX / 2 - 100);
  EXPECT_EQ(cut.right.substr(cut.right.size() - 12), "[0..19] ... ") << cut.right;
  // Beside the box (the header's rows) a line ends before the box.
  EXPECT_EQ(resultTextEnd(surface, g, g.boxTop + 5), g.boxLeft - g.marginX / 2);

  // Short measures keep the column at 100 pixels.
  const std::vector<ResultTextLine> shortRows = {{" 1.      -463", "  10  200", 15}};
  EXPECT_EQ(placeResultText(surface, g, shortRows)[0].rightX, g.textX + 100);

  // A box reaching down beside the text: lines end before it, after a whole entry and " ... ".
  g.boxHeight = g.textY + 200 - g.boxTop;
  const int32_t gap = g.marginX / 2 + 1;  // the lines stop short of the box by half a margin
  g.boxLeft = placed[3].rightX + surface.textExtent("  12 [0..19]   300 [2..17] ... ").cx + gap;
  placed = placeResultText(surface, g, lines);
  EXPECT_EQ(placed[3].right, "  12 [0..19]   300 [2..17] ... ");
  EXPECT_EQ(placed[2].right, "  10  200");
  for (const PlacedTextLine& p : placed) {
    EXPECT_LE(p.leftX + surface.textExtent(p.left).cx, g.boxLeft) << p.left;
    if (!p.right.empty()) {
      EXPECT_LE(p.rightX + surface.textExtent(p.right).cx, g.boxLeft) << p.right;
    }
  }
  const std::vector<ResultTextLine> detected = {
      {"Detected 9 pulses:  10 200 300 400 500 600 700 800 900", "", 15}};
  g.boxLeft = g.textX + surface.textExtent("Detected 9 pulses:  10 200 ... ").cx + gap;
  EXPECT_EQ(placeResultText(surface, g, detected)[0].left, "Detected 9 pulses:  10 200 ... ");
}
