// " Open series..." of a recording longer than the workbench's series: the long path answers
// it, the result view draws it whole (the least and greatest sample of each pixel column) with
// the pulses found, and the workbench's own series waits untouched behind it.
#include "display/long_recording_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "display/answer_plot.h"
#include "display/column_extremes.h"
#include "display/opened_files.h"
#include "files/series_files.h"
#include "platform/dialog_ids.h"
#include "platform/surface.h"
#include "shell/command_ids.h"
#include "signal/series_header.h"
#include "tests/files/independent_writer.h"
#include "tests/shell/workbench_fixture.h"

namespace {

constexpr Color kBlue = rgb(0, 0, 255);

std::vector<int16_t> noisy(const AppState& s) {
  const SeriesHeader* h = s.lpCutOffSeriesHeader;
  return {h->lpNoisyData, h->lpNoisyData + h->dwSeriesSize};
}

bool screenIsFullRepaint(Workbench& wb) {
  const Image before = wb.window.clientImage();
  wb.window.invalidateAll(true);
  wb.window.pump();
  return before.pixels == wb.window.clientImage().pixels;
}

// A recording of `length` samples holding etalon 1 of the alphabet with gaps drawn from
// gap .. gap + spread - 1 from start to start, zero between.
struct Recording {
  std::vector<int64_t> planted;
  std::string text;
};

Recording plantedRecording(const AppState& s, size_t length, uint32_t seed, size_t gap = 60,
                           size_t spread = 111) {
  const PulseHeader& e = s.etalonAlphabet[0];
  std::mt19937 rng(seed);
  std::vector<int> x(length, 0);
  Recording r;
  for (size_t p = 30 + rng() % 100; p + e.wSize <= length; p += gap + rng() % spread) {
    r.planted.push_back(static_cast<int64_t>(p));
    for (uint16_t i = 0; i < e.wSize; ++i) x[p + i] = e.lpData[i];
  }
  r.text.reserve(length * 4);
  for (int v : x) r.text += std::to_string(v) + "\n";
  return r;
}

void openRecording(Workbench& w, const std::string& path, bool knownNumber = false,
                   const std::string& tmin = "", const std::string& tmax = "") {
  w.window.queueOpenFileName(path);
  DialogScript options;
  options.templateId = file_options_dialog::kTemplate;
  options.type(file_options_dialog::kScaleFactor, "1");
  if (!tmin.empty()) options.type(file_options_dialog::kTmin, tmin);
  if (!tmax.empty()) options.type(file_options_dialog::kTmax, tmax);
  options.click(knownNumber ? file_options_dialog::kKnownPulses : file_options_dialog::kUnknownPulses);
  w.window.queueDialog(options);
  ASSERT_TRUE(w.window.menuCommand(kMenuOpenSeries));
  w.window.pump();
}

// The strip of the view as the last paint laid it out, with the window's glyphs.
Rect viewStrip(const AppState& s) {
  Image scratch{1, 1, std::vector<Color>(1, kWhite)};
  Surface probe(scratch, fixedGlyphSource());
  return answerPlotStripIn(longRecordingArea(s.layout.workArea), probe.textMetrics().height);
}

// Rows of column x between top and bottom (inclusive) holding the series' blue.
int blueRows(const HeadlessWindow& window, int32_t x, int32_t top, int32_t bottom) {
  int rows = 0;
  for (int32_t y = top; y <= bottom; ++y) rows += window.pixel(x, y) == kBlue;
  return rows;
}

TEST(LongRecordingView, ARecordingIsAnsweredWholeAndDrawnWithTheExtremesOfEachColumn) {
  Workbench w;
  ASSERT_TRUE(w.created);
  ASSERT_TRUE(w.window.menuCommand(kMenuProcessingNextData));
  const std::vector<int16_t> made = noisy(w.state);
  ScratchFolder dir;
  const size_t length = 100000;
  // Pulses 1600 to 2299 samples apart: most columns hold none.
  const Recording rec = plantedRecording(w.state, length, 5, 1600, 700);
  std::ofstream(dir.file("long.txt")) << rec.text;

  openRecording(w, dir.file("long.txt"), false, "1500", "2400");
  ASSERT_TRUE(w.window.messages().empty()) << w.window.messages()[0].text;
  const OpenedFiles& o = w.state.opened;
  ASSERT_TRUE(o.isLong());
  EXPECT_EQ(o.samples.size(), length);  // the true length, not the workbench's limit
  ASSERT_TRUE(o.longResult.answered);
  EXPECT_EQ(o.longResult.answer.positions, rec.planted);
  EXPECT_EQ(noisy(w.state), made) << "the workbench's series stays behind the recording";
  EXPECT_EQ(w.state.viewState, 6);
  EXPECT_EQ(longRecordingTitle(o), " Series from long.txt, samples 0..99999, factor 1 - " +
                                       std::to_string(rec.planted.size()) + " pulses found ");
  EXPECT_TRUE(screenIsFullRepaint(w));

  // Every column is drawn from the least to the greatest of its samples: a column holding a
  // pulse reaches the strip's edge (the pulses are the peak), a quiet one stays on the middle.
  const Rect strip = viewStrip(w.state);
  const auto columns = static_cast<uint64_t>(strip.right - strip.left + 1);
  ASSERT_GT(columns, 500u);
  ASSERT_LT(columns, length);
  EXPECT_EQ(
      samplesPerColumnText(length, columns),
      std::to_string(length / columns) + " to " + std::to_string(length / columns + 1) + " samples a column");
  const int32_t h = strip.bottom - strip.top, mid = strip.top + h / 2;
  std::vector<bool> holdsPulse(columns, false);
  for (const int64_t p : rec.planted)
    for (int64_t i = 0; i < 20; ++i)
      holdsPulse[columnOfSample(static_cast<uint64_t>(p + i), length, columns)] = true;
  int quiet = 0;
  for (uint64_t c = 1; c + 1 < columns; ++c) {
    const auto x = static_cast<int32_t>(strip.left + static_cast<int32_t>(c));
    if (holdsPulse[c]) {
      const int edges = blueRows(w.window, x, strip.top, strip.top + h / 8) +
                        blueRows(w.window, x, strip.bottom - h / 8, strip.bottom);
      EXPECT_GT(edges, 0) << "column " << c << " loses its pulse's peak";
    } else if (!holdsPulse[c - 1] && !holdsPulse[c + 1]) {
      ++quiet;
      EXPECT_EQ(blueRows(w.window, x, strip.top, mid - 2) + blueRows(w.window, x, mid + 2, strip.bottom), 0)
          << "quiet column " << c;
    }
  }
  EXPECT_GT(quiet, static_cast<int>(columns / 2));

  // Next Data goes back to the workbench's own series and its view.
  ASSERT_TRUE(w.window.menuCommand(kMenuProcessingNextData));
  w.window.pump();
  EXPECT_FALSE(w.state.opened.isLong());
  EXPECT_NE(noisy(w.state), made);
  EXPECT_TRUE(screenIsFullRepaint(w));
  EXPECT_TRUE(w.window.messages().empty());
}

// Tasks the long path does not answer (here recognition of a known number) are refused naming
// the true length and the limit: when the file is opened (nothing changes), and when the task
// changes under an open recording (the view then shows it unprocessed until a task it answers
// comes back: recognition of an unknown number, detection of a known one).
TEST(LongRecordingView, TasksOutsideTheLongPathAreRefusedWithTheTrueLength) {
  Workbench w;
  ASSERT_TRUE(w.created);
  ASSERT_TRUE(w.window.menuCommand(kMenuRecognition));
  w.window.clearMessages();
  ScratchFolder dir;
  const Recording rec = plantedRecording(w.state, 40000, 9);
  std::ofstream(dir.file("long.txt")) << rec.text;

  openRecording(w, dir.file("long.txt"), true);
  ASSERT_EQ(w.window.messages().size(), 1u);
  const std::string& text = w.window.messages()[0].text;
  EXPECT_NE(text.find("\": 40000 samples, more than the 32,767 the solvers take"), std::string::npos) << text;
  EXPECT_NE(text.find("unknown number of whole pulses"), std::string::npos) << text;
  EXPECT_TRUE(w.state.opened.seriesFile.empty());
  w.window.clearMessages();

  // Recognition of an unknown number: etalon 1 makes up the recording.
  openRecording(w, dir.file("long.txt"));
  ASSERT_TRUE(w.window.messages().empty()) << w.window.messages()[0].text;
  ASSERT_TRUE(w.state.opened.longResult.answered);
  EXPECT_EQ(w.state.opened.longResult.answer.recognized, 1);
  EXPECT_EQ(w.state.opened.longResult.answer.positions, rec.planted);
  EXPECT_EQ(longRecordingTitle(w.state.opened),
            " Series from long.txt, samples 0..39999, factor 1 - etalon 1 "
            "recognized, " +
                std::to_string(rec.planted.size()) + " pulses ");
  EXPECT_TRUE(screenIsFullRepaint(w));

  ASSERT_TRUE(w.window.menuCommand(kMenuFixedWhole));
  w.window.pump();
  ASSERT_EQ(w.window.messages().size(), 1u);
  EXPECT_NE(w.window.messages()[0].text.find("40000 samples, more than the 32,767"), std::string::npos);
  EXPECT_FALSE(w.state.opened.longResult.answered);
  EXPECT_EQ(longRecordingTitle(w.state.opened),
            " Series from long.txt, samples 0..39999, factor 1 - not processed ");
  EXPECT_TRUE(screenIsFullRepaint(w));
  w.window.clearMessages();

  // Detection of a known number: the midpoint of the 221 .. 999 pulses that fit.
  ASSERT_TRUE(w.window.menuCommand(kMenuDetection));
  w.window.pump();
  EXPECT_TRUE(w.window.messages().empty()) << w.window.messages()[0].text;
  ASSERT_TRUE(w.state.opened.longResult.answered);
  EXPECT_EQ(w.state.opened.longResult.answer.positions.size(), 610u);
  EXPECT_TRUE(screenIsFullRepaint(w));
}

// Save series as writes the whole recording, which reads back sample for sample.
TEST(LongRecordingView, SaveSeriesAsWritesTheWholeRecording) {
  Workbench w;
  ASSERT_TRUE(w.created);
  ScratchFolder dir;
  const Recording rec = plantedRecording(w.state, 33000, 3);
  std::ofstream(dir.file("long.txt")) << rec.text;
  openRecording(w, dir.file("long.txt"));
  ASSERT_TRUE(w.window.messages().empty()) << w.window.messages()[0].text;

  w.window.queueFileName(dir.file("saved.csv"));
  ASSERT_TRUE(w.window.menuCommand(kMenuSaveSeries));
  EXPECT_TRUE(w.window.messages().empty());
  SeriesReadOptions read;
  read.columnName = "lpNoisyData";
  read.keepAtMost = 100000;
  SeriesValues back;
  std::string error;
  ASSERT_TRUE(readSeriesFile(dir.file("saved.csv"), read, back, error)) << error;
  ASSERT_EQ(back.values.size(), w.state.opened.samples.size());
  for (size_t i = 0; i < back.values.size(); ++i)
    ASSERT_EQ(back.values[i], w.state.opened.samples[i]) << "sample " << i;
}

}  // namespace
