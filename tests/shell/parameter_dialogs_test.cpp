#include "shell/parameter_dialogs.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/dialog_ids.h"
#include "settings/setting_rules.h"
#include "shell/dialog_commands.h"
#include "shell/settings_dialogs.h"
#include "tests/shell/dialog_test_state.h"

namespace {

std::string ones(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += i == 0 ? "1" : ",1";
  return text;
}

}  // namespace

TEST(CreateSeriesDialog, ShowsStartValuesAndOkStoresTheTypedOnes) {
  using namespace series_parameters_dialog;
  StartedState s;
  s.window.queueDialog(DialogScript{kTemplate, {}}
                           .type(kSamplesLength, "600")
                           .type(kMinInterval, " 30")
                           .type(kMaxInterval, "90x")
                           .type(kEtalonNumber, "3")
                           .type(kMakingEnergyLevel, "80")
                           .type(kProcessingEnergyLevel, "70"));
  runCreateSeriesDialog(s.window, s.state);
  ASSERT_EQ(s.window.dialogs().size(), 1u);
  const auto& shown = s.window.dialogs()[0].shownText;
  EXPECT_EQ(shown.at(kSamplesLength), "1200");
  EXPECT_EQ(shown.at(kMinInterval), "40");
  EXPECT_EQ(shown.at(kMaxInterval), "181");
  EXPECT_EQ(shown.at(kEtalonNumber), "1");
  EXPECT_EQ(shown.at(kMakingEnergyLevel), "100");
  EXPECT_EQ(shown.at(kProcessingEnergyLevel), "100");
  EXPECT_EQ(s.state.dialogAccepted, 1);
  EXPECT_EQ(s.state.dialogSeriesSize, 600u);
  EXPECT_EQ(s.state.dialogTmin, 30);
  EXPECT_EQ(s.state.dialogTmax, 90);
  EXPECT_EQ(s.state.detectionEtalon, 3);
  EXPECT_EQ(s.state.dialogMakingLevel, 80);
  EXPECT_EQ(s.state.dialogProcessingLevel, 70);
  // The settings themselves wait for the command.
  EXPECT_EQ(s.state.wTmin, 40);
  EXPECT_TRUE(s.window.messages().empty());
}

TEST(CreateSeriesDialog, CancelLeavesEverything) {
  using namespace series_parameters_dialog;
  StartedState s;
  s.state.dialogAccepted = 1;
  s.window.queueDialog(
      DialogScript{kTemplate, {}}.type(kEtalonNumber, "5").type(kMinInterval, "7").click(kIdCancel));
  runCreateSeriesDialog(s.window, s.state);
  EXPECT_EQ(s.state.dialogAccepted, 0);
  EXPECT_EQ(s.state.detectionEtalon, 1);
  EXPECT_EQ(s.state.dialogTmin, 40);
}

TEST(CreateSeriesDialog, RefusesValuesTheCommandsCannotUse) {
  using namespace series_parameters_dialog;
  struct Case {
    uint16_t id;
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {kMinInterval, "0", "Минимальный интервал должен быть больше 0!"},
      {kMaxInterval, "39", "Максимальный интервал не может быть меньше минимального!"},
      {kSamplesLength, "19", "Длина серии должна быть от 20 до 32767!"},
      {kSamplesLength, "-5", "Длина серии должна быть от 20 до 32767!"},
      {kMakingEnergyLevel, "101", "Уровень сохраняемой энергии должен быть от 0 до 100!"},
      {kProcessingEnergyLevel, "-1", "Уровень сохраняемой энергии должен быть от 0 до 100!"},
      {kEtalonNumber, "21", "Номер эталона должен быть от 1 до 20!"},
      {kEtalonNumber, "0", "Номер эталона должен быть от 1 до 20!"},
  };
  for (const Case& c : cases) {
    StartedState s;
    s.window.queueDialog(DialogScript{kTemplate, {}}.type(c.id, c.text));
    runCreateSeriesDialog(s.window, s.state);
    EXPECT_EQ(s.state.dialogAccepted, 0) << c.text;
    ASSERT_EQ(s.window.messages().size(), 1u) << c.text;
    EXPECT_EQ(s.window.messages()[0].text, c.message);
    EXPECT_EQ(s.window.messages()[0].caption, "Create Series");
    EXPECT_EQ(s.state.dialogSeriesSize, 1200u);
    EXPECT_EQ(s.state.detectionEtalon, 1);
  }
  // A series longer than the solvers take is refused by its length, before Tmin 1 could ask
  // for more than 65535 pulses.
  StartedState s;
  s.window.queueDialog(DialogScript{kTemplate, {}}.type(kSamplesLength, "70000").type(kMinInterval, "1"));
  runCreateSeriesDialog(s.window, s.state);
  ASSERT_EQ(s.window.messages().size(), 1u);
  EXPECT_EQ(s.window.messages()[0].text, "Длина серии должна быть от 20 до 32767!");
}

