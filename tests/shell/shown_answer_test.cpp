// What the screen comparison with the shared run found: a run with no etalon to look for, the
// tuples of an earlier run beside a pulse answer, a tuple series of unknown count solved with
// no count, and a chart drawn with etalons chosen after its run.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "display/app_state.h"
#include "display/params_header.h"
#include "display/result_view.h"
#include "platform/dialog_ids.h"
#include "processing/chains_header.h"
#include "settings/setting_rules.h"
#include "shell/command_ids.h"
#include "shell/dialog_commands.h"
#include "signal/selected_subsets.h"
#include "signal/series_header.h"
#include "tests/files/independent_writer.h"
#include "tests/shell/workbench_fixture.h"

namespace {

void click(Workbench& w, const Rect& r) {
  w.window.click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  w.window.pump();
}

// 3,000 samples: 20 clicks of one shape, 150 samples apart from sample 100 on, in light noise.
void writeClicks(const std::string& path) {
  std::mt19937 rng(5);
  std::normal_distribution<double> noise(0.0, 0.02);
  std::vector<double> v(3000);
  for (double& x : v) x = noise(rng);
  for (size_t at = 100; at + 20 <= v.size(); at += 150)
    for (size_t k = 0; k < 20; ++k)
      v[at + k] += (k % 4 < 2 ? 1.0 : -0.8) * (1.0 - static_cast<double>(k) / 25.0);
  std::ofstream out(path);
  out << "volts\n";
  for (double x : v) out << x << "\n";
}

// Opens it with Tmin 100, Tmax 200, etalon 3 and the dialog's unknown number.
void openClicks(Workbench& w, const std::string& path) {
  using namespace file_options_dialog;
  w.window.queueOpenFileName(path);
  w.window.queueDialog(DialogScript{kTemplate, {}}.type(kTmin, "100").type(kTmax, "200").type(kEtalon, "3"));
  ASSERT_TRUE(w.window.menuCommand(kMenuOpenSeries));
  w.window.pump();
}

}  // namespace

TEST(ShownAnswer, WithEveryEtalonUnmarkedProcessingShowsTheAlphabetAndNoNewResult) {
  Workbench w;
  ASSERT_TRUE(w.created);
  ASSERT_TRUE(w.window.menuCommand(kMenuRecognition));
  ASSERT_TRUE(w.window.menuCommand(kMenuProcessingNextData));
  w.window.pump();
  ASSERT_EQ(w.state.viewState, 6);
  const int32_t stamped = w.state.lpChainsHeader->distance[0];
  const std::vector<uint16_t> used = w.state.requiredListUsed;
  // Back to the alphabet and the one required etalon unmarked: nothing is required.
  ASSERT_TRUE(w.window.menuCommand(kMenuRecognition));
  w.state.viewState = 5;
  w.window.invalidateAll(true);
  w.window.pump();
  click(w, w.state.layout.etalonCellRect[0]);
  ASSERT_EQ(w.state.requiredCount, 0);
  for (uint16_t id : {kMenuProcessingSameData, kMenuMoreDetails, kMenuDebuggingRepeat}) {
    ASSERT_TRUE(w.window.menuCommand(id));
    w.window.pump();
    EXPECT_EQ(w.state.viewState, 5) << id;
    EXPECT_EQ(w.state.lpChainsHeader->distance[0], stamped) << id;
    EXPECT_EQ(w.state.requiredListUsed, used) << id;
  }
  EXPECT_TRUE(w.window.messages().empty());
}

TEST(ShownAnswer, APulseRunAfterATupleRunOnTheSameSeriesKeepsNoTuples) {
  Workbench w;
  ASSERT_TRUE(w.created);
  AppState& s = w.state;
  setSubsets(s, {2, 9, 11}, {{2, 9, 11}, {4, 5}});
  ASSERT_TRUE(w.window.menuCommand(kMenuFixedTuples));
  for (uint16_t& flag : s.etalonSelected) flag = 0;
  for (uint16_t n : {2, 4, 5, 9, 11}) s.etalonSelected[n - 1] = 1;
  requiredListFromState(s);
  setSubset(w.window, s.selectedSubset, s.selectedSubsetCount, s.subsetEmployment, s.subsetInitPosition,
            s.lpCutOffSeriesHeader);
  ASSERT_TRUE(w.window.menuCommand(kMenuProcessingNextData));
  ASSERT_EQ(s.lpChainsHeader->wTaskType, 36);
  ASSERT_GT(s.lpCutOffSeriesHeader->wRestoredTuples, 0);
  // Joint detection on the same series is a pulse run: its answer has no tuples and names none.
  ASSERT_TRUE(w.window.menuCommand(kMenuJointDetection));
  ASSERT_TRUE(w.window.menuCommand(kMenuProcessingSameData));
  w.window.pump();
  ASSERT_EQ(s.lpChainsHeader->wTaskType, 4);
  EXPECT_EQ(s.lpCutOffSeriesHeader->wRestoredTuples, 0);
  EXPECT_EQ(s.lpCutOffSeriesHeader->wRecognizedSubset, 0);
  EXPECT_GT(s.lpCutOffSeriesHeader->wRestoredQuantity, 0);
}

