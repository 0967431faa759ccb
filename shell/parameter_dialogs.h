#pragma once
#include <cstdint>

#include "processing/working_limits.h"

class Window;
struct AppState;

// The modal parameter dialogs. Each opens its template on `window`, shows the settings of
// `state`, and on OK writes what was typed or clicked back; the four dialogs that commands
// wait on (105, 106, 107, 110) leave dialogAccepted 1 after OK and 0 after Cancel or when
// the dialog cannot be opened. Each returns the result of Window::runDialog (-1 when the
// template is missing).

// Dialog 105 "Create Series": series length, Tmin, Tmax, etalon number and both saved energy
// levels. OK is refused with a message (the dialog stays open) when Tmin is 0, Tmax is below
// Tmin, the length is below the etalon length or above kMaxSolverSeriesSize, the pulses that
// fit exceed 65535, a level lies outside 0..100 or the etalon number outside the alphabet.
int runCreateSeriesDialog(Window& window, AppState& state);

// Dialog 106 "Create Series": pulse count, the etalon sequence as a list field, noise level.
// OK is refused with a message while an entry of the sequence lies outside the alphabet.
int runSeriesStructureDialog(Window& window, AppState& state);

// Dialog 107 "List of Required Etalons": the count and the list. A count of 0 or above the
// list's capacity keeps the old count. Does nothing (dialogAccepted 0) without a list.
int runRequiredEtalonsDialog(Window& window, AppState& state);

// Dialog 110 " Location Parameters": pulse range and increment, noise grid, repeats. OK is
// refused with a message for zero repeats, zero noise steps, an empty or inverted pulse
// range, or a grid over the simulation's cell limit.
int runSimulationParametersDialog(Window& window, AppState& state);
