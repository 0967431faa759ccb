#include "processing/long_recording.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <new>
#include <thread>

#include "platform/message_sink.h"
#include "processing/chain_kernel.h"
#include "processing/fixed_chain_search.h"
#include "processing/long_position_sets.h"
#include "processing/long_recording_work.h"
#include "processing/prefetch_streams.h"
#include "processing/processor_speeds.h"
#include "processing/pulse_margins.h"
#include "processing/side_thread.h"
#include "processing/vector_clones.h"
#include "processing/whole_correlation.h"
#include "signal/pulse_bounds.h"
#include "signal/task_codes.h"

namespace {

using C = WideCriteria;
using Value = C::Value;

// The largest break cost: far below the values that mean "no chain".
constexpr double kMaxBreakCost = 1e17;

int64_t energyOf(const int16_t* s, int32_t n) {
  int64_t e = 0;
  for (int32_t i = 0; i < n; ++i) e += int64_t{s[i]} * s[i];
  return e;
}

int64_t peakOf(const int16_t* x, int64_t size) {
  int16_t lowest = 0;
  int16_t highest = 0;
  for (int64_t i = 0; i < size; ++i) {
    lowest = x[i] < lowest ? x[i] : lowest;
    highest = x[i] > highest ? x[i] : highest;
  }
  return std::max(-int64_t{lowest}, int64_t{highest});
}

// The same over a whole recording, halves on two threads when it is long: the start on the
// side thread, which the passes leave it too (its processor then has the samples at hand).
int64_t peakOf(const int16_t* x, int64_t size, int threads) {
  if (threads < 2 || size < (int64_t{1} << 20)) return peakOf(x, size);
  const int64_t half = size / 2;
  int64_t low = 0, high = 0;
  inParallel([&] { high = peakOf(x + half, size - half); }, [&] { low = peakOf(x, half); });
  return std::max(low, high);
}

// The scores of one etalon from its 32-bit correlations: energy - 2 x correlation.
DETECTION_VECTOR_CLONES
void narrowScores(const uint32_t* corr, size_t width, int64_t energy, int64_t* out) {
  for (size_t q = 0; q < width; ++q) out[q] = energy - 2 * int64_t{static_cast<int32_t>(corr[q])};
}

}  // namespace

int longRecordingThreads(int asked) {
  const int most = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  return std::min({2, asked == 0 ? most : asked, most});
}

bool longRecordingAnswers(uint16_t effectiveTaskType, uint16_t seriesType) {
  if (seriesType == kSeriesFixedWhole)
    return effectiveTaskType == kTaskDetection || effectiveTaskType == kTaskJointDetection;
  return seriesType == kSeriesUnfixedWhole &&
         (effectiveTaskType == kTaskDetection || effectiveTaskType == kTaskRecognition ||
          effectiveTaskType == kTaskJointDetection);
}

namespace {

// The admissible starts of pulse j of q, within the recording's starts 0 .. size - n.
PositionRange knownPulseRange(int64_t j, int64_t size, int64_t n, int64_t tmin, int64_t tmax, int64_t q) {
  return PositionRange{std::max<int64_t>(0, pulseLowBound(j, size, tmin, tmax, q)),
                       std::min(size - n, pulseHighBound(j, size, n, tmin, tmax, q))};
}

}  // namespace

uint64_t longKnownNumberValues(int64_t size, int64_t n, int64_t tmin, int64_t tmax, int64_t q) {
  uint64_t total = 0;
  for (int64_t j = 0; j < q; ++j) {
    const PositionRange range = knownPulseRange(j, size, n, tmin, tmax, q);
    if (range.first <= range.last) total += static_cast<uint64_t>(range.last - range.first) + 1;
  }
  return total;
}

std::string longKnownNumberProblem(int64_t size, int64_t n, int64_t tmin, int64_t tmax, int64_t pulses) {
  const int64_t most = (size - n + tmin) / tmin;
  if (pulses > most)
    return std::to_string(pulses) + " pulses of " + std::to_string(n) + " samples do not fit into " +
           std::to_string(size) + " samples with Tmin " + std::to_string(tmin) + ": at most " +
           std::to_string(most);
  const uint64_t values = longKnownNumberValues(size, n, tmin, tmax, pulses);
  if (values > kMaxLongKnownValues)
    return "detection of " + std::to_string(pulses) +
           " pulses keeps a value for every pulse and every "
           "start it may take, " +
           std::to_string(values) +
           " here, more than the 134,217,728 it keeps "
           "(1 GiB): process a shorter stretch, narrow Tmin .. Tmax, or detect an unknown number";
  return {};
}

