#pragma once
#include <cstdint>
#include <string>

// The caption of the messages that refuse series parameters.
inline constexpr const char* kSeriesParametersCaption = "Create Series";

// The message that refuses `tmin` as the minimal gap between pulse origins when the maximal
// gap is `tmax`: a zero gap, or one above the maximal gap. Empty when `tmin` is admissible.
// The series dialog and the parameter panel refuse a typed Tmin with the same words.
std::string minimalGapRefusal(uint32_t tmin, uint32_t tmax);
