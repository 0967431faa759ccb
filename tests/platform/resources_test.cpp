#include "platform/resources.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/bmp_decode.h"
#include "platform/dialog_ids.h"
#include "platform/dialog_template.h"

namespace {

// The entries of a popup written as "text#id" for items and "-" for separators.
std::vector<std::string> describe(const std::vector<MenuEntry>& entries) {
  std::vector<std::string> out;
  for (const MenuEntry& e : entries) {
    if (e.kind == MenuEntry::Kind::kSeparator)
      out.push_back("-");
    else if (e.kind == MenuEntry::Kind::kPopup)
      out.push_back("[" + e.text + "]");
    else
      out.push_back(e.text + "#" + std::to_string(e.id));
  }
  return out;
}

TEST(MainMenu, HasEveryItemAndSeparatorInOrder) {
  const MenuTemplate* m = menuResource(kMainMenu);
  ASSERT_NE(m, nullptr);
  ASSERT_EQ(m->popups.size(), 4u);
  EXPECT_EQ(m->popups[0].text, " File");
  EXPECT_EQ(describe(m->popups[0].entries),
            (std::vector<std::string>{" New pulses... #40002", " Create series... #40001", "-",
                                      " View series parameters...#40031", "-", " Select set of pulses#40016",
                                      "-", " Save image as...#40003", "-", " Exit#40004", "-",
                                      " Open series...#40101", " Open etalons...#40102",
                                      " Save series as...#40103", " Open simulation result...#40104"}));
  EXPECT_EQ(m->popups[1].text, " Processing");
  EXPECT_EQ(describe(m->popups[1].entries),
            (std::vector<std::string>{
                " Processing Same Data#40017", " Processing Next Data #40018", "-", " More details#40019",
                " Type more detales#40020", "-", " Fixed case#40021", " Unfixed case#40022", "-",
                " Statistical Simulation#40012", " Show Statistical Simulation#40015", "-",
                " Repeat Detection#40023", " Repeat Recognition#40024",
                " Repeat Joint Detection and Discrimination#40025", " Repeat Series Processing#40026"}));
  EXPECT_EQ(m->popups[2].text, " Settings");
  EXPECT_EQ(describe(m->popups[2].entries),
            (std::vector<std::string>{"[ Select Task Type]", "[ Select Series Type]", "-",
                                      " Subset settings ...#40029", "-", " Drawing settings ...#40030"}));
  EXPECT_EQ(
      describe(m->popups[2].entries[0].entries),
      (std::vector<std::string>{" Detection#40005", " Recognition#40006",
                                " Joint Detection and Identification#40007", " Series Processing#40027"}));
  EXPECT_EQ(
      describe(m->popups[2].entries[1].entries),
      (std::vector<std::string>{
          " Fixed Number of Whole Pulses#40008", " Unfixed Number of Whole Pulses#40009",
          " Fixed Number of Cutoffs Pulses#40010", " Unfuxed Number of Cutoffs Pulses#40011",
          " Fixed Number of Whole Pulses Tuples #40028", " Unfixed Number of Whole Pulses Tuples #40032"}));
  EXPECT_EQ(m->popups[3].text, " Else One");
  EXPECT_EQ(describe(m->popups[3].entries),
            (std::vector<std::string>{" Create Series...#40014", "-", " Debugging repeat #40033"}));
  EXPECT_EQ(menuResource(series_parameters_dialog::kTemplate), nullptr);
}

std::vector<uint16_t> ids(const DialogTemplate& t) {
  std::vector<uint16_t> out;
  for (const DialogControl& c : t.controls)
    if (c.id != kStaticId && c.id != 1 && c.id != 2) out.push_back(c.id);
  return out;
}

TEST(DialogTemplates, TitlesSizesAndControlsInTemplateOrder) {
  struct Want {
    uint16_t id;
    const char* title;
    int16_t cx, cy;
    std::vector<uint16_t> controls;
  };
  // The numbers are the dialogs' own: this table pins them (and the names of
  // platform/dialog_ids.h that the templates are written with); the other tests use the names.
  const std::vector<Want> wants = {
      {105, "Create Series", 209, 168, {1000, 1001, 1003, 1004, 1005, 1006}},
      {106, "Create Series", 192, 138, {1008, 1007, 1009, 1010, 1011}},
      {107, "List of Required Etalons", 137, 95, {1014, 1012, 1013}},
      {110, " Location Parameters", 240, 109, {1015, 1016, 1017, 1021, 1019, 1018, 1020}},
      {111, "Subset settings", 235, 113, {1015, 1016, 1017, 1018, 1019, 1020, 1021, 1022}},
      {112, "Drawing settings", 175, 122, {1025, 1026, 1027, 1044, 1024, 1023, 1043}},
      {113, " Show Statistical Simulation parameters", 190, 97, {1028, 1029, 1030, 1031, 1032, 1033}},
      {114, "Show Statistical Simulation", 186, 117, {1028, 1029, 1034, 1030, 1031, 1042, 1032, 1033}},
  };
  for (const Want& want : wants) {
    const DialogTemplate* t = dialogResource(want.id);
    ASSERT_NE(t, nullptr) << want.id;
    EXPECT_EQ(t->title, want.title);
    EXPECT_EQ(t->cx, want.cx);
    EXPECT_EQ(t->cy, want.cy);
    EXPECT_EQ(t->fontPoints, 8);
    EXPECT_EQ(ids(*t), want.controls) << want.id;
    ASSERT_NE(t->find(1), nullptr);
    ASSERT_NE(t->find(2), nullptr);
    EXPECT_EQ(t->find(1)->kind, ControlKind::kDefPushButton);
    EXPECT_EQ(t->find(1)->text, "OK");
    EXPECT_EQ(t->find(2)->text, "Cancel");
    for (const DialogControl& c : t->controls) {
      EXPECT_GE(c.x, 0) << want.id << " " << c.text;
      EXPECT_LE(c.x + c.cx, t->cx) << want.id << " " << c.text;
      EXPECT_LE(c.y + c.cy, t->cy) << want.id << " " << c.text;
    }
  }
  EXPECT_EQ(dialogResource(108), nullptr);
}

TEST(DialogTemplates, ControlTextsKindsAndRadioGroups) {
  const DialogTemplate& d111 = *dialogResource(subset_settings_dialog::kTemplate);
  EXPECT_EQ(d111.find(subset_settings_dialog::kSingleRandom)->text, "Single random ");
  EXPECT_EQ(d111.find(subset_settings_dialog::kComplete)->text, "Complete ");
  EXPECT_TRUE(d111.find(subset_settings_dialog::kInitPosition)->disabled);
  EXPECT_EQ(
      radioGroupOf(d111, subset_settings_dialog::kMultipleRandom),
      (std::vector<uint16_t>{subset_settings_dialog::kSingleRandom, subset_settings_dialog::kSingleFixed,
                             subset_settings_dialog::kMultipleRandom, subset_settings_dialog::kComplete,
                             subset_settings_dialog::kShiftedComplete}));
  EXPECT_EQ(radioGroupOf(d111, subset_settings_dialog::kProceedingShiftedComplete),
            (std::vector<uint16_t>{subset_settings_dialog::kProceedingComplete,
                                   subset_settings_dialog::kProceedingShiftedComplete}));
  EXPECT_TRUE(radioGroupOf(d111, subset_settings_dialog::kInitPosition).empty());

  const DialogTemplate& d113 = *dialogResource(chart_settings_dialog::kTemplate);
  EXPECT_EQ(radioGroupOf(d113, chart_settings_dialog::kRestoringError),
            (std::vector<uint16_t>{chart_settings_dialog::kRestoringError,
                                   chart_settings_dialog::kDetectionError}));
  EXPECT_EQ(
      radioGroupOf(d113, chart_settings_dialog::kSummaryView),
      (std::vector<uint16_t>{chart_settings_dialog::kComponentwise, chart_settings_dialog::kSummaryView}));
  EXPECT_EQ(d113.find(chart_settings_dialog::kFixedUpperBound)->kind, ControlKind::kCheckBox);
  EXPECT_EQ(
      radioGroupOf(*dialogResource(chart_settings_dialog::kRecognitionTemplate),
                   chart_settings_dialog::kRecognitionError),
      (std::vector<uint16_t>{chart_settings_dialog::kRestoringError, chart_settings_dialog::kDetectionError,
                             chart_settings_dialog::kRecognitionError}));
  EXPECT_EQ(dialogResource(drawing_settings_dialog::kTemplate)
                ->find(drawing_settings_dialog::kSpecialGraphSize)
                ->text,
            "special graph size");
  EXPECT_EQ(dialogResource(simulation_parameters_dialog::kTemplate)
                ->find(simulation_parameters_dialog::kRepeats)
                ->kind,
            ControlKind::kEdit);
}

// The button images: grey face, dark one-pixel frame, a black caption in the middle.
TEST(ButtonBitmaps, AreGreyFramedAndCaptionedInTheirMiddle) {
  for (uint16_t id : {kBitmapNext, kBitmapExit, kBitmapRestart, kBitmapUnselectAll, kBitmapSelectAll}) {
    const ResourceBytes bytes = bitmapResource(id);
    ASSERT_GT(bytes.size, 54u) << id;
    EXPECT_EQ(bytes.data[28], 4) << "16 colours";
    Image img;
    ASSERT_TRUE(decodeBmp(bytes.data, bytes.size, img)) << id;
    ASSERT_EQ(img.width, 144);
    ASSERT_EQ(img.height, 32);
    const Color frame = img.at(0, 0);
    EXPECT_NE(frame, rgb(192, 192, 192));
    for (int x = 0; x < 144; ++x) {
      EXPECT_EQ(img.at(x, 0), frame);
      EXPECT_EQ(img.at(x, 31), frame);
    }
    for (int y = 0; y < 32; ++y) {
      EXPECT_EQ(img.at(0, y), frame);
      EXPECT_EQ(img.at(143, y), frame);
    }
    EXPECT_EQ(img.at(2, 2), rgb(192, 192, 192));
    int minX = 144, maxX = -1, black = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 144; ++x)
        if (img.at(x, y) == kBlack) ++black, minX = std::min(minX, x), maxX = std::max(maxX, x);
    EXPECT_GT(black, 40) << id;
    EXPECT_LE(std::abs((minX + maxX) - 143), 6) << id << " caption centred";
  }
  EXPECT_EQ(bitmapResource(104).size, 0u);
}

}  // namespace
