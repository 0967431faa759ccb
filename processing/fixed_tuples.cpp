#include "processing/fixed_tuples.h"

#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/message_sink.h"
#include "processing/chains_header.h"
#include "processing/fixed_chain_search.h"
#include "processing/solver_input.h"
#include "processing/tuple_chain.h"
#include "processing/tuple_fragments.h"
#include "processing/tuple_segmentation.h"
#include "processing/working_limits.h"
#include "signal/memory_failure.h"
#include "signal/series_header.h"

namespace {

// Starting values: predecessor minimum, last pulse, backward windows.
constexpr FixedChainStarts kTupleStarts{999999, 9999999, 999999};
constexpr int32_t kNoBest = 9999999;

struct FixedTupleRun {
  uint16_t q = 0;
  std::vector<int32_t> lo;
  std::vector<int32_t> hi;
  TupleFragments fragments;
  FixedChainWork work;
  std::vector<const int32_t*> rows;
  TupleChain current;
  TupleChain best;
  bool found = false;
  int32_t bestValue = kNoBest;
  int32_t bestSubset = 0;
};

// Checks the input and allocates everything the run needs, so that nothing can fail once
// the header and the series are being written. Returns false (after the memory message, or
// quietly for a refusal).
bool prepareRun(MessageSink& window, FixedTupleRun& run, const PulseHeader* alphabet, int32_t count,
                const int32_t* sizes, const int32_t* const* subsets, uint16_t level,
                const ChainsHeader* chains, const SeriesHeader* series, bool ownBounds, uint16_t tmin,
                uint16_t tmax, const char* blockMessage) {
  if (!seriesUsable(series, series == nullptr ? 0 : series->wImpulseQuantity)) return false;
  const uint16_t n = series->wImpulseSize;
  if (n == 0 || !tupleListUsable(alphabet, series->wEtalonsQuantity, count, sizes, subsets, n)) return false;
  const uint16_t q = series->wImpulseQuantity;
  if (chains != nullptr && chains->wMaxPulses < q) return false;
  run.q = q;
  const int64_t N = series->dwSeriesSize;
  const int64_t lastStart = N - n;
  if (!allocatedOrSaid(window, "Нет памяти для ppDw!", "", kMbOk, [&] {
        run.rows.resize(q);
        reserveTupleChain(run.current, q);
        reserveTupleChain(run.best, q);
      }))
    return false;
  if (!allocatedOrSaid(window, blockMessage, "", kMbOk, [&] {
        if (ownBounds) {
          run.lo.resize(q);
          run.hi.resize(q);
          for (int64_t k = 0; k < q; ++k) {
            int64_t lo = N - int64_t{tmax} * (q - k);
            if (lo < int64_t{tmin} * k) lo = int64_t{tmin} * k;
            int64_t hi = int64_t{tmax} * (k + 1) - n;
            if (hi > lastStart - int64_t{tmin} * (q - k - 1)) hi = lastStart - int64_t{tmin} * (q - k - 1);
            // Outside 0 .. N - n a bound only empties the range; keep it within 32 bits.
            run.lo[k] = static_cast<int32_t>(lo > N ? N : lo);
            run.hi[k] = static_cast<int32_t>(hi < -1 ? -1 : hi);
          }
        } else {
          fixedPulseRanges(*series, run.lo, run.hi);
        }
        const int32_t positions = lastStart >= 0 ? static_cast<int32_t>(lastStart + 1) : 0;
        const uint64_t values = tupleFragmentValues(tupleDistinctEtalons(count, sizes, subsets), positions) +
                                fixedChainWorkValues(q, run.lo.data(), run.hi.data()) + uint64_t{2} * q;
        if (values > kMaxSolverWorkingValues) throw std::bad_alloc();
        if (positions > 0)
          computeTupleFragments(run.fragments, alphabet, count, sizes, subsets, n, level, series->lpNoisyData,
                                series->dwSeriesSize);
        // Size the search's tables once, so that no phase allocates.
        run.work.d.resize(static_cast<size_t>(fixedChainWorkValues(q, run.lo.data(), run.hi.data())));
        run.work.offset.resize(q + size_t{1});
        run.work.window.resize(2 * static_cast<size_t>(positions) + q);
        run.work.trace.resize(q);
      }))
    return false;
  return true;
}

// One tuple in one phase - forward pass, last pulse, backward pass, cut into tuples: fills
// run.current; false when no chain.
bool phaseChain(FixedTupleRun& run, int32_t size, const int32_t* tuple, int32_t phase, uint16_t tmin,
                uint16_t tmax) {
  const uint16_t q = run.q;
  if (q == 0 || run.fragments.positions <= 0) return false;
  for (uint16_t j = 0; j < q; ++j) {
    const int32_t index = tuple[(phase + j) % size] - 1;
    run.rows[j] = run.fragments.score[run.fragments.rowOf[index]].data();
  }
  TupleChain& c = run.current;
  if (!searchFixedChain(run.work, q, run.lo.data(), run.hi.data(), tmin, tmax, run.rows.data(), kTupleStarts,
                        c.positions.data(), c.value))
    return false;
  c.count = q;
  for (uint16_t j = 0; j < q; ++j) {
    const int32_t number = tuple[(phase + j) % size];
    const int32_t row = run.fragments.rowOf[number - 1];
    c.etalons[j] = number;
    c.begins[j] = run.fragments.begin[row][c.positions[j]];
    c.ends[j] = run.fragments.end[row][c.positions[j]];
  }
  c.tuples = segmentTuples(q, static_cast<uint32_t>(size), static_cast<uint32_t>(phase), c.firsts.data(),
                           c.lasts.data());
  return true;
}

// Keeps run.current as the best chain when it is strictly better.
void offerBest(FixedTupleRun& run, int32_t subset) {
  if (run.current.value < run.bestValue) {
    run.bestValue = run.current.value;
    run.bestSubset = subset;
    run.found = true;
    std::swap(run.current, run.best);
  }
}

int32_t insertCurrent(ChainsHeader& chains, const TupleChain& c) {
  return insertChain(chains, c.value, c.count, c.etalons.data(), c.positions.data(), c.begins.data(),
                     c.ends.data(), ChainRowCopy::kNewChainLength);
}

}  // namespace

