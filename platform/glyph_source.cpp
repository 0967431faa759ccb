#include "platform/glyph_source.h"

#include <algorithm>

#include "platform/image.h"

namespace {
constexpr int32_t kFixedDefaultHeight = 13;

int32_t fixedHeight(const Font& font) {
  return font.height > 0 ? std::min(font.height, 512) : kFixedDefaultHeight;
}
int32_t fixedWidth(const Font& font) { return std::max(1, fixedHeight(font) / 2); }
}  // namespace

TextMetrics FixedGlyphSource::metrics(const Font& font) const {
  TextMetrics m;
  m.height = fixedHeight(font);
  m.ascent = m.height * 3 / 4;
  m.descent = m.height - m.ascent;
  m.aveCharWidth = fixedWidth(font);
  m.maxCharWidth = fixedWidth(font);
  return m;
}

int32_t FixedGlyphSource::textWidth(const Font& font, const std::u32string& text) const {
  // Capped, like every image, at kMaxImageSide pixels.
  const int64_t w =
      static_cast<int64_t>(fixedWidth(font)) * static_cast<int64_t>(std::min<size_t>(text.size(), 1u << 20));
  return static_cast<int32_t>(std::min<int64_t>(w, kMaxImageSide));
}

TextMask FixedGlyphSource::render(const Font& font, const std::u32string& text) const {
  TextMask mask;
  const int32_t w = fixedWidth(font);
  const TextMetrics m = metrics(font);
  mask.width = textWidth(font, text);
  mask.height = m.height;
  mask.ink.assign(static_cast<size_t>(mask.width) * static_cast<size_t>(mask.height), 0);
  // Each visible character is a box outline from column 1 to w - 2 and row 2 to the baseline.
  const int32_t x0 = 1, x1 = std::max(1, w - 2), y0 = std::min(2, m.ascent), y1 = std::max(y0, m.ascent);
  for (size_t i = 0; i < text.size() && static_cast<int32_t>(i) * w < mask.width; ++i) {
    if (text[i] <= U' ') continue;
    const int32_t base = static_cast<int32_t>(i) * w;
    for (int32_t y = y0; y <= y1 && y < mask.height; ++y)
      for (int32_t x = x0; x <= x1 && x < w; ++x)
        if (y == y0 || y == y1 || x == x0 || x == x1)
          mask.ink[static_cast<size_t>(y) * static_cast<size_t>(mask.width) + static_cast<size_t>(base + x)] =
              1;
  }
  return mask;
}

const GlyphSource& fixedGlyphSource() {
  static const FixedGlyphSource source;
  return source;
}

std::u32string utf8ToUtf32(const std::string& text) {
  std::u32string out;
  out.reserve(text.size());
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    const auto b0 = static_cast<uint8_t>(text[i]);
    int extra = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (b0 < 0x80) {
      out.push_back(b0);
      ++i;
      continue;
    } else if ((b0 & 0xE0) == 0xC0) {
      extra = 1, c = b0 & 0x1F, minimum = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
      extra = 2, c = b0 & 0x0F, minimum = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
      extra = 3, c = b0 & 0x07, minimum = 0x10000;
    } else {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    bool ok = true;
    size_t j = 1;
    for (; ok && j <= static_cast<size_t>(extra); ++j) {
      if (i + j >= n) {
        ok = false;
        break;
      }
      const auto b = static_cast<uint8_t>(text[i + j]);
      if ((b & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      c = (c << 6) | (b & 0x3F);
    }
    if (!ok || c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      out.push_back(0xFFFD);
      i += std::max<size_t>(1, j);
      continue;
    }
    out.push_back(c);
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

char32_t symbolFontChar(char32_t c) {
  static constexpr char32_t kLower[26] = {0x3B1, 0x3B2, 0x3C7, 0x3B4, 0x3B5, 0x3C6, 0x3B3, 0x3B7, 0x3B9,
                                          0x3D5, 0x3BA, 0x3BB, 0x3BC, 0x3BD, 0x3BF, 0x3C0, 0x3B8, 0x3C1,
                                          0x3C3, 0x3C4, 0x3C5, 0x3D6, 0x3C9, 0x3BE, 0x3C8, 0x3B6};
  static constexpr char32_t kUpper[26] = {0x391, 0x392, 0x3A7, 0x394, 0x395, 0x3A6, 0x393, 0x397, 0x399,
                                          0x3D1, 0x39A, 0x39B, 0x39C, 0x39D, 0x39F, 0x3A0, 0x398, 0x3A1,
                                          0x3A3, 0x3A4, 0x3A5, 0x3C2, 0x3A9, 0x39E, 0x3A8, 0x396};
  if (c >= U'a' && c <= U'z') return kLower[c - U'a'];
  if (c >= U'A' && c <= U'Z') return kUpper[c - U'A'];
  return c;
}
