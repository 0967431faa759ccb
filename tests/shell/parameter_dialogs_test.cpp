#include "shell/parameter_dialogs.h"

#include <gtest/gtest.h>

#include <string>

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
  StartedState s;
  s.window.queueDialog(DialogScript{105, {}}
                           .type(1000, "600")
                           .type(1001, " 30")
                           .type(1003, "90x")
                           .type(1004, "3")
                           .type(1005, "80")
                           .type(1006, "70"));
  runCreateSeriesDialog(s.window, s.state);
  ASSERT_EQ(s.window.dialogs().size(), 1u);
  const auto& shown = s.window.dialogs()[0].shownText;
  EXPECT_EQ(shown.at(1000), "1200");
  EXPECT_EQ(shown.at(1001), "40");
  EXPECT_EQ(shown.at(1003), "181");
  EXPECT_EQ(shown.at(1004), "1");
  EXPECT_EQ(shown.at(1005), "100");
  EXPECT_EQ(shown.at(1006), "100");
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
  StartedState s;
  s.state.dialogAccepted = 1;
  s.window.queueDialog(DialogScript{105, {}}.type(1004, "5").type(1001, "7").click(2));
  runCreateSeriesDialog(s.window, s.state);
  EXPECT_EQ(s.state.dialogAccepted, 0);
  EXPECT_EQ(s.state.detectionEtalon, 1);
  EXPECT_EQ(s.state.dialogTmin, 40);
}

TEST(CreateSeriesDialog, RefusesValuesTheCommandsCannotUse) {
  struct Case {
    uint16_t id;
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {1001, "0", "Минимальный интервал должен быть больше 0!"},
      {1003, "39", "Максимальный интервал не может быть меньше минимального!"},
      {1000, "19", "Длина серии должна быть от 20 до 32767!"},
      {1000, "-5", "Длина серии должна быть от 20 до 32767!"},
      {1005, "101", "Уровень сохраняемой энергии должен быть от 0 до 100!"},
      {1006, "-1", "Уровень сохраняемой энергии должен быть от 0 до 100!"},
      {1004, "21", "Номер эталона должен быть от 1 до 20!"},
      {1004, "0", "Номер эталона должен быть от 1 до 20!"},
  };
  for (const Case& c : cases) {
    StartedState s;
    s.window.queueDialog(DialogScript{105, {}}.type(c.id, c.text));
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
  s.window.queueDialog(DialogScript{105, {}}.type(1000, "70000").type(1001, "1"));
  runCreateSeriesDialog(s.window, s.state);
  ASSERT_EQ(s.window.messages().size(), 1u);
  EXPECT_EQ(s.window.messages()[0].text, "Длина серии должна быть от 20 до 32767!");
}

TEST(SeriesStructureDialog, ShowsLabelsAndSequenceAfterStartUp) {
  StartedState s;
  DialogCommandProcedure procedure(s.state);
  ASSERT_TRUE(s.window.create(procedure));
  s.window.queueDialog(DialogScript{105, {}});
  s.window.queueDialog(DialogScript{106, {}});
  commandCreateSeries(s.window, s.state);
  ASSERT_EQ(s.window.dialogs().size(), 2u);
  const auto& shown = s.window.dialogs()[1].shownText;
  EXPECT_EQ(shown.at(1008), "Number of Pulses in Series (from 6 to 30)");
  EXPECT_EQ(shown.at(1007), "18");
  EXPECT_EQ(shown.at(1009), "Sequence of Etalons in Series (values from 1 to 20)");
  EXPECT_EQ(shown.at(1010), ones(18));
  EXPECT_EQ(shown.at(1011), "20");
}

TEST(SeriesStructureDialog, ReadsTheShownNumberOfEntriesAndRefusesBadEtalons) {
  StartedState s;
  s.state.wPulsesRequested = 4;
  s.state.dialogMinPulses = 1;
  s.state.dialogMaxPulses = 5;
  // Five entries typed, four read (the count shown at the start), whatever 1007 says.
  s.window.queueDialog(DialogScript{106, {}}.type(1007, "5").type(1010, "2, 3,4 ,5,6").type(1011, "35"));
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
    t.window.queueDialog(DialogScript{106, {}}.type(1010, text));
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
    t.window.queueDialog(DialogScript{106, {}}.type(1011, text));
    runSeriesStructureDialog(t.window, t.state);
    EXPECT_EQ(t.state.dialogAccepted, 0) << text;
    ASSERT_EQ(t.window.messages().size(), 1u);
    EXPECT_EQ(t.window.messages()[0].text, "Уровень шума должен быть от 0 до 32767!");
    EXPECT_EQ(t.state.etalonSequenceEdit[0], 1);
  }
}

