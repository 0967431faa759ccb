#pragma once
#include <memory>
#include <vector>

#include "display/app_state.h"
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
