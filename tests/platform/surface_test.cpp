#include "platform/surface.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace {

struct Canvas {
  Image image;
  Surface surface;
  explicit Canvas(int32_t w = 40, int32_t h = 30, const GlyphSource& g = fixedGlyphSource())
      : image(makeWhite(w, h)), surface(image, g) {}
  static Image makeWhite(int32_t w, int32_t h) {
    Image i;
    resizeImage(i, w, h, kWhite);
    return i;
  }
  std::set<std::pair<int32_t, int32_t>> inked(Color c = kBlack) const {
    std::set<std::pair<int32_t, int32_t>> s;
    for (int32_t y = 0; y < image.height; ++y)
      for (int32_t x = 0; x < image.width; ++x)
        if (image.at(x, y) == c) s.insert({x, y});
    return s;
  }
};

using Pixels = std::set<std::pair<int32_t, int32_t>>;

TEST(SurfaceLines, LeaveOutTheEndPointAndMoveTheCurrentPosition) {
  Canvas c;
  c.surface.moveTo(2, 3);
  c.surface.lineTo(6, 3);
  EXPECT_EQ(c.inked(), (Pixels{{2, 3}, {3, 3}, {4, 3}, {5, 3}}));
  EXPECT_EQ(c.surface.currentPosition(), (Point{6, 3}));
  c.surface.lineTo(6, 6);  // continues from the end point, which it now draws
  EXPECT_TRUE(c.inked().count({6, 3}));
  EXPECT_FALSE(c.inked().count({6, 6}));

  Canvas d;
  d.surface.moveTo(5, 5);
  d.surface.lineTo(2, 2);
  EXPECT_EQ(d.inked(), (Pixels{{5, 5}, {4, 4}, {3, 3}}));
  Canvas e;
  e.surface.moveTo(5, 5);
  e.surface.lineTo(5, 5);
  EXPECT_TRUE(e.inked().empty());
}

TEST(SurfaceLines, AClosedPolylineDrawsEveryBorderPixelOnce) {
  Canvas c;
  c.surface.moveTo(1, 1);
  c.surface.lineTo(6, 1);
  c.surface.lineTo(6, 4);
  c.surface.lineTo(1, 4);
  c.surface.lineTo(1, 1);
  Pixels want;
  for (int x = 1; x <= 6; ++x) want.insert({x, 1}), want.insert({x, 4});
  for (int y = 1; y <= 4; ++y) want.insert({1, y}), want.insert({6, y});
  EXPECT_EQ(c.inked(), want);
}

TEST(SurfaceLines, SteepAndShallowLinesStayConnected) {
  Canvas c(60, 60);
  c.surface.moveTo(3, 50);
  c.surface.lineTo(20, 2);
  const Pixels p = c.inked();
  EXPECT_EQ(p.size(), 48u);  // one pixel per row of the major axis, the end row left out
  for (int y = 3; y <= 50; ++y) {
    int count = 0;
    for (const auto& [px, py] : p) count += py == y;
    EXPECT_EQ(count, 1) << y;
  }
  EXPECT_TRUE(p.count({3, 50}));
}

TEST(SurfaceLines, DashedDottedAndNullPens) {
  Canvas c;
  c.surface.selectPen({rgb(1, 2, 3), PenStyle::kDot});
  c.surface.moveTo(0, 0);
  c.surface.lineTo(10, 0);
  EXPECT_EQ(c.inked(rgb(1, 2, 3)), (Pixels{{0, 0}, {2, 0}, {4, 0}, {6, 0}, {8, 0}}));

  c.surface.selectPen({kBlack, PenStyle::kDash});
  c.surface.moveTo(0, 2);
  c.surface.lineTo(16, 2);
  Pixels dash = c.inked();
  EXPECT_EQ(dash.size(), 12u);
  EXPECT_FALSE(dash.count({6, 2}));
  EXPECT_FALSE(dash.count({7, 2}));
  EXPECT_TRUE(dash.count({8, 2}));

  Canvas n;
  n.surface.selectPen({kBlack, PenStyle::kNull});
  n.surface.moveTo(0, 0);
  n.surface.lineTo(10, 10);
  EXPECT_TRUE(n.inked().empty());
  EXPECT_EQ(n.surface.currentPosition(), (Point{10, 10}));
}

TEST(SurfaceLines, FarAwayEndPointsDrawOnlyTheVisiblePartQuickly) {
  Canvas c(50, 20);
  c.surface.moveTo(-2000000000, 7);
  c.surface.lineTo(2000000000, 7);
  Pixels want;
  for (int x = 0; x < 50; ++x) want.insert({x, 7});
  EXPECT_EQ(c.inked(), want);
  c.surface.moveTo(10, -2000000000);
  c.surface.lineTo(10, 2000000000);
  EXPECT_EQ(c.inked().size(), 50u + 19u);
}