TEST(RequiredEtalonsDialog, CountRulesListLimitAndRepair) {
  StartedState s;
  DialogCommandProcedure procedure(s.state);
  ASSERT_TRUE(s.window.create(procedure));
  s.window.queueDialog(DialogScript{107, {}}.type(1014, "4").type(1013, "3,25,7"));
  commandNewPulses(s.window, s.state);
  const auto& shown = s.window.dialogs()[0].shownText;
  EXPECT_EQ(shown.at(1014), "1");
  EXPECT_EQ(shown.at(1012), "List of Required Etalons (from 1 to 20)");
  EXPECT_EQ(shown.at(1013), "1");
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
    s.window.queueDialog(DialogScript{107, {}}.type(1014, count).type(1013, "5,6,8,9"));
    commandNewPulses(s.window, s.state);
    EXPECT_EQ(s.state.requiredCount, 4) << count;
    EXPECT_EQ(s.state.requiredList[0], 5);
    EXPECT_EQ(s.state.requiredList[3], 9);
  }

  // The list field is read up to its 99th character only.
  std::string longList = "1" + std::string(96, ' ') + ",2,3";
  s.window.queueDialog(DialogScript{107, {}}.type(1014, "3").type(1013, longList));
  commandNewPulses(s.window, s.state);
  EXPECT_EQ(s.state.requiredList[0], 1);
  EXPECT_EQ(s.state.requiredList[1], 2);
  EXPECT_EQ(s.state.requiredList[2], 3);  // the entry cut off names no etalon: its place

  // Cancel keeps count and list.
  s.window.queueDialog(DialogScript{107, {}}.type(1014, "2").type(1013, "4,4").click(2));
  commandNewPulses(s.window, s.state);
  EXPECT_EQ(s.state.dialogAccepted, 0);
  EXPECT_EQ(s.state.requiredCount, 3);
  EXPECT_EQ(s.state.requiredList[0], 1);
}

TEST(SimulationParametersDialog, StartValuesOkAndRefusals) {
  StartedState s;
  s.window.queueDialog(DialogScript{110, {}}
                           .type(1015, "8")
                           .type(1016, "12")
                           .type(1017, "2")
                           .type(1019, "5")
                           .type(1018, "7")
                           .type(1020, "3")
                           .type(1021, "50"));
  runSimulationParametersDialog(s.window, s.state);
  const auto& shown = s.window.dialogs()[0].shownText;
  EXPECT_EQ(shown.at(1015), "6");
  EXPECT_EQ(shown.at(1016), "30");
  EXPECT_EQ(shown.at(1017), "1");
  EXPECT_EQ(shown.at(1019), "0");
  EXPECT_EQ(shown.at(1018), "29");
  EXPECT_EQ(shown.at(1020), "5");
  EXPECT_EQ(shown.at(1021), "100");
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
      {1021, "0", "Число повторений должно быть больше 0!"},
      {1018, "0", "Число шагов по шуму должно быть больше 0!"},
      {1015, "20", "Число импульсов должно быть от 6 до 30, и \"from\" не больше \"to\"!"},
      {1016, "31", "Число импульсов должно быть от 6 до 30, и \"from\" не больше \"to\"!"},
      {1015, "0", "Число импульсов должно быть от 6 до 30, и \"from\" не больше \"to\"!"},
      {1020, "20000", "Уровень шума не может превышать 32767!"},
  };
  for (const Case& c : cases) {
    StartedState t;
    t.state.dialogMaxPulses = 15;
    t.window.queueDialog(DialogScript{110, {}}.type(c.id, c.text));
    runSimulationParametersDialog(t.window, t.state);
    EXPECT_EQ(t.state.dialogAccepted, 0) << c.text;
    ASSERT_EQ(t.window.messages().size(), 1u) << c.text;
    EXPECT_EQ(t.window.messages()[0].text, c.message);
    EXPECT_EQ(t.state.repeats, 100);
    EXPECT_EQ(t.state.noiseSteps, 29);
  }
}

TEST(SubsetSettingsDialog, WorkingAndSavedCopies) {
  StartedState s;
  s.state.subsetEmployment = 7;
  s.state.subsetProceeding = 2;
  s.state.subsetInitPosition = 3;
  s.window.queueDialog(DialogScript{111, {}});
  runSubsetSettingsDialog(s.window, s.state);
  const auto& checked = s.window.dialogs()[0].shownChecked;
  EXPECT_TRUE(checked.count(1018));
  EXPECT_TRUE(checked.count(1022));
  EXPECT_FALSE(checked.count(1021));
  EXPECT_EQ(s.window.dialogs()[0].shownText.at(1020), "3");
  // An employment outside 1..5 survives OK when no button was clicked.
  EXPECT_EQ(s.state.subsetEmployment, 7);
  EXPECT_EQ(s.state.subsetProceeding, 2);
  EXPECT_EQ(s.state.subsetInitPosition, 3);

  s.window.queueDialog(DialogScript{111, {}}.click(1016).click(1021));
  runSubsetSettingsDialog(s.window, s.state);
  EXPECT_EQ(s.state.subsetEmployment, 2);
  EXPECT_EQ(s.state.subsetProceeding, 1);

  s.window.queueDialog(DialogScript{111, {}}.click(1019).click(1022).click(2));
  runSubsetSettingsDialog(s.window, s.state);
  EXPECT_EQ(s.state.subsetEmployment, 2);
  EXPECT_EQ(s.state.subsetProceeding, 1);
  EXPECT_EQ(s.state.subsetInitPosition, 3);
}

