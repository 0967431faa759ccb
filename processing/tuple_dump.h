#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

struct IntervalSet;

// The verbose dumps of the unknown-number tuple solvers are built in a buffer of 5,000
// characters: a text never exceeds 4,999 characters and is cut there.
constexpr size_t kTupleDumpLimit = 4999;

// The text of one dump: the title, " [first..last] " for each interval of the set, "\n", then
// for each of `layers` layers (headed "l=<layer+1>\n " when layerHeaders is set) one token per
// position of the set - " <G>" for the smallest G of the set on that layer when it is negative,
// " -" for another negative G, " +" otherwise, followed by "[<pred>]" when pred is not
// negative - and "\n ". g[l] and pred[l] are indexed by position.
std::string tupleDumpText(const char* title, const IntervalSet& set, int32_t layers, const int32_t* const* g,
                          const int32_t* const* pred, bool layerHeaders);
