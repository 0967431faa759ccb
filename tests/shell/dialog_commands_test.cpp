#include "shell/dialog_commands.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "display/statistical_charts.h"
#include "platform/dialog_ids.h"
#include "platform/surface.h"
#include "shell/command_ids.h"
#include "signal/series_header.h"
#include "simulation/rest_err_header.h"
#include "tests/shell/dialog_test_state.h"

namespace {

struct CommandFixture {
  StartedState s;
  DialogCommandProcedure procedure{s.state};
  explicit CommandFixture(int32_t width = 1024, int32_t height = 768) : s(width, height) {
    EXPECT_TRUE(s.window.create(procedure));
  }
};

std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string tempName(const std::string& suffix) {
  return testing::TempDir() + "cmd_" + std::to_string(getpid()) + suffix;
}

// Dialogs 105 (series 200 long) and 110 (pulses 2..3, three noise levels, 4 repeats).
void queueSmallSimulation(HeadlessWindow& window) {
  window.queueDialog(DialogScript{series_parameters_dialog::kTemplate, {}}.type(
      series_parameters_dialog::kSamplesLength, "200"));
  window.queueDialog(DialogScript{simulation_parameters_dialog::kTemplate, {}}
                         .type(simulation_parameters_dialog::kPulsesFrom, "2")
                         .type(simulation_parameters_dialog::kPulsesTo, "3")
                         .type(simulation_parameters_dialog::kNoiseInitialLevel, "0")
                         .type(simulation_parameters_dialog::kNoiseSteps, "3")
                         .type(simulation_parameters_dialog::kNoiseIncrement, "10")
                         .type(simulation_parameters_dialog::kRepeats, "4"));
}

}  // namespace

TEST(CreateSeriesCommand, AppliesBothDialogsAndMakesTheSeries) {
  CommandFixture f;
  AppState& st = f.s.state;
  f.s.window.queueDialog(DialogScript{series_parameters_dialog::kTemplate, {}}
                             .type(series_parameters_dialog::kMinInterval, "30")
                             .type(series_parameters_dialog::kEtalonNumber, "2")
                             .type(series_parameters_dialog::kMakingEnergyLevel, "90"));
  f.s.window.queueDialog(DialogScript{series_structure_dialog::kTemplate, {}}
                             .type(series_structure_dialog::kPulseCount, "20")
                             .type(series_structure_dialog::kEtalonSequence, "2,3,2")
                             .type(series_structure_dialog::kNoiseLevel, "35"));
  // Dialog 106 refuses the short list (missing entries read 0) and ends with Cancel.
  commandCreateSeries(f.s.window, st);
  EXPECT_EQ(st.dialogAccepted, 0);
  EXPECT_EQ(st.wPulsesRequested, 18);
  EXPECT_EQ(st.seriesType, 1);
  EXPECT_TRUE(f.procedure.otherCommands.empty());

  std::string sequence = "2,3";
  for (int i = 2; i < 20; ++i) sequence += ",4";  // the shown count: midpoint of 6 and 40 is 23
  f.s.window.queueDialog(DialogScript{series_parameters_dialog::kTemplate, {}}
                             .type(series_parameters_dialog::kMinInterval, "30")
                             .type(series_parameters_dialog::kEtalonNumber, "2")
                             .type(series_parameters_dialog::kMakingEnergyLevel, "90"));
  f.s.window.queueDialog(DialogScript{series_structure_dialog::kTemplate, {}}
                             .type(series_structure_dialog::kPulseCount, "20")
                             .type(series_structure_dialog::kEtalonSequence, sequence + ",5,5,5")
                             .type(series_structure_dialog::kNoiseLevel, "35"));
  commandCreateSeries(f.s.window, st);
  ASSERT_EQ(st.dialogAccepted, 1);
  EXPECT_EQ(st.wTmin, 30);
  EXPECT_EQ(st.detectionEtalonUsed, 2);
  EXPECT_EQ(st.makingLevelUsed, 90);
  EXPECT_EQ(st.wMinPulses, 6);
  EXPECT_EQ(st.wMaxPulses, 40);  // (1200 - 20 + 30) / 30
  EXPECT_EQ(st.wPulsesRequested, 20);
  EXPECT_EQ(st.noiseLevel, 35);
  EXPECT_EQ(st.wChainsMaxPulses, 40);
  EXPECT_NE(st.lpChainsHeader, nullptr);
  ASSERT_GE(st.etalonSequenceCapacity, 40);
  EXPECT_EQ(st.etalonSequence[0], 2);
  EXPECT_EQ(st.etalonSequence[1], 3);
  EXPECT_EQ(st.etalonSequence[22], 5);
  EXPECT_EQ(st.etalonSequence[23], 1);  // not shown: kept from the old sequence
  EXPECT_EQ(st.etalonSequence[35], 2);  // beyond the old sequence: the detection etalon
  EXPECT_EQ(st.seriesType, 16);
  EXPECT_EQ(st.viewState, 6);
  EXPECT_EQ(st.repaintSeriesSizePanel + st.repaintNoisePanel + st.repaintLostPanel, 3);
  EXPECT_EQ(f.procedure.otherCommands, (std::vector<uint16_t>{CM_MAKE_SERIES_KEEP_SEQUENCE}));
}

