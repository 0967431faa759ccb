#include "display/parameter_panel.h"

#include <gtest/gtest.h>

#include "display/internal_commands.h"
#include "display/params_header.h"
#include "platform/surface.h"
#include "shell/command_ids.h"
#include "shell/dialog_commands.h"
#include "signal/series_header.h"
#include "tests/mouse/mouse_fixture.h"

namespace {

// A header over a 1000 x 1000 graph at (100, 100): pulse index j at x = 100 + 100 j
// (eleven possible counts), position v at y = 1099 - v (positions 0 .. 1000).
ParamsHeader squareHeader() {
  ParamsHeader p;
  p.graphRect = Rect{100, 100, 1099, 1099};
  p.maxPulses = 11;
  p.minPulses = 3;
  p.pulses = 11;
  p.pulseSize = 20;
  p.startMin = 0;
  p.startMax = 1000;
  p.tmin = 40;
  p.tmax = 181;
  p.firstStartMax = 100;
  p.lastStartMin = 800;
  return p;
}

struct ParameterBench : MouseBench {
  ParameterBench() { window.menuCommand(kCmViewSeriesParameters); }
  ParamsHeader& params() { return *state.lpParamsHeader; }
  // The point of the Tmin segment at a quarter of its length.
  Point onTminLine() {
    const Segment& s = params().tminLine;
    return Point{s.x1 + (s.x2 - s.x1) / 4, s.y1 + (s.y2 - s.y1) / 4};
  }
  Point onTmaxLine() {
    const Segment& s = params().tmaxLine;
    return Point{s.x1 + 3 * (s.x2 - s.x1) / 4, s.y1 + 3 * (s.y2 - s.y1) / 4};
  }
  // The pointer position that stands for gap `tmin` on the Tmin drag: halfway between the
  // first pulse and the last one, Tmin * (P - 1) / 2 below the top.
  Point forTmin(int32_t tmin) {
    const PanelMapping m = PanelMapping::of(params());
    const int32_t P = params().pulses;
    const int32_t half = (P - 1) / 2;
    return Point{m.x(half), m.y(params().startMax - int64_t{P - 1 - half} * tmin)};
  }
  Point forTmax(int32_t tmax) {
    const PanelMapping m = PanelMapping::of(params());
    const int32_t j = (params().pulses - 1) / 2;
    return Point{m.x(j), m.y(params().firstStartMax + int64_t{j} * tmax)};
  }
};

}  // namespace

TEST(ParamsHeaderBuild, SummarisesTheStartUpSeries) {
  ParameterBench wb;
  ASSERT_EQ(wb.state.viewState, 10);
  ASSERT_NE(wb.state.lpParamsHeader, nullptr);
  const ParamsHeader& p = wb.params();
  EXPECT_EQ(p.seriesSize, 1200);
  EXPECT_EQ(p.pulseSize, 20);
  EXPECT_EQ(p.pulses, 18);
  EXPECT_EQ(p.tmin, 40);
  EXPECT_EQ(p.tmax, 181);
  EXPECT_EQ(p.maxPulses, 30);  // (1200 + 40 - 20) / 40
  EXPECT_EQ(p.minPulses, 6);   // (1200 + 20 - 1) / 181
  EXPECT_EQ(p.pulsesSelectedCount, 25);
  EXPECT_EQ(p.startMin, 0);
  EXPECT_EQ(p.firstStartMax, 161);
  EXPECT_EQ(p.lastStartMin, 1019);
  EXPECT_EQ(p.startMax, 1180);
  EXPECT_EQ(p.areasSeriesSize, 1200);
  EXPECT_EQ(wb.window.editControl().text, "40");
  EXPECT_GT(wb.window.editControl().place.right, 0);  // shown in the panel
  EXPECT_TRUE(wb.window.messages().empty());

  // Without a series the record comes back untouched; with one it is reused.
  ParamsHeader* same = getParamsHeader(wb.window, nullptr, wb.state.lpParamsHeader);
  EXPECT_EQ(same, wb.state.lpParamsHeader);
  EXPECT_EQ(same->pulses, 18);
  EXPECT_EQ(getParamsHeader(wb.window, wb.state.lpCutOffSeriesHeader, same), same);
}

