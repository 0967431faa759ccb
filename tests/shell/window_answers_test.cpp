// The window computes what it shows: an opened recording is solved with its own pulse range,
// a cancelled simulation leaves the last complete run's chart as it was, a tuple task with
// nothing to look for shows no earlier series' chains, and the run description names the
// series type the menu ticks.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "display/internal_commands.h"
#include "display/opened_files.h"
#include "display/params_header.h"
#include "display/result_view.h"
#include "platform/dialog_ids.h"
#include "platform/message_sink.h"
#include "platform/window_procedure.h"
#include "processing/chains_header.h"
#include "shell/command_ids.h"
#include "shell/dialog_commands.h"
#include "signal/pulse_bounds.h"
#include "signal/series_header.h"
#include "simulation/rest_err_header.h"
#include "tests/files/independent_writer.h"
#include "tests/shell/workbench_fixture.h"

namespace {

// A recording of `length` samples: light noise with clicks of one 20-sample shape planted
// `spacing` samples apart from sample 100 on. Returns where the clicks start.
std::vector<int> writeRecording(const std::string& path, size_t length, int spacing) {
  std::mt19937 rng(11);
  std::normal_distribution<double> noise(0.0, 0.02);
  std::vector<double> v(length);
  for (double& x : v) x = noise(rng);
  std::vector<int> clicks;
  for (size_t at = 100; at + 20 <= length; at += static_cast<size_t>(spacing)) {
    clicks.push_back(static_cast<int>(at));
    for (size_t k = 0; k < 20; ++k)
      v[at + k] += (k % 4 < 2 ? 1.0 : -0.8) * (1.0 - static_cast<double>(k) / 25.0);
  }
  std::ofstream out(path);
  out << "volts\n";
  for (double x : v) out << x << "\n";
  return clicks;
}

// Opens a recording with the dialog's defaults but for a known number of pulses.
void openRecording(Workbench& w, const std::string& path) {
  using namespace file_options_dialog;
  w.window.queueOpenFileName(path);
  w.window.queueDialog(DialogScript{kTemplate, {}}.click(kKnownPulses));
  ASSERT_TRUE(w.window.menuCommand(kMenuOpenSeries));
  w.window.pump();
}

std::string headerLine(const AppState& s) {
  return resultHeaderLines(s.lpChainsHeader, *s.lpCutOffSeriesHeader, s.wAmplitude).front();
}

}  // namespace

TEST(WindowAnswers, AnOpenedRecordingIsSolvedWithItsOwnPulseRangeNotThePreviousSeriesCount) {
  Workbench w;
  ASSERT_TRUE(w.created);
  ScratchFolder dir;
  writeRecording(dir.file("long.csv"), 6000, 150);
  openRecording(w, dir.file("long.csv"));
  ASSERT_TRUE(w.window.messages().empty()) << w.window.messages()[0].text;
  const SeriesHeader& series = *w.state.lpCutOffSeriesHeader;
  ASSERT_EQ(series.dwSeriesSize, 6000u);
  // The known number is the midpoint of the recording's own range, as in the companion, and
  // the chains hold that many pulses: all of them are found.
  const uint16_t lowest = seriesMinPulses(6000, 20, 181), highest = maxPulsesFor(6000, 20, 40);
  EXPECT_EQ(series.wMinPulses, lowest);
  EXPECT_EQ(series.wMaxPulses, highest);
  EXPECT_EQ(series.wImpulseQuantity, midpointPulses(lowest, highest));
  EXPECT_EQ(series.wRestoredQuantity, series.wImpulseQuantity);
  EXPECT_EQ(w.state.dwSeriesSizeUsed, 6000u);
  EXPECT_EQ(w.state.viewState, 6);

  // The series type command processes the file again, now with an unknown number, which the
  // detector finds itself.
  ASSERT_TRUE(w.window.menuCommand(kMenuUnfixedWhole));
  EXPECT_EQ(w.state.opened.seriesFile, dir.file("long.csv"));
  EXPECT_EQ(w.state.lpCutOffSeriesHeader->wImpulseQuantity, 0);
  EXPECT_GE(w.state.lpCutOffSeriesHeader->wRestoredQuantity, lowest);
  EXPECT_LE(w.state.lpCutOffSeriesHeader->wRestoredQuantity, highest);
  EXPECT_EQ(w.state.lpChainsHeader->wSeriesType, 4);
  EXPECT_NE(headerLine(w.state).find("unknown number of whole pulses"), std::string::npos);

  // Another recording starts from its own range, not from the count of the one before.
  ASSERT_TRUE(w.window.menuCommand(kMenuFixedWhole));
  writeRecording(dir.file("short.csv"), 2000, 150);
  openRecording(w, dir.file("short.csv"));
  const uint16_t low2 = seriesMinPulses(2000, 20, 181), high2 = maxPulsesFor(2000, 20, 40);
  EXPECT_EQ(w.state.lpCutOffSeriesHeader->wImpulseQuantity, midpointPulses(low2, high2));
  EXPECT_EQ(w.state.lpCutOffSeriesHeader->wRestoredQuantity, midpointPulses(low2, high2));
  EXPECT_EQ(w.state.lpChainsHeader->chainLength[0], midpointPulses(low2, high2));
  EXPECT_TRUE(w.window.messages().empty());
}