TEST(DrawingSettingsDialog, OkKeepsUntouchedAndCancelRestores) {
  StartedState s;
  s.state.drawSpecialGraphSize = 5;  // not 0: shown checked, kept as 5 when untouched
  s.window.queueDialog(DialogScript{112, {}});
  runDrawingSettingsDialog(s.window, s.state);
  const auto& checked = s.window.dialogs()[0].shownChecked;
  for (uint16_t id : {1044, 1024, 1023, 1043, 1026}) EXPECT_TRUE(checked.count(id)) << id;
  EXPECT_FALSE(checked.count(1025));
  EXPECT_EQ(s.state.drawFrameGraphFields, 1);
  EXPECT_EQ(s.state.drawSpecialGraphSize, 5);
  EXPECT_EQ(s.state.tuplesHighlightMode, 2);

  s.window.queueDialog(DialogScript{112, {}}.click(1044).click(1043).click(1027));
  runDrawingSettingsDialog(s.window, s.state);
  EXPECT_EQ(s.state.drawFrameGraphFields, 0);
  EXPECT_EQ(s.state.drawSpecialGraphSize, 0);
  EXPECT_EQ(s.state.tuplesHighlightMode, 0);

  s.window.queueDialog(DialogScript{112, {}}.click(1024).click(1023).click(1044).click(1025).click(2));
  runDrawingSettingsDialog(s.window, s.state);
  EXPECT_EQ(s.state.drawFrameGraphFields, 0);
  EXPECT_EQ(s.state.drawShadedPulses, 1);
  EXPECT_EQ(s.state.drawHighlightDetectedPulses, 1);
  EXPECT_EQ(s.state.tuplesHighlightMode, 0);
}

TEST(ChartSettingsDialog, HandlingViewAndUpperBound) {
  StartedState s;
  s.state.handlingCase = 3;
  s.window.queueDialog(DialogScript{113, {}}.type(1033, "0.7"));
  runChartSettingsDialog(s.window, s.state, false);
  const auto& shown = s.window.dialogs()[0];
  EXPECT_TRUE(shown.shownChecked.count(1028));
  EXPECT_TRUE(shown.shownChecked.count(1030));
  EXPECT_FALSE(shown.shownChecked.count(1032));
  EXPECT_EQ(shown.shownText.at(1033), "0.25");
  // Handling case 3 is kept, and the bound typed with the box cleared is not stored.
  EXPECT_EQ(s.state.handlingCase, 3);
  EXPECT_DOUBLE_EQ(s.state.upperBound, 0.25);

  s.window.queueDialog(DialogScript{113, {}}.click(1029).click(1031).click(1032).type(1033, "0.123456"));
  runChartSettingsDialog(s.window, s.state, false);
  EXPECT_EQ(s.state.handlingCase, 2);
  EXPECT_EQ(s.state.viewCase, 2);
  EXPECT_EQ(s.state.fixedUpperBound, 1);
  EXPECT_DOUBLE_EQ(s.state.upperBound, 0.123456);

  s.window.queueDialog(DialogScript{113, {}});
  runChartSettingsDialog(s.window, s.state, false);
  EXPECT_EQ(s.window.dialogs()[2].shownText.at(1033), "0.12346");
  EXPECT_TRUE(s.window.dialogs()[2].shownChecked.count(1032));

  s.window.queueDialog(DialogScript{113, {}}.click(1028).click(1030).click(1032).type(1033, "9").click(2));
  runChartSettingsDialog(s.window, s.state, false);
  EXPECT_EQ(s.state.handlingCase, 2);
  EXPECT_EQ(s.state.viewCase, 2);
  EXPECT_EQ(s.state.fixedUpperBound, 1);
}

TEST(ChartSettingsDialog, RecognitionVariantAddsItsControls) {
  StartedState s;
  s.state.handlingCase = 3;
  s.window.queueDialog(DialogScript{114, {}}.click(1042));
  runChartSettingsDialog(s.window, s.state, true);
  const auto& shown = s.window.dialogs()[0];
  EXPECT_EQ(shown.templateId, 114);
  EXPECT_TRUE(shown.shownChecked.count(1034));
  EXPECT_FALSE(shown.shownChecked.count(1028));
  EXPECT_TRUE(shown.shownChecked.count(1042));
  EXPECT_TRUE(shown.shownChecked.count(1030));
  EXPECT_EQ(s.state.boundsIncluded, 0);
  updateChartKind(s.state);
  EXPECT_EQ(s.state.chartKind, 4);

  s.window.queueDialog(DialogScript{114, {}}.click(1042).click(1031).click(1029).click(2));
  runChartSettingsDialog(s.window, s.state, true);
  EXPECT_EQ(s.state.boundsIncluded, 0);
  EXPECT_EQ(s.state.viewCase, 1);
  EXPECT_EQ(s.state.handlingCase, 3);
}