std::string longRequestProblem(const LongRequest& r) {
  if (r.samples == nullptr || r.size < 1) return "the recording is empty";
  if (r.size > kMaxLongRecording)
    return "the recording has " + std::to_string(r.size) +
           " samples; at most 2,147,483,647 are processed at once: process it in parts";
  if (r.etalons.empty()) return "no etalon is given";
  if (r.etalonNumbers.size() != r.etalons.size()) return "every etalon needs its number";
  if (r.n < 1) return "etalons need at least one sample";
  if (r.n > r.size)
    return "the etalons (" + std::to_string(r.n) + " samples) are longer than the recording (" +
           std::to_string(r.size) + " samples)";
  if (r.tmin < 1) return "Tmin must be at least 1";
  if (r.tmax < r.tmin) return "Tmax must not be below Tmin";
  if (std::isnan(r.breakPenalty) || r.breakPenalty < 0) return "the break penalty must be 0 or more, or inf";
  for (const int16_t* e : r.etalons)
    if (e == nullptr) return "an etalon has no samples";
  if (r.threads < 0) return "the number of threads must be 0 (every core) or more";
  if (r.pulses < 0) return "the number of pulses must be positive";
  if (r.pulses > 0) {
    if (r.task != LongTask::kDetect) return "a known number of pulses is answered for detection only";
    if (!std::isinf(r.breakPenalty)) return "breaks apply to an unknown number of pulses only";
    if (std::string problem = longKnownNumberProblem(r.size, r.n, r.tmin, r.tmax, r.pulses); !problem.empty())
      return problem;
  }
  return {};
}

namespace {

// Everything one run shares: the request, its etalons' energies, the sets, the chunked
// matching step.
struct Run {
  const LongRequest& r;
  int threads = 1;  // threads the passes use: 1 or 2
  std::vector<int64_t> energies;
  int64_t top = 0;  // last start position
  bool narrow = false;
  bool breaks = false;
  LongPositionSets sets;

  explicit Run(const LongRequest& request) : r(request) {}

  // Scores of positions first .. first + count - 1 for the etalons `which` (indexes into the
  // request), the lowest score winning and the earliest etalon keeping ties; etalon gets the
  // index chosen when not null. Threads split the positions.
  void scores(const std::vector<size_t>& which, int64_t first, int64_t count, Value* out, int32_t* etalon,
              ScoreScratch& scratch) const {
    if (threads < 2 || count < 8192) {
      scoresPart(which, first, count, out, etalon, scratch.main);
      return;
    }
    if (scratch.helpers.empty()) scratch.helpers.resize(1);
    const int64_t half = count / 2;
    inParallel([&] { scoresPart(which, first, half, out, etalon, scratch.main); },
               [&] {
                 scoresPart(which, first + half, count - half, out + half,
                            etalon != nullptr ? etalon + half : nullptr, scratch.helpers[0]);
               });
  }

  // The score of position p alone: the value scoresPart gives it.
  Value scoreAt(const std::vector<size_t>& which, int64_t p) const {
    Value best = 0;
    bool firstEtalon = true;
    const int16_t* x = r.samples + p;
    for (size_t t : which) {
      const int16_t* e = r.etalons[t];
      // Each product fits 32 bits; the sum is the wide correlation's.
      int64_t corr = 0;
      for (int32_t i = 0; i < r.n; ++i) corr += int64_t{int32_t{e[i]} * int32_t{x[i]}};
      const Value v = energies[t] - 2 * corr;
      best = firstEtalon || v < best ? v : best;
      firstEtalon = false;
    }
    return best;
  }