TEST(WindowAnswers, ACancelledSimulationAndLaterSeriesLeaveTheLastCompleteChartAsItWas) {
  Workbench w;
  ASSERT_TRUE(w.created);
  queueSimulation(w.window, "600");
  ASSERT_TRUE(w.window.menuCommand(kCmStatisticalSimulation));
  w.window.pump();
  ASSERT_NE(w.state.lpRestErrorHeader, nullptr);
  ASSERT_EQ(w.state.lpRestErrorHeader->ifComplete, 1);
  ASSERT_EQ(w.state.resultKind, 2);
  const std::vector<Color> chart = workAreaPixels(w);

  // A longer run, cancelled in its progress box: the chart is the 600-sample run's.
  queueSimulation(w.window, "3000", "17", "18", false);
  w.window.cancelProgressAt(w.window.progressTexts().size() + 2);
  ASSERT_TRUE(w.window.menuCommand(kCmStatisticalSimulation));
  w.window.cancelProgressAt(0);
  w.window.pump();
  ASSERT_EQ(w.state.viewState, 6);
  ASSERT_EQ(w.state.resultKind, 2);
  EXPECT_EQ(w.state.lpCutOffSeriesHeader->dwSeriesSize, 3000u);
  ASSERT_NE(w.state.lpSimulationSeries, nullptr);
  EXPECT_EQ(w.state.lpSimulationSeries->dwSeriesSize, 600u);
  EXPECT_TRUE(workAreaPixels(w) == chart) << "the chart changed with the cancelled run";

  // A series made since then does not change the chart either.
  ASSERT_TRUE(w.window.menuCommand(kMenuProcessingNextData));
  w.window.queueDialog(DialogScript{chart_settings_dialog::kTemplate, {}});
  ASSERT_TRUE(w.window.menuCommand(kCmShowStatisticalSimulation));
  w.window.pump();
  EXPECT_TRUE(workAreaPixels(w) == chart) << "the chart changed with the current series";
}

TEST(WindowAnswers, ATupleTaskWithNothingToLookForShowsNoEarlierChains) {
  Workbench w;
  ASSERT_TRUE(w.created);
  ASSERT_TRUE(w.window.menuCommand(kMenuProcessingNextData));
  ASSERT_EQ(w.state.viewState, 6);
  const int32_t stampedBefore = w.state.lpChainsHeader->distance[0];
  ASSERT_TRUE(w.window.menuCommand(kMenuRecognition));
  ASSERT_TRUE(w.window.menuCommand(kMenuUnfixedTuples));
  // The next run asks for the subsets; none chosen, the subset view stays and no result is
  // stamped on the new series.
  ASSERT_TRUE(w.window.menuCommand(kMenuProcessingNextData));
  w.window.pump();
  EXPECT_EQ(w.state.viewState, 9);
  EXPECT_EQ(w.state.lpChainsHeader->wTaskType, 1);
  EXPECT_EQ(w.state.lpChainsHeader->distance[0], stampedBefore);
}

