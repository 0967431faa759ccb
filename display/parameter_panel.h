#pragma once
#include <cstdint>

class Window;
class Surface;
struct ScreenLayout;
struct ParamsHeader;
struct SeriesHeader;

// Draws the parameter panel of `params` into the work area: the diagram of the start
// positions with its four boundary segments and two dashed handles, the labels, the value
// column, the Tmin edit line (the edit control is moved there) and the Cancel and OK buttons;
// records every rectangle the mouse handling tests. With partialRedraw set it only erases
// and redraws what changed since the last draw. Nothing is drawn without a header.
void drawParameterPanel(Window& window, Surface& surface, const ScreenLayout& layout, ParamsHeader* params,
                        const SeriesHeader* series);
