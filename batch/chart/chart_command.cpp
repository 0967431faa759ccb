#include "batch/chart/chart_command.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "batch/commands.h"
#include "batch/failure_boundary.h"
#include "display/app_state.h"
#include "files/atomic_file.h"
#include "files/simulation_result.h"
#include "platform/headless_window.h"
#include "platform/qt/qt_glyph_source.h"
#include "platform/qt/qt_image.h"
#include "shell/bmp_writer.h"
#include "shell/main_window.h"
#include "shell/simulation_result_command.h"

namespace {

int badOption(const char* option, const std::string& problem) {
  std::fprintf(stderr, "detection-batch: %s: %s\n", option, problem.c_str());
  return kExitBadOptions;
}

bool endsWith(const std::string& text, const char* tail) {
  const std::string t(tail);
  if (text.size() < t.size()) return false;
  std::string end = text.substr(text.size() - t.size());
  for (char& c : end) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
  return end == t;
}

// The part of the image inside r (right and bottom inclusive), clipped to the image.
Image cut(const Image& image, const Rect& r) {
  Image out;
  const int32_t left = std::max(r.left, 0), top = std::max(r.top, 0);
  const int32_t right = std::min(r.right, image.width - 1), bottom = std::min(r.bottom, image.height - 1);
  if (right < left || bottom < top) return out;
  if (!resizeImage(out, right - left + 1, bottom - top + 1, kWhite)) return out;
  for (int32_t y = top; y <= bottom; ++y) {
    for (int32_t x = left; x <= right; ++x) out.at(x - left, y - top) = image.at(x, y);
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

int runChart(const ChartOptions& o) {
  if (o.input.empty()) return badOption("--input", "name the simulation result");
  const bool png = endsWith(o.output, ".png");
  if (!png && !endsWith(o.output, ".bmp")) return badOption("--output", "the file must end in .png or .bmp");
  if (o.width < 320 || o.width > 8192) return badOption("--width", "must lie in 320..8192");
  if (o.height < 240 || o.height > 8192) return badOption("--height", "must lie in 240..8192");
  uint16_t handling = 0;
  if (o.errors == "restoring") handling = 1028;
  if (o.errors == "detection") handling = 1029;
  if (o.errors == "recognition") handling = 1034;
  if (handling == 0)
    return badOption("--errors", "\"" + o.errors + "\" is none of restoring, detection, recognition");
  AtomicFile output(o.output);
  if (!output.open()) return badOption("--output", output.error());

  const Making making("the chart");
  SimulationResult result;
  std::string problem;
  if (!readSimulationResult(o.input, result, problem)) {
    std::fprintf(stderr, "detection-batch: chart: %s\n", problem.c_str());
    return kExitFailed;
  }
  const bool recognition = result.run.taskType == 2;
  if (handling == 1034 && !recognition)
    return badOption("--errors", "recognition errors are charted for recognition runs");
  if (o.bounds && !recognition) return badOption("--bounds", "the bounds belong to recognition charts");

  // Glyphs come from Qt's font engine; no display is needed.
  const OffscreenApplication application("detection-batch");
  const QtGlyphSource glyphs;

  auto state = std::make_unique<AppState>();
  HeadlessWindow window(static_cast<int32_t>(o.width), static_cast<int32_t>(o.height), glyphs);
  MainWindow procedure(*state);
  if (!window.create(procedure)) {
    std::fputs("detection-batch: chart: the workbench could not start\n", stderr);
    return kExitFailed;
  }
  window.queueOpenFileName(o.input);
  DialogScript choice;
  choice.templateId = recognition ? 114 : 113;
  choice.click(handling).click(o.aggregate ? 1031 : 1030);
  if (recognition && o.bounds != (state->boundsIncluded != 0)) choice.click(1042);
  window.queueDialog(choice);
  window.sendCommand(kCmOpenSimulationResult);
  window.pump();
  int status = kExitOk;
  if (state->resultKind != 2 || state->lpRestErrorHeader == nullptr) {
    for (const auto& m : window.messages())
      std::fprintf(stderr, "[%s] %s\n", m.caption.c_str(), m.text.c_str());
    std::fputs("detection-batch: chart: the result could not be shown\n", stderr);
    status = kExitFailed;
  } else {
    const Image chart = cut(window.clientImage(), state->layout.workArea);
    const std::string bytes = png ? pngBytes(chart) : bmpBytes(chart);
    if (bytes.empty() || !output.write(bytes) || !output.commit()) {
      std::fprintf(stderr, "detection-batch: --output: %s\n",
                   bytes.empty() ? "the image could not be encoded" : output.error().c_str());
      status = kExitFailed;
    }
  }
  window.close();
  return status;
}
