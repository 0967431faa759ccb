#include <gtest/gtest.h>

#include "display/internal_commands.h"
#include "display/subset_panel.h"
#include "shell/command_ids.h"
#include "signal/series_header.h"
#include "tests/mouse/mouse_fixture.h"

namespace {

// A workbench in the subset view with etalons 1, 2 and 3 required: the general panel for
// tuple detection (series type 36), the tuple panel for tuple recognition (40).
void openSubsetView(MouseBench& wb, bool recognition) {
  wb.window.menuCommand(kMenuRecognition);
  wb.click(wb.state.layout.etalonCellRect[1]);
  wb.click(wb.state.layout.etalonCellRect[2]);
  wb.window.menuCommand(recognition ? kMenuUnfixedTuples : kMenuFixedTuples);
  wb.window.menuCommand(recognition ? kMenuRecognition : kMenuDetection);
  wb.click(wb.state.layout.nextButtonRect);
  ASSERT_EQ(wb.state.viewState, 9);
  ASSERT_EQ(wb.state.subsetCapacity, 10);
  ASSERT_EQ(wb.state.subsetButtonCount, recognition ? 6 : 4);
}

const Rect& etalonCell(const MouseBench& wb, int32_t k) { return wb.state.usedEtalonCellRect[k]; }
const Rect& slot(const MouseBench& wb, int32_t j) { return wb.state.possibleSubsetRect[j]; }
const Rect& button(const MouseBench& wb, int32_t b) { return wb.state.ButtonsWhileSelectedSubsetRect[b]; }
enum { kDeleteAll, kDelete, kCancel, kOk, kAccept, kClearAll };

std::vector<int32_t> seriesSubset(const SeriesHeader& s) {
  return std::vector<int32_t>(s.lpSubset, s.lpSubset + s.wSubsetSize);
}

}  // namespace

TEST(SubsetPanel, BuildsASubsetThatReachesTheSeries) {
  MouseBench wb;
  openSubsetView(wb, false);
  EXPECT_EQ(wb.required(), (std::vector<int32_t>{1, 2, 3}));
  for (int32_t k : {1, 2, 0, 1}) wb.click(etalonCell(wb, k));
  EXPECT_EQ(wb.subset(), (std::vector<int32_t>{2, 3, 1, 2}));

  // A slot marks its entry alone; the next etalon replaces the marked entries.
  wb.click(slot(wb, 1));
  EXPECT_EQ(wb.state.selectedSubsetMarks[1], 1);
  wb.click(slot(wb, 3));
  EXPECT_EQ(wb.state.selectedSubsetMarks[1], 0);
  EXPECT_EQ(wb.state.selectedSubsetMarks[3], 1);
  wb.click(etalonCell(wb, 2));
  EXPECT_EQ(wb.subset(), (std::vector<int32_t>{2, 3, 1, 3}));
  // An empty slot inside the box only clears the marks.
  wb.click(slot(wb, 0));
  EXPECT_EQ(wb.press(slot(wb, 7)), (Commands{CM_REDRAW_SUBSET_FRAME}));
  EXPECT_EQ(wb.state.selectedSubsetMarks[0], 0);
  wb.click(slot(wb, 0));
  wb.click(button(wb, kDelete));
  EXPECT_EQ(wb.subset(), (std::vector<int32_t>{3, 1, 3}));

  // The marked entry is shown highlighted (a filled background), the others are not.
  wb.click(slot(wb, 2));
  const int32_t inset = wb.state.layout.workArea.width() / 170 + 3;
  auto background = [&](int32_t j) {
    const Rect r = slot(wb, j);
    return wb.window.pixel(r.left + inset, (r.top + r.bottom) / 2);
  };
  EXPECT_NE(background(2), kWhite);
  EXPECT_EQ(background(1), kWhite);
  wb.click(slot(wb, 0));

  wb.state.subsetEmployment = 2;
  wb.click(button(wb, kOk));
  EXPECT_EQ(wb.state.viewState, 6);
  const SeriesHeader& series = *wb.state.lpCutOffSeriesHeader;
  EXPECT_EQ(seriesSubset(series), (std::vector<int32_t>{3, 1, 3}));
  EXPECT_EQ(series.wSubsetMode, 2);
  EXPECT_EQ(wb.subset(), (std::vector<int32_t>{3, 1, 3}));  // the subset survives the run
  EXPECT_TRUE(wb.window.messages().empty());
}