TEST(CreateSeriesCommand, BoundsAndCancelOfTheSecondDialog) {
  CommandFixture f;
  AppState& st = f.s.state;
  st.seriesType = 4;
  // Tmax above the series length: the lower bound is raised to 1; an out-of-range pulse
  // count becomes the midpoint; Cancel restores the request.
  f.s.window.queueDialog(DialogScript{series_parameters_dialog::kTemplate, {}}
                             .type(series_parameters_dialog::kSamplesLength, "200")
                             .type(series_parameters_dialog::kMaxInterval, "300"));
  f.s.window.queueDialog(DialogScript{series_structure_dialog::kTemplate, {}}
                             .type(series_structure_dialog::kPulseCount, "9")
                             .click(kIdCancel));
  commandCreateSeries(f.s.window, st);
  ASSERT_EQ(f.s.window.dialogs().size(), 2u);
  EXPECT_EQ(f.s.window.dialogs()[1].shownText.at(series_structure_dialog::kPulseCountLabel),
            "Number of Pulses in Series (from 1 to 5)");
  EXPECT_EQ(f.s.window.dialogs()[1].shownText.at(series_structure_dialog::kPulseCount), "3");
  EXPECT_EQ(st.dialogPulses, 3);
  EXPECT_EQ(st.wPulsesRequested, 18);
  EXPECT_EQ(st.dwSeriesSize, 1200u);
  EXPECT_EQ(st.seriesType, 4);

  f.s.window.queueDialog(DialogScript{series_parameters_dialog::kTemplate, {}}
                             .type(series_parameters_dialog::kSamplesLength, "200")
                             .type(series_parameters_dialog::kMaxInterval, "300"));
  f.s.window.queueDialog(
      DialogScript{series_structure_dialog::kTemplate, {}}.type(series_structure_dialog::kPulseCount, "4"));
  commandCreateSeries(f.s.window, st);
  EXPECT_EQ(st.wPulsesRequested, 4);
  EXPECT_EQ(st.wMinPulses, 1);
  EXPECT_EQ(st.seriesType, 4);  // an unknown number stays one
}

TEST(SeriesDialogCommand, RepairsRequiredListAndDetectionEtalon) {
  using namespace series_parameters_dialog;
  CommandFixture f;
  AppState& st = f.s.state;
  st.requiredCount = 0;
  st.etalonSelected[0] = 0;
  st.detectionEtalonUsed = 4;
  f.s.window.queueDialog(DialogScript{kTemplate, {}}.click(kIdCancel));
  commandSeriesDialog(f.s.window, st);
  EXPECT_EQ(st.requiredCount, 1);
  EXPECT_EQ(st.requiredList[0], 1);
  EXPECT_EQ(st.etalonSelected[0], 1);
  EXPECT_EQ(st.detectionEtalonUsed, 1);

  st.etalonSelected[0] = 0;
  st.etalonSelected[6] = 1;
  st.etalonSelected[9] = 1;
  f.s.window.queueDialog(DialogScript{kTemplate, {}}.click(kIdCancel));
  commandSeriesDialog(f.s.window, st);
  EXPECT_EQ(st.detectionEtalonUsed, 7);
  EXPECT_EQ(f.s.window.dialogs().back().shownText.at(kEtalonNumber), "7");
}

