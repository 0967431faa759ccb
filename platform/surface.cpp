#include "platform/surface.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

Surface::Surface(Image& target, const GlyphSource& glyphs) : image_(target), glyphs_(glyphs) {}

void Surface::setClip(const Region& clip) { clip_ = clip; }

Pen Surface::selectPen(const Pen& pen) { return std::exchange(pen_, pen); }
Brush Surface::selectBrush(const Brush& brush) { return std::exchange(brush_, brush); }
Font Surface::selectFont(const Font& font) { return std::exchange(font_, font); }
Color Surface::setTextColor(Color c) { return std::exchange(textColor_, c); }
Color Surface::setBkColor(Color c) { return std::exchange(bkColor_, c); }
bool Surface::setTransparentText(bool transparent) { return std::exchange(transparent_, transparent); }

bool Surface::visible(int32_t x, int32_t y) const {
  return image_.inside(x, y) && (clip_.empty() || clip_.contains(x, y));
}

void Surface::plot(int32_t x, int32_t y, Color c) {
  if (visible(x, y)) image_.at(x, y) = c;
}

void Surface::plotPen(int32_t x, int32_t y, uint32_t& step) {
  bool on = true;
  switch (pen_.style) {
    case PenStyle::kSolid:
      on = true;
      break;
    case PenStyle::kDash:
      on = step % 8u < 6u;
      break;
    case PenStyle::kDot:
      on = step % 2u == 0u;
      break;
    case PenStyle::kNull:
      on = false;
      break;
  }
  ++step;
  if (on) plot(x, y, pen_.color);
}

void Surface::moveTo(int32_t x, int32_t y) { pos_ = {x, y}; }

void Surface::lineTo(int32_t x, int32_t y) {
  // Bresenham in 64-bit so that far-off end points cannot overflow; the end point is left out.
  int64_t x0 = pos_.x, y0 = pos_.y;
  const int64_t x1 = x, y1 = y;
  const int64_t dx = std::llabs(x1 - x0), dy = std::llabs(y1 - y0);
  const int64_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  // Steps outside the image are skipped quickly by bounding the walk to the visible span.
  int64_t err = (dx > dy ? dx : -dy) / 2;
  uint32_t step = 0;
  const int64_t limit = std::max(dx, dy);
  const int64_t margin = static_cast<int64_t>(kMaxImageSide) * 2;
  if (limit > 4 * margin) {
    // Very long lines: walk only the steps of the major axis that can land inside the image and
    // take the minor coordinate by proportion.
    const bool xMajor = dx >= dy;
    const int64_t start = xMajor ? x0 : y0;
    const int64_t dir = xMajor ? sx : sy;
    const int64_t side = xMajor ? image_.width : image_.height;
    int64_t first = dir > 0 ? -1 - start : start - side;
    int64_t last = dir > 0 ? side - start : start + 1;
    first = std::max<int64_t>(first, 0);
    last = std::min<int64_t>(last, limit - 1);
    for (int64_t i = first; i <= last; ++i) {
      const double t = static_cast<double>(i) / static_cast<double>(limit);
      const int64_t major = start + dir * i;
      const double minorF = xMajor ? static_cast<double>(y0) + t * static_cast<double>(y1 - y0)
                                   : static_cast<double>(x0) + t * static_cast<double>(x1 - x0);
      if (minorF < -2.0 || minorF > static_cast<double>(margin)) continue;
      const auto minor = static_cast<int32_t>(std::lround(minorF));
      step = static_cast<uint32_t>(static_cast<uint64_t>(i) & 0xFFFFFFFFu);
      if (xMajor)
        plotPen(static_cast<int32_t>(major), minor, step);
      else
        plotPen(minor, static_cast<int32_t>(major), step);
    }
    pos_ = {x, y};
    return;
  }
  while (!(x0 == x1 && y0 == y1)) {
    plotPen(static_cast<int32_t>(x0), static_cast<int32_t>(y0), step);
    const int64_t e2 = err;
    if (e2 > -dx) {
      err -= dy;
      x0 += sx;
    }
    if (e2 < dy) {
      err += dx;
      y0 += sy;
    }
  }
  pos_ = {x, y};
}

void Surface::fillRect(const Rect& r, Color color) {
  const int32_t l = std::max(r.left, 0), t = std::max(r.top, 0);
  const int32_t rr = std::min(r.right, image_.width), b = std::min(r.bottom, image_.height);
  for (int32_t y = t; y < b; ++y)
    for (int32_t x = l; x < rr; ++x) plot(x, y, color);
}

