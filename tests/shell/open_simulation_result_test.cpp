// File > "Open simulation result...": a whole result becomes the simulation record and is shown
// as after a run; what does not fit is refused and the record stays.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "files/simulation_result.h"
#include "platform/dialog_ids.h"
#include "shell/simulation_result_command.h"
#include "signal/series_header.h"
#include "simulation/rest_err_header.h"
#include "tests/shell/workbench_fixture.h"

namespace {

SimulationResult recognitionResult() {
  SimulationResult r;
  r.run.taskType = 2;
  r.run.effectiveTaskType = 2;
  r.run.seriesType = 1;
  r.run.seriesSize = 300;
  r.run.tmin = 40;
  r.run.tmax = 181;
  r.run.impulseSize = 20;
  r.run.etalons = 20;
  r.run.amplitude = 128;
  r.run.required = {2, 5, 7};
  r.run.pulseValues = {2, 3, 4};
  r.run.noiseLevels = {0, 30};
  r.run.repeats = 5;
  for (uint32_t c = 0; c < 6; ++c) r.cells.push_back(SimulationCell{c, int32_t(500 * c), int32_t(3 * c), 0});
  r.startTime = 1700000000;
  r.endTime = 1700000725;
  r.firstPulseEtalon = 7;
  return r;
}

std::string written(const std::string& name, const std::string& text) {
  const std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

TEST(OpenSimulationResult, AWholeResultBecomesTheRecordAndIsShownAsAfterARun) {
  using namespace chart_settings_dialog;
  Workbench wb;
  ASSERT_TRUE(wb.created);
  const std::string path = written("whole-result.json", simulationResultJson(recognitionResult()));
  wb.window.queueOpenFileName(path);
  wb.window.queueDialog(DialogScript{kRecognitionTemplate, {}}.click(kDetectionError).click(kComponentwise));
  ASSERT_TRUE(wb.window.menuCommand(kCmOpenSimulationResult));
  ASSERT_EQ(wb.window.dialogs().size(), 1u);
  EXPECT_EQ(wb.window.dialogs()[0].templateId,
            kRecognitionTemplate);  // recognition runs get the recognition dialog
  EXPECT_TRUE(wb.window.messages().empty());
  const AppState& s = wb.state;
  ASSERT_NE(s.lpRestErrorHeader, nullptr);
  EXPECT_EQ(s.lpRestErrorHeader->ifComplete, 1);
  EXPECT_EQ(s.lpRestErrorHeader->lpErrors[1][2], 2500);  // level 30, 4 pulses: cell 5
  EXPECT_EQ(s.lpRestErrorHeader->lpFragmentErrors[0][1], 6);
  EXPECT_EQ(s.requiredCount, 3);
  EXPECT_EQ(s.requiredList[2], 7);
  EXPECT_EQ(s.simulationEndTime - s.simulationStartTime, 725);
  EXPECT_EQ(s.lpCutOffSeriesHeader->dwSeriesSize, 300u);
  EXPECT_EQ(s.lpCutOffSeriesHeader->lpFirstPulse, &s.etalonAlphabet[6]);
  EXPECT_EQ(s.resultKind, 2);
  EXPECT_EQ(s.chartKind, 2);  // detection error, componentwise
  // The chart is painted in the work area.
  int black = 0;
  const Rect w = s.layout.workArea;
  for (int32_t y = w.top; y <= w.bottom; ++y)
    for (int32_t x = w.left; x <= w.right; ++x) black += wb.window.pixel(x, y) == kBlack ? 1 : 0;
  EXPECT_GT(black, 1000);
}

TEST(OpenSimulationResult, WhatDoesNotFitIsRefusedAndTheRecordStays) {
  Workbench wb;
  ASSERT_TRUE(wb.created);
  SimulationResult shard = recognitionResult();
  shard.cells.resize(2);
  shard.shards = 3;
  SimulationResult otherAlphabet = recognitionResult();
  otherAlphabet.run.etalons = 10;
  otherAlphabet.firstPulseEtalon = 1;
  const std::string good = simulationResultJson(recognitionResult());
  const struct {
    std::string path;
    std::string says;
  } cases[] = {
      {written("shard.json", simulationResultJson(shard)), "holds 2 of the 6 cells"},
      {written("alphabet.json", simulationResultJson(otherAlphabet)), "10 etalons"},
      {written("cut.json", good.substr(0, good.size() / 2)), "truncated"},
      {::testing::TempDir() + "missing.json", "cannot be opened"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    RestErrHeader* before = wb.state.lpRestErrorHeader;
    SeriesHeader* series = wb.state.lpCutOffSeriesHeader;
    const uint16_t required = wb.state.requiredCount;
    wb.window.clearMessages();
    wb.window.queueOpenFileName(c.path);
    ASSERT_TRUE(wb.window.menuCommand(kCmOpenSimulationResult));
    ASSERT_EQ(wb.window.messages().size(), 1u);
    EXPECT_NE(wb.window.messages()[0].text.find(c.says), std::string::npos) << wb.window.messages()[0].text;
    EXPECT_NE(wb.window.messages()[0].text.find(c.path), std::string::npos);
    EXPECT_EQ(wb.state.lpRestErrorHeader, before);
    EXPECT_EQ(wb.state.lpCutOffSeriesHeader, series);
    EXPECT_EQ(wb.state.requiredCount, required);
    EXPECT_TRUE(wb.window.dialogs().empty());
  }
  // Cancelling the file dialog does nothing.
  wb.window.clearMessages();
  ASSERT_TRUE(wb.window.menuCommand(kCmOpenSimulationResult));
  EXPECT_TRUE(wb.window.messages().empty());
  EXPECT_TRUE(wb.window.dialogs().empty());
}

}  // namespace