  void scoresPart(const std::vector<size_t>& which, int64_t first, int64_t count, Value* out, int32_t* etalon,
                  ScoreRows& s) const {
    const auto width = static_cast<size_t>(count);
    const int16_t* x = r.samples + first;
    bool firstEtalon = true;
    for (size_t t : which) {
      const int64_t energy = energies[t];
      if (narrow) {
        if (s.narrow.size() < width) s.narrow.resize(width);
        wholeCorrelations(r.etalons[t], r.n, x, width, s.narrow.data());
        if (firstEtalon && etalon == nullptr) {
          narrowScores(s.narrow.data(), width, energy, out);
        } else {
          for (size_t q = 0; q < width; ++q) {
            const Value v = energy - 2 * int64_t{static_cast<int32_t>(s.narrow[q])};
            if (firstEtalon || v < out[q]) {
              out[q] = v;
              if (etalon != nullptr) etalon[q] = static_cast<int32_t>(t);
            }
          }
        }
      } else {
        if (s.wide.size() < width) s.wide.resize(width);
        wholeCorrelationsWide(r.etalons[t], r.n, x, width, s.wide.data());
        for (size_t q = 0; q < width; ++q) {
          const Value v = energy - 2 * s.wide[q];
          if (firstEtalon || v < out[q]) {
            out[q] = v;
            if (etalon != nullptr) etalon[q] = static_cast<int32_t>(t);
          }
        }
      }
      firstEtalon = false;
    }
  }
};

// Detection of the known number r.pulses: the known-number solvers' chain search
// (processing/fixed_chain_search.h) with 64-bit criteria over the ranges of every pulse, from
// the same starting values, on the best etalon's score of every start.
void detectKnownNumber(const Run& run, const std::vector<size_t>& all, LongAnswer& answer) {
  const LongRequest& r = run.r;
  const int64_t q = r.pulses;
  const auto count = static_cast<size_t>(q);
  std::vector<int64_t> lo(count), hi(count);
  int64_t first = run.top + 1, last = -1;
  for (size_t j = 0; j < count; ++j) {
    const PositionRange range = knownPulseRange(static_cast<int64_t>(j), r.size, r.n, r.tmin, r.tmax, q);
    lo[j] = range.first;
    hi[j] = range.last;
    if (range.first > range.last) continue;
    first = std::min(first, range.first);
    last = std::max(last, range.last);
  }
  if (last < first) return;
  // Scores and etalons of the starts first .. last, indexed by position.
  std::vector<Value> score(static_cast<size_t>(last) + 1);
  std::vector<int32_t> etalon(static_cast<size_t>(last) + 1);
  ScoreScratch scratch;
  run.scores(all, first, last - first + 1, score.data() + first, etalon.data() + first, scratch);
  const std::vector<const Value*> scoreOfPulse(count, score.data());
  FixedChainWorkOf<Value, int64_t> work;
  std::vector<int64_t> positions(count);
  Value value = 0;
  // The workbench's starting values: the same comparisons wherever its 32-bit sums are exact.
  const FixedChainStartsOf<Value> starts{999999, 9999999, 999999999};
  if (!searchFixedChainOf<C, int64_t>(work, q, lo.data(), hi.data(), r.tmin, r.tmax, scoreOfPulse.data(),
                                      starts, positions.data(), value))
    return;
  answer.found = true;
  answer.criterion = value;
  answer.positions = std::move(positions);
  answer.etalons.resize(count);
  for (size_t j = 0; j < count; ++j)
    answer.etalons[j] =
        r.etalonNumbers[static_cast<size_t>(etalon[static_cast<size_t>(answer.positions[j])])];
}

// The cost of a break for etalons of the given energy, or -1 without breaks.
Value breakCostFor(const LongRequest& r, int64_t energy) {
  if (std::isinf(r.breakPenalty)) return -1;
  const double cost = std::min(kMaxBreakCost, std::ceil(r.breakPenalty * static_cast<double>(energy)));
  return static_cast<Value>(cost);
}

// One forward pass over every start position for the etalons `which`: values, and with breaks
// links (without breaks the chain is traced from the values alone, see ValueSteps).
void forwardPass(const Run& run, const std::vector<size_t>& which, Value breakCost, ChainWork& work) {
  const LongRequest& r = run.r;
  const std::vector<Piece> pieces = forwardPieces(run.sets, run.top, r.tmax, r.n, breakCost);
  ChainPassInput in;
  in.pieces = &pieces;
  in.top = run.top;
  in.tmin = r.tmin;
  in.tmax = r.tmax;
  in.breakCost = breakCost;
  in.threads = run.threads;
  in.firstShare = r.firstThreadShare;
  in.scores = [&](int64_t first, int64_t count, Value* out, ScoreRows& rows) {
    run.scoresPart(which, first, count, out, nullptr, rows);
  };
  work.pass = runChainPass(in, work.value.data(), run.breaks ? work.link.data() : nullptr);
}

// The end of the best chain: over the last set (no breaks), or over every position with the
// cost of ending early, against the empty answer (breaks). Returns false when no chain is
// accepted; end < 0 means the empty answer.
bool chooseEnd(const Run& run, const ChainWork& work, Value breakCost, int64_t& end, Value& criterion) {
  const KeptValues value = work.kept();
  if (breakCost < 0) {
    return pickLowestEndOf<C>([&](int64_t p) { return value.at(p); }, run.top + 1, run.sets.last,
                              C::kInfinity, end, criterion) &&
           criterion < C::kAccepted;
  }
  // A chain must beat the empty answer strictly.
  Value best = breakCost;
  end = -1;
  const int64_t lastFrom = run.r.size - run.r.tmax;
  for (int64_t p = 0; p <= run.top; ++p) {
    const Value v = p >= lastFrom ? value.at(p) : C::add(value.at(p), breakCost);
    if (v < best) {
      best = v;
      end = p;
    }
  }
  criterion = best;
  return true;
}

// Recognition: each candidate alone; the strictly smallest accepted value wins, the earlier
// candidate keeping ties. Leaves the winner's values in `work`, its etalon in `chosen`, its
// break cost and its chain's end.
void recognize(const Run& run, ChainWork& work, LongAnswer& answer, std::vector<size_t>& chosen,
               Value& breakCost, int64_t& end) {
  const LongRequest& r = run.r;
  answer.candidateCriteria.assign(r.etalons.size(), 0);
  answer.candidateFound.assign(r.etalons.size(), false);
  size_t best = r.etalons.size();
  for (size_t t = 0; t < r.etalons.size(); ++t) {
    const Value cost = breakCostFor(r, run.energies[t]);
    forwardPass(run, {t}, cost, work);
    int64_t e = -1;
    Value v = 0;
    if (!chooseEnd(run, work, cost, e, v)) continue;
    answer.candidateCriteria[t] = v;
    answer.candidateFound[t] = true;
    if (best == r.etalons.size() || v < answer.criterion) {
      best = t;
      answer.criterion = v;
    }
  }
  if (best < r.etalons.size()) {
    answer.found = true;
    answer.recognized = r.etalonNumbers[best];
    chosen = {best};
    breakCost = breakCostFor(r, run.energies[best]);
    // The winner's values again, for its chain (one more pass rather than a copy of
    // every candidate's links).
    if (best + 1 != r.etalons.size()) forwardPass(run, chosen, breakCost, work);
    chooseEnd(run, work, breakCost, end, answer.criterion);
  }
}

// The etalon of every pulse: the best-fitting one at its position, the earlier on ties (with
// one etalon answerRows has made the row).
void nameEtalons(const Run& run, const std::vector<size_t>& chosen, LongAnswer& answer) {
  if (chosen.size() == 1) return;
  answer.etalons.resize(answer.positions.size());
  ScoreScratch one;
  for (size_t k = 0; k < answer.positions.size(); ++k) {
    Value s = 0;
    int32_t t = 0;
    run.scoresPart(chosen, answer.positions[k], 1, &s, &t, one.main);
    answer.etalons[k] = run.r.etalonNumbers[static_cast<size_t>(t)];
  }
}

// Every pulse's margin from a backward pass over the forward values left in `work`.
void addMargins(const Run& run, const std::vector<size_t>& chosen, Value breakCost, ChainWork& work,
                LongAnswer& answer) {
  const LongRequest& r = run.r;
  MarginInput m;
  m.sets = run.breaks ? nullptr : &run.sets;
  m.size = r.size;
  m.n = r.n;
  m.tmin = r.tmin;
  m.tmax = r.tmax;
  m.breakCost = breakCost;
  m.criterion = answer.criterion;
  int64_t energy = 0;
  for (size_t t : chosen) energy = std::max(energy, run.energies[t]);
  m.energy = energy;
  m.threads = run.threads;
  m.firstShare = r.firstThreadShare;
  auto scoresOf = [&](int64_t first, int64_t count, Value* out, ScoreRows& rows) {
    run.scoresPart(chosen, first, count, out, nullptr, rows);
  };
  pulseMargins(m, work.kept(), answer.positions, scoresOf, answer.margins);
}

// Where a walk down a chain stopped: the positions it took, last pulse first, and the step it
// did not follow (a position below its floor, or a mark).
struct ChainWalk {
  int64_t count = 0;
  int64_t next = -1;
};

// Steps down the links of the forward pass. Each step is a distant load; the start two pulses
// back lies within [p - 2 tmax, p - 2 tmin], so its links are asked for one step early.
struct LinkSteps {
  const int32_t* link;
  int64_t tmin, tmax;
  int64_t operator()(int64_t p) const { return link[p]; }
  struct Ahead {};
  void prefetchBefore(int64_t p, Ahead&) const {
#if defined(__GNUC__)
    for (int64_t a = std::max<int64_t>(0, p - 2 * tmax); a <= p - 2 * tmin; a += 16)
      __builtin_prefetch(link + a);
#else
    (void)p;
#endif
  }
};

// Steps down a chain through the forward values alone, without breaks. The pass gave position
// p its window's smallest value below the start value, the lowest position winning ties, plus
// p's score: so p's predecessor is the lowest position of [p - tmax, p - tmin] holding p's
// value less its score, and there is none (a chain starts at p) when that is the start value.
class ValueSteps {
 public:
  ValueSteps(const Run& run, const std::vector<size_t>& which, const KeptValues& value)
      : run_(run),
        which_(which),
        value_(value),
        pieces_(forwardPieces(run.sets, run.top, run.r.tmax, run.r.n, -1)) {}