TEST(WindowAnswers, CreateSeriesKeepsTheTickedSeriesTypeAndTheDescriptionNamesIt) {
  Workbench w;
  ASSERT_TRUE(w.created);
  ASSERT_TRUE(w.window.menuCommand(kMenuUnfixedWhole));
  w.window.queueDialog(DialogScript{series_parameters_dialog::kTemplate, {}});
  w.window.queueDialog(DialogScript{series_structure_dialog::kTemplate, {}});
  ASSERT_TRUE(w.window.menuCommand(kCmCreateSeries));
  w.window.pump();
  ASSERT_EQ(w.state.viewState, 6);
  EXPECT_EQ(w.state.seriesType, 4);
  const std::string line = headerLine(w.state);
  EXPECT_EQ(line, " detection for series with unknown number of whole pulses ");
  EXPECT_EQ(w.state.lpChainsHeader->wSeriesType, 4);  // solved by the unknown-number detector

  // A known number from an edited sequence keeps its mark and is named by its kind; series
  // processing is named by its menu.
  ASSERT_TRUE(w.window.menuCommand(kMenuFixedWhole));
  ASSERT_TRUE(w.window.menuCommand(kMenuSeriesProcessing));
  w.window.queueDialog(DialogScript{series_parameters_dialog::kTemplate, {}});
  w.window.queueDialog(DialogScript{series_structure_dialog::kTemplate, {}});
  ASSERT_TRUE(w.window.menuCommand(kCmCreateSeries));
  w.window.pump();
  EXPECT_EQ(w.state.seriesType, 16);
  EXPECT_EQ(headerLine(w.state), " series processing for series with known number of whole pulses ");
}

TEST(WindowAnswers, ARecordingIsFoundInThreeStepsOpenChooseTheKindAndUseAClickAsEtalon) {
  using namespace file_options_dialog;
  Workbench w;
  ASSERT_TRUE(w.created);
  ScratchFolder dir;
  const std::vector<int> clicks = writeRecording(dir.file("clicks.csv"), 3000, 150);
  ASSERT_EQ(clicks.size(), 20u);

  // 1. Open the recording with its distances: an unknown number by default, processed at once.
  w.window.queueOpenFileName(dir.file("clicks.csv"));
  w.window.queueDialog(DialogScript{kTemplate, {}}.type(kTmin, "100").type(kTmax, "200").type(kEtalon, "3"));
  ASSERT_TRUE(w.window.menuCommand(kMenuOpenSeries));
  w.window.pump();
  ASSERT_TRUE(w.window.messages().empty()) << w.window.messages()[0].text;
  EXPECT_EQ(w.state.viewState, 6);
  EXPECT_EQ(w.state.wTmin, 100);
  EXPECT_EQ(w.state.wTmax, 200);
  EXPECT_EQ(w.state.seriesType, 4);
  ASSERT_EQ(w.state.requiredCount, 1);
  EXPECT_EQ(w.state.requiredList[0], 3);
  EXPECT_EQ(w.state.lpChainsHeader->wSeriesType, 4);
  EXPECT_GT(w.state.lpCutOffSeriesHeader->wRestoredQuantity, 0);

  // 2. The known number: the series type command processes the recording again.
  ASSERT_TRUE(w.window.menuCommand(kMenuFixedWhole));
  w.window.pump();
  const uint16_t known = midpointPulses(seriesMinPulses(3000, 20, 200), maxPulsesFor(3000, 20, 100));
  EXPECT_EQ(w.state.lpCutOffSeriesHeader->wRestoredQuantity, known);
  ASSERT_TRUE(w.window.menuCommand(kMenuUnfixedWhole));
  w.window.pump();

  // 3. Shift and a drag over the first click on the noisy strip: "Use as etalon", Yes.
  const ResultGeometry g = resultGeometry(w.state.layout.workArea, w.state.layout.lineHeight,
                                          w.state.wEtalonsQuantity, w.state.drawSpecialGraphSize != 0);
  const Rect strip = g.strip(1);
  const int32_t width = strip.right - strip.left;
  const auto xOf = [&](int sample) { return strip.left + sample * width / 2999; };
  const int32_t y = (strip.top + strip.bottom) / 2;
  w.window.queueAnswer(kIdYes);
  w.window.mouseDown(xOf(clicks[0]), y, kMkShift);
  w.window.mouseUp(xOf(clicks[0] + 19) + 1, y, kMkShift);
  w.window.pump();
  ASSERT_EQ(w.window.messages().size(), 1u);
  EXPECT_EQ(w.window.messages()[0].text, "Use as etalon");
  const OpenedFiles& o = w.state.opened;
  ASSERT_EQ(o.etalonCount, 1);
  const PulseHeader& etalon = w.state.etalonAlphabet[0];
  ASSERT_GE(etalon.wSize, 19);
  EXPECT_EQ(w.state.wImpulseSize, etalon.wSize);
  // The stretch at the series' own scale, from the sample under the press on.
  const size_t first = o.etalonsFile.find(", samples ");
  ASSERT_NE(first, std::string::npos);
  const int from = std::stoi(o.etalonsFile.substr(first + 10));
  EXPECT_LE(from, clicks[0]);
  for (uint16_t k = 0; k < etalon.wSize; ++k) EXPECT_EQ(etalon.lpData[k], o.samples[from + k]) << k;
  ASSERT_EQ(w.state.requiredCount, 1);
  EXPECT_EQ(w.state.requiredList[0], 1);
  // Processed again with it: every click found, each where it was planted.
  const SeriesHeader& s = *w.state.lpCutOffSeriesHeader;
  ASSERT_EQ(s.wRestoredQuantity, clicks.size());
  for (size_t k = 0; k < clicks.size(); ++k)
    EXPECT_EQ(s.lpRestoredPositions[k] + (clicks[0] - from), clicks[k]);
}