TEST(SeriesStructureDialog, ShowsLabelsAndSequenceAfterStartUp) {
  StartedState s;
  DialogCommandProcedure procedure(s.state);
  ASSERT_TRUE(s.window.create(procedure));
  s.window.queueDialog(DialogScript{series_parameters_dialog::kTemplate, {}});
  s.window.queueDialog(DialogScript{series_structure_dialog::kTemplate, {}});
  commandCreateSeries(s.window, s.state);
  ASSERT_EQ(s.window.dialogs().size(), 2u);
  const auto& shown = s.window.dialogs()[1].shownText;
  EXPECT_EQ(shown.at(series_structure_dialog::kPulseCountLabel), "Number of Pulses in Series (from 6 to 30)");
  EXPECT_EQ(shown.at(series_structure_dialog::kPulseCount), "18");
  EXPECT_EQ(shown.at(series_structure_dialog::kSequenceLabel),
            "Sequence of Etalons in Series (values from 1 to 20)");
  EXPECT_EQ(shown.at(series_structure_dialog::kEtalonSequence), ones(18));
  EXPECT_EQ(shown.at(series_structure_dialog::kNoiseLevel), "20");
}

TEST(SeriesStructureDialog, ReadsTheShownNumberOfEntriesAndRefusesBadEtalons) {
  using namespace series_structure_dialog;
  StartedState s;
  s.state.wPulsesRequested = 4;
  s.state.dialogMinPulses = 1;
  s.state.dialogMaxPulses = 5;
  // Five entries typed, four read (the count shown at the start), whatever 1007 says.
  s.window.queueDialog(DialogScript{kTemplate, {}}
                           .type(kPulseCount, "5")
                           .type(kEtalonSequence, "2, 3,4 ,5,6")
                           .type(kNoiseLevel, "35"));
  runSeriesStructureDialog(s.window, s.state);
  EXPECT_EQ(s.state.dialogAccepted, 1);
  EXPECT_EQ(s.state.dialogPulses, 5);
  EXPECT_EQ(s.state.dialogNoiseLevel, 35);
  EXPECT_EQ(s.state.etalonSequenceEdit[0], 2);
  EXPECT_EQ(s.state.etalonSequenceEdit[3], 5);
  EXPECT_EQ(s.state.etalonSequenceEdit[4], 1);

  // A short list leaves entries at 0, and 21 is no etalon: both are refused.
  for (const char* text : {"2,3", "1,2,21,3"}) {
    StartedState t;
    t.state.wPulsesRequested = 4;
    t.window.queueDialog(DialogScript{kTemplate, {}}.type(kEtalonSequence, text));
    runSeriesStructureDialog(t.window, t.state);
    EXPECT_EQ(t.state.dialogAccepted, 0) << text;
    ASSERT_EQ(t.window.messages().size(), 1u);
    EXPECT_EQ(t.window.messages()[0].text, "Номера эталонов в серии должны быть от 1 до 20!");
    EXPECT_EQ(t.state.etalonSequenceEdit[0], 1);
  }

  // A noise level outside the 16-bit setting is refused rather than wrapped.
  for (const char* text : {"32768", "-1", "70000"}) {
    StartedState t;
    t.state.wPulsesRequested = 4;
    t.window.queueDialog(DialogScript{kTemplate, {}}.type(kNoiseLevel, text));
    runSeriesStructureDialog(t.window, t.state);
    EXPECT_EQ(t.state.dialogAccepted, 0) << text;
    ASSERT_EQ(t.window.messages().size(), 1u);
    EXPECT_EQ(t.window.messages()[0].text, "Уровень шума должен быть от 0 до 32767!");
    EXPECT_EQ(t.state.etalonSequenceEdit[0], 1);
  }
}