TEST(ViewCommands, SwitchViewsAndRequestRepaints) {
  CommandFixture f;
  AppState& st = f.s.state;
  f.s.window.sendCommand(kCmViewSeriesParameters);
  EXPECT_EQ(st.viewState, 10);
  EXPECT_EQ(f.procedure.otherCommands, (std::vector<uint16_t>{CM_REDRAW_WORK_AREA}));
  f.s.window.sendCommand(kCmSelectSetOfPulses);
  EXPECT_EQ(st.viewState, 9);
  EXPECT_TRUE(f.s.window.pendingRegion().contains(st.layout.workArea.left, st.layout.workArea.top - 10));
  EXPECT_TRUE(f.s.window.pendingRegion().contains(st.layout.workArea.right, st.layout.workArea.bottom));
  EXPECT_TRUE(f.s.window.pendingErase());
  // The subset settings without a series only change the settings.
  f.s.window.queueDialog(
      DialogScript{subset_settings_dialog::kTemplate, {}}.click(subset_settings_dialog::kSingleRandom));
  f.s.window.sendCommand(kCmSubsetSettings);
  EXPECT_EQ(st.subsetEmployment, 1);
  f.s.window.queueDialog(
      DialogScript{drawing_settings_dialog::kTemplate, {}}.click(drawing_settings_dialog::kShadedPulses));
  f.s.window.sendCommand(kCmDrawingSettings);
  EXPECT_EQ(st.drawShadedPulses, 0);
}

TEST(StatisticalSimulationCommand, RunsTheGridAndShowsTheCharts) {
  using namespace chart_settings_dialog;
  CommandFixture f;
  AppState& st = f.s.state;
  // Nothing to show before a complete simulation.
  f.s.window.sendCommand(kCmShowStatisticalSimulation);
  EXPECT_TRUE(f.s.window.dialogs().empty());
  EXPECT_EQ(st.resultKind, 1);

  queueSmallSimulation(f.s.window);
  f.s.window.queueDialog(DialogScript{kTemplate, {}}.click(kDetectionError));
  f.s.window.sendCommand(kCmStatisticalSimulation);
  ASSERT_FALSE(f.s.window.messages().empty());
  EXPECT_EQ(f.s.window.messages()[0].caption, "getPulseEstAsRepeats");
  EXPECT_EQ(f.s.window.messages()[0].text,
            "Create series parameters:\nдлина серии: 200\nwTmin: 40\nwTmax: 181\nдлина эталона: 20\n"
            "MinPulses: 2 -> 2\nMaxPulses: 3 -> 3\n\npulses: 2, from 2 to 3 incr 1 \n"
            "noise level: from 0 to 3 incr 10\nnumber of repeats: 4\n");
  EXPECT_EQ(f.s.window.messages().size(), 1u);
  ASSERT_NE(st.lpRestErrorHeader, nullptr);
  EXPECT_EQ(st.lpRestErrorHeader->ifComplete, 1);
  EXPECT_EQ(st.lpRestErrorHeader->wVariousPulses, 2);
  EXPECT_EQ(st.lpRestErrorHeader->wNoiseLevels, 3);
  EXPECT_EQ(st.lpRestErrorHeader->lpNoiseLevel[2], 20);
  EXPECT_EQ(st.pulseSteps, 2);
  EXPECT_EQ(st.dwSeriesSizeUsed, 200u);
  EXPECT_GE(st.simulationEndTime, st.simulationStartTime);
  EXPECT_GT(st.simulationStartTime, 0);
  ASSERT_FALSE(f.s.window.progressTexts().empty());
  EXPECT_EQ(f.s.window.progressTexts().back(), "Statistical simulation: 6 of 6 cells done");
  EXPECT_EQ(f.s.window.progressBar(), (std::pair<uint32_t, uint32_t>{6, 6}));
  EXPECT_FALSE(f.s.window.progressOpen());
  EXPECT_EQ(f.s.window.dialogs().back().templateId, kTemplate);
  EXPECT_EQ(st.resultKind, 2);
  EXPECT_EQ(st.viewState, 6);
  EXPECT_EQ(st.chartKind, 2);  // detection error, componentwise
  EXPECT_EQ(st.firstSimulation, 0);

  // The finished simulation draws in every chart kind.
  Image image;
  resizeImage(image, 1024, 768, kWhite);
  Surface surface(image, fixedGlyphSource());
  for (int32_t kind : {0, 1, 2, 3, 4, 5, 12, 13}) {
    st.chartKind = kind;
    EXPECT_EQ(drawStatisticalChart(f.s.window, surface, st), 1) << kind;
  }
  EXPECT_EQ(f.s.window.messages().size(), 1u);

  // Shown again later with the recognition dialog when the task is recognition.
  st.taskType = 2;
  f.s.window.queueDialog(DialogScript{kRecognitionTemplate, {}}.click(kRecognitionError).click(kSummaryView));
  f.s.window.sendCommand(kCmShowStatisticalSimulation);
  EXPECT_EQ(f.s.window.dialogs().back().templateId, kRecognitionTemplate);
  EXPECT_EQ(st.chartKind, 13);
}