  int64_t operator()(int64_t p) const {
    auto after = std::upper_bound(pieces_.begin(), pieces_.end(), p,
                                  [](int64_t q, const Piece& piece) { return q < piece.range.first; });
    if (after == pieces_.begin() || std::prev(after)->range.last < p) return kOutsideMark;
    const Piece& piece = *std::prev(after);
    if (piece.role == PieceRole::kStartsOnly) return kChainStartMark;
    const Value v = value_.at(p);
    if (v >= C::kAccepted) return kOutsideMark;
    const Value target = v - run_.scoreAt(which_, p);
    if (target == piece.start) return kNoPredecessorMark;
    // The stored values from value_.from on are the ones read less the shift.
    const int64_t last = p - run_.r.tmin;
    const int64_t below = std::min(last, value_.from - 1);
    int64_t m = std::max<int64_t>(0, p - run_.r.tmax);
    for (; m <= below; ++m)
      if (value_.value[m] == target) return m;
    for (const Value stored = target - value_.shift; m <= last; ++m)
      if (value_.value[m] == stored) return m;
    return kOutsideMark;  // not a value the pass made: the walk ends
  }

  // The walk reads the values (and samples) below p in descending order, a window every step:
  // they are asked for ahead, three windows deep.
  struct Ahead {
    DescendingStream<Value> values;
    DescendingStream<int16_t> samples;
  };
  void prefetchBefore(int64_t p, Ahead& ahead) const {
    ahead.values.before(value_.value, p, 3 * run_.r.tmax);
    ahead.samples.before(run_.r.samples, p, 3 * run_.r.tmax);
  }

