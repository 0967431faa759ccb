#pragma once
#include <QtGui/QFont>
#include <map>
#include <memory>

#include "platform/glyph_source.h"

// Glyphs and metrics from Qt's font engine, without antialiasing so that text pixels are exact.
// Needs a QGuiApplication. The UI font is a proportional sans-serif face of 12 pixels; the symbol
// font is the same face at the height asked for (Greek letters come from its own glyphs).
class QtGlyphSource : public GlyphSource {
 public:
  QtGlyphSource();
  TextMetrics metrics(const Font& font) const override;
  int32_t textWidth(const Font& font, const std::u32string& text) const override;
  TextMask render(const Font& font, const std::u32string& text) const override;

  // The Qt font used for `font`.
  const QFont& qfont(const Font& font) const;

 private:
  QFont base_;
  mutable std::map<int32_t, QFont> fonts_;  // by requested height, 0 for the UI font
};
