#pragma once
#include <cstdint>

#include "platform/geometry.h"
#include "platform/window.h"

struct SeriesHeader;

// A straight segment between two pixels.
struct Segment {
  int32_t x1 = 0;
  int32_t y1 = 0;
  int32_t x2 = 0;
  int32_t y2 = 0;
  bool operator==(const Segment&) const = default;
};

// The summary of the current series that the parameter panel shows and edits, with the
// geometry of its last draw (for the hit tests and the next partial redraw).
struct ParamsHeader {
  int32_t areasSeriesSize = 0;  // series length at the last growth of pulsesSelectedAreas
  int32_t seriesSize = 0;
  int32_t tmin = 0;
  int32_t tmax = 0;
  int32_t pulseSize = 0;
  int32_t pulses = 0;
  int32_t maxPulses = 0;
  int32_t minPulses = 0;
  int32_t startMin = 0;
  int32_t firstStartMax = 0;
  int32_t lastStartMin = 0;
  int32_t startMax = 0;
  // Hit rectangle of every selectable pulse count minPulses .. maxPulses.
  Rect* pulsesSelectedAreas = nullptr;
  int32_t pulsesSelectedCount = 0;
  int32_t pulsesSelectedCapacity = 0;

  Rect innerRect;
  Rect graphRect;
  Rect firstStartHandle;
  Rect lastStartHandle;
  Segment tmaxLine;      // latest starts when the first pulse starts by firstStartMax
  Segment tminLine;      // latest starts counted back from startMax
  Segment earliestLine;  // earliest starts counted from startMin
  Segment lastLine;      // earliest starts counted back from lastStartMin
  int32_t tmaxHalfWidth = 0;
  int32_t tminHalfWidth = 0;
  Rect firstStartLabel;
  Rect lastStartLabel;
  Segment firstStartDash;
  Segment lastStartDash;
  Segment lastPulseLine;
  Segment topLine;
  Rect cancelButton;
  Rect okButton;

  int32_t hoverFirstStart = 0;
  int32_t hoverLastStart = 0;
  int32_t hoverTmax = 0;
  int32_t hoverTmin = 0;
  int32_t dragFirstStart = 0;
  int32_t dragLastStart = 0;
  int32_t dragTmax = 0;
  int32_t dragTmin = 0;
  int32_t partialRedraw = 0;
  CursorShape savedCursor = CursorShape::kArrow;

  int32_t previousPulses = 0;
  int32_t previousFirstStartMax = 0;
  int32_t previousLastStartMin = 0;
  int32_t previousTmin = 0;
  int32_t previousTmax = 0;
  int32_t previousMaxPulses = 0;
  int32_t previousMinPulses = 0;
};

// The ParamsHeader of `series`, reusing `previous` (the areas table grows only). With no
// series, `previous` unchanged. Writes Tmin into the edit control. Null after a message
// ("Нет памяти для newParamsHeader!" or "...->pulsesSelectedAreas!", caption
// " getParamsHeader "); `previous` has then been released. A zero gap gives no bound
// on that side (0 pulses) instead of a division by zero.
ParamsHeader* getParamsHeader(Window& window, const SeriesHeader* series, ParamsHeader* previous);

// Releases the header and its table; accepts null. Returns 1.
int freeParamsHeader(Window& window, ParamsHeader* params);

// The mapping of the diagram: pulse index to x, position to y, from the graph rectangle and
// the header. A header with one possible pulse count or an empty position range maps as if
// the step were 1, so nothing divides by zero.
struct PanelMapping {
  int32_t gx0 = 0, gy0 = 0, gx1 = 0, gy1 = 0;
  int64_t gw = 1, gh = 1;
  int64_t K = 1;  // maxPulses - 1, at least 1
  int64_t A = 0;  // startMin
  int64_t D = 1;  // startMax - startMin, at least 1

  static PanelMapping of(const ParamsHeader& p);
  // x of pulse index j.
  int32_t x(int64_t j) const;
  // y of position v.
  int32_t y(int64_t v) const;
  // x of half-index twoH / 2, rounded (twoH = -1 is the point left of the first pulse).
  int32_t xHalf(int64_t twoH) const;
  // y of position twoV / 2, rounded.
  int32_t yHalf(int64_t twoV) const;
};

// Recomputes the four boundary segments and the hit half-widths for the current values and
// the graph rectangle; `my` is the panel's vertical margin.
void computeBoundarySegments(ParamsHeader& p, int32_t my);

// 1 when (x, y) lies within the hit half-width of the Tmax (Tmin) segment, else 0.
int hitTmaxLine(Window& window, int32_t x, int32_t y, const ParamsHeader& p);
int hitTminLine(Window& window, int32_t x, int32_t y, const ParamsHeader& p);

// The gap the pointer stands for while over (or dragging) the Tmax (Tmin) segment,
// rounded; 0 when not over it or when the pointer lies on the wrong side of the fixed point.
int32_t tmaxFromPoint(Window& window, int32_t x, int32_t y, const ParamsHeader& p);
int32_t tminFromPoint(Window& window, int32_t x, int32_t y, const ParamsHeader& p);

// 1 when the gap may be taken as the new Tmax (Tmin): it stays within its neighbour and
// the pulse length, and the pulse count stays possible.
int tmaxAdmissible(Window& window, int32_t value, const ParamsHeader& p);
int tminAdmissible(Window& window, int32_t value, const ParamsHeader& p);
