#include "processing/unfixed_tuples.h"

#include <memory>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/message_sink.h"
#include "processing/chains_header.h"
#include "processing/interval_set.h"
#include "processing/position_sets.h"
#include "processing/solver_input.h"
#include "processing/tuple_chain.h"
#include "processing/tuple_dump.h"
#include "processing/tuple_fragments.h"
#include "processing/tuple_segmentation.h"
#include "processing/window_minima.h"
#include "processing/working_limits.h"
#include "signal/memory_failure.h"
#include "signal/series_header.h"

namespace {

constexpr int32_t kDetectInfinity = 99999999;
constexpr int32_t kRecognizeInfinity = 999999999;
const char* const kDumpCaption = " About TuplesDetection ";
constexpr int32_t kWindowRun = 256;  // positions whose windows are read together

struct UnfixedRun {
  int32_t positions = 0;  // N - n + 1
  int32_t jmax = 0;
  int32_t infinity = 0;
  int32_t tmin = 0;
  int32_t tmax = 0;
  TupleFragments fragments;
  // Working tables, left uninitialised: every cell is written before it is read.
  std::unique_ptr<int32_t[]> g;              // value per layer and position, layer-major
  std::unique_ptr<int32_t[]> pred;           // predecessor position per layer and position
  std::unique_ptr<int32_t[]> windowStorage;  // 4 values per layer and position
  std::vector<SlidingArgMin> windows;        // one per layer, read by the next layer
  std::vector<int32_t> member;               // etalon number of each layer of the current tuple
  std::vector<const int32_t*> score;         // best-fragment scores of each layer's etalon
  PositionSets sets;
  IntervalSet* firstOnly = nullptr;
  IntervalSet* both = nullptr;
  IntervalSet* laterOnly = nullptr;
  TupleChain current;
  TupleChain best;
  bool found = false;
  int32_t bestValue = 0;
  int32_t bestSubset = 0;

