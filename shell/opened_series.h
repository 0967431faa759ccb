#pragma once
#include <cstdint>
#include <string>
#include <vector>

class Window;
struct AppState;

// Puts the samples of the file `source` into the series header with the current distances; false
// after a message (a series too short for one pulse is named by the file).
bool installSeries(Window& window, AppState& state, const std::vector<int16_t>& samples,
                   const std::string& source);

// Before a processing run on an opened series: puts its samples into the series header for
// the current series type (a known number of pulses, or none), keeping noise added since.
// False after a message when the series admits no pulses with the current distances.
bool prepareOpenedSeries(Window& window, AppState& state);
