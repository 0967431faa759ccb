#pragma once
// Per-pulse margins of a long-recording answer: how much worse the best admissible answer
// becomes when no pulse may start within n / 2 samples of a found pulse, in units of the
// etalon's energy. 0: an answer without this pulse is just as good; infinity: no admissible
// answer avoids it.
//
// From the forward values F (best chain ending with a pulse at p) and the values G of a
// backward pass (best chain continuing from a pulse at p to the end, taken as the pass makes
// them, from the last pulse to the first), an answer avoiding the
// zone [p - h, p + h] either ends before it, starts after it, or jumps over it from a pulse m
// to a pulse q (within tmin .. tmax, or with a break); prefix and suffix minima swept once
// over the pulses and a window of tmax positions around each make it linear in the length.
#include <cstdint>
#include <functional>
#include <vector>

#include "processing/chain_pass.h"
#include "processing/long_position_sets.h"

struct MarginInput {
  const LongPositionSets* sets = nullptr;  // the position sets; null with breaks
  int64_t size = 0;
  int64_t n = 0;
  int64_t tmin = 0;
  int64_t tmax = 0;
  int64_t breakCost = -1;  // -1: no breaks
  int64_t criterion = 0;   // the best answer's value
  int64_t energy = 1;      // the unit of the margins
  int threads = 1;
  double firstShare = 0;  // on two threads, the first one's share of the pass (0: measured)
};

// Scores of the start positions first .. first + count - 1, into out, with a thread's rows
// (called from several threads at once).
using MarginScores = PassScores;

// The margin of every pulse at positions (ascending) given the forward values (one per start
// position), into margins: a row of one 0 a pulse made beforehand (made here when its length
// differs). The backward values are kept only as far as the margins still need them; on two
// threads each one takes the pulses of its half of the backward pass. May throw
// std::bad_alloc.
void pulseMargins(const MarginInput& input, const KeptValues& forward, const std::vector<int64_t>& positions,
                  const MarginScores& scores, std::vector<double>& margins);
