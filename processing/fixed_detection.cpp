#include "processing/fixed_detection.h"

#include <cstddef>
#include <new>
#include <stdexcept>
#include <vector>

#include "platform/message_sink.h"
#include "processing/chains_header.h"
#include "processing/fixed_chain_search.h"
#include "processing/matching_step.h"
#include "processing/solver_input.h"
#include "processing/working_limits.h"
#include "signal/memory_failure.h"
#include "signal/series_header.h"

int detectFixedPulses(MessageSink& window, const PulseHeader* alphabet, uint16_t etalonCount,
                      const uint16_t* etalonList, uint16_t tmin, uint16_t tmax, uint16_t level,
                      ChainsHeader* chains, SeriesHeader* series) {
  if (!seriesUsable(series, series != nullptr ? series->wImpulseQuantity : 0)) return 0;
  const uint16_t q = series->wImpulseQuantity;
  const uint32_t size = series->dwSeriesSize;
  const uint16_t n = series->wImpulseSize;
  if (chains != nullptr && chains->wMaxPulses < q) return 0;

  // The table of rows (ranges and per-pulse score rows) and then the working block, whose
  // size is judged as the solver's single block of 4 Q N + L (n + 2) + 4 Q values.
  std::vector<int32_t> lo, hi;
  std::vector<const int32_t*> scoreOfPulse;
  if (!allocatedOrSaid(window, "Нет памяти для ppDw!", "", kMbOk, [&] {
        fixedPulseRanges(*series, lo, hi);
        scoreOfPulse.resize(q);
      }))
    return 0;
  const uint64_t blockValues = 4ull * q * size + uint64_t{etalonCount} * (n + 2u) + 4ull * q;
  FragmentMatcher matcher;
  FixedChainWork work;
  std::vector<FragmentChoice> fragments;
  std::vector<int32_t> scores, etalons, positions, begins, ends;
  bool refused = false;
  if (!allocatedOrSaid(window, "Нет памяти для ppDw[m]!", "", kMbOk, [&] {
        if (blockValues > kMaxSolverWorkingValues) throw std::bad_alloc();
        if (!prepareFragmentMatcher(matcher, alphabet, series->wEtalonsQuantity, etalonCount, etalonList, n,
                                    level, series->lpNoisyData, size))
          return void(refused = true);
        const uint32_t positionsCount = size >= n ? size - n + 1 : 0;
        fragments.resize(positionsCount);
        scores.resize(positionsCount);
        etalons.resize(q);
        positions.resize(q);
        begins.resize(q);
        ends.resize(q);
        work.d.reserve(fixedChainWorkValues(q, lo.data(), hi.data()));
      }))
    return 0;
  if (refused) return 0;

  if (chains != nullptr) clearChainsForRun(*chains, q, q, q);

  // The best fragment of every position any pulse may take, computed once.
  int32_t first = 0;
  int32_t last = -1;
  spanOfRanges(lo, hi, q, first, last);
  bestFragmentsOver(matcher, series->lpNoisyData, first, last,
                    fragments.data() + (last >= first ? first : 0));
  for (int32_t p = first; p <= last; ++p)
    scores[static_cast<std::size_t>(p)] = fragments[static_cast<std::size_t>(p)].score;
  for (uint16_t j = 0; j < q; ++j) scoreOfPulse[j] = scores.data();

  int32_t value = 0;
  bool found = false;
  if (!allocatedOrSaid(window, "Нет памяти для ppDw[m]!", "", kMbOk, [&] {
        found = searchFixedChain(work, q, lo.data(), hi.data(), tmin, tmax, scoreOfPulse.data(),
                                 FixedChainStarts{999999, 9999999, 999999999}, positions.data(), value);
      }))
    return 0;
  if (!found) {
    series->wRestoredQuantity = 0;
    return 1;
  }
  for (uint16_t j = 0; j < q; ++j) {
    const FragmentChoice& f = fragments[static_cast<std::size_t>(positions[j])];
    etalons[j] = f.etalonIndex + 1;
    begins[j] = f.begin;
    ends[j] = f.end;
  }
  writeRestoredChain(*series, q, etalons.data(), positions.data(), begins.data(), ends.data());
  if (chains != nullptr)
    insertChain(*chains, value, q, etalons.data(), positions.data(), begins.data(), ends.data(),
                ChainRowCopy::kNewChainLength);
  return 1;
}
