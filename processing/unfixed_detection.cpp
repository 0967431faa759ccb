#include "processing/unfixed_detection.h"

#include <cstddef>
#include <new>
#include <stdexcept>
#include <vector>

#include "platform/message_sink.h"
#include "processing/chains_header.h"
#include "processing/matching_step.h"
#include "processing/position_sets.h"
#include "processing/solver_input.h"
#include "processing/unfixed_chain_search.h"
#include "processing/working_limits.h"
#include "signal/memory_failure.h"
#include "signal/series_header.h"

int detectUnfixedPulses(MessageSink& window, const PulseHeader* alphabet, uint16_t etalonCount,
                        const uint16_t* etalonList, uint16_t tmin, uint16_t tmax, uint16_t level,
                        ChainsHeader* chains, SeriesHeader* series) {
  if (!unfixedRunAcceptable(series, tmin, chains)) return 0;
  const uint32_t size = series->dwSeriesSize;
  const uint16_t n = series->wImpulseSize;
  const uint16_t jmax = series->wMaxPulses;
  const uint32_t capacity = unfixedChainCapacity(*series, tmin);
  const uint32_t positionsCount = size >= n ? size - n + 1 : 0;

  FragmentMatcher matcher;
  bool refused = false;
  if (!allocatedOrSaid(window, "Нет памяти для EtalonsPartialEnergy!", "", kMbOk, [&] {
        if (!prepareFragmentMatcher(matcher, alphabet, series->wEtalonsQuantity, etalonCount, etalonList, n,
                                    level, series->lpNoisyData, size))
          return void(refused = true);
      }))
    return 0;
  if (refused) return 0;
  // Judged as the solver's single block: L energy rows and thresholds, six position arrays
  // and four result lists.
  const uint64_t blockValues = uint64_t{etalonCount} * (n + 2u) + 6ull * size + 4ull * jmax;
  std::vector<FragmentChoice> fragments;
  std::vector<int32_t> score, etalons, positions, begins, ends;
  UnfixedWork work;
  if (!allocatedOrSaid(window, "Нет памяти для indexes!", "", kMbOk, [&] {
        if (blockValues > kMaxSolverWorkingValues) throw std::bad_alloc();
        fragments.assign(positionsCount, FragmentChoice{kUnfixedInfinity, 0, 0, n - 1});
        score.resize(positionsCount);
        prepareUnfixedWork(work, positionsCount);
        etalons.resize(capacity);
        positions.resize(capacity);
        begins.resize(capacity);
        ends.resize(capacity);
      }))
    return 0;

  PositionSets sets;
  UnfixedRoles roles;
  IntervalSet* either = nullptr;
  bool ok = buildPositionSets(sets, size, n, tmin, tmax, series->wMinPulses, jmax) &&
            splitPositionSets(sets, roles.firstOnly, roles.firstAndLater, roles.laterOnly);
  if (ok) {
    either = copyIntervalSet(nullptr, sets.first);
    ok = either != nullptr;
    if (ok) addIntervalSet(either, sets.later);
  }
  if (ok) ok = bestFragmentsOverSet(matcher, series->lpNoisyData, *either, fragments);
  if (ok) {
    if (chains != nullptr) clearChainsForRun(*chains, 0, 0, jmax);
    for (uint32_t p = 0; p < positionsCount; ++p) score[p] = fragments[p].score;
    computeUnfixedValues(work, roles, score.data(), tmin, tmax);
    int32_t end = 0;
    int32_t value = 0;
    if (pickChainEnd(work, *sets.last, kUnfixedInfinity, end, value) && value < 9999999) {
      const uint16_t count = static_cast<uint16_t>(traceUnfixedChain(work, end, positions.data()));
      for (uint16_t j = 0; j < count; ++j) {
        const FragmentChoice& f = fragments[static_cast<std::size_t>(positions[j])];
        etalons[j] = f.etalonIndex + 1;
        begins[j] = f.begin;
        ends[j] = f.end;
      }
      writeRestoredChain(*series, count, etalons.data(), positions.data(), begins.data(), ends.data());
      if (chains != nullptr) {
        insertChain(*chains, value, count, etalons.data(), positions.data(), begins.data(), ends.data(),
                    ChainRowCopy::kOwnLength);
        chains->wSeekingPulsesQuantity =
            chains->wPretenders > 0 ? static_cast<uint16_t>(chains->chainLength[0]) : 0;
      }
    } else {
      series->wRestoredQuantity = 0;
    }
  }
  freeIntervalSet(either);
  freeIntervalSet(roles.firstOnly);
  freeIntervalSet(roles.firstAndLater);
  freeIntervalSet(roles.laterOnly);
  freePositionSets(sets);
  return ok ? 1 : 0;
}