TEST(WindowAnswers, TheFileOptionsOfASeriesRefuseBadDistancesAndEtalonsAndChangeNothing) {
  using namespace file_options_dialog;
  Workbench w;
  ASSERT_TRUE(w.created);
  ScratchFolder dir;
  writeRecording(dir.file("clicks.csv"), 3000, 150);
  for (const auto& [field, text] : std::vector<std::pair<uint16_t, std::string>>{
           {kTmin, "0"}, {kTmin, "abc"}, {kTmax, "30"}, {kEtalon, "21"}, {kEtalon, "x"}}) {
    w.window.queueOpenFileName(dir.file("clicks.csv"));
    w.window.queueDialog(DialogScript{kTemplate, {}}.type(field, text));
    ASSERT_TRUE(w.window.menuCommand(kMenuOpenSeries));
    EXPECT_TRUE(w.state.opened.seriesFile.empty()) << text;
    EXPECT_EQ(w.state.wTmin, 40);
    EXPECT_EQ(w.state.seriesType, 1);
  }
  ASSERT_EQ(w.window.messages().size(), 5u);
  EXPECT_EQ(w.window.messages()[0].text, "Tmin \"0\" is not a whole number from 1 to 65535");
  EXPECT_EQ(w.window.messages()[2].text, "Tmax \"30\" is not a whole number from Tmin to 65535");
  EXPECT_EQ(w.window.messages()[3].text, "Etalon \"21\" is not an etalon number from 1 to 20");
}

TEST(WindowAnswers, TheTminFieldLeavesWithTheParameterViewWhateverCommandLeavesIt) {
  Workbench w;
  ASSERT_TRUE(w.created);
  ASSERT_TRUE(w.window.menuCommand(kCmViewSeriesParameters));
  w.window.pump();
  ASSERT_EQ(w.state.viewState, 10);
  ASSERT_NE(w.state.lpParamsHeader, nullptr);
  w.window.setEditText(kTminEditId, "500");
  const Rect ok = w.state.lpParamsHeader->okButton;
  w.window.click((ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2);
  ASSERT_EQ(w.window.messages().size(), 1u);  // refused: the view and its field stay
  EXPECT_EQ(w.state.viewState, 10);
  EXPECT_NE(w.window.editControl().place, (Rect{0, 0, 0, 0}));
  ASSERT_TRUE(w.window.menuCommand(kCmSelectSetOfPulses));
  w.window.pump();
  EXPECT_EQ(w.state.viewState, 9);
  EXPECT_EQ(w.window.editControl().place, (Rect{0, 0, 0, 0}));
}

TEST(WindowAnswers, ARecordingIsSavedWithoutATruthColumn) {
  Workbench w;
  ASSERT_TRUE(w.created);
  ScratchFolder dir;
  writeRecording(dir.file("clicks.csv"), 1200, 150);
  openRecording(w, dir.file("clicks.csv"));
  ASSERT_FALSE(w.state.opened.seriesFile.empty());
  w.window.queueFileName(dir.file("saved.csv"));
  ASSERT_TRUE(w.window.menuCommand(kMenuSaveSeries));
  std::ifstream in(dir.file("saved.csv"));
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text.find("lpPureData"), std::string::npos);
  EXPECT_NE(text.find("lpNoisyData"), std::string::npos);
}

