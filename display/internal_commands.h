#pragma once
#include <cstdint>

// Internal commands the window sends itself (synchronously) to chain the steps of a run
// and to ask for repaints.
enum : uint16_t {
  CM_EXIT = 204,
  CM_NEXT_DATA = 205,
  CM_NOTHING = 207,
  CM_MAKE_SERIES = 208,
  CM_ADD_NOISE = 209,
  CM_PROCESS = 210,
  CM_APPLY_CHOICES = 211,
  CM_REDRAW_ETALON_CELLS = 212,
  CM_REDRAW_WORK_AREA_AND_BUTTONS = 213,
  CM_SIMULATION_SETUP = 214,
  CM_SERIES_DIALOG = 215,
  CM_MAKE_SERIES_KEEP_SEQUENCE = 216,
  CM_REDRAW_RESULT = 218,
  CM_REDRAW_SUBSET_FRAME = 221,
  CM_REDRAW_WORK_AREA = 222,
  CM_REDRAW_WORK_AREA_NO_ERASE = 223,
  CM_REDRAW_SUBSETS = 224,
};

// The menu command " Select set of pulses" (enter the subset view), which the mouse
// handling sends too.
constexpr uint16_t kMenuSelectSetOfPulses = 40016;

// Id of the parameter panel's edit control.
constexpr uint16_t kTminEditId = 225;