TEST(SurfaceShapes, RectangleRightAndBottomEdgesAreExclusive) {
  Canvas c;
  c.surface.selectBrush({rgb(9, 9, 9)});
  c.surface.rectangle(2, 3, 7, 8);
  Pixels outline;
  for (int x = 2; x <= 6; ++x) outline.insert({x, 3}), outline.insert({x, 7});
  for (int y = 3; y <= 7; ++y) outline.insert({2, y}), outline.insert({6, y});
  EXPECT_EQ(c.inked(), outline);
  EXPECT_EQ(c.inked(rgb(9, 9, 9)).size(), 3u * 3u);
  EXPECT_EQ(c.image.at(7, 5), kWhite);
  EXPECT_EQ(c.image.at(4, 8), kWhite);

  // A hollow brush keeps what is inside; a rectangle with swapped corners is the same rectangle.
  Canvas h;
  h.surface.setPixel(4, 5, rgb(7, 7, 7));
  h.surface.selectBrush({kWhite, true});
  h.surface.rectangle(7, 8, 2, 3);
  EXPECT_EQ(h.inked(), outline);
  EXPECT_EQ(h.image.at(4, 5), rgb(7, 7, 7));
}

TEST(SurfaceShapes, EllipseStaysInsideItsBoxAndTouchesEverySide) {
  for (auto [w, h] :
       {std::pair{9, 9}, std::pair{10, 6}, std::pair{2, 2}, std::pair{15, 4}, std::pair{1, 5}}) {
    Canvas c;
    c.surface.selectBrush({rgb(5, 5, 5)});
    c.surface.ellipse(3, 4, 3 + w, 4 + h);
    Pixels all = c.inked();
    const Pixels fill = c.inked(rgb(5, 5, 5));
    all.insert(fill.begin(), fill.end());
    int32_t minX = 99, maxX = -1, minY = 99, maxY = -1;
    for (const auto& [x, y] : all) {
      minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
      // mirror symmetry about the box centre
      EXPECT_TRUE(all.count({3 + 3 + w - 1 - x, y})) << w << "x" << h;
      EXPECT_TRUE(all.count({x, 4 + 4 + h - 1 - y})) << w << "x" << h;
    }
    EXPECT_EQ(minX, 3) << w << "x" << h;
    EXPECT_EQ(maxX, 3 + w - 1) << w << "x" << h;
    EXPECT_EQ(minY, 4) << w << "x" << h;
    EXPECT_EQ(maxY, 4 + h - 1) << w << "x" << h;
    if (w >= 9 && h >= 6) {
      EXPECT_EQ(c.image.at(3, 4), kWhite) << "corner of the box";
      EXPECT_EQ(c.image.at(3 + w / 2, 4 + h / 2), rgb(5, 5, 5)) << "centre filled";
    }
  }
}

TEST(SurfacePixels, OutsideTheImageIsIgnoredAndReadsWhite) {
  Canvas c(5, 5);
  c.surface.setPixel(-1, 0, kBlack);
  c.surface.setPixel(5, 2, kBlack);
  c.surface.setPixel(2, 2, rgb(1, 1, 1));
  EXPECT_EQ(c.surface.getPixel(2, 2), rgb(1, 1, 1));
  EXPECT_EQ(c.surface.getPixel(-3, 9), kWhite);
  EXPECT_TRUE(c.inked().empty());
}

TEST(SurfaceText, OpaqueTextHidesWhatIsUnderItTransparentTextDoesNot) {
  Canvas c(60, 20);
  c.surface.selectPen({rgb(200, 0, 0)});
  c.surface.moveTo(0, 12);
  c.surface.lineTo(60, 12);  // runs through the text's cell (rows 0 .. 12)
  c.surface.textOut(10, 0, "ab");
  const Size ext = c.surface.textExtent("ab");
  EXPECT_EQ(ext, (Size{12, 13}));
  for (int x = 10; x < 22; ++x) EXPECT_EQ(c.image.at(x, 12), kWhite) << x;
  EXPECT_EQ(c.image.at(9, 12), rgb(200, 0, 0));
  EXPECT_EQ(c.image.at(22, 12), rgb(200, 0, 0));
  EXPECT_FALSE(c.inked().empty());
  // The text's top-left corner is at (10, 0): nothing inks left of it.
  for (const auto& [x, y] : c.inked()) EXPECT_GE(x, 10);

  Canvas t(60, 20);
  t.surface.selectPen({rgb(200, 0, 0)});
  t.surface.moveTo(0, 12);
  t.surface.lineTo(60, 12);
  t.surface.setTransparentText(true);
  t.surface.textOut(10, 0, "ab");
  for (int x = 0; x < 60; ++x) EXPECT_EQ(t.image.at(x, 12), rgb(200, 0, 0)) << x;
  EXPECT_EQ(t.inked(), c.inked());
}