TEST(ShownAnswer, ARecordingOfUnknownCountOnATupleSeriesIsSolvedByTheDetectorThatFindsTheCount) {
  Workbench w;
  ASSERT_TRUE(w.created);
  ScratchFolder dir;
  writeClicks(dir.file("clicks.csv"));
  ASSERT_TRUE(w.window.menuCommand(kMenuJointDetection));
  ASSERT_TRUE(w.window.menuCommand(kMenuUnfixedTuples));
  // Opened with an unknown number (the dialog's default): series type 40, task 4.
  openClicks(w, dir.file("clicks.csv"));
  ASSERT_TRUE(w.window.messages().empty()) << w.window.messages()[0].text;
  ASSERT_EQ(w.state.viewState, 6);
  const SeriesHeader& series = *w.state.lpCutOffSeriesHeader;
  EXPECT_EQ(w.state.seriesType, 40);
  EXPECT_EQ(series.wImpulseQuantity, 0);
  EXPECT_EQ(w.state.lpChainsHeader->wSeriesType, 40);
  EXPECT_EQ(w.state.lpChainsHeader->wTaskType, 4);
  // Found, not taken from a count the series does not hold: nearly every click with a built-in
  // etalon of another shape.
  EXPECT_GE(series.wRestoredQuantity, 15);
  EXPECT_LE(series.wRestoredQuantity, 20);
  EXPECT_GE(series.wRestoredQuantity, series.wMinPulses);
  const std::vector<std::string> header =
      resultHeaderLines(w.state.lpChainsHeader, series, w.state.wAmplitude);
  ASSERT_GE(header.size(), 3u);
  EXPECT_EQ(header[0],
            " joint detection and identification for series with unknown number of whole pulses tuples ");
  EXPECT_EQ(header[2], " pulses number unknown [15-30], length 20");
}

TEST(ShownAnswer, TheChartShowsTheEtalonsOfItsRunNotTheOnesChosenSince) {
  Workbench w;
  ASSERT_TRUE(w.created);
  queueSimulation(w.window, "600");
  ASSERT_TRUE(w.window.menuCommand(kCmStatisticalSimulation));
  w.window.pump();
  ASSERT_EQ(w.state.resultKind, 2);
  ASSERT_EQ(w.state.viewState, 6);
  EXPECT_EQ(w.state.simulationRequiredList, (std::vector<uint16_t>{1}));
  const std::vector<Color> chart = workAreaPixels(w);
  // New pulses: three other etalons. The chart stays the run's: one etalon, the same curves.
  w.window.queueDialog(DialogScript{required_etalons_dialog::kTemplate, {}}
                           .type(required_etalons_dialog::kCount, "3")
                           .type(required_etalons_dialog::kList, "5,7,9"));
  ASSERT_TRUE(w.window.menuCommand(kCmNewPulses));
  ASSERT_EQ(w.state.requiredCount, 3);
  w.window.invalidateAll(true);
  w.window.pump();
  EXPECT_EQ(w.state.viewState, 6);
  EXPECT_TRUE(workAreaPixels(w) == chart) << "the chart changed with the required list";
}

TEST(ShownAnswer, TheParametersOfARecordingOfUnknownCountAreDrawnForTheCountFound) {
  Workbench w;
  ASSERT_TRUE(w.created);
  ScratchFolder dir;
  writeClicks(dir.file("clicks.csv"));
  openClicks(w, dir.file("clicks.csv"));
  ASSERT_EQ(w.state.viewState, 6);
  const SeriesHeader& series = *w.state.lpCutOffSeriesHeader;
  ASSERT_EQ(series.wImpulseQuantity, 0);
  ASSERT_GT(series.wRestoredQuantity, 0);
  ASSERT_TRUE(w.window.menuCommand(kCmViewSeriesParameters));
  w.window.pump();
  ASSERT_EQ(w.state.viewState, 10);
  const ParamsHeader& p = *w.state.lpParamsHeader;
  EXPECT_EQ(p.pulses, series.wRestoredQuantity);
  EXPECT_EQ(p.minPulses, 15);  // (3000 + 19) / 200
  EXPECT_EQ(p.maxPulses, 30);  // (3000 + 100 - 20) / 100
  // Every line inside the graph, the Tmin line of some length, the last pulse's line where
  // its index is labelled.
  const Rect& graph = p.graphRect;
  for (const Segment* line : {&p.tminLine, &p.tmaxLine, &p.lastPulseLine, &p.topLine}) {
    EXPECT_GE(std::min(line->x1, line->x2), graph.left - 20);
    EXPECT_LE(std::max(line->x1, line->x2), graph.right + 20);
  }
  EXPECT_GT(p.tminLine.x2 - p.tminLine.x1, 10);
  EXPECT_GT(p.lastPulseLine.x1, graph.left);
  EXPECT_EQ(p.lastPulseLine.x1, PanelMapping::of(p).x(p.pulses - 1));

  // Before any answer (a recording whose run found nothing), the fewest pulses it admits.
  ParamsHeader* fresh = nullptr;
  SeriesHeader unanswered = series;
  unanswered.wRestoredQuantity = 0;
  fresh = getParamsHeader(w.window, &unanswered, nullptr);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->pulses, 15);
  unanswered.wRestoredQuantity = 200;  // more than it admits
  fresh = getParamsHeader(w.window, &unanswered, fresh);
  EXPECT_EQ(fresh->pulses, 30);
  freeParamsHeader(w.window, fresh);
}