TEST(SubsetPanel, DeleteAllCancelAndAnEmptyOk) {
  MouseBench wb;
  openSubsetView(wb, false);
  wb.click(etalonCell(wb, 0));
  wb.click(etalonCell(wb, 1));
  wb.click(button(wb, kDeleteAll));
  EXPECT_TRUE(wb.subset().empty());
  // An empty subset is refused silently: the panel stays.
  EXPECT_EQ(wb.press(button(wb, kOk)), (Commands{CM_REDRAW_SUBSETS}));
  EXPECT_EQ(wb.state.viewState, 9);
  EXPECT_TRUE(wb.window.messages().empty());

  wb.click(etalonCell(wb, 2));
  EXPECT_EQ(wb.press(button(wb, kCancel)), (Commands{CM_NEXT_DATA}));
  EXPECT_TRUE(wb.subset().empty());
  EXPECT_EQ(wb.state.viewState, 6);
}

TEST(SubsetPanel, AFullSubsetTakesNoMoreButStillLosesItsMarkedEntries) {
  MouseBench wb;
  openSubsetView(wb, false);
  for (int32_t k = 0; k < 12; ++k) wb.click(etalonCell(wb, k % 3));
  ASSERT_EQ(wb.state.selectedSubsetCount, 10);
  EXPECT_EQ(wb.subset(), (std::vector<int32_t>{1, 2, 3, 1, 2, 3, 1, 2, 3, 1}));
  wb.click(slot(wb, 9));
  wb.click(etalonCell(wb, 2));
  EXPECT_EQ(wb.subset(), (std::vector<int32_t>{1, 2, 3, 1, 2, 3, 1, 2, 3, 3}));
  // Every slot is laid out, so the tenth entry can be marked and shown.
  EXPECT_GT(slot(wb, 9).right, slot(wb, 8).right);
}

TEST(SubsetPanel, NextAppliesTheSubsetFirst) {
  MouseBench wb;
  openSubsetView(wb, false);
  EXPECT_EQ(wb.press(wb.state.layout.nextButtonRect), (Commands{kMenuSelectSetOfPulses}));
  EXPECT_EQ(wb.state.viewState, 9);
  wb.click(etalonCell(wb, 1));
  wb.click(wb.state.layout.nextButtonRect);
  EXPECT_EQ(wb.state.viewState, 6);
  EXPECT_EQ(seriesSubset(*wb.state.lpCutOffSeriesHeader), (std::vector<int32_t>{2}));
  // The subset view draws no Restart button, so its place takes no click.
  wb.state.viewState = 9;
  EXPECT_EQ(wb.press(wb.state.layout.restartButtonRect), (Commands{CM_NOTHING}));
}

TEST(TupleSubsetPanel, AcceptFillsTheReservedTableAndOkGivesItToTheSeries) {
  MouseBench wb;
  openSubsetView(wb, true);
  wb.click(etalonCell(wb, 0));
  wb.click(etalonCell(wb, 1));
  wb.click(button(wb, kAccept));
  EXPECT_EQ(wb.state.reservedSubsetCount, 1);
  EXPECT_EQ(wb.state.selectedSubsetRow, 1);
  EXPECT_EQ(wb.state.selectedSubsetArraySize[0], 2);
  // The repaint after Accept marked every entry, so the next etalon starts a new subset.
  EXPECT_EQ(wb.state.markAllPending, 0);
  EXPECT_EQ(wb.state.selectedSubsetMarks[0], 1);
  EXPECT_EQ(wb.state.selectedSubsetMarks[1], 1);
  wb.click(etalonCell(wb, 2));
  EXPECT_EQ(wb.subset(), (std::vector<int32_t>{3}));
  wb.click(button(wb, kAccept));
  EXPECT_EQ(wb.state.reservedSubsetCount, 2);
  EXPECT_EQ(wb.state.reservedSubsetList[1][0], 3);

  // A full table keeps its count and selects its last row.
  for (int32_t r = 2; r < 10; ++r) wb.click(button(wb, kAccept));
  ASSERT_EQ(wb.state.reservedSubsetCount, 10);
  wb.click(etalonCell(wb, 0));
  wb.click(button(wb, kAccept));
  EXPECT_EQ(wb.state.reservedSubsetCount, 10);
  EXPECT_EQ(wb.state.selectedSubsetRow, 10);
  EXPECT_EQ(wb.state.reservedSubsetList[9][0], 3);

  // A reserved row is selected by a press on it and drawn in red.
  const Rect row0 = wb.state.possibleSubsetArrayRect[0][wb.state.subsetCapacity];
  wb.click(row0);
  EXPECT_EQ(wb.state.selectedSubsetRow, 1);
  const Rect e0 = wb.state.possibleSubsetArrayRect[0][0];
  int32_t red = 0;
  for (int32_t x = e0.left; x < e0.right; ++x)
    red += wb.window.pixel(x, (e0.top + e0.bottom) / 2) == rgb(255, 0, 0) ? 1 : 0;
  EXPECT_GT(red, 0);

  wb.click(button(wb, kOk));
  EXPECT_EQ(wb.state.viewState, 6);
  const SeriesHeader& series = *wb.state.lpCutOffSeriesHeader;
  EXPECT_EQ(series.wSelectedSubsets, 10);
  EXPECT_EQ(seriesSubset(series), (std::vector<int32_t>{1, 2}));
  EXPECT_TRUE(wb.window.messages().empty());

  // Tuple rows of the result view choose the subset and start a run.
  ASSERT_NE(wb.state.subsetRowRect, nullptr);
  const Rect resultRow = wb.state.subsetRowRect[1];
  ASSERT_GT(resultRow.right, resultRow.left);
  const uint16_t seedBefore = wb.state.seeds.seedNoise;
  wb.click(resultRow);
  EXPECT_EQ(wb.state.selectedSubsetRow, 2);
  EXPECT_NE(wb.state.seeds.seedNoise, seedBefore);  // new noise: a run happened
  EXPECT_EQ(seriesSubset(*wb.state.lpCutOffSeriesHeader), (std::vector<int32_t>{3}));
  EXPECT_EQ(wb.state.viewState, 6);

  // Clear All empties the table.
  wb.state.viewState = 9;
  wb.window.invalidateAll(true);
  wb.window.pump();
  wb.click(button(wb, kClearAll));
  EXPECT_EQ(wb.state.reservedSubsetCount, 0);
  EXPECT_EQ(wb.press(button(wb, kOk)), (Commands{CM_REDRAW_SUBSETS}));
}

