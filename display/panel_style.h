#pragma once
#include <cstdint>
#include <string>

#include "platform/geometry.h"
#include "platform/image.h"

class Window;
class Surface;
struct ScreenLayout;

// The look shared by the subset panel and the parameter panel.

// The pale green of the panels' background and their buttons.
constexpr Color kPanelGreen = rgb(235, 240, 225);

// Draws one text push button over r = (x, y, x + w, y + h): the face with the current pen
// and brush, the bevel lines, and `text` centred, one line from the top. The flag has no
// effect. Returns 1.
int drawTextButton(Window& window, Surface& surface, int32_t lineHeight, const Rect& r,
                   const std::string& text, int32_t flag);

// Margins of the panels: the work area's width / 170 and height / 131.
int32_t panelMarginX(const ScreenLayout& layout);
int32_t panelMarginY(const ScreenLayout& layout);
