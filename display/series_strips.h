#pragma once
#include <cstdint>

#include "platform/geometry.h"
#include "platform/image.h"

class Window;
class Surface;
struct SeriesHeader;

// The layers of one graph strip of the result view. A strip is a rectangle (l, t, r, b);
// sample i of the series (length M) lies at x = l + i * (r - l) / (M - 1) and value v at
// y = b - (v + S) * (b - t) / (2S). Pulses whose etalon number is unknown to the series
// are skipped; a series of one sample draws everything at x = l. Each returns 1.

// Which pulses a label row shows.
enum : int32_t { kTruePulseLabels = 0, kDetectedPulseLabels = 1, kDetectedStripLabels = 2 };

// The start position of every true (kind 0) or detected (kinds 1, 2) pulse, written under
// the strip at its x - 5: "%d", its letter when `letters`, "[first..last] " for the cut-off
// series types 2 and 8.
int drawPulseLabels(Window& window, Surface& surface, const Rect& strip, uint16_t seriesType, int32_t kind,
                    bool letters, const SeriesHeader& series);

// The left axis and the zero line in the middle of the strip.
int drawStripAxes(Window& window, Surface& surface, int32_t l, int32_t t, int32_t r, int32_t b);

// The noisy samples as one blue polyline starting on the zero line at x = l.
int drawNoisySeries(Window& window, Surface& surface, const Rect& strip, int16_t scale,
                    const SeriesHeader& series);

// The whole etalon of every true pulse at its position, from and back to the zero line.
int drawTruePulses(Window& window, Surface& surface, const Rect& strip, int16_t scale,
                   const SeriesHeader& series);

// Only the kept part of every true pulse.
int drawKeptParts(Window& window, Surface& surface, const Rect& strip, int16_t scale,
                  const SeriesHeader& series);

// The whole etalon of every detected pulse at its detected position.
int drawDetectedPulses(Window& window, Surface& surface, const Rect& strip, int16_t scale,
                       const SeriesHeader& series);

// Dotted black shading between the zero line and the kept part of every true pulse,
// alternating rows from column to column.
int shadeTruePulses(Window& window, Surface& surface, const Rect& strip, int16_t scale,
                    const SeriesHeader& series);

// A dotted box around every detected pulse (two thirds of the strip high) with dotted
// marks at the ends of its kept part.
int markDetectedPulses(Window& window, Surface& surface, const SeriesHeader& series, const Rect& strip);

// A dotted frame (three quarters of the strip high) around every detected tuple.
int frameDetectedTuples(Window& window, Surface& surface, const SeriesHeader& series, const Rect& strip);

// The background of a detected tuple.
constexpr Color kDetectedTupleBackground = rgb(192, 190, 178);

// Dotted black pixels in column x, every second row from the middle row ym outward while
// k < half; returns the first k left out (the rows of a box's top and bottom edges).
int32_t dottedMark(Surface& surface, int32_t x, int32_t ym, int32_t half);

// A dotted box from column l + x1 to l + x2 whose vertical edges are dottedMark(half) and whose
// horizontal edges are dotted every second column, as detected pulses are marked.
void dottedBox(Surface& surface, int32_t l, int32_t x1, int32_t x2, int32_t ym, int32_t half);

// A coloured background (kDetectedTupleBackground) behind every detected tuple.
int fillDetectedTuples(Window& window, Surface& surface, const SeriesHeader& series, const Rect& strip);
