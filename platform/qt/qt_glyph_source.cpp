#include "platform/qt/qt_glyph_source.h"

#include <QtGui/QFontMetrics>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <algorithm>

namespace {
constexpr int kUiPixelSize = 12;

QString toQString(const std::u32string& text) {
  return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

QtGlyphSource::QtGlyphSource() : base_(QStringLiteral("DejaVu Sans")) {
  base_.setStyleHint(QFont::SansSerif, QFont::StyleStrategy(QFont::NoAntialias | QFont::PreferBitmap));
  base_.setHintingPreference(QFont::PreferFullHinting);
  base_.setPixelSize(kUiPixelSize);
}

const QFont& QtGlyphSource::qfont(const Font& font) const {
  const int32_t key = std::clamp(font.height, 0, 1000);
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second;
  QFont f = base_;
  if (key > 0) {
    // The largest pixel size whose line height does not exceed the height asked for.
    int size = std::max(1, key);
    f.setPixelSize(size);
    while (size > 1 && QFontMetrics(f).height() > key) f.setPixelSize(--size);
  }
  return fonts_.emplace(key, f).first->second;
}

TextMetrics QtGlyphSource::metrics(const Font& font) const {
  const QFont& f = qfont(font);
  const QFontMetrics fm(f);
  TextMetrics m;
  m.height = fm.height();
  m.ascent = fm.ascent();
  m.descent = fm.descent();
  m.internalLeading = std::max(0, fm.height() - f.pixelSize());
  m.externalLeading = std::max(0, fm.leading());
  m.aveCharWidth = fm.averageCharWidth();
  m.maxCharWidth = fm.maxWidth();
  return m;
}

int32_t QtGlyphSource::textWidth(const Font& font, const std::u32string& text) const {
  return QFontMetrics(qfont(font)).horizontalAdvance(toQString(text));
}

TextMask QtGlyphSource::render(const Font& font, const std::u32string& text) const {
  TextMask mask;
  const QFont& f = qfont(font);
  const QFontMetrics fm(f);
  mask.width = std::clamp(fm.horizontalAdvance(toQString(text)), 0, 16384);
  mask.height = fm.height();
  if (mask.width <= 0 || mask.height <= 0) {
    mask.width = std::max(mask.width, 0);
    return mask;
  }
  QImage img(mask.width, mask.height, QImage::Format_Grayscale8);
  img.fill(0);
  {
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(0, fm.ascent(), toQString(text));
  }
  mask.ink.resize(static_cast<size_t>(mask.width) * static_cast<size_t>(mask.height));
  for (int y = 0; y < mask.height; ++y) {
    const uchar* line = img.constScanLine(y);
    for (int x = 0; x < mask.width; ++x)
      mask.ink[static_cast<size_t>(y) * static_cast<size_t>(mask.width) + static_cast<size_t>(x)] =
          line[x] > 127 ? 1 : 0;
  }
  return mask;
}