TEST(ParamsHeaderBuild, DegenerateSeriesDivideByNothing) {
  CommandRecorder w;
  SeriesHeader series;
  series.dwSeriesSize = 20;
  series.wImpulseSize = 20;
  series.wImpulseQuantity = 1;
  series.wTmin = 0;
  series.wTmax = 0;
  ParamsHeader* p = getParamsHeader(w, &series, nullptr);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->maxPulses, 0);
  EXPECT_EQ(p->minPulses, 0);
  EXPECT_EQ(p->pulsesSelectedCount, 1);
  // One possible count, an empty position range and zero gaps still map and draw.
  Image image;
  ASSERT_TRUE(resizeImage(image, 400, 300, kWhite));
  Surface surface(image, fixedGlyphSource());
  ScreenLayout layout;
  layout.workArea = Rect{10, 10, 300, 280};
  layout.lineHeight = 12;
  layout.averageCharWidth = 6;
  drawParameterPanel(w, surface, layout, p, &series);
  EXPECT_EQ(tminAdmissible(w, 30, *p), 0);
  EXPECT_EQ(tmaxAdmissible(w, 30, *p), 0);
  p->hoverTmin = p->hoverTmax = 1;
  EXPECT_EQ(tminFromPoint(w, 50, 50, *p), 0);
  freeParamsHeader(w, p);
  EXPECT_EQ(freeParamsHeader(w, nullptr), 1);
}

TEST(ParamsHeaderBuild, TheCountTableGrowsAndAnImpossibleOneIsReported) {
  HeadlessWindow w;
  SeriesHeader series;
  series.dwSeriesSize = 600;
  series.wImpulseSize = 20;
  series.wImpulseQuantity = 9;
  series.wTmin = 40;
  series.wTmax = 181;
  ParamsHeader* p = getParamsHeader(w, &series, nullptr);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->pulsesSelectedCount, 13);  // 3 .. 15
  EXPECT_EQ(p->pulsesSelectedCapacity, 13);
  series.dwSeriesSize = 1200;
  EXPECT_EQ(getParamsHeader(w, &series, p), p);
  EXPECT_EQ(p->pulsesSelectedCapacity, 25);
  EXPECT_EQ(p->areasSeriesSize, 1200);
  series.dwSeriesSize = 600;
  getParamsHeader(w, &series, p);
  EXPECT_EQ(p->pulsesSelectedCount, 13);
  EXPECT_EQ(p->pulsesSelectedCapacity, 25);  // storage only grows
  EXPECT_EQ(p->areasSeriesSize, 1200);
  EXPECT_TRUE(w.messages().empty());

  // More possible counts than any series can hold pulses: refused like a failed allocation,
  // and the record given is released (the sanitizer build checks that nothing leaks).
  series.dwSeriesSize = 200000;
  series.wTmin = 1;
  EXPECT_EQ(getParamsHeader(w, &series, p), nullptr);
  ASSERT_EQ(w.messages().size(), 1u);
  EXPECT_EQ(w.messages()[0].text, "Нет памяти для newParamsHeader->pulsesSelectedAreas!");
  EXPECT_EQ(w.messages()[0].caption, " getParamsHeader ");
}

TEST(ParamsHeaderGeometry, GapsFromThePointerAreTheSlopesRounded) {
  CommandRecorder w;
  ParamsHeader p = squareHeader();
  // Over pulse 5 at position 750 the slope to (10, 1000) is 50.
  EXPECT_EQ(tminFromPoint(w, 600, 1099 - 750, p), 0);  // not over the segment
  p.hoverTmin = 1;
  EXPECT_EQ(tminFromPoint(w, 600, 1099 - 750, p), 50);
  EXPECT_EQ(tminFromPoint(w, 1100, 500, p), 0);  // at or right of the last pulse
  // Over pulse 5 at position 600 the slope from (0, 100) is 100.
  p.hoverTmax = 1;
  EXPECT_EQ(tmaxFromPoint(w, 600, 1099 - 600, p), 100);
  EXPECT_EQ(tmaxFromPoint(w, 100, 500, p), 0);  // on the first pulse

  // Tmin: at least the pulse length, at most Tmax, and the pulses still fit.
  EXPECT_EQ(tminAdmissible(w, 19, p), 0);
  EXPECT_EQ(tminAdmissible(w, 20, p), 1);
  EXPECT_EQ(tminAdmissible(w, 100, p), 1);  // 1000 / 100 + 1 = 11 pulses fit
  EXPECT_EQ(tminAdmissible(w, 101, p), 0);
  // Tmax: above Tmin, at most lastStartMin, and enough pulses to bridge the handles.
  EXPECT_EQ(tmaxAdmissible(w, 40, p), 0);
  EXPECT_EQ(tmaxAdmissible(w, 69, p), 0);  // (700 - 1 + 69) / 69 + 1 = 12 pulses needed
  EXPECT_EQ(tmaxAdmissible(w, 70, p), 1);
  EXPECT_EQ(tmaxAdmissible(w, 800, p), 1);
  EXPECT_EQ(tmaxAdmissible(w, 801, p), 0);
  p.pulses = 3;
  EXPECT_EQ(tmaxAdmissible(w, 350, p), 1);  // (700 - 1 + 350) / 350 + 1 = 3
  EXPECT_EQ(tmaxAdmissible(w, 349, p), 0);

  // The hit test follows the recorded segment within its half-width.
  p.pulses = 11;
  computeBoundarySegments(p, 8);
  const Segment s = p.tminLine;
  const int32_t mx = (s.x1 + s.x2) / 2, my = s.y1 + (s.y2 - s.y1) / 2;
  EXPECT_EQ(hitTminLine(w, mx, my, p), 1);
  EXPECT_EQ(hitTminLine(w, mx, my + p.tminHalfWidth + 3, p), 0);
  EXPECT_EQ(hitTminLine(w, s.x2 + 1, s.y2, p), 0);
}

