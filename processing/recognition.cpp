#include "processing/recognition.h"

#include <cstddef>
#include <new>
#include <stdexcept>
#include <vector>

#include "platform/message_sink.h"
#include "processing/chains_header.h"
#include "processing/fixed_chain_search.h"
#include "processing/matching_step.h"
#include "processing/position_sets.h"
#include "processing/solver_input.h"
#include "processing/unfixed_chain_search.h"
#include "processing/working_limits.h"
#include "signal/memory_failure.h"
#include "signal/series_header.h"

namespace {

// One matcher per candidate etalon, each over that etalon alone. False when an etalon of the
// list is not usable.
bool prepareSingleMatchers(std::vector<FragmentMatcher>& matchers, const PulseHeader* alphabet,
                           uint16_t etalonCount, const uint16_t* etalonList, uint16_t level,
                           const SeriesHeader& series) {
  if (etalonList == nullptr || etalonCount == 0) return false;
  matchers.resize(etalonCount);
  for (uint16_t t = 0; t < etalonCount; ++t)
    if (!prepareFragmentMatcher(matchers[t], alphabet, series.wEtalonsQuantity, 1, etalonList + t,
                                series.wImpulseSize, level, series.lpNoisyData, series.dwSeriesSize))
      return false;
  return true;
}

}  // namespace

int32_t recognizeFixedPulses(MessageSink& window, const PulseHeader* alphabet, uint16_t etalonCount,
                             const uint16_t* etalonList, uint16_t tmin, uint16_t tmax, uint16_t level,
                             ChainsHeader* chains, SeriesHeader* series) {
  if (!seriesUsable(series, series != nullptr ? series->wImpulseQuantity : 0)) return -1;
  const uint16_t q = series->wImpulseQuantity;
  const uint32_t size = series->dwSeriesSize;
  const uint16_t n = series->wImpulseSize;
  if (chains != nullptr && chains->wMaxPulses < q) return -1;

  std::vector<int32_t> lo, hi;
  std::vector<const int32_t*> scoreOfPulse;
  if (!allocatedOrSaid(window, "Нет памяти для ppDw!", "", kMbOk, [&] {
        fixedPulseRanges(*series, lo, hi);
        scoreOfPulse.resize(q);
      }))
    return -1;
  // Judged as the solver's block: Q criterion rows, Q begin/end rows, one energy row and the
  // current and best chains.
  const uint64_t blockValues = 3ull * q * size + (n + 1u) + 6ull * q;
  std::vector<FragmentMatcher> matchers;
  FixedChainWork work;
  std::vector<FragmentChoice> fragments;
  std::vector<int32_t> scores, positions, begins, ends, etalons, bestPositions, bestBegins, bestEnds;
  bool refused = false;
  if (!allocatedOrSaid(window, "Нет памяти для indexes!", "", kMbOk, [&] {
        if (blockValues > kMaxSolverWorkingValues) throw std::bad_alloc();
        if (!prepareSingleMatchers(matchers, alphabet, etalonCount, etalonList, level, *series))
          return void(refused = true);
        const uint32_t positionsCount = size >= n ? size - n + 1 : 0;
        fragments.resize(positionsCount);
        scores.resize(positionsCount);
        for (std::vector<int32_t>* v :
             {&positions, &begins, &ends, &etalons, &bestPositions, &bestBegins, &bestEnds})
          v->resize(q);
        work.d.reserve(fixedChainWorkValues(q, lo.data(), hi.data()));
      }))
    return -1;
  if (refused) return -1;

  if (chains != nullptr) clearChainsForRun(*chains, q, q, q);
  int32_t first = 0;
  int32_t last = -1;
  spanOfRanges(lo, hi, q, first, last);
  for (uint16_t j = 0; j < q; ++j) scoreOfPulse[j] = scores.data();

  int32_t bestValue = 999999999;
  int32_t recognized = -1;
  for (uint16_t t = 0; t < etalonCount; ++t) {
    if (last >= first)
      bestFragmentsOver(matchers[t], series->lpNoisyData, first, last, fragments.data() + first);
    for (int32_t p = first; p <= last; ++p)
      scores[static_cast<std::size_t>(p)] = fragments[static_cast<std::size_t>(p)].score;
    int32_t value = 0;
    bool found = false;
    if (!allocatedOrSaid(window, "Нет памяти для indexes!", "", kMbOk, [&] {
          found =
              searchFixedChain(work, q, lo.data(), hi.data(), tmin, tmax, scoreOfPulse.data(),
                               FixedChainStarts{999999999, 999999999, 999999999}, positions.data(), value);
        }))
      return -1;
    if (!found) continue;
    for (uint16_t j = 0; j < q; ++j) {
      const FragmentChoice& f = fragments[static_cast<std::size_t>(positions[j])];
      etalons[j] = etalonList[t];
      begins[j] = f.begin;
      ends[j] = f.end;
    }
    if (chains != nullptr)
      insertChain(*chains, value, q, etalons.data(), positions.data(), begins.data(), ends.data(),
                  ChainRowCopy::kNewChainLength);
    if (value < bestValue) {
      bestValue = value;
      recognized = etalonList[t];
      bestPositions = positions;
      bestBegins = begins;
      bestEnds = ends;
    }
  }
  if (recognized < 0) {
    series->wRestoredQuantity = 0;
    return -1;
  }
  for (uint16_t j = 0; j < q; ++j) etalons[j] = recognized;
  writeRestoredChain(*series, q, etalons.data(), bestPositions.data(), bestBegins.data(), bestEnds.data());
  return recognized;
}

