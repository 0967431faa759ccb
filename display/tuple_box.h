#pragma once
#include <cstdint>

class Surface;
class Window;
struct AppState;
struct ChainsHeader;
struct ResultGeometry;
struct SeriesHeader;

// The pattern tuple box of a tuple run (see drawResultView).
void drawPatternTupleBox(Window& window, Surface& surface, AppState& state, const ResultGeometry& g,
                         const ChainsHeader& chains, const SeriesHeader& series, int16_t amplitude);
