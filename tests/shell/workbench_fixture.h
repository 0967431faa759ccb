#pragma once
#include <memory>
#include <string>
#include <vector>

#include "display/app_state.h"
#include "platform/dialog_ids.h"
#include "platform/headless_window.h"
#include "shell/main_window.h"

// A started workbench in a headless 1280 x 1000 window; closed (records released) at the end.
struct Workbench {
  std::unique_ptr<AppState> owned = std::make_unique<AppState>();
  AppState& state = *owned;
  HeadlessWindow window{1280, 1000};
  MainWindow procedure{state};
  bool created = false;

  Workbench() { created = window.create(procedure); }
  ~Workbench() { window.close(); }

  // Sends an internal command and paints what it invalidated.
  void internal(uint16_t id) {
    window.sendCommand(id);
    window.pump();
  }
};

// The work area's pixels.
inline std::vector<Color> workAreaPixels(const Workbench& w) {
  const Rect a = w.state.layout.workArea;
  const Image& image = w.window.clientImage();
  std::vector<Color> pixels;
  for (int32_t y = a.top; y < a.bottom; ++y)
    for (int32_t x = a.left; x < a.right; ++x) pixels.push_back(image.at(x, y));
  return pixels;
}

// The answers of a small statistical simulation of series of the given length: pulses from ..
// to pulses, noise 0 and 10, two repeats, and (unless the run is to be cancelled before its
// chart) the chart settings as they come.
inline void queueSimulation(HeadlessWindow& window, const std::string& length, const std::string& from = "3",
                            const std::string& to = "4", bool chart = true) {
  window.queueDialog(DialogScript{series_parameters_dialog::kTemplate, {}}.type(
      series_parameters_dialog::kSamplesLength, length));
  window.queueDialog(DialogScript{simulation_parameters_dialog::kTemplate, {}}
                         .type(simulation_parameters_dialog::kPulsesFrom, from)
                         .type(simulation_parameters_dialog::kPulsesTo, to)
                         .type(simulation_parameters_dialog::kNoiseInitialLevel, "0")
                         .type(simulation_parameters_dialog::kNoiseSteps, "2")
                         .type(simulation_parameters_dialog::kNoiseIncrement, "10")
                         .type(simulation_parameters_dialog::kRepeats, "2"));
  if (chart) window.queueDialog(DialogScript{chart_settings_dialog::kTemplate, {}});
}

// Gives the state subset tables as the subset panel lays them out, holding one subset under
// construction and the reserved subsets given.
inline void setSubsets(AppState& s, const std::vector<int32_t>& subset,
                       const std::vector<std::vector<int32_t>>& reserved) {
  s.subsetCapacity = 10;
  s.selectedSubset = new int32_t[20]();
  s.selectedSubsetMarks = s.selectedSubset + 10;
  s.possibleSubsetRect = new Rect[10];
  for (size_t i = 0; i < subset.size(); ++i) s.selectedSubset[i] = subset[i];
  s.selectedSubsetCount = static_cast<int32_t>(subset.size());
  s.reservedSubsetCapacity = 10;
  s.selectedSubsetArraySize = new int32_t[10]();
  s.reservedSubsetList = new int32_t*[10];
  s.reservedSubsetList[0] = new int32_t[10 * 11]();
  s.possibleSubsetArrayRect = new Rect*[10];
  s.possibleSubsetArrayRect[0] = new Rect[10 * 12];
  for (int r = 0; r < 10; ++r) {
    s.reservedSubsetList[r] = s.reservedSubsetList[0] + r * 11;
    s.possibleSubsetArrayRect[r] = s.possibleSubsetArrayRect[0] + r * 11;
  }
  s.subsetRowRect = s.possibleSubsetArrayRect[0] + 10 * 11;
  for (size_t r = 0; r < reserved.size(); ++r) {
    s.selectedSubsetArraySize[r] = static_cast<int32_t>(reserved[r].size());
    for (size_t j = 0; j < reserved[r].size(); ++j) s.reservedSubsetList[r][j] = reserved[r][j];
  }
  s.reservedSubsetCount = static_cast<int32_t>(reserved.size());
}