uint16_t recognizeUnfixedPulses(MessageSink& window, const PulseHeader* alphabet, uint16_t etalonCount,
                                const uint16_t* etalonList, uint16_t tmin, uint16_t tmax, uint16_t level,
                                ChainsHeader* chains, SeriesHeader* series) {
  if (chains == nullptr || !unfixedRunAcceptable(series, tmin, chains)) return 0;
  const uint32_t size = series->dwSeriesSize;
  const uint16_t n = series->wImpulseSize;
  const uint16_t jmax = series->wMaxPulses;
  const uint32_t capacity = unfixedChainCapacity(*series, tmin);
  const uint32_t positionsCount = size >= n ? size - n + 1 : 0;

  std::vector<FragmentMatcher> matchers;
  std::vector<int32_t> etalons, positions, begins, ends;
  bool refused = false;
  if (!allocatedOrSaid(window, "Нет памяти для indexes!", "", kMbOk, [&] {
        if (uint64_t{jmax} + n + 1u > kMaxSolverWorkingValues) throw std::bad_alloc();
        if (!prepareSingleMatchers(matchers, alphabet, etalonCount, etalonList, level, *series))
          return void(refused = true);
        for (std::vector<int32_t>* v : {&etalons, &positions, &begins, &ends}) v->resize(capacity);
      }))
    return 0;
  if (refused) return 0;

  chains->wQuanPulses = series->wImpulseQuantity;
  chains->wSeekingPulsesQuantity = 0;
  chains->wPretenders = 0;

  uint16_t recognized = 65535;
  PositionSets sets;
  UnfixedRoles roles;
  IntervalSet* either = nullptr;
  std::vector<FragmentChoice> fragments;
  std::vector<int32_t> score;
  UnfixedWork work;
  // Without the position arrays or sets no etalon is processed: the result stays 65,535 and
  // the series receives the empty best chain.
  bool ready = 5ull * size <= kMaxSolverWorkingValues;
  ready = ready && allocated([&] {
            fragments.resize(positionsCount);
            score.resize(positionsCount);
            prepareUnfixedWork(work, positionsCount);
          });
  ready = ready && buildPositionSets(sets, size, n, tmin, tmax, series->wMinPulses, jmax) &&
          splitPositionSets(sets, roles.firstOnly, roles.firstAndLater, roles.laterOnly);
  if (ready) {
    either = copyIntervalSet(nullptr, sets.first);
    ready = either != nullptr && addIntervalSet(either, sets.later) == 1;
  }

  int32_t bestValue = 9999999;
  // Every etalon starts from score, value and predecessor 99,999,999: set once, since each
  // etalon rewrites exactly the same positions (those of the sets) and leaves the rest.
  if (ready) fragments.assign(positionsCount, FragmentChoice{kUnfixedInfinity, 0, 0, n - 1});
  for (uint16_t t = 0; ready && t < etalonCount; ++t) {
    if (!bestFragmentsOverSet(matchers[t], series->lpNoisyData, *either, fragments)) break;
    for (uint32_t p = 0; p < positionsCount; ++p) score[p] = fragments[p].score;
    computeUnfixedValues(work, roles, score.data(), tmin, tmax);
    int32_t end = 0;
    int32_t value = 0;
    if (pickChainEnd(work, *sets.last, kUnfixedInfinity, end, value) && value < bestValue) {
      bestValue = value;
      recognized = etalonList[t];
    }
    if (!pickChainEnd(work, *sets.last, 999999999, end, value)) continue;
    const uint16_t count = static_cast<uint16_t>(traceUnfixedChain(work, end, positions.data()));
    for (uint16_t j = 0; j < count; ++j) {
      const FragmentChoice& f = fragments[static_cast<std::size_t>(positions[j])];
      etalons[j] = etalonList[t];
      begins[j] = f.begin;
      ends[j] = f.end;
    }
    insertChain(*chains, value, count, etalons.data(), positions.data(), begins.data(), ends.data(),
                ChainRowCopy::kOwnLength);
    chains->wSeekingPulsesQuantity =
        chains->wPretenders > 0 ? static_cast<uint16_t>(chains->chainLength[0]) : 0;
  }

  const uint16_t count = chains->wPretenders > 0 ? chains->wSeekingPulsesQuantity : 0;
  for (uint16_t j = 0; j < count; ++j) {
    etalons[j] = chains->pulsesList[0][j];
    positions[j] = chains->positionsList[0][j];
    begins[j] = chains->cutOffBeginList[0][j];
    ends[j] = chains->cutOffEndList[0][j];
  }
  writeRestoredChain(*series, count, etalons.data(), positions.data(), begins.data(), ends.data());

  freeIntervalSet(either);
  freeIntervalSet(roles.firstOnly);
  freeIntervalSet(roles.firstAndLater);
  freeIntervalSet(roles.laterOnly);
  freePositionSets(sets);
  return recognized;
}
