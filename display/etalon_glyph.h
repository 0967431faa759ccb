#pragma once
#include <cstdint>

#include "platform/geometry.h"

class Window;
class Surface;
struct PulseHeader;

// Draws one labelled etalon in `rect`: its letter (" a ") at the top, then the axis, the
// zero line and the waveform scaled to +-amplitude. Highlight 0 draws with the current
// pen; 1 (grey) and 2 (red) fill a background of that colour and draw in white, the
// waveform three times for a bold line. Returns 1. An etalon without samples draws only
// its label and axes.
int drawEtalonGlyph(Window& window, Surface& surface, int32_t lineHeight, const PulseHeader& pulse,
                    int16_t amplitude, int32_t highlight, const Rect& rect);