void Surface::rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  if (right - left < 1 || bottom - top < 1) return;
  if (pen_.style == PenStyle::kNull) {
    if (!brush_.hollow) fillRect({left, top, right, bottom}, brush_.color);
    return;
  }
  if (!brush_.hollow) fillRect({left + 1, top + 1, right - 1, bottom - 1}, brush_.color);
  const int32_t r = right - 1, b = bottom - 1;
  uint32_t step = 0;
  for (int32_t x = left; x <= r; ++x) plotPen(x, top, step);
  for (int32_t y = top + 1; y <= b; ++y) plotPen(r, y, step);
  if (b > top)
    for (int32_t x = r - 1; x >= left; --x) plotPen(x, b, step);
  if (r > left)
    for (int32_t y = b - 1; y > top; --y) plotPen(left, y, step);
}

void Surface::ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  if (right - left < 1 || bottom - top < 1) return;
  if (right - left > 2 * kMaxImageSide || bottom - top > 2 * kMaxImageSide) return;
  // Pixel centres of the box span (left .. right - 1) x (top .. bottom - 1); each row keeps the
  // columns whose centres lie within half a pixel of the ellipse through the box's edge pixels.
  const double cx = (static_cast<double>(left) + static_cast<double>(right - 1)) / 2.0;
  const double cy = (static_cast<double>(top) + static_cast<double>(bottom - 1)) / 2.0;
  const double a = static_cast<double>(right - 1 - left) / 2.0;
  const double b = static_cast<double>(bottom - 1 - top) / 2.0;
  const int32_t rows = bottom - top;
  std::vector<int32_t> lo(static_cast<size_t>(rows)), hi(static_cast<size_t>(rows));
  for (int32_t i = 0; i < rows; ++i) {
    const double dy = static_cast<double>(top + i) - cy;
    double w = a;
    if (b > 0.0) {
      const double q = 1.0 - (dy / b) * (dy / b);
      w = q > 0.0 ? a * std::sqrt(q) : 0.0;
    }
    lo[static_cast<size_t>(i)] = static_cast<int32_t>(std::ceil(cx - w - 0.5));
    hi[static_cast<size_t>(i)] = static_cast<int32_t>(std::floor(cx + w + 0.5));
    lo[static_cast<size_t>(i)] = std::max(lo[static_cast<size_t>(i)], left);
    hi[static_cast<size_t>(i)] = std::min(hi[static_cast<size_t>(i)], right - 1);
  }
  auto inside = [&](int32_t row, int32_t x) {
    return row >= 0 && row < rows && x >= lo[static_cast<size_t>(row)] && x <= hi[static_cast<size_t>(row)];
  };
  const bool outline = pen_.style != PenStyle::kNull;
  for (int32_t i = 0; i < rows; ++i) {
    const int32_t y = top + i;
    if (y < 0 || y >= image_.height) continue;
    for (int32_t x = std::max(lo[static_cast<size_t>(i)], -1);
         x <= hi[static_cast<size_t>(i)] && x <= image_.width; ++x) {
      const bool edge = !inside(i, x - 1) || !inside(i, x + 1) || !inside(i - 1, x) || !inside(i + 1, x);
      if (edge && outline)
        plot(x, y, pen_.color);
      else if (!brush_.hollow)
        plot(x, y, brush_.color);
    }
  }
}

void Surface::setPixel(int32_t x, int32_t y, Color c) { plot(x, y, c); }

Color Surface::getPixel(int32_t x, int32_t y) const { return image_.inside(x, y) ? image_.at(x, y) : kWhite; }

std::u32string Surface::shown(const std::string& text) const {
  std::u32string u = utf8ToUtf32(text);
  if (font_.symbol)
    for (char32_t& c : u) c = symbolFontChar(c);
  return u;
}

void Surface::textOut(int32_t x, int32_t y, const std::string& text) {
  if (text.empty()) return;
  const TextMask mask = glyphs_.render(font_, shown(text));
  if (!transparent_) fillRect({x, y, x + mask.width, y + mask.height}, bkColor_);
  for (int32_t my = 0; my < mask.height; ++my) {
    const int32_t py = y + my;
    if (py < 0 || py >= image_.height) continue;
    for (int32_t mx = 0; mx < mask.width; ++mx)
      if (mask.ink[static_cast<size_t>(my) * static_cast<size_t>(mask.width) + static_cast<size_t>(mx)])
        plot(x + mx, py, textColor_);
  }
}

Size Surface::textExtent(const std::string& text) const {
  return {glyphs_.textWidth(font_, shown(text)), glyphs_.metrics(font_).height};
}

TextMetrics Surface::textMetrics() const { return glyphs_.metrics(font_); }

void Surface::blit(int32_t x, int32_t y, const Image& image) {
  for (int32_t sy = 0; sy < image.height; ++sy) {
    const int32_t ty = y + sy;
    if (ty < 0 || ty >= image_.height) continue;
    for (int32_t sx = 0; sx < image.width; ++sx) plot(x + sx, ty, image.at(sx, sy));
  }
}