TEST(ParameterPanel, ChoosingAPulseCountMovesTheLastPulse) {
  ParameterBench wb;
  ParamsHeader& p = wb.params();
  const PanelMapping m = PanelMapping::of(p);
  const int32_t oldX = m.x(17);
  const int32_t midY = (m.y(p.startMin) + m.y(p.startMax)) / 2;
  ASSERT_EQ(wb.window.pixel(oldX, midY), kBlack);
  const Segment oldTmin = p.tminLine;
  wb.click(p.pulsesSelectedAreas[10 - p.minPulses]);
  EXPECT_EQ(p.pulses, 10);
  EXPECT_EQ(p.partialRedraw, 0);  // drawn
  EXPECT_EQ(p.previousPulses, 10);
  EXPECT_NE(p.tminLine, oldTmin);
  EXPECT_EQ(wb.window.pixel(m.x(9), midY), kBlack);
  EXPECT_NE(wb.window.pixel(oldX, midY), kBlack);
  // Where the top line now ends, the screen shows what a full repaint draws: the old line's
  // pixel in the new last pulse's column is gone with the rest of its old part.
  const Point corner{m.x(9), m.y(p.startMax)};
  const Color partial = wb.window.pixel(corner.x, corner.y);
  wb.window.invalidateAll(true);
  wb.window.pump();
  const Color full = wb.window.pixel(corner.x, corner.y);
  EXPECT_TRUE(partial == full || partial == rgb(250, 250, 250)) << corner.x << "," << corner.y;
  // The ticks of the removed pulses vanish; the remaining ones stay.
  EXPECT_EQ(wb.window.pixel(m.x(5), m.gy1 - 2), kBlack);
  EXPECT_NE(wb.window.pixel(m.x(15), m.gy1 - 2), kBlack);
  // The dashed handles end at the new last pulse.
  const Segment dash = p.lastStartDash;
  int32_t dotsBeyond = 0, dotsWithin = 0;
  for (int32_t x = dash.x2 + 1; x < oldX; ++x) dotsBeyond += wb.window.pixel(x, dash.y1) == kBlack ? 1 : 0;
  for (int32_t x = dash.x1; x < dash.x2; ++x) dotsWithin += wb.window.pixel(x, dash.y1) == kBlack ? 1 : 0;
  EXPECT_EQ(dotsBeyond, 0);
  EXPECT_GE(dotsWithin, (dash.x2 - dash.x1) / 2 - 4);
}

TEST(ParameterPanel, HoverShowsResizeCursorsAndCapturesTheMouse) {
  ParameterBench wb;
  const Rect handle = wb.params().firstStartHandle;
  wb.window.mouseMove(centre(handle).x, centre(handle).y);
  EXPECT_EQ(wb.window.cursor(), CursorShape::kSizeNS);
  EXPECT_TRUE(wb.window.hasCapture());
  EXPECT_EQ(wb.params().hoverFirstStart, 1);
  const Point t = wb.onTminLine();
  wb.window.mouseMove(t.x, t.y);
  EXPECT_EQ(wb.window.cursor(), CursorShape::kSizeNWSE);
  EXPECT_EQ(wb.params().hoverFirstStart, 0);
  EXPECT_EQ(wb.params().hoverTmin, 1);
  wb.window.mouseMove(5, 5);
  EXPECT_EQ(wb.window.cursor(), CursorShape::kArrow);
  EXPECT_FALSE(wb.window.hasCapture());
  EXPECT_EQ(wb.params().hoverTmin, 0);
}

