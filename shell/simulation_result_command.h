#pragma once
// Opening a simulation result written by detection-batch (simulate --json, or merge) as if the
// simulation had just run in the window.
#include <cstdint>
#include <string>

class Window;
struct AppState;
struct SimulationResult;

// Menu command of File: "Open simulation result...".
enum : uint16_t { kCmOpenSimulationResult = 40104 };

// Why the result cannot be shown with the workbench's state (empty when it can): a result that
// does not hold every cell of its run, or whose alphabet or etalons differ from the workbench's.
std::string simulationResultProblem(const AppState& state, const SimulationResult& result);

// Puts the result into the simulation record as a finished run leaves it: the error tables, the
// required list of the run, the current series' description (length, distances, pulse bounds,
// the etalon of the last trial's first pulse, the subsets) and the run's times. False after a
// message when memory is short; the state is then unchanged.
bool takeSimulationResult(Window& window, AppState& state, const SimulationResult& result);

// "Open simulation result...": asks for the file, reads it, and shows the chart settings dialog
// and the chart as after a simulation run. A file that cannot be read or does not fit is refused
// with a message, and the current record stays.
void commandOpenSimulationResult(Window& window, AppState& state);
