#pragma once
#include <vector>

#include "display/app_state.h"
#include "display/mouse_press.h"
#include "platform/window.h"
#include "tests/shell/workbench_fixture.h"

// A window that only records the commands it is sent, so that a test sees the state a
// handler leaves before the command runs.
class CommandRecorder : public Window {
 public:
  int messageBox(const std::string&, const std::string&, uint32_t) override { return kIdOk; }
  void sendCommand(uint16_t id) override { commands.push_back(id); }
  void moveEditControl(uint16_t, int32_t x, int32_t y, int32_t width, int32_t height) override {
    editPlace = Rect{x, y, width, height};
  }
  std::vector<uint16_t> commands;
  Rect editPlace{-1, -1, -1, -1};
};

// Centre of a rectangle.
inline Point centre(const Rect& r) { return Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// A started workbench whose clicks can go either through the window (commands run) or
// through a recorder (commands recorded, not run).
struct MouseBench : Workbench {
  void click(const Rect& r) {
    const Point p = centre(r);
    window.click(p.x, p.y);
  }
  // Presses at the centre of r with the recorder; gives the commands sent.
  std::vector<uint16_t> press(const Rect& r) {
    CommandRecorder recorder;
    const Point p = centre(r);
    mousePress(recorder, state, 0, p.x, p.y);
    return recorder.commands;
  }
  // The state's selected etalons, 1-based.
  std::vector<int32_t> selected() const {
    std::vector<int32_t> out;
    for (int32_t k = 0; k < kAlphabetRecords; ++k)
      if (state.etalonSelected[k] == 1) out.push_back(k + 1);
    return out;
  }
  std::vector<int32_t> required() const {
    return std::vector<int32_t>(state.requiredList, state.requiredList + state.requiredCount);
  }
  std::vector<int32_t> subset() const {
    return std::vector<int32_t>(state.selectedSubset, state.selectedSubset + state.selectedSubsetCount);
  }
};

using Commands = std::vector<uint16_t>;
