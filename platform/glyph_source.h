#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A font as the system asks for it: the proportional UI font, or the symbol font at a height.
struct Font {
  // Requested cell height in pixels; 0 means the UI font's own size.
  int32_t height = 0;
  // The symbol font draws ASCII letters as Greek ones (s -> sigma, e -> epsilon, ...).
  bool symbol = false;
  bool operator==(const Font&) const = default;
};

// Metrics of a font, in pixels.
struct TextMetrics {
  int32_t height = 0;  // ascent + descent
  int32_t ascent = 0;
  int32_t descent = 0;
  int32_t internalLeading = 0;
  int32_t externalLeading = 0;
  int32_t aveCharWidth = 0;
  int32_t maxCharWidth = 0;
};

// One line of text rendered as a coverage mask: `width` x `height` (the font's height), one byte per
// pixel, nonzero where the glyphs ink. The text's top-left corner is mask pixel (0, 0).
struct TextMask {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> ink;
};

// Gives glyphs and font metrics; the Surface draws the masks itself.
class GlyphSource {
 public:
  virtual ~GlyphSource() = default;
  // Metrics of `font`.
  virtual TextMetrics metrics(const Font& font) const = 0;
  // Advance width of `text` (UTF-32) in `font`.
  virtual int32_t textWidth(const Font& font, const std::u32string& text) const = 0;
  // `text` rendered in `font`, without antialiasing; the mask is as wide as textWidth().
  virtual TextMask render(const Font& font, const std::u32string& text) const = 0;
};

// A fixed built-in font for work without a window system: every character cell is
// (height / 2) x height pixels (height 13 unless asked), every non-blank glyph is a small box
// outline. Deterministic everywhere.
class FixedGlyphSource : public GlyphSource {
 public:
  TextMetrics metrics(const Font& font) const override;
  int32_t textWidth(const Font& font, const std::u32string& text) const override;
  TextMask render(const Font& font, const std::u32string& text) const override;
};

// The process-wide fixed glyph source.
const GlyphSource& fixedGlyphSource();

// Decodes UTF-8 into UTF-32; invalid bytes become U+FFFD.
std::u32string utf8ToUtf32(const std::string& text);

// The character the symbol font shows for `c`: Latin letters become Greek (s -> sigma,
// e -> epsilon, h -> eta, C -> Chi, E -> Epsilon, S -> Sigma, ...); others stay.
char32_t symbolFontChar(char32_t c);