TEST(RequiredEtalonsDialog, CountRulesListLimitAndRepair) {
  using namespace required_etalons_dialog;
  StartedState s;
  DialogCommandProcedure procedure(s.state);
  ASSERT_TRUE(s.window.create(procedure));
  s.window.queueDialog(DialogScript{kTemplate, {}}.type(kCount, "4").type(kList, "3,25,7"));
  commandNewPulses(s.window, s.state);
  const auto& shown = s.window.dialogs()[0].shownText;
  EXPECT_EQ(shown.at(kCount), "1");
  EXPECT_EQ(shown.at(kListLabel), "List of Required Etalons (from 1 to 20)");
  EXPECT_EQ(shown.at(kList), "1");
  ASSERT_EQ(s.state.requiredCount, 4);
  // 25 at position 1 becomes 2; the missing fourth entry reads 0, which names no etalon: it
  // becomes 4 as well.
  EXPECT_EQ(s.state.requiredList[0], 3);
  EXPECT_EQ(s.state.requiredList[1], 2);
  EXPECT_EQ(s.state.requiredList[2], 7);
  EXPECT_EQ(s.state.requiredList[3], 4);
  for (int n = 1; n <= 20; ++n)
    EXPECT_EQ(s.state.etalonSelected[n - 1], (n == 2 || n == 3 || n == 4 || n == 7) ? 1 : 0) << n;

  // A count of 0 or above the capacity keeps the old count; the list is still read.
  for (const char* count : {"0", "21", "x"}) {
    s.window.queueDialog(DialogScript{kTemplate, {}}.type(kCount, count).type(kList, "5,6,8,9"));
    commandNewPulses(s.window, s.state);
    EXPECT_EQ(s.state.requiredCount, 4) << count;
    EXPECT_EQ(s.state.requiredList[0], 5);
    EXPECT_EQ(s.state.requiredList[3], 9);
  }

  // The list field is read up to its 99th character only.
  std::string longList = "1" + std::string(96, ' ') + ",2,3";
  s.window.queueDialog(DialogScript{kTemplate, {}}.type(kCount, "3").type(kList, longList));
  commandNewPulses(s.window, s.state);
  EXPECT_EQ(s.state.requiredList[0], 1);
  EXPECT_EQ(s.state.requiredList[1], 2);
  EXPECT_EQ(s.state.requiredList[2], 3);  // the entry cut off names no etalon: its place

  // Cancel keeps count and list.
  s.window.queueDialog(DialogScript{kTemplate, {}}.type(kCount, "2").type(kList, "4,4").click(kIdCancel));
  commandNewPulses(s.window, s.state);
  EXPECT_EQ(s.state.dialogAccepted, 0);
  EXPECT_EQ(s.state.requiredCount, 3);
  EXPECT_EQ(s.state.requiredList[0], 1);
}

TEST(SimulationParametersDialog, StartValuesOkAndRefusals) {
  using namespace simulation_parameters_dialog;
  StartedState s;
  s.window.queueDialog(DialogScript{kTemplate, {}}
                           .type(kPulsesFrom, "8")
                           .type(kPulsesTo, "12")
                           .type(kPulsesIncrement, "2")
                           .type(kNoiseInitialLevel, "5")
                           .type(kNoiseSteps, "7")
                           .type(kNoiseIncrement, "3")
                           .type(kRepeats, "50"));
  runSimulationParametersDialog(s.window, s.state);
  const auto& shown = s.window.dialogs()[0].shownText;
  EXPECT_EQ(shown.at(kPulsesFrom), "6");
  EXPECT_EQ(shown.at(kPulsesTo), "30");
  EXPECT_EQ(shown.at(kPulsesIncrement), "1");
  EXPECT_EQ(shown.at(kNoiseInitialLevel), "0");
  EXPECT_EQ(shown.at(kNoiseSteps), "29");
  EXPECT_EQ(shown.at(kNoiseIncrement), "5");
  EXPECT_EQ(shown.at(kRepeats), "100");
  EXPECT_EQ(s.state.dialogAccepted, 1);
  EXPECT_EQ(s.state.dialogMinPulses, 8);
  EXPECT_EQ(s.state.dialogMaxPulses, 12);
  EXPECT_EQ(s.state.pulsesIncrement, 2);
  EXPECT_EQ(s.state.noiseInitialLevel, 5);
  EXPECT_EQ(s.state.noiseSteps, 7);
  EXPECT_EQ(s.state.noiseIncrement, 3);
  EXPECT_EQ(s.state.repeats, 50);

  struct Case {
    uint16_t id;
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {kRepeats, "0", "Число повторений должно быть больше 0!"},
      {kNoiseSteps, "0", "Число шагов по шуму должно быть больше 0!"},
      {kPulsesFrom, "20", "Число импульсов должно быть от 6 до 30, и \"from\" не больше \"to\"!"},
      {kPulsesTo, "31", "Число импульсов должно быть от 6 до 30, и \"from\" не больше \"to\"!"},
      {kPulsesFrom, "0", "Число импульсов должно быть от 6 до 30, и \"from\" не больше \"to\"!"},
      {kNoiseIncrement, "20000", "Уровень шума не может превышать 32767!"},
  };
  for (const Case& c : cases) {
    StartedState t;
    t.state.dialogMaxPulses = 15;
    t.window.queueDialog(DialogScript{kTemplate, {}}.type(c.id, c.text));
    runSimulationParametersDialog(t.window, t.state);
    EXPECT_EQ(t.state.dialogAccepted, 0) << c.text;
    ASSERT_EQ(t.window.messages().size(), 1u) << c.text;
    EXPECT_EQ(t.window.messages()[0].text, c.message);
    EXPECT_EQ(t.state.repeats, 100);
    EXPECT_EQ(t.state.noiseSteps, 29);
  }
}

