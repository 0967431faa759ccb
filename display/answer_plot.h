#pragma once
// A picture of one answer outside the window: the series, the pulses found and, when known, the
// true pulses, drawn in the window's colours. The description is plain data, so that any caller
// (the companion, the module, a long recording read in pieces) can fill it.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/geometry.h"

class Surface;

// One pulse: its first sample and its length in samples.
struct PulseSpan {
  int64_t position = 0;
  int64_t length = 0;
};

struct AnswerPlot {
  std::span<const int16_t> samples;  // the whole series; must outlive the drawing
  std::vector<PulseSpan> found;      // the pulses found
  std::vector<PulseSpan> truth;      // the true pulses, when hasTruth
  bool hasTruth = false;
  std::string title;  // the first line of text
  // The stretch drawn: samples from..to-1. to == 0 means up to the end.
  uint64_t from = 0;
  uint64_t to = 0;
  // The legend also says how many samples each pixel column holds when the stretch is drawn
  // decimated.
  bool columnNote = false;
};

// The size of the picture the companion writes.
constexpr int32_t kAnswerPlotWidth = 1280;
constexpr int32_t kAnswerPlotHeight = 400;

// Where the series strip of a picture of the given size lies (inclusive edges): the texts above,
// the position labels below.
Rect answerPlotStrip(int32_t width, int32_t height, int32_t lineHeight);

// The same for a picture drawn into `area` (right and bottom edges exclusive) of a larger surface.
Rect answerPlotStripIn(const Rect& area, int32_t lineHeight);

// "83 samples a column", or "83 to 84 samples a column" when `samples` samples do not spread
// evenly over `columns` columns; empty when no column holds more than one sample.
std::string samplesPerColumnText(uint64_t samples, uint64_t columns);

// Draws the picture over the whole target of the surface, which must be white and at least
// 320 x 200 pixels: the title and a legend, the series in blue (a stretch longer than the strip
// is wide as the least and greatest sample of each pixel column), every true pulse as a shaded
// span behind it, every pulse found as a dotted box (as the window marks them) with its position
// under the strip. Pulses wholly outside the stretch are left out, the others cut to it.
void drawAnswerPlot(Surface& surface, const AnswerPlot& plot);

// The same picture inside `area` of the surface (right and bottom edges exclusive), which must
// be white there; an area smaller than 320 x 200 pixels draws the texts only.
void drawAnswerPlotIn(Surface& surface, const Rect& area, const AnswerPlot& plot);
