#include "batch/drawing/chart_picture.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "display/app_state.h"
#include "display/layout.h"
#include "platform/dialog_ids.h"
#include "platform/headless_window.h"
#include "platform/qt/qt_glyph_source.h"
#include "platform/qt/qt_image.h"
#include "shell/bmp_writer.h"
#include "shell/main_window.h"
#include "shell/simulation_result_command.h"

namespace {

// The part of the image inside r (exclusive right and bottom edges), clipped to the image.
Image cut(const Image& image, const Rect& r) {
  Image out;
  const int32_t left = std::max(r.left, 0), top = std::max(r.top, 0);
  const int32_t right = std::min(r.right, image.width), bottom = std::min(r.bottom, image.height);
  if (right <= left || bottom <= top) return out;
  if (!resizeImage(out, right - left, bottom - top, kWhite)) return out;
  for (int32_t y = top; y < bottom; ++y) {
    for (int32_t x = left; x < right; ++x) out.at(x - left, y - top) = image.at(x, y);
  }
  return out;
}

std::string bmpBytes(const Image& image) {
  BmpParts parts;
  if (!encodeBmp(image, 24, parts)) return {};
  std::string out;
  for (const auto* part : {&parts.fileHeader, &parts.infoHeader, &parts.pixels})
    out.append(reinterpret_cast<const char*>(part->data()), part->size());
  return out;
}

}  // namespace

bool drawChartPicture(const ChartDrawing& request, std::string& bytes) {
  // Glyphs come from Qt's font engine; no display is needed.
  const OffscreenApplication application("detection-batch");
  const QtGlyphSource glyphs;

  auto state = std::make_unique<AppState>();
  HeadlessWindow window(request.width, request.height, glyphs);
  MainWindow procedure(*state);
  if (!window.create(procedure)) {
    std::fputs("detection-batch: chart: the workbench could not start\n", stderr);
    return false;
  }
  window.queueOpenFileName(request.input);
  DialogScript choice;
  using namespace chart_settings_dialog;
  choice.templateId = request.recognition ? kRecognitionTemplate : kTemplate;
  choice.click(request.errorsChoice).click(request.aggregate ? kSummaryView : kComponentwise);
  if (request.recognition && request.bounds != (state->boundsIncluded != 0)) choice.click(kBoundsIncluded);
  window.queueDialog(choice);
  window.sendCommand(kCmOpenSimulationResult);
  window.pump();
  bool drawn = true;
  if (state->resultKind != 2 || state->lpRestErrorHeader == nullptr) {
    for (const auto& m : window.messages())
      std::fprintf(stderr, "[%s] %s\n", m.caption.c_str(), m.text.c_str());
    std::fputs("detection-batch: chart: the result could not be shown\n", stderr);
    drawn = false;
  } else {
    // The whole view: the caption of the chart's frame stands above the work area.
    const Image chart = cut(window.clientImage(), viewArea(state->layout));
    bytes = request.png ? pngBytes(chart) : bmpBytes(chart);
  }
  window.close();
  return drawn;
}