TEST(SubsetSettingsDialog, WorkingAndSavedCopies) {
  using namespace subset_settings_dialog;
  StartedState s;
  s.state.subsetEmployment = 7;
  s.state.subsetProceeding = 2;
  s.state.subsetInitPosition = 3;
  s.window.queueDialog(DialogScript{kTemplate, {}});
  runSubsetSettingsDialog(s.window, s.state);
  const auto& checked = s.window.dialogs()[0].shownChecked;
  EXPECT_TRUE(checked.count(kComplete));
  EXPECT_TRUE(checked.count(kProceedingShiftedComplete));
  EXPECT_FALSE(checked.count(kProceedingComplete));
  EXPECT_EQ(s.window.dialogs()[0].shownText.at(kInitPosition), "3");
  // An employment outside 1..5 survives OK when no button was clicked.
  EXPECT_EQ(s.state.subsetEmployment, 7);
  EXPECT_EQ(s.state.subsetProceeding, 2);
  EXPECT_EQ(s.state.subsetInitPosition, 3);

  s.window.queueDialog(DialogScript{kTemplate, {}}.click(kSingleFixed).click(kProceedingComplete));
  runSubsetSettingsDialog(s.window, s.state);
  EXPECT_EQ(s.state.subsetEmployment, 2);
  EXPECT_EQ(s.state.subsetProceeding, 1);

  s.window.queueDialog(
      DialogScript{kTemplate, {}}.click(kShiftedComplete).click(kProceedingShiftedComplete).click(kIdCancel));
  runSubsetSettingsDialog(s.window, s.state);
  EXPECT_EQ(s.state.subsetEmployment, 2);
  EXPECT_EQ(s.state.subsetProceeding, 1);
  EXPECT_EQ(s.state.subsetInitPosition, 3);
}

TEST(DrawingSettingsDialog, OkKeepsUntouchedAndCancelRestores) {
  using namespace drawing_settings_dialog;
  StartedState s;
  s.state.drawSpecialGraphSize = 5;  // not 0: shown checked, kept as 5 when untouched
  s.window.queueDialog(DialogScript{kTemplate, {}});
  runDrawingSettingsDialog(s.window, s.state);
  const auto& checked = s.window.dialogs()[0].shownChecked;
  for (uint16_t id :
       {kFrameGraphFields, kShadedPulses, kHighlightDetectedPulses, kSpecialGraphSize, kColouredBackground})
    EXPECT_TRUE(checked.count(id)) << id;
  EXPECT_FALSE(checked.count(kDottedFrame));
  EXPECT_EQ(s.state.drawFrameGraphFields, 1);
  EXPECT_EQ(s.state.drawSpecialGraphSize, 5);
  EXPECT_EQ(s.state.tuplesHighlightMode, 2);

  s.window.queueDialog(
      DialogScript{kTemplate, {}}.click(kFrameGraphFields).click(kSpecialGraphSize).click(kNoHighlight));
  runDrawingSettingsDialog(s.window, s.state);
  EXPECT_EQ(s.state.drawFrameGraphFields, 0);
  EXPECT_EQ(s.state.drawSpecialGraphSize, 0);
  EXPECT_EQ(s.state.tuplesHighlightMode, 0);

  s.window.queueDialog(DialogScript{kTemplate, {}}
                           .click(kShadedPulses)
                           .click(kHighlightDetectedPulses)
                           .click(kFrameGraphFields)
                           .click(kDottedFrame)
                           .click(kIdCancel));
  runDrawingSettingsDialog(s.window, s.state);
  EXPECT_EQ(s.state.drawFrameGraphFields, 0);
  EXPECT_EQ(s.state.drawShadedPulses, 1);
  EXPECT_EQ(s.state.drawHighlightDetectedPulses, 1);
  EXPECT_EQ(s.state.tuplesHighlightMode, 0);
}