TEST(SurfaceText, MetricsFollowTheSelectedFont) {
  Canvas c;
  TextMetrics ui = c.surface.textMetrics();
  EXPECT_EQ(ui.height, 13);
  EXPECT_EQ(ui.aveCharWidth, 6);
  Font old = c.surface.selectFont({26, true});
  EXPECT_EQ(old, Font{});
  EXPECT_EQ(c.surface.textMetrics().height, 26);
  EXPECT_EQ(c.surface.textExtent("abc").cx, 39);
  // A text far wider than any image is measured and drawn within the image limit.
  const std::string huge(200000, 'x');
  EXPECT_EQ(c.surface.textExtent(huge).cx, kMaxImageSide);
  c.surface.textOut(-5, 2, huge);
  EXPECT_FALSE(c.inked().empty());
}

// Records what the surface asks to render.
class RecordingGlyphs : public FixedGlyphSource {
 public:
  TextMask render(const Font& font, const std::u32string& text) const override {
    last = text;
    return FixedGlyphSource::render(font, text);
  }
  mutable std::u32string last;
};

TEST(SurfaceText, SymbolFontDrawsLatinLettersAsGreek) {
  RecordingGlyphs glyphs;
  Canvas c(200, 40, glyphs);
  c.surface.selectFont({20, true});
  c.surface.textOut(0, 0, "e(s)=E||C-<C>||2");
  EXPECT_EQ(glyphs.last, U"ε(σ)=Ε||Χ-<Χ>||2");
  c.surface.textOut(0, 0, "hS");
  EXPECT_EQ(glyphs.last, U"ηΣ");
  c.surface.selectFont({});
  c.surface.textOut(0, 0, "s Нет");
  EXPECT_EQ(glyphs.last, U"s Нет");
}

TEST(SurfaceClip, DrawingOutsideTheClipRegionChangesNothing) {
  Canvas c;
  Region clip;
  clip.add({5, 5, 10, 10});
  clip.add({20, 0, 22, 30});
  c.surface.setClip(clip);
  c.surface.setBkColor(rgb(0, 0, 9));
  c.surface.textOut(0, 0, "xxxxxxxxx");
  for (const auto& [x, y] : c.inked(rgb(0, 0, 9))) EXPECT_TRUE(clip.contains(x, y)) << x << "," << y;
  EXPECT_FALSE(c.inked(rgb(0, 0, 9)).empty());
  c.surface.selectBrush({kBlack});
  c.surface.rectangle(0, 0, 40, 30);
  for (const auto& [x, y] : c.inked()) EXPECT_TRUE(clip.contains(x, y)) << x << "," << y;
  EXPECT_EQ(c.inked().size(), 25u + 60u);
}

TEST(SurfaceBlit, CopiesTheImageAtItsTopLeftCornerClippedToTheTarget) {
  Image src;
  resizeImage(src, 4, 3, rgb(1, 2, 3));
  src.at(0, 0) = rgb(9, 9, 9);
  Canvas c(10, 10);
  c.surface.blit(7, -1, src);
  EXPECT_EQ(c.image.at(7, 0), rgb(1, 2, 3));
  EXPECT_EQ(c.image.at(9, 1), rgb(1, 2, 3));
  EXPECT_EQ(c.image.at(6, 0), kWhite);
  EXPECT_EQ(c.inked(rgb(1, 2, 3)).size(), 3u * 2u);
  c.surface.blit(0, 0, src);
  EXPECT_EQ(c.image.at(0, 0), rgb(9, 9, 9));
}

TEST(Utf8, DecodesCyrillicAndReplacesBrokenBytes) {
  EXPECT_EQ(utf8ToUtf32("Нет памяти"), U"Нет памяти");
  EXPECT_EQ(utf8ToUtf32(std::string("a\xFF"
                                    "b")),
            U"a\uFFFDb");
  EXPECT_EQ(utf8ToUtf32(std::string("\xD0")), U"\uFFFD");
  EXPECT_EQ(utf8ToUtf32(std::string("\xC0\x80")), U"\uFFFD");  // overlong
}

}  // namespace
