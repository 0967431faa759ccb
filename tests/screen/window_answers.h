#pragma once
// What the window shows against what the libraries compute: the answer on screen against the
// companion's run on the same series with the settings the header shows, the header's texts,
// and a statistical chart against the chart a fresh window draws from the run's own result.
#include <cstdint>
#include <optional>
#include <string>

#include "files/simulation_result.h"

struct AppState;
class HeadlessWindow;

// Empty when the answer of the current series (restored pulses, etalons, cuts) is what the
// shared run computes on its noisy samples with the task, series type, pulse count, Tmin, Tmax,
// processing level of the header, the required list of the run and the window's subsets; else what
// differs. Only for a result view (viewState 6, resultKind 1) of a stamped run.
std::string answerProblem(const AppState& state);

// Empty when every field of the header's run description names something; else the line.
std::string headerProblem(const AppState& state);

// The result of a statistical simulation that has just completed, as a fresh window would open
// it (the current series is then the run's last trial).
std::optional<SimulationResult> resultOfRun(const AppState& state);

// Empty when the work area of `shown` (a chart view) equals, pixel for pixel, the chart a
// fresh window of the same size draws from `result` with the same chart settings.
std::string chartProblem(HeadlessWindow& shown, const AppState& state, const SimulationResult& result);
