#pragma once
#include <cstdint>

#include "settings/settings_state.h"

// Recomputes wMinPulses and wMaxPulses from dwSeriesSize, wImpulseSize, wTmin and wTmax
// (a zero distance gives a bound of 0) and resets wPulsesRequested to their midpoint.
void resetPulseBounds(Settings& state);

// wPulsesUsed = wPulsesRequested when it lies within the current bounds, else their midpoint.
void clampPulsesUsed(Settings& state);

// Sets the requested lost data level and both requested saved energy levels (100 - lost).
void setLostLevel(Settings& state, int16_t lostLevel);

// What a whole-pulse or tuple series-type command does to the levels: lost level 0
// (choice index 1), every saved energy level 100.
void resetLevelsForWholePulses(Settings& state);

// Marks the entry of the choice table equal to value; leaves the mark when no entry is.
void markChoice(ChoiceTable& table, int32_t value);

// effectiveTaskType from taskType and seriesType.
void updateEffectiveTaskType(Settings& state);

// chartKind from handlingCase, viewCase and boundsIncluded.
void updateChartKind(Settings& state);

// etalonSelected from the first requiredCount entries of requiredList (a null list
// clears every flag).
void requiredFlagsFromState(Settings& state);

// requiredList (at most requiredCapacity entries) and requiredCount from etalonSelected,
// ascending. With no list allocated requiredCount becomes 0.
void requiredListFromState(Settings& state);
