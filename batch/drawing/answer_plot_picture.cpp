#include "batch/drawing/answer_plot_picture.h"

#include "platform/qt/qt_glyph_source.h"
#include "platform/qt/qt_image.h"
#include "platform/surface.h"

bool drawAnswerPlotPicture(const AnswerPlot& plot, std::string& bytes, std::string& problem) {
  const OffscreenApplication application("detection-batch");
  const QtGlyphSource glyphs;
  Image image;
  if (!resizeImage(image, kAnswerPlotWidth, kAnswerPlotHeight, kWhite)) {
    problem = "no memory for the picture";
    return false;
  }
  Surface surface(image, glyphs);
  drawAnswerPlot(surface, plot);
  bytes = pngBytes(image);
  if (bytes.empty()) {
    problem = "the picture could not be encoded as PNG";
    return false;
  }
  return true;
}