TEST(StatisticalSimulationCommand, CancelledRunIsIncompleteAndNotShown) {
  CommandFixture f;
  AppState& st = f.s.state;
  queueSmallSimulation(f.s.window);
  f.s.window.cancelProgressAt(3);
  f.s.window.sendCommand(kCmStatisticalSimulation);
  EXPECT_EQ(st.lpRestErrorHeader, nullptr);  // no complete run yet, so nothing to show
  EXPECT_LT(f.s.window.progressTexts().size(), 6u);
  EXPECT_FALSE(f.s.window.progressOpen());
  EXPECT_EQ(f.s.window.dialogs().size(), 2u);  // no chart dialog
  EXPECT_EQ(st.resultKind, 1);
  EXPECT_EQ(st.viewState, 5);  // nothing complete to show: the alphabet
  f.s.window.sendCommand(kCmShowStatisticalSimulation);
  EXPECT_EQ(f.s.window.dialogs().size(), 2u);

  // Cancel in the simulation dialog stops before anything is made.
  f.s.window.queueDialog(DialogScript{series_parameters_dialog::kTemplate, {}});
  f.s.window.queueDialog(DialogScript{simulation_parameters_dialog::kTemplate, {}}.click(kIdCancel));
  const size_t messages = f.s.window.messages().size();
  f.s.window.sendCommand(kCmStatisticalSimulation);
  EXPECT_EQ(f.s.window.messages().size(), messages);
}

// A cancelled run leaves the last complete result in place: its tables, its times, and the
// chart that shows it, drawn again after a resize.
TEST(StatisticalSimulationCommand, CancelledRunKeepsTheLastCompleteResult) {
  CommandFixture f;
  AppState& st = f.s.state;
  queueSmallSimulation(f.s.window);
  f.s.window.queueDialog(DialogScript{chart_settings_dialog::kTemplate, {}});
  f.s.window.sendCommand(kCmStatisticalSimulation);
  f.s.window.pump();
  ASSERT_NE(st.lpRestErrorHeader, nullptr);
  const RestErrHeader* complete = st.lpRestErrorHeader;
  ASSERT_EQ(complete->ifComplete, 1);
  ASSERT_EQ(st.resultKind, 2);
  const int64_t started = st.simulationStartTime, ended = st.simulationEndTime;
  const auto drawnChart = [&] {
    Image image;
    resizeImage(image, 1024, 768, kWhite);
    Surface surface(image, fixedGlyphSource());
    drawStatisticalChart(f.s.window, surface, st);
    return image.pixels;
  };
  const std::vector<Color> chart = drawnChart();

  // The second run asks for 400 repeats and is cancelled at its second cell.
  f.s.window.queueDialog(DialogScript{series_parameters_dialog::kTemplate, {}}.type(
      series_parameters_dialog::kSamplesLength, "200"));
  f.s.window.queueDialog(DialogScript{simulation_parameters_dialog::kTemplate, {}}
                             .type(simulation_parameters_dialog::kPulsesFrom, "2")
                             .type(simulation_parameters_dialog::kPulsesTo, "3")
                             .type(simulation_parameters_dialog::kNoiseInitialLevel, "0")
                             .type(simulation_parameters_dialog::kNoiseSteps, "3")
                             .type(simulation_parameters_dialog::kNoiseIncrement, "10")
                             .type(simulation_parameters_dialog::kRepeats, "400"));
  f.s.window.cancelProgressAt(f.s.window.progressTexts().size() + 2);
  const size_t dialogs = f.s.window.dialogs().size();
  f.s.window.sendCommand(kCmStatisticalSimulation);
  EXPECT_EQ(f.s.window.dialogs().size(), dialogs + 2);  // no chart dialog for the cancelled run
  EXPECT_EQ(st.lpRestErrorHeader, complete);
  EXPECT_EQ(st.lpRestErrorHeader->ifComplete, 1);
  EXPECT_EQ(st.lpRestErrorHeader->repeats, 4);
  EXPECT_EQ(st.simulationStartTime, started);
  EXPECT_EQ(st.simulationEndTime, ended);
  // The window shows the chart of the complete run, not the result view of a trial series.
  EXPECT_EQ(st.resultKind, 2);
  EXPECT_EQ(st.viewState, 6);

  // Any repaint draws the chart of the complete run, as it was.
  EXPECT_TRUE(drawnChart() == chart);

  // " Show Statistical Simulation" still shows it.
  f.s.window.cancelProgressAt(0);
  f.s.window.queueDialog(DialogScript{chart_settings_dialog::kTemplate, {}});
  f.s.window.sendCommand(kCmShowStatisticalSimulation);
  EXPECT_EQ(f.s.window.dialogs().size(), dialogs + 3);
  EXPECT_EQ(f.s.window.dialogs().back().templateId, chart_settings_dialog::kTemplate);
}

