#include "display/parameter_mouse.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "display/app_state.h"
#include "display/gap_checks.h"
#include "display/internal_commands.h"
#include "display/params_header.h"
#include "platform/window.h"

namespace {

// The decimal number the edit field starts with; 0 when it starts with none or the number
// does not fit a gap (0 .. 65535), so that the next run refuses it.
uint16_t typedGap(const std::string& text) {
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || errno != 0 || value < 0 || value > 65535) return 0;
  return static_cast<uint16_t>(value);
}

// Leaves the parameter view for a run, or for the subset view when a tuple series has no
// subset yet.
void leaveForRun(Window& window, AppState& s) {
  if ((s.seriesType == 36 || s.seriesType == 40) && s.selectedSubsetCount == 0) {
    s.viewState = 9;
    window.sendCommand(kMenuSelectSetOfPulses);
    return;
  }
  s.viewState = 6;
  window.sendCommand(CM_NEXT_DATA);
}

void redrawPartially(Window& window, ParamsHeader& p) {
  p.partialRedraw = 1;
  window.sendCommand(CM_REDRAW_WORK_AREA_NO_ERASE);
}

// The position a dashed handle stands for at row y, within the series.
int32_t positionAt(const ParamsHeader& p, int32_t y) {
  const PanelMapping m = PanelMapping::of(p);
  const int64_t v = m.A + ((int64_t{m.gy1} - y) * m.D) / m.gh;
  return static_cast<int32_t>(std::clamp<int64_t>(v, p.startMin, std::max(p.startMin, p.startMax)));
}

// Moves the dragged value to the pointer; a segment whose gap becomes inadmissible ends
// its drag and keeps its last admissible value.
void followDrag(Window& window, ParamsHeader& p, int32_t x, int32_t y) {
  if (p.dragFirstStart) p.firstStartMax = positionAt(p, y);
  if (p.dragLastStart) p.lastStartMin = positionAt(p, y);
  if (p.dragTmin) {
    const int32_t v = tminFromPoint(window, x, y, p);
    if (tminAdmissible(window, v, p)) {
      p.tmin = v;
      window.setEditText(kTminEditId, std::to_string(v));  // the field shows what OK applies
    } else {
      p.dragTmin = 0;
    }
  }
  if (p.dragTmax) {
    const int32_t v = tmaxFromPoint(window, x, y, p);
    if (tmaxAdmissible(window, v, p))
      p.tmax = v;
    else
      p.dragTmax = 0;
  }
}

bool dragging(const ParamsHeader& p) {
  return p.dragFirstStart || p.dragLastStart || p.dragTmin || p.dragTmax;
}

}  // namespace

void releaseParameterPointer(Window& window, AppState& s) {
  if (s.lpParamsHeader == nullptr) return;
  ParamsHeader& p = *s.lpParamsHeader;
  p.dragFirstStart = p.dragLastStart = p.dragTmin = p.dragTmax = 0;
  if (!(p.hoverFirstStart || p.hoverLastStart || p.hoverTmin || p.hoverTmax)) return;
  p.hoverFirstStart = p.hoverLastStart = p.hoverTmin = p.hoverTmax = 0;
  window.setCursor(p.savedCursor);
  window.releaseCapture();
}

bool parameterPanelPress(Window& window, AppState& s, int32_t x, int32_t y) {
  ParamsHeader* params = s.lpParamsHeader;
  if (params == nullptr) return false;
  ParamsHeader& p = *params;
  if (p.cancelButton.contains(x, y)) {
    releaseParameterPointer(window, s);
    window.moveEditControl(kTminEditId, 0, 0, 0, 0);
    s.repaintSeriesSizePanel = s.repaintNoisePanel = s.repaintLostPanel = 0;
    s.repaintButtonColumn = 1;  // the result view shows Restart, which this view does not
    leaveForRun(window, s);
    return true;
  }
  if (p.okButton.contains(x, y)) {
    const uint16_t typed = typedGap(window.editText(kTminEditId, 100));
    // A Tmin the series dialog would refuse is refused here with its words: the panel stays.
    if (const std::string refusal = minimalGapRefusal(typed, s.wTmax); !refusal.empty()) {
      window.messageBox(refusal, kSeriesParametersCaption, kMbOk | kMbIconWarning);
      return true;
    }
    s.wTmin = typed;
    releaseParameterPointer(window, s);
    window.moveEditControl(kTminEditId, 0, 1000, 0, 0);
    s.repaintButtonColumn = 1;
    s.repaintLostPanel = 0;
    leaveForRun(window, s);
    return true;
  }
  const int32_t areas = std::min(p.pulsesSelectedCount, p.pulsesSelectedCapacity);
  for (int32_t k = 0; k < areas && p.pulsesSelectedAreas != nullptr; ++k) {
    if (!p.pulsesSelectedAreas[k].contains(x, y)) continue;
    p.pulses = p.minPulses + k;
    redrawPartially(window, p);
    return true;
  }
  if (p.firstStartHandle.contains(x, y)) {
    p.dragFirstStart = 1;
    return true;
  }
  if (p.lastStartHandle.contains(x, y)) {
    p.dragLastStart = 1;
    return true;
  }
  if (hitTminLine(window, x, y, p)) {
    p.dragTmin = 1;
    return true;
  }
  if (hitTmaxLine(window, x, y, p)) {
    p.dragTmax = 1;
    return true;
  }
  return false;
}

void mouseMove(Window& window, AppState& s, int32_t x, int32_t y, uint32_t keys) {
  (void)keys;
  if (s.viewState != 10) {
    releaseParameterPointer(window, s);  // the view was left by a command while hovering
    return;
  }
  if (s.lpParamsHeader == nullptr) return;
  ParamsHeader& p = *s.lpParamsHeader;
  if (dragging(p)) {
    followDrag(window, p, x, y);
    redrawPartially(window, p);
    return;
  }
  int32_t* flags[4] = {&p.hoverFirstStart, &p.hoverLastStart, &p.hoverTmin, &p.hoverTmax};
  int32_t now = -1;
  if (p.firstStartHandle.contains(x, y))
    now = 0;
  else if (p.lastStartHandle.contains(x, y))
    now = 1;
  else if (hitTminLine(window, x, y, p))
    now = 2;
  else if (hitTmaxLine(window, x, y, p))
    now = 3;
  int32_t before = -1;
  for (int32_t t = 0; t < 4; ++t)
    if (*flags[t] != 0) before = t;
  if (now == before) return;
  if (before >= 0) {
    for (int32_t* flag : flags) *flag = 0;
    window.setCursor(p.savedCursor);
    window.releaseCapture();
  }
  if (now >= 0) {
    *flags[now] = 1;
    window.setCapture();
    p.savedCursor = window.setCursor(now < 2 ? CursorShape::kSizeNS : CursorShape::kSizeNWSE);
  }
}

void mouseRelease(Window& window, AppState& s, int32_t x, int32_t y, uint32_t keys) {
  (void)keys;
  if (s.viewState != 10 || s.lpParamsHeader == nullptr) return;
  ParamsHeader& p = *s.lpParamsHeader;
  if (!dragging(p)) return;
  followDrag(window, p, x, y);
  p.dragFirstStart = p.dragLastStart = p.dragTmin = p.dragTmax = 0;
  redrawPartially(window, p);
}