TEST(ParameterPanel, DraggingTminStopsBelowThePulseLengthAndAboveTmax) {
  ParameterBench wb;
  ParamsHeader& p = wb.params();
  Point at = wb.onTminLine();
  wb.window.mouseMove(at.x, at.y);
  wb.window.mouseDown(at.x, at.y);
  ASSERT_EQ(p.dragTmin, 1);
  at = wb.forTmin(55);
  wb.window.mouseMove(at.x, at.y);
  EXPECT_NEAR(p.tmin, 55, 2);
  const int32_t kept = p.tmin;
  at = wb.forTmin(10);
  wb.window.mouseMove(at.x, at.y);
  EXPECT_EQ(p.dragTmin, 0);
  EXPECT_EQ(p.tmin, kept);
  at = wb.forTmin(30);
  wb.window.mouseMove(at.x, at.y);  // the drag is over: nothing follows
  EXPECT_EQ(p.tmin, kept);
  wb.window.mouseUp(at.x, at.y);
  EXPECT_EQ(wb.state.wTmin, 40);  // the settings are not touched by a drag

  // With six pulses a larger Tmin fits, but not one above Tmax.
  wb.click(p.pulsesSelectedAreas[0]);
  ASSERT_EQ(p.pulses, 6);
  at = wb.onTminLine();
  wb.window.mouseMove(at.x, at.y);
  wb.window.mouseDown(at.x, at.y);
  ASSERT_EQ(p.dragTmin, 1);
  at = wb.forTmin(170);
  wb.window.mouseMove(at.x, at.y);
  EXPECT_NEAR(p.tmin, 170, 3);
  const int32_t high = p.tmin;
  at = wb.forTmin(200);
  wb.window.mouseMove(at.x, at.y);
  EXPECT_EQ(p.dragTmin, 0);
  EXPECT_EQ(p.tmin, high);
}

TEST(ParameterPanel, DraggingTmaxKeepsTheLastAdmissibleValue) {
  ParameterBench wb;
  ParamsHeader& p = wb.params();
  Point at = wb.onTmaxLine();
  wb.window.mouseMove(at.x, at.y);
  ASSERT_EQ(p.hoverTmax, 1);
  wb.window.mouseDown(at.x, at.y);
  ASSERT_EQ(p.dragTmax, 1);
  at = wb.forTmax(120);
  wb.window.mouseMove(at.x, at.y);
  EXPECT_NEAR(p.tmax, 120, 3);
  const int32_t kept = p.tmax;
  at = wb.forTmax(30);  // below Tmin
  wb.window.mouseUp(at.x, at.y);
  EXPECT_EQ(p.dragTmax, 0);
  EXPECT_EQ(p.tmax, kept);
}

TEST(ParameterPanel, PressAndReleaseOnAHandleTakesThePositionUnderThePointer) {
  ParameterBench wb;
  ParamsHeader& p = wb.params();
  const Rect handle = p.lastStartHandle;
  const int32_t x = centre(handle).x, y = handle.top + 1;
  wb.window.mouseDown(x, y);
  EXPECT_EQ(p.dragLastStart, 1);
  wb.window.mouseUp(x, y);
  const PanelMapping m = PanelMapping::of(p);
  EXPECT_EQ(p.lastStartMin, static_cast<int32_t>(m.A + (m.gy1 - y) * m.D / m.gh));
  EXPECT_GT(p.lastStartMin, 1019);
  EXPECT_EQ(p.dragLastStart, 0);
  // Dragged far below the graph the handle stops at the first position.
  wb.window.mouseDown(x, m.y(p.lastStartMin));
  wb.window.mouseUp(x, m.gy1 + 200);
  EXPECT_EQ(p.lastStartMin, 0);
}

TEST(ParameterPanel, OkStartsARunWithTheTypedTmin) {
  ParameterBench wb;
  wb.window.setEditText(kTminEditId, "60");
  wb.click(wb.params().okButton);
  EXPECT_EQ(wb.state.wTmin, 60);
  EXPECT_EQ(wb.state.viewState, 6);
  EXPECT_EQ(wb.state.lpCutOffSeriesHeader->wTmin, 60);
  EXPECT_EQ(wb.state.lpCutOffSeriesHeader->wNoiseLevel, 20);
  EXPECT_EQ(wb.window.editControl().place, (Rect{0, 1000, 0, 0}));
  EXPECT_TRUE(wb.window.messages().empty());
}

TEST(ParameterPanel, CancelStartsARunWithoutStoringTmin) {
  ParameterBench wb;
  wb.window.setEditText(kTminEditId, "60");
  wb.click(wb.params().cancelButton);
  EXPECT_EQ(wb.state.wTmin, 40);
  EXPECT_EQ(wb.state.viewState, 6);
  EXPECT_EQ(wb.state.lpCutOffSeriesHeader->wNoiseLevel, 20);
  EXPECT_EQ(wb.window.editControl().place, (Rect{0, 0, 0, 0}));
}