int detectFixedTuples(MessageSink& window, const PulseHeader* alphabet, int32_t tupleSize,
                      const int32_t* tuple, uint16_t subsetProceeding, uint16_t tmin, uint16_t tmax,
                      uint16_t level, ChainsHeader* chains, SeriesHeader* series) {
  FixedTupleRun run;
  const int32_t* rows[1] = {tuple};
  if (!prepareRun(window, run, alphabet, 1, &tupleSize, rows, level, chains, series, true, tmin, tmax,
                  "Нет памяти для ppDw[m]!"))
    return 0;
  if (chains != nullptr) clearChainsForRun(*chains, run.q, run.q, run.q);
  const int32_t phases = subsetProceeding == 1 ? 1 : tupleSize;
  for (int32_t m = 0; m < phases; ++m) {
    if (phaseChain(run, tupleSize, tuple, m, tmin, tmax)) {
      if (chains != nullptr) insertCurrent(*chains, run.current);
      offerBest(run, 1);
    }
    if (!window.keepGoing("phases", uint64_t(m) + 1, uint64_t(phases))) return 0;
  }
  writeTupleChain(*series, run.found ? &run.best : nullptr);
  return 1;
}

int32_t recognizeFixedTuples(MessageSink& window, const PulseHeader* alphabet, const int32_t* subsetSizes,
                             const int32_t* const* subsets, int32_t subsetCount, uint16_t subsetProceeding,
                             uint16_t tmin, uint16_t tmax, uint16_t level, ChainsHeader* chains,
                             SeriesHeader* series) {
  FixedTupleRun run;
  if (!prepareRun(window, run, alphabet, subsetCount, subsetSizes, subsets, level, chains, series, false,
                  tmin, tmax, "Нет памяти для ppDw[]!"))
    return 0;
  if (chains != nullptr) clearChainsForRun(*chains, run.q, run.q, run.q);
  for (int32_t i = 0; i < subsetCount; ++i) {
    const int32_t phases = subsetProceeding == 1 ? 1 : subsetSizes[i];
    for (int32_t m = 0; m < phases; ++m) {
      if (!phaseChain(run, subsetSizes[i], subsets[i], m, tmin, tmax)) continue;
      // Inserting before offering changes nothing: the ranking does not depend on the best.
      if (chains != nullptr && insertCurrent(*chains, run.current) == 0)
        chains->wSeekingPulsesQuantity = run.q;
      offerBest(run, i + 1);
    }
    if (!window.keepGoing("subsets", uint64_t(i) + 1, uint64_t(subsetCount))) return 0;
  }
  writeTupleChain(*series, run.found ? &run.best : nullptr);
  series->wRecognizedSubset = static_cast<int16_t>(run.bestSubset);
  if (chains != nullptr) chains->wSeekingPulsesQuantity = run.q;
  return run.bestSubset;
}