TEST(WindowAnswers, ASavedRecordingOpensAgainAsTheSameSeriesAndOffersNoTruth) {
  Workbench w;
  ASSERT_TRUE(w.created);
  ScratchFolder dir;
  writeRecording(dir.file("clicks.csv"), 1200, 150);
  openRecording(w, dir.file("clicks.csv"));
  ASSERT_FALSE(w.state.opened.seriesFile.empty());
  const SeriesHeader& before = *w.state.lpCutOffSeriesHeader;
  const std::vector<int16_t> samples(before.lpNoisyData, before.lpNoisyData + before.dwSeriesSize);
  for (const char* saved : {"saved.csv", "saved.npy"}) {
    w.window.queueFileName(dir.file(saved));
    ASSERT_TRUE(w.window.menuCommand(kMenuSaveSeries));
    // One column: a reader needs no column to read it, and finds no pure series to take for a truth.
    openRecording(w, dir.file(saved));
    ASSERT_TRUE(w.window.messages().empty()) << saved << ": " << w.window.messages()[0].text;
    EXPECT_EQ(w.state.opened.seriesFile, dir.file(saved));
    const SeriesHeader& again = *w.state.lpCutOffSeriesHeader;
    EXPECT_EQ(std::vector<int16_t>(again.lpNoisyData, again.lpNoisyData + again.dwSeriesSize), samples)
        << saved;
    openRecording(w, dir.file("clicks.csv"));
  }
  // Asked for by name, the pure series is refused as missing, and the series stays.
  w.window.queueOpenFileName(dir.file("saved.csv"));
  w.window.queueDialog(DialogScript{file_options_dialog::kTemplate, {}}
                           .type(file_options_dialog::kColumn, "lpPureData")
                           .click(file_options_dialog::kKnownPulses));
  ASSERT_TRUE(w.window.menuCommand(kMenuOpenSeries));
  ASSERT_EQ(w.window.messages().size(), 1u);
  EXPECT_NE(w.window.messages()[0].text.find("lpPureData"), std::string::npos) << w.window.messages()[0].text;
  EXPECT_EQ(w.state.opened.seriesFile, dir.file("clicks.csv"));

  // A made series keeps both columns: its pure series is its truth.
  ASSERT_TRUE(w.window.menuCommand(kMenuProcessingNextData));
  ASSERT_TRUE(w.state.opened.seriesFile.empty());
  w.window.queueFileName(dir.file("made.csv"));
  ASSERT_TRUE(w.window.menuCommand(kMenuSaveSeries));
  std::ifstream in(dir.file("made.csv"));
  std::string header;
  while (std::getline(in, header) && header.rfind("#", 0) == 0) {
  }
  EXPECT_EQ(header, "lpPureData,lpNoisyData");
}

TEST(WindowAnswers, CreateSeriesMarksItsLengthAndLostLevelAndNextMakesTheSame) {
  Workbench w;
  ASSERT_TRUE(w.created);
  ASSERT_TRUE(w.window.menuCommand(kMenuFixedCutOff));
  w.window.queueDialog(DialogScript{series_parameters_dialog::kTemplate, {}}
                           .type(series_parameters_dialog::kSamplesLength, "600")
                           .type(series_parameters_dialog::kMakingEnergyLevel, "50")
                           .type(series_parameters_dialog::kProcessingEnergyLevel, "50"));
  w.window.queueDialog(DialogScript{series_structure_dialog::kTemplate, {}});
  ASSERT_TRUE(w.window.menuCommand(kCmCreateSeries));
  w.window.pump();
  ASSERT_EQ(w.state.viewState, 6);
  EXPECT_EQ(w.state.lpChainsHeader->wMakingEnergyLevel, 50);
  EXPECT_EQ(w.state.seriesSizeChoice.selected, 2);  // 600
  EXPECT_EQ(w.state.lostLevelChoice.selected, 3);   // 50
  ASSERT_TRUE(w.window.menuCommand(kMenuProcessingNextData));
  EXPECT_EQ(w.state.lpCutOffSeriesHeader->dwSeriesSize, 600u);
  EXPECT_EQ(w.state.lpChainsHeader->wMakingEnergyLevel, 50);
  EXPECT_EQ(w.state.lpChainsHeader->wProcessingEnergyLevel, 50);
}

TEST(WindowAnswers, ARequiredEntryThatIsNoNumberBecomesItsPlaceNotEtalonZero) {
  using namespace required_etalons_dialog;
  Workbench w;
  ASSERT_TRUE(w.created);
  w.window.queueDialog(DialogScript{kTemplate, {}}.type(kCount, "3").type(kList, "abc,5"));
  ASSERT_TRUE(w.window.menuCommand(kCmNewPulses));
  ASSERT_EQ(w.state.requiredCount, 3);
  EXPECT_EQ(w.state.requiredList[0], 1);
  EXPECT_EQ(w.state.requiredList[1], 5);
  EXPECT_EQ(w.state.requiredList[2], 3);
  ASSERT_TRUE(w.window.menuCommand(kMenuProcessingNextData));
  EXPECT_EQ(w.state.requiredListUsed, (std::vector<uint16_t>{1, 5, 3}));
}
