#pragma once
#include <cstdint>
#include <vector>

struct PulseHeader;
struct IntervalSet;

// The matching step shared by every solver: how well a part of an etalon fits the series
// at a start position.
//
// Running energies of an etalon s of n samples: P[0] = 0, P[i+1] = P[i] + s[i]^2, so
// P[n] is the etalon's energy. A kept part [b, e] qualifies when it holds strictly more
// energy than the threshold level x P[n] / 100; the whole etalon always qualifies.

// Fills energies[0 .. n] with the running energies of the n samples s.
void etalonsPartialEnergy(const int16_t* s, uint16_t n, int32_t* energies);

// level x energy / 100, truncating toward zero.
int32_t energyThreshold(uint16_t level, int32_t energy);

// Sum over i = b..e of s[i] x (s[i] - 2 x[p+i]), in 32-bit two's-complement arithmetic:
// the squared distance of the kept part to the samples under it minus their energy.
int32_t fragmentScore(const int16_t* s, const int16_t* x, int32_t p, int32_t b, int32_t e);

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

// Prepares the matcher for the etalons list[0 .. count-1] (1-based numbers into alphabet)
// of n samples at the given level, over the series x of size samples. Returns false when
// the list is empty, a number lies outside 1 .. etalonsQuantity, or an etalon has fewer
// than n samples. May throw std::bad_alloc.
bool prepareFragmentMatcher(FragmentMatcher& matcher, const PulseHeader* alphabet, uint16_t etalonsQuantity,
                            uint16_t count, const uint16_t* list, uint16_t n, uint16_t level,
                            const int16_t* x, uint32_t size);

// Best-fragment search at position p (0 <= p <= size - n): for each etalon in list order the
// whole pulse, then every qualifying kept part by ascending begin and end; a candidate
// replaces the current best only when strictly lower, the first etalon's whole pulse
// being taken unconditionally.
FragmentChoice bestFragmentAt(FragmentMatcher& matcher, const int16_t* x, int32_t p);

// bestFragmentAt for every position first .. last (inclusive, within the series), written
// to out[0 .. last-first].
void bestFragmentsOver(FragmentMatcher& matcher, const int16_t* x, int32_t first, int32_t last,
                       FragmentChoice* out);

// bestFragmentsOver for every interval of the set, written to fragments[position]. Returns
// false (nothing more written) when a position lies beyond the table.
bool bestFragmentsOverSet(FragmentMatcher& matcher, const int16_t* x, const IntervalSet& set,
                          std::vector<FragmentChoice>& fragments);