 private:
  const Run& run_;
  const std::vector<size_t>& which_;
  const KeptValues value_;
  std::vector<Piece> pieces_;
};

// Follows the steps from p while they name a position from floor to top.
template <class Steps>
ChainWalk walkChain(const Steps& steps, int64_t top, int64_t p, int64_t floor, int64_t* out) {
  ChainWalk w;
  typename Steps::Ahead ahead;
  for (; p >= floor && p <= top; p = steps(p)) {
    out[w.count++] = p;
    steps.prefetchBefore(p, ahead);
  }
  w.next = p;
  return w;
}

// A chain's positions, last pulse first.
struct WalkedChain {
  UninitializedArray<int64_t> walked;  // at most one every tmin
  int64_t count = 0;
};

// The chain ending at `end`. On two threads a second walk starts in the middle of the
// recording: walks down a chain from nearby positions soon meet, and the walk from the end,
// once below the middle, takes the rest of the second one where it meets it (or goes on alone
// where it never does).
template <class Steps>
WalkedChain chainFrom(const Run& run, const Steps& steps, int64_t end) {
  const LongRequest& r = run.r;
  WalkedChain chain;
  UninitializedArray<int64_t>& walked = chain.walked;
  walked.resize(run.top / r.tmin + 2);
  // The calling thread walks above the middle: the faster the processor it runs on, the more.
  const double share = callerShare(r.firstThreadShare, SplitWork::kValuesKept);
  const auto middle = static_cast<int64_t>(static_cast<double>(run.top) * (1 - share));
  int64_t count = 0;
  if (run.threads >= 2 && longEnoughToSplit(run.top) && end > middle) {
    UninitializedArray<int64_t> guess;
    guess.resize(middle / r.tmin + 2);
    ChainWalk upper, lower;
    inParallel([&] { upper = walkChain(steps, run.top, end, middle + 1, walked.data()); },
               [&] { lower = walkChain(steps, run.top, middle, 0, guess.data()); });
    count = upper.count;
    int64_t j = 0;
    for (int64_t p = upper.next; p >= 0 && p <= run.top; p = steps(p)) {
      while (j < lower.count && guess[j] > p) ++j;
      if (j < lower.count && guess[j] == p) {
        std::copy(guess.data() + j, guess.data() + lower.count, walked.data() + count);
        count += lower.count - j;
        break;
      }
      walked[count++] = p;
    }
    guess.releaseApart(0);
  } else {
    count = walkChain(steps, run.top, end, 0, walked.data()).count;
  }
  chain.count = count;
  return chain;
}

// Answers of this many pulses and more make their rows on two threads: each row is fresh
// memory, a fault every 4 KB, and the two processors take the faults side by side.
constexpr int64_t kRowsApartFrom = int64_t{1} << 15;

// The answer's rows: the chain's positions, first pulse first, and beside them the etalons'
// row with one etalon and the margins' row when they are asked for.
void answerRows(const Run& run, const std::vector<size_t>& chosen, const WalkedChain& chain,
                LongAnswer& answer) {
  const auto count = static_cast<size_t>(chain.count);
  auto positions = [&] {
    reserveAnswerRow(answer.positions, count);
    const int64_t* walked = chain.walked.data();
    answer.positions.assign(std::make_reverse_iterator(walked + chain.count),
                            std::make_reverse_iterator(walked));
  };
  auto others = [&] {
    if (chosen.size() == 1) fillAnswerRow(answer.etalons, count, run.r.etalonNumbers[chosen[0]]);
    if (run.r.margins) fillAnswerRow(answer.margins, count, 0.0);
  };
  if (run.threads >= 2 && chain.count >= kRowsApartFrom) {
    inParallel(positions, others);
  } else {
    positions();
    others();
  }
}

// Empties the answer; its rows keep their storage.
void clearAnswer(LongAnswer& answer) {
  std::vector<int64_t> positions = std::move(answer.positions);
  std::vector<int32_t> etalons = std::move(answer.etalons);
  std::vector<double> margins = std::move(answer.margins);
  answer = LongAnswer{};
  positions.clear();
  etalons.clear();
  margins.clear();
  answer.positions = std::move(positions);
  answer.etalons = std::move(etalons);
  answer.margins = std::move(margins);
}

bool outOfMemory(const LongRequest& r, LongAnswer& answer, std::string& error) {
  answer = LongAnswer{};
  error = "not enough memory for a recording of " + std::to_string(r.size) +
          " samples (about 16 bytes a sample are needed): process it in parts";
  return false;
}

}  // namespace

