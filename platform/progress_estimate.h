#pragma once
#include <cstdint>
#include <string>

// "time left: about M:SS" (or "H:MM:SS" from an hour) for an operation that took
// `elapsedSeconds` for `done` of `total` equal steps, assuming the rest goes at the same pace.
// Empty while nothing is done or when everything is.
std::string timeLeftText(double elapsedSeconds, uint32_t done, uint32_t total);