  UnfixedRun() = default;
  UnfixedRun(const UnfixedRun&) = delete;
  UnfixedRun& operator=(const UnfixedRun&) = delete;
  ~UnfixedRun() {
    freePositionSets(sets);
    freeIntervalSet(firstOnly);
    freeIntervalSet(both);
    freeIntervalSet(laterOnly);
  }
};

// The smallest value below `start` in p's window [p - tmax, p - tmin] of layer values v, and
// its position (-2 when none), the lowest position winning ties, for the distances whose
// windows are not read in runs: tmin = 0, where the window reaches p itself whose other layers
// are being filled, and tmax < tmin, where every window is empty.
void windowMinimum(int32_t tmin, int32_t tmax, const int32_t* v, int32_t p, int32_t start, int32_t& minimum,
                   int32_t& at) {
  minimum = start;
  at = -2;
  if (tmin != 0) return;
  for (int32_t m = p - tmax < 0 ? 0 : p - tmax; m <= p; ++m)
    if (v[m] < minimum) {
      minimum = v[m];
      at = m;
    }
}

void resetWindows(UnfixedRun& run, int32_t layers) {
  if (run.tmin == 0 || run.tmax < run.tmin) return;
  for (int32_t l = 0; l < layers; ++l)
    startSlidingArgMin(run.windows[l], run.g.get() + static_cast<size_t>(l) * run.positions,
                       run.windowStorage.get() + 4 * static_cast<size_t>(l) * run.positions, run.positions,
                       run.tmin, run.tmax);
}

// Checks the input and allocates everything the run needs. Returns false after the memory
// message, or quietly for a refusal.
bool prepareRun(MessageSink& window, UnfixedRun& run, const PulseHeader* alphabet, int32_t count,
                const int32_t* sizes, const int32_t* const* subsets, uint16_t tmin, uint16_t tmax,
                uint16_t level, const ChainsHeader* chains, const SeriesHeader* series) {
  if (!seriesUsable(series, series == nullptr ? 0 : series->wMaxPulses)) return false;
  const uint16_t n = series->wImpulseSize;
  if (n == 0 || !tupleListUsable(alphabet, series->wEtalonsQuantity, count, sizes, subsets, n)) return false;
  run.jmax = series->wMaxPulses;
  if (chains != nullptr && chains->wMaxPulses < run.jmax) return false;
  run.tmin = tmin;
  run.tmax = tmax;
  const int64_t lastStart = int64_t{series->dwSeriesSize} - n;
  run.positions = lastStart >= 0 ? static_cast<int32_t>(lastStart + 1) : 0;
  int32_t largest = 0;
  for (int32_t i = 0; i < count; ++i)
    if (sizes[i] > largest) largest = sizes[i];
  const int32_t layers = largest < run.jmax ? largest : run.jmax;

  const char* energyMessage = "Нет памяти для EtalonsPartialEnergy!";
  if (!allocatedOrSaid(window, energyMessage, "", kMbOk, [&] {
        const uint64_t values =
            tupleFragmentValues(tupleDistinctEtalons(count, sizes, subsets), run.positions) +
            static_cast<uint64_t>(largest);
        if (values > kMaxSolverWorkingValues) throw std::bad_alloc();
        run.member.resize(static_cast<size_t>(largest));
        run.score.resize(static_cast<size_t>(largest));
        if (run.positions > 0)
          computeTupleFragments(run.fragments, alphabet, count, sizes, subsets, n, level, series->lpNoisyData,
                                series->dwSeriesSize);
      }))
    return false;
  const char* layersMessage = "Нет памяти для G_on_layers!";
  if (!allocatedOrSaid(window, layersMessage, "", kMbOk, [&] {
        const uint64_t cells = static_cast<uint64_t>(layers) * static_cast<uint64_t>(run.positions);
        if (uint64_t{6} * cells + uint64_t{8} * run.jmax > kMaxSolverWorkingValues) throw std::bad_alloc();
        run.g.reset(new int32_t[static_cast<size_t>(cells)]);
        run.pred.reset(new int32_t[static_cast<size_t>(cells)]);
        run.windowStorage.reset(new int32_t[4 * static_cast<size_t>(cells)]);
        run.windows.resize(static_cast<size_t>(layers));
        reserveTupleChain(run.current, static_cast<uint16_t>(run.jmax));
        reserveTupleChain(run.best, static_cast<uint16_t>(run.jmax));
        if (!buildPositionSets(run.sets, series->dwSeriesSize, n, tmin, tmax, series->wMinPulses,
                               series->wMaxPulses) ||
            !splitPositionSets(run.sets, run.firstOnly, run.both, run.laterOnly))
          throw std::bad_alloc();
      }))
    return false;
  return true;
}

void showDump(MessageSink& window, const UnfixedRun& run, const char* title, const IntervalSet& set,
              int32_t layers, bool layerHeaders) {
  std::vector<const int32_t*> g(static_cast<size_t>(layers)), pred(static_cast<size_t>(layers));
  for (int32_t l = 0; l < layers; ++l) {
    g[l] = run.g.get() + static_cast<size_t>(l) * run.positions;
    pred[l] = run.pred.get() + static_cast<size_t>(l) * run.positions;
  }
  window.messageBox(tupleDumpText(title, set, layers, g.data(), pred.data(), layerHeaders), kDumpCaption,
                    kMbOk);
}

// Every position of `set` on every layer: the smallest value of the previous layer's window
// below `start` (the layer before layer 0 is the last one), with its position, handed to
// store(l, p0, p1, minima, ats) for positions p0 .. p1 of layer l. With tmin > 0 the windows of
// positions p0 .. p0 + tmin - 1 reach only below p0, so such a run of positions is taken layer
// by layer from final values.
template <class Store>
void fillLayers(UnfixedRun& run, int32_t layers, const IntervalSet& set, int32_t start, const Store& store) {
  const int32_t P = run.positions;
  const int32_t tmin = run.tmin;
  const int32_t tmax = run.tmax;
  SlidingArgMin* windows = run.windows.data();
  const int32_t* g = run.g.get();
  const bool inRuns = tmin > 0 && tmax >= tmin;
  const int32_t runLength = tmin < kWindowRun ? tmin : kWindowRun;
  int32_t minima[kWindowRun];
  int32_t ats[kWindowRun];
  resetWindows(run, layers);
  for (uint16_t i = 0; i < set.count; ++i) {
    const int32_t s = set.starts[i];
    const int32_t e = set.ends[i];
    if (!inRuns) {
      for (int32_t p = s; p <= e; ++p)
        for (int32_t l = 0; l < layers; ++l) {
          const int32_t src = l == 0 ? layers - 1 : l - 1;
          int32_t minimum = start;
          int32_t at = -2;
          windowMinimum(tmin, tmax, g + static_cast<size_t>(src) * P, p, start, minimum, at);
          store(l, p, p, &minimum, &at);
        }
      continue;
    }
    for (int32_t p0 = s; p0 <= e; p0 += runLength) {
      const int32_t p1 = e - p0 < runLength ? e : p0 + runLength - 1;
      for (int32_t l = 0; l < layers; ++l) {
        slidingArgMinRange(windows[l == 0 ? layers - 1 : l - 1], p0, p1, tmin, tmax, start, p0 - 1, minima,
                           ats);
        store(l, p0, p1, minima, ats);
      }
    }
  }
}

// Positions that can be first or later: a pulse extends a chain of negative value on the
// previous layer, or (on layer 0) starts a new one.
void fillFirstOrLater(UnfixedRun& run, int32_t layers) {
  const int32_t P = run.positions;
  const int32_t inf = run.infinity;
  const int32_t* const* scores = run.score.data();
  int32_t* g = run.g.get();
  int32_t* pred = run.pred.get();
  fillLayers(run, layers, *run.both, 0,
             [&](int32_t l, int32_t p0, int32_t p1, const int32_t* minima, const int32_t* ats) {
               for (int32_t p = p0; p <= p1; ++p) {
                 const int32_t minimum = minima[p - p0];
                 const size_t c = static_cast<size_t>(l) * P + p;
                 if (minimum < 0) {
                   g[c] = wrapAdd(minimum, scores[l][p]);
                   pred[c] = ats[p - p0];
                 } else if (l == 0) {
                   g[c] = scores[l][p];
                   pred[c] = -1;
                 } else {
                   g[c] = inf;
                   pred[c] = -2;
                 }
               }
             });
}

// Positions that can only be later pulses: a pulse extends the best chain of the previous
// layer's window, whatever its value.
void fillLaterOnly(UnfixedRun& run, int32_t layers) {
  const int32_t P = run.positions;
  const int32_t* const* scores = run.score.data();
  int32_t* g = run.g.get();
  int32_t* pred = run.pred.get();
  fillLayers(run, layers, *run.laterOnly, run.infinity,
             [&](int32_t l, int32_t p0, int32_t p1, const int32_t* minima, const int32_t* ats) {
               const int32_t* score = scores[l];
               int32_t* gl = g + static_cast<size_t>(l) * P;
               int32_t* predl = pred + static_cast<size_t>(l) * P;
               for (int32_t p = p0; p <= p1; ++p) {
                 gl[p] = wrapAdd(minima[p - p0], score[p]);
                 predl[p] = ats[p - p0];
               }
             });
}

// The chain read back from its end into run.current; false when there is none or it is longer
// than the lists.
bool readChain(UnfixedRun& run, int32_t layers, int32_t size) {
  const int32_t P = run.positions;
  const int32_t inf = run.infinity;
  const int32_t* g = run.g.get();
  const int32_t* pred = run.pred.get();
  // End of the chain: the lowest position, then the lowest layer, of the smallest value.
  int32_t best = inf;
  int32_t endP = -1;
  int32_t endL = 0;
  for (uint16_t i = 0; i < run.sets.last->count; ++i)
    for (int32_t p = run.sets.last->starts[i]; p <= run.sets.last->ends[i]; ++p)
      for (int32_t l = 0; l < layers; ++l)
        if (g[static_cast<size_t>(l) * P + p] < best) {
          best = g[static_cast<size_t>(l) * P + p];
          endP = p;
          endL = l;
        }
  if (endP < 0) return false;

  // Count the pulses, one layer back per step; a chain longer than the lists is refused.
  int32_t count = 0;
  for (int32_t p = endP, l = endL; p >= 0; l = (l + layers - 1) % layers) {
    if (p >= P || ++count > run.jmax) return false;
    p = pred[static_cast<size_t>(l) * P + p];
  }
  TupleChain& chain = run.current;
  chain.value = best;
  chain.count = static_cast<uint16_t>(count);
  for (int32_t j = count - 1, p = endP, l = endL; j >= 0; --j) {
    const int32_t number = run.member[l];
    const int32_t row = run.fragments.rowOf[number - 1];
    chain.positions[j] = p;
    chain.etalons[j] = number;
    chain.begins[j] = run.fragments.begin[row][p];
    chain.ends[j] = run.fragments.end[row][p];
    p = pred[static_cast<size_t>(l) * P + p];
    l = (l + layers - 1) % layers;
  }
  chain.tuples =
      segmentTuples(chain.count, static_cast<uint32_t>(size), 0, chain.firsts.data(), chain.lasts.data());
  return true;
}

// One tuple, from the tables' starting values to the chain cut into tuples: fills run.current
// and returns true when a chain is accepted.
bool tupleChain(MessageSink& window, UnfixedRun& run, int32_t size, const int32_t* tuple, bool verbose) {
  const int32_t layers = size < run.jmax ? size : run.jmax;
  const int32_t P = run.positions;
  if (layers < 1 || P < 1) return false;
  // Locals, not the run's fields: the stores into the tables could otherwise alias them.
  const int32_t inf = run.infinity;
  for (int32_t l = 0; l < layers; ++l) {
    run.member[l] = tuple[l];
    run.score[l] = run.fragments.score[run.fragments.rowOf[tuple[l] - 1]].data();
  }
  int32_t* g = run.g.get();
  int32_t* pred = run.pred.get();
  const size_t cells = static_cast<size_t>(layers) * P;
  for (size_t c = 0; c < cells; ++c) {
    g[c] = inf;
    pred[c] = inf;
  }

  // Positions that can only start a chain: layer 0 alone.
  const int32_t* first = run.score[0];
  for (uint16_t i = 0; i < run.firstOnly->count; ++i)
    for (int32_t p = run.firstOnly->starts[i]; p <= run.firstOnly->ends[i]; ++p) {
      g[p] = first[p];
      pred[p] = -1;
    }
  if (verbose) showDump(window, run, "omega_minus - omega_tilda: ", *run.firstOnly, 1, false);

  fillFirstOrLater(run, layers);
  if (verbose) showDump(window, run, "omega_minus x omega_tilda: ", *run.both, layers, true);

  fillLaterOnly(run, layers);
  return readChain(run, layers, size);
}

int32_t runUnfixed(MessageSink& window, const PulseHeader* alphabet, const int32_t* sizes,
                   const int32_t* const* subsets, int32_t count, uint16_t tmin, uint16_t tmax, uint16_t level,
                   ChainsHeader* chains, SeriesHeader* series, int32_t& verboseTuples, bool recognize) {
  UnfixedRun run;
  run.infinity = recognize ? kRecognizeInfinity : kDetectInfinity;
  run.bestValue = run.infinity;
  if (!prepareRun(window, run, alphabet, count, sizes, subsets, tmin, tmax, level, chains, series)) return 0;
  if (chains != nullptr) clearChainsForRun(*chains, 0, 0, static_cast<uint16_t>(run.jmax));
  for (int32_t i = 0; i < count; ++i) {
    if (i > 0 && !window.keepGoing("subsets", uint64_t(i), uint64_t(count))) return 0;
    if (!tupleChain(window, run, sizes[i], subsets[i], verboseTuples != 0)) continue;
    if (run.current.value < run.bestValue) {
      run.bestValue = run.current.value;
      run.bestSubset = i + 1;
      run.found = true;
      std::swap(run.current, run.best);
      if (chains != nullptr)
        insertChain(*chains, run.best.value, run.best.count, run.best.etalons.data(),
                    run.best.positions.data(), run.best.begins.data(), run.best.ends.data(),
                    ChainRowCopy::kOwnLength);
    } else if (chains != nullptr) {
      insertChain(*chains, run.current.value, run.current.count, run.current.etalons.data(),
                  run.current.positions.data(), run.current.begins.data(), run.current.ends.data(),
                  ChainRowCopy::kOwnLength);
    }
  }
  if (!window.keepGoing("subsets", uint64_t(count), uint64_t(count))) return 0;
  writeTupleChain(*series, run.found ? &run.best : nullptr);
  if (recognize) series->wRecognizedSubset = static_cast<int16_t>(run.bestSubset);
  if (chains != nullptr) chains->wSeekingPulsesQuantity = run.found ? run.best.count : 0;
  verboseTuples = 0;
  return recognize ? run.bestSubset : 1;
}

}  // namespace

int detectUnfixedTuples(MessageSink& window, const PulseHeader* alphabet, int32_t tupleSize,
                        const int32_t* tuple, uint16_t, uint16_t tmin, uint16_t tmax, uint16_t level,
                        ChainsHeader* chains, SeriesHeader* series, int32_t& verboseTuples) {
  const int32_t* rows[1] = {tuple};
  return runUnfixed(window, alphabet, &tupleSize, rows, 1, tmin, tmax, level, chains, series, verboseTuples,
                    false);
}

int32_t recognizeUnfixedTuples(MessageSink& window, const PulseHeader* alphabet, const int32_t* subsetSizes,
                               const int32_t* const* subsets, int32_t subsetCount, uint16_t, uint16_t tmin,
                               uint16_t tmax, uint16_t level, ChainsHeader* chains, SeriesHeader* series,
                               int32_t& verboseTuples) {
  return runUnfixed(window, alphabet, subsetSizes, subsets, subsetCount, tmin, tmax, level, chains, series,
                    verboseTuples, true);
}
