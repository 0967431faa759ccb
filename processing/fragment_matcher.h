#pragma once
#include <cstdint>
#include <vector>

// The records of the matching step: the best fragment at a position and the prepared etalons
// with their scratch space. The operations over them are in matching_step.h (one position)
// and fragment_rows.h (many positions at once).

// The best fragment found at a position: its score, the etalon's 0-based alphabet index and
// the kept part [begin, end].
struct FragmentChoice {
  int32_t score = 0;
  int32_t etalonIndex = 0;
  int32_t begin = 0;
  int32_t end = 0;
};

// One candidate etalon prepared for matching.
struct MatchEtalon {
  const int16_t* samples = nullptr;  // n samples
  int32_t alphabetIndex = 0;         // 0-based
  int32_t threshold = 0;             // energy a kept part must exceed
  std::vector<int32_t> energies;     // running energies, n + 1 values
  bool hasParts = false;             // some kept part besides the whole pulse qualifies
  int32_t firstNoStart = 0;          // kept parts may start at b < firstNoStart only
  std::vector<int32_t> firstEnd;     // per start b < firstNoStart: the smallest admissible end
};

// The prepared etalon list of one solver run, with scratch space so that matching a
// position allocates nothing.
struct FragmentMatcher {
  uint16_t n = 0;
  std::vector<MatchEtalon> etalons;
  bool partsPossible = false;                    // some etalon admits a kept part other than the whole pulse
  bool exactShortcut = false;                    // no score can leave 32 bits, so suffix minima are exact
  std::vector<int32_t> prefix;                   // n + 1 scratch values
  std::vector<int32_t> suffixMin;                // n + 2 scratch values
  std::vector<int32_t> suffixArg;                // n + 2 scratch values
  std::vector<uint32_t> corr;                    // whole-pulse correlations of a range of positions
  std::vector<int32_t> rowsF, rowsMin, rowsArg;  // position-parallel rows of kept-part search
  std::vector<int16_t> blockSamples;             // the samples under one block of positions
};