TEST(TupleSubsetPanel, ReservedRowsAreNoTargetsOfTheGeneralPanel) {
  MouseBench wb;
  openSubsetView(wb, true);
  wb.click(etalonCell(wb, 0));
  wb.click(button(wb, kAccept));
  wb.click(button(wb, kAccept));
  const Rect row1 = wb.state.possibleSubsetArrayRect[1][wb.state.subsetCapacity];
  // The same tables under tuple detection: the general panel draws no rows.
  wb.state.effectiveTaskType = 36;
  wb.window.invalidateAll(true);
  wb.window.pump();
  ASSERT_EQ(wb.state.subsetButtonCount, 4);
  wb.state.selectedSubsetRow = 1;
  wb.press(row1);
  EXPECT_EQ(wb.state.selectedSubsetRow, 1);
}

TEST(SubsetTables, AppendReservedSubsetStopsAtTheCapacity) {
  int32_t sizes[2] = {0, 0};
  int32_t block[2][11] = {};
  int32_t* rows[2] = {block[0], block[1]};
  const int32_t entries[3] = {4, 5, 6};
  CommandRecorder w;
  EXPECT_EQ(appendReservedSubset(w, entries, 3, sizes, rows, 0, 2), 1);
  EXPECT_EQ(appendReservedSubset(w, entries, 2, sizes, rows, 1, 2), 2);
  EXPECT_EQ(appendReservedSubset(w, entries, 1, sizes, rows, 2, 2), 2);
  EXPECT_EQ(sizes[0], 3);
  EXPECT_EQ(sizes[1], 2);
  EXPECT_EQ(block[1][1], 5);
  EXPECT_EQ(block[1][2], 0);
}

TEST(SubsetTables, AnImpossibleReservedTableIsReportedAndRetried) {
  MouseBench wb;
  wb.state.reservedSubsetRows = 1 << 30;
  wb.window.menuCommand(kMenuSelectSetOfPulses);
  ASSERT_FALSE(wb.window.messages().empty());
  EXPECT_EQ(wb.window.messages().back().text, "Нет памяти для selectedSubsetArraySize!");
  EXPECT_EQ(wb.window.messages().back().caption, "");
  EXPECT_EQ(wb.state.subsetCapacity, 0);
  EXPECT_EQ(wb.state.selectedSubset, nullptr);
  // A press in the empty view is harmless, and the next paint tries again.
  wb.click(Rect{100, 100, 100, 100});
  wb.state.reservedSubsetRows = 10;
  wb.window.invalidateAll(true);
  wb.window.pump();
  EXPECT_EQ(wb.state.subsetCapacity, 10);
  EXPECT_EQ(wb.state.reservedSubsetCapacity, 10);
}