TEST(ChartSettingsDialog, HandlingViewAndUpperBound) {
  using namespace chart_settings_dialog;
  StartedState s;
  s.state.handlingCase = 3;
  s.window.queueDialog(DialogScript{kTemplate, {}}.type(kUpperBound, "0.7"));
  runChartSettingsDialog(s.window, s.state, false);
  const auto& shown = s.window.dialogs()[0];
  EXPECT_TRUE(shown.shownChecked.count(kRestoringError));
  EXPECT_TRUE(shown.shownChecked.count(kComponentwise));
  EXPECT_FALSE(shown.shownChecked.count(kFixedUpperBound));
  EXPECT_EQ(shown.shownText.at(kUpperBound), "0.25");
  // Handling case 3 is kept, and the bound typed with the box cleared is not stored.
  EXPECT_EQ(s.state.handlingCase, 3);
  EXPECT_DOUBLE_EQ(s.state.upperBound, 0.25);

  s.window.queueDialog(DialogScript{kTemplate, {}}
                           .click(kDetectionError)
                           .click(kSummaryView)
                           .click(kFixedUpperBound)
                           .type(kUpperBound, "0.123456"));
  runChartSettingsDialog(s.window, s.state, false);
  EXPECT_EQ(s.state.handlingCase, 2);
  EXPECT_EQ(s.state.viewCase, 2);
  EXPECT_EQ(s.state.fixedUpperBound, 1);
  EXPECT_DOUBLE_EQ(s.state.upperBound, 0.123456);

  s.window.queueDialog(DialogScript{kTemplate, {}});
  runChartSettingsDialog(s.window, s.state, false);
  EXPECT_EQ(s.window.dialogs()[2].shownText.at(kUpperBound), "0.12346");
  EXPECT_TRUE(s.window.dialogs()[2].shownChecked.count(kFixedUpperBound));

  s.window.queueDialog(DialogScript{kTemplate, {}}
                           .click(kRestoringError)
                           .click(kComponentwise)
                           .click(kFixedUpperBound)
                           .type(kUpperBound, "9")
                           .click(kIdCancel));
  runChartSettingsDialog(s.window, s.state, false);
  EXPECT_EQ(s.state.handlingCase, 2);
  EXPECT_EQ(s.state.viewCase, 2);
  EXPECT_EQ(s.state.fixedUpperBound, 1);
}

TEST(ChartSettingsDialog, RecognitionVariantAddsItsControls) {
  using namespace chart_settings_dialog;
  StartedState s;
  s.state.handlingCase = 3;
  s.window.queueDialog(DialogScript{kRecognitionTemplate, {}}.click(kBoundsIncluded));
  runChartSettingsDialog(s.window, s.state, true);
  const auto& shown = s.window.dialogs()[0];
  EXPECT_EQ(shown.templateId, kRecognitionTemplate);
  EXPECT_TRUE(shown.shownChecked.count(kRecognitionError));
  EXPECT_FALSE(shown.shownChecked.count(kRestoringError));
  EXPECT_TRUE(shown.shownChecked.count(kBoundsIncluded));
  EXPECT_TRUE(shown.shownChecked.count(kComponentwise));
  EXPECT_EQ(s.state.boundsIncluded, 0);
  updateChartKind(s.state);
  EXPECT_EQ(s.state.chartKind, 4);

  s.window.queueDialog(DialogScript{kRecognitionTemplate, {}}
                           .click(kBoundsIncluded)
                           .click(kSummaryView)
                           .click(kDetectionError)
                           .click(kIdCancel));
  runChartSettingsDialog(s.window, s.state, true);
  EXPECT_EQ(s.state.boundsIncluded, 0);
  EXPECT_EQ(s.state.viewCase, 1);
  EXPECT_EQ(s.state.handlingCase, 3);
}