TEST(SaveImageCommand, FormatByExtensionAndMessages) {
  CommandFixture f(37, 20);
  HeadlessWindow& w = f.s.window;
  // Cancel: nothing written, nothing said.
  w.sendCommand(kCmSaveImage);
  ASSERT_EQ(w.fileRequests().size(), 1u);
  const SaveFileRequest& request = w.fileRequests()[0];
  EXPECT_EQ(request.title, "Snapshot File Name");
  ASSERT_EQ(request.filters.size(), 2u);
  EXPECT_EQ(request.filters[0].first, "Bitmap Files (*.bmp)");
  EXPECT_EQ(request.filters[0].second, "*.bmp");
  EXPECT_EQ(request.filters[1].first, "PCX Files (*.pcx)");
  EXPECT_EQ(request.filters[1].second, "*.pcx");
  EXPECT_EQ(request.defaultExtension, "bmp");
  EXPECT_TRUE(request.overwritePrompt);
  EXPECT_TRUE(w.messages().empty());

  // No extension: ".bmp" is appended and a 32-bit BMP written.
  const std::string base = tempName("_shot");
  w.queueFileName(base);
  w.sendCommand(kCmSaveImage);
  std::vector<uint8_t> bmp = readFile(base + ".bmp");
  ASSERT_EQ(bmp.size(), 54u + 5u * 20u * 32u);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[28], 32);
  std::remove((base + ".bmp").c_str());

  // Capitals work for PCX.
  w.queueFileName(base + ".PCX");
  w.sendCommand(kCmSaveImage);
  std::vector<uint8_t> pcx = readFile(base + ".PCX");
  ASSERT_GT(pcx.size(), 128u);
  EXPECT_EQ(pcx[0], 10);
  EXPECT_EQ(pcx[8] | (pcx[9] << 8), 36);
  std::remove((base + ".PCX").c_str());
  EXPECT_TRUE(w.messages().empty());

  // Another extension, or a bare extension, writes nothing and says so.
  for (const std::string& name : {base + ".gif", std::string(".bmp")}) {
    w.clearMessages();
    w.queueFileName(name);
    w.sendCommand(kCmSaveImage);
    ASSERT_EQ(w.messages().size(), 1u) << name;
    EXPECT_EQ(w.messages()[0].caption, "About Bitmap");
    EXPECT_NE(w.messages()[0].text.find("Only .bmp and .pcx"), std::string::npos);
    EXPECT_TRUE(readFile(name).empty());
  }

  // A file that cannot be created: the writer's message, then the snapshot's.
  w.clearMessages();
  w.queueFileName("/nonexistent-directory/x.bmp");
  w.sendCommand(kCmSaveImage);
  ASSERT_EQ(w.messages().size(), 2u);
  EXPECT_EQ(w.messages()[0].text, "CreateFile ERROR!");
  EXPECT_EQ(w.messages()[1].text, "Bitmap file is not created");
  w.clearMessages();
  w.queueFileName("/nonexistent-directory/x.pcx");
  w.sendCommand(kCmSaveImage);
  ASSERT_EQ(w.messages().size(), 2u);
  EXPECT_EQ(w.messages()[0].caption, "About PCX");
  EXPECT_EQ(w.messages()[1].text, "PCX file is not created");
}
