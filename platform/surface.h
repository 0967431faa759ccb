#pragma once
#include <cstdint>
#include <string>

#include "platform/geometry.h"
#include "platform/glyph_source.h"
#include "platform/image.h"
#include "platform/region.h"

// How a pen draws: every pixel (kSolid), 6 pixels on and 2 off (kDash), every other pixel (kDot),
// or nothing (kNull). The pattern starts afresh with every line.
enum class PenStyle : uint8_t { kSolid, kDash, kDot, kNull };

// A one-pixel pen. Pens, brushes and fonts are values: nothing to release.
struct Pen {
  Color color = kBlack;
  PenStyle style = PenStyle::kSolid;
  bool operator==(const Pen&) const = default;
};

// A solid brush, or a hollow one that fills nothing.
struct Brush {
  Color color = kWhite;
  bool hollow = false;
  bool operator==(const Brush&) const = default;
};

struct Size {
  int32_t cx = 0;
  int32_t cy = 0;
  bool operator==(const Size&) const = default;
};

// A drawing context over a 32-bit image. It starts with a black solid pen, a white brush, the UI
// font, black text on an opaque white background, the current position at (0, 0) and no clip.
// Every drawing operation touches only pixels inside the image and inside the clip region.
class Surface {
 public:
  Surface(Image& target, const GlyphSource& glyphs);

  // Limits drawing to `clip` (exclusive edges); an empty region means no limit.
  void setClip(const Region& clip);
  const Region& clip() const { return clip_; }

  // Selects a pen, brush or font and gives back the previous one.
  Pen selectPen(const Pen& pen);
  Brush selectBrush(const Brush& brush);
  Font selectFont(const Font& font);
  const Pen& pen() const { return pen_; }
  const Brush& brush() const { return brush_; }
  const Font& font() const { return font_; }

  // Text colour and background; transparent text leaves the background as it is.
  // Each setter gives back the previous value.
  Color setTextColor(Color c);
  Color setBkColor(Color c);
  bool setTransparentText(bool transparent);
  Color bkColor() const { return bkColor_; }

  // Moves the current position without drawing.
  void moveTo(int32_t x, int32_t y);
  // Draws a line with the current pen from the current position to (x, y), without the end point;
  // (x, y) becomes the current position.
  void lineTo(int32_t x, int32_t y);
  Point currentPosition() const { return pos_; }

  // Outlines with the current pen and fills the inside with the current brush; the right and
  // bottom edges are exclusive (the outline's last column is right - 1, last row bottom - 1).
  void rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom);
  // Fills (left, top) .. (right - 1, bottom - 1) with `color`, ignoring pen and brush.
  void fillRect(const Rect& r, Color color);
  // An ellipse inside the bounding box (left, top) .. (right - 1, bottom - 1), outlined with the
  // pen and filled with the brush.
  void ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom);

  void setPixel(int32_t x, int32_t y, Color c);
  // The colour at (x, y); white outside the image.
  Color getPixel(int32_t x, int32_t y) const;

  // Draws UTF-8 `text` in the current font with its top-left corner at (x, y); opaque text first
  // fills its extent with the background colour.
  void textOut(int32_t x, int32_t y, const std::string& text);
  // Width and height (the font's height) of `text` in the current font.
  Size textExtent(const std::string& text) const;
  TextMetrics textMetrics() const;

  // Copies `image` with its top-left corner at (x, y), clipped like any drawing.
  void blit(int32_t x, int32_t y, const Image& image);

  Image& target() { return image_; }
  const GlyphSource& glyphs() const { return glyphs_; }

 private:
  bool visible(int32_t x, int32_t y) const;
  void plot(int32_t x, int32_t y, Color c);
  void plotPen(int32_t x, int32_t y, uint32_t& step);
  std::u32string shown(const std::string& text) const;

  Image& image_;
  const GlyphSource& glyphs_;
  Region clip_;
  Pen pen_;
  Brush brush_;
  Font font_;
  Color textColor_ = kBlack;
  Color bkColor_ = kWhite;
  bool transparent_ = false;
  Point pos_;
};