// The panel refuses a Tmin as the series dialog does, with its words: the panel stays open,
// its field keeps the text, nothing runs and nothing is stored.
TEST(ParameterPanel, TminTheSeriesDialogRefusesIsRefusedAndThePanelStays) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {{"abc", "Минимальный интервал должен быть больше 0!"},
               {"", "Минимальный интервал должен быть больше 0!"},
               {"0", "Минимальный интервал должен быть больше 0!"},
               {"70000", "Минимальный интервал должен быть больше 0!"},
               {"-5", "Минимальный интервал должен быть больше 0!"},
               {"182", "Максимальный интервал не может быть меньше минимального!"}};
  for (const auto& c : cases) {
    ParameterBench wb;
    const Rect field = wb.window.editControl().place;
    const int paints = wb.window.paintCount();
    const SeriesHeader* series = wb.state.lpCutOffSeriesHeader;
    const uint32_t noiseSeed = wb.state.seeds.seedNoise;
    wb.window.setEditText(kTminEditId, c.text);
    wb.click(wb.params().okButton);
    ASSERT_EQ(wb.window.messages().size(), 1u) << c.text;
    EXPECT_EQ(wb.window.messages()[0].text, c.message) << c.text;
    EXPECT_EQ(wb.window.messages()[0].caption, "Create Series");
    EXPECT_EQ(wb.state.wTmin, 40) << c.text;
    EXPECT_EQ(wb.state.viewState, 10);
    EXPECT_EQ(wb.window.editControl().place, field);
    EXPECT_EQ(wb.window.editText(kTminEditId), c.text);
    EXPECT_EQ(wb.state.lpCutOffSeriesHeader, series);
    EXPECT_EQ(wb.state.seeds.seedNoise, noiseSeed);  // no series was made
    EXPECT_EQ(wb.window.paintCount(), paints);
  }
  ParameterBench wb;
  wb.window.setEditText(kTminEditId, " 45xyz");
  wb.click(wb.params().okButton);
  EXPECT_EQ(wb.state.wTmin, 45);
  EXPECT_TRUE(wb.window.messages().empty());
}

// A Tmin dragged on the diagram shows in the field, and OK applies it.
TEST(ParameterPanel, DraggedTminShowsInTheFieldAndOkAppliesIt) {
  ParameterBench wb;
  ParamsHeader& p = wb.params();
  EXPECT_EQ(wb.window.editText(kTminEditId), "40");
  Point at = wb.onTminLine();
  wb.window.mouseMove(at.x, at.y);
  wb.window.mouseDown(at.x, at.y);
  at = wb.forTmin(55);
  wb.window.mouseMove(at.x, at.y, kMkLButton);
  wb.window.mouseUp(at.x, at.y);
  const int32_t dragged = p.tmin;
  ASSERT_NE(dragged, 40);
  EXPECT_EQ(wb.window.editText(kTminEditId), std::to_string(dragged));
  wb.click(p.okButton);
  EXPECT_EQ(wb.state.wTmin, dragged);
  EXPECT_EQ(wb.state.lpCutOffSeriesHeader->wTmin, dragged);
}

TEST(ParameterPanel, LeavingTheViewHidesTheEditFieldAndReleasesTheMouse) {
  ParameterBench wb;
  EXPECT_GT(wb.window.editControl().place.right, 0);
  // Hovering a handle captures the mouse; a press that leaves the view must give it back.
  const Point h = centre(wb.params().lastStartHandle);
  wb.window.mouseMove(h.x, h.y);
  ASSERT_TRUE(wb.window.hasCapture());
  const Point next = centre(wb.state.layout.nextButtonRect);
  wb.window.mouseDown(next.x, next.y);
  EXPECT_EQ(wb.state.viewState, 6);
  EXPECT_EQ(wb.window.editControl().place.right, 0);
  EXPECT_EQ(wb.window.editControl().place.bottom, 0);
  EXPECT_FALSE(wb.window.hasCapture());
  EXPECT_EQ(wb.window.cursor(), CursorShape::kArrow);

  // Left by a menu command while hovering: the next move gives the mouse back.
  ParameterBench menu;
  const Point t = menu.onTminLine();
  menu.window.mouseMove(t.x, t.y);
  ASSERT_TRUE(menu.window.hasCapture());
  menu.window.menuCommand(kMenuProcessingNextData);
  menu.window.mouseMove(t.x, t.y);
  EXPECT_FALSE(menu.window.hasCapture());
  EXPECT_EQ(menu.window.cursor(), CursorShape::kArrow);
}