bool solveLongRecording(const LongRequest& r, LongAnswer& answer, std::string& error) {
  clearAnswer(answer);
  error = longRequestProblem(r);
  if (!error.empty()) return false;
  try {
    Run run(r);
    run.threads = longRecordingThreads(r.threads);
    run.top = r.size - r.n;
    // Long enough for the passes to split: the side thread's processor is woken at once.
    if (run.threads >= 2 && longEnoughToSplit(run.top)) wakeSideThread();
    run.breaks = !std::isinf(r.breakPenalty);
    int64_t peakS = 0;
    for (size_t t = 0; t < r.etalons.size(); ++t) {
      run.energies.push_back(energyOf(r.etalons[t], r.n));
      peakS = std::max(peakS, peakOf(r.etalons[t], r.n));
    }
    // One score: the energy minus twice a correlation of n products; the correlations fit 32
    // bits when n x peakS x peakX does.
    const uint64_t longestChain = static_cast<uint64_t>(run.top / r.tmin) + 1u;
    auto scoreBoundWith = [&](int64_t peakX) {
      return static_cast<uint64_t>(r.n) * static_cast<uint64_t>(peakS) *
             static_cast<uint64_t>(peakS + 2 * peakX);
    };
    auto narrowWith = [&](int64_t peakX) {
      return static_cast<uint64_t>(r.n) * static_cast<uint64_t>(peakS) * static_cast<uint64_t>(peakX) <
             (uint64_t{1} << 31);
    };
    // When the loudest sample there can be leaves both answers as they are, the recording's
    // own peak is not looked for (a pass over every sample).
    constexpr int64_t kLoudest = 32768;
    run.narrow = narrowWith(kLoudest);
    uint64_t scoreBound = scoreBoundWith(kLoudest);
    if (!run.narrow || !wideCriteriaFit(longestChain, scoreBound)) {
      const int64_t peakX = peakOf(r.samples, r.size, run.threads);
      run.narrow = narrowWith(peakX);
      scoreBound = scoreBoundWith(peakX);
    }
    if (!wideCriteriaFit(longestChain, scoreBound)) {
      error = "a chain's criterion could exceed 2^60 (" + std::to_string(longestChain) +
              " pulses of scores up to " + std::to_string(scoreBound) +
              "): give a smaller --scale or a larger Tmin";
      return false;
    }
    std::vector<size_t> all(r.etalons.size());
    for (size_t t = 0; t < all.size(); ++t) all[t] = t;
    if (r.pulses > 0) {
      detectKnownNumber(run, all, answer);
      return true;
    }
    if (!run.breaks) run.sets = longPositionSets(r.size, r.n, r.tmin, r.tmax);

    ChainWork work;
    work.prepare(run.top + 1, run.breaks);

    std::vector<size_t> chosen = all;  // the etalons of the answer's chain
    Value breakCost = -1;
    int64_t end = -1;
    if (r.task == LongTask::kDetect) {
      const int64_t largest = *std::max_element(run.energies.begin(), run.energies.end());
      breakCost = breakCostFor(r, largest);
      forwardPass(run, all, breakCost, work);
      answer.found = chooseEnd(run, work, breakCost, end, answer.criterion);
    } else {
      recognize(run, work, answer, chosen, breakCost, end);
    }
    if (!answer.found) return true;
    {
      // The walked chain is let go before the margins' pass.
      WalkedChain chain;
      if (end >= 0)
        chain = run.breaks ? chainFrom(run, LinkSteps{work.link.data(), r.tmin, r.tmax}, end)
                           : chainFrom(run, ValueSteps(run, chosen, work.kept()), end);
      answerRows(run, chosen, chain, answer);
    }
    nameEtalons(run, chosen, answer);
    if (r.margins) addMargins(run, chosen, breakCost, work, answer);
    return true;
  } catch (const std::bad_alloc&) {
    return outOfMemory(r, answer, error);
  } catch (const std::length_error&) {
    return outOfMemory(r, answer, error);
  }
}

bool solveLongRecording(MessageSink& sink, const LongRequest& request, LongAnswer& answer) {
  std::string error;
  if (solveLongRecording(request, answer, error)) return true;
  sink.messageBox(error, " solveLongRecording ", kMbOk);
  return false;
}
