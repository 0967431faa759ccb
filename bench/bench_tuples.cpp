// The four tuple solvers against their literal references on default-size series: 1200
// samples, etalons of 20, Tmin 40, Tmax 181, 18 pulses (or a drawn number), noise 20, tuples of
// size 3, processing levels 100 and 75. After the runs the ratio reference / production of
// each pair is printed.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/headless_window.h"
#include "processing/chains_header.h"
#include "processing/fixed_tuples.h"
#include "processing/unfixed_tuples.h"
#include "signal/random_seeds.h"
#include "signal/series_header.h"
#include "signal/series_maker.h"
#include "tests/support/reference_tuples.h"
#include "tests/support/series_factory.h"

namespace {

const int32_t kTuple[] = {3, 7, 12};
const int32_t kOther[] = {12, 7, 3};
const int32_t kThird[] = {5, 9, 14};
const int32_t kSizes[] = {3, 3, 3};
const int32_t* const kSubsets[] = {kTuple, kOther, kThird};

struct Bench {
  TestAlphabet alphabet;
  HeadlessWindow window;
  SeriesHeader* fixed = nullptr;
  SeriesHeader* unfixed = nullptr;
  ChainsHeader* chains = nullptr;
  Bench() {
    RandomSeeds seeds;
    std::vector<uint16_t> seq(40);
    for (size_t k = 0; k < seq.size(); ++k) seq[k] = static_cast<uint16_t>(kTuple[(k + 1) % 3]);
    fixed = getCutOffSeries(window, 20, alphabet.pulses, 20, 40, 181, 1200, 18, seq.data(), 128, 100, nullptr,
                            seeds);
    addNoise(window, 20, 128, fixed, seeds.seedNoise);
    for (size_t k = 0; k < seq.size(); ++k) seq[k] = static_cast<uint16_t>(kTuple[k % 3]);
    unfixed = getRandomCountSeries(window, 20, alphabet.pulses, 20, 40, 181, 1200, seq.data(), 128, 100,
                                   nullptr, seeds);
    addNoise(window, 20, 128, unfixed, seeds.seedNoise);
    chains = getChainsHeader(window, 10, 30, nullptr);
  }
  ~Bench() {
    freeSeriesHeader(window, fixed);
    freeSeriesHeader(window, unfixed);
    freeChainsHeader(window, chains);
  }
};

Bench& bench() {
  static Bench b;
  return b;
}

template <bool kReference>
void detectFixed(benchmark::State& state) {
  Bench& b = bench();
  const uint16_t level = static_cast<uint16_t>(state.range(0));
  for (auto _ : state) {
    const int r = kReference ? referenceDetectFixedTuples(b.window, b.alphabet.pulses, 3, kTuple, 2, 40, 181,
                                                          level, b.chains, b.fixed)
                             : detectFixedTuples(b.window, b.alphabet.pulses, 3, kTuple, 2, 40, 181, level,
                                                 b.chains, b.fixed);
    benchmark::DoNotOptimize(r);
    benchmark::DoNotOptimize(b.chains->distance[0]);
  }
}

template <bool kReference>
void recognizeFixed(benchmark::State& state) {
  Bench& b = bench();
  const uint16_t level = static_cast<uint16_t>(state.range(0));
  for (auto _ : state) {
    const int32_t r = kReference
                          ? referenceRecognizeFixedTuples(b.window, b.alphabet.pulses, kSizes, kSubsets, 3, 2,
                                                          40, 181, level, b.chains, b.fixed)
                          : recognizeFixedTuples(b.window, b.alphabet.pulses, kSizes, kSubsets, 3, 2, 40, 181,
                                                 level, b.chains, b.fixed);
    benchmark::DoNotOptimize(r);
    benchmark::DoNotOptimize(b.chains->distance[0]);
  }
}

template <bool kReference>
void detectUnfixed(benchmark::State& state) {
  Bench& b = bench();
  const uint16_t level = static_cast<uint16_t>(state.range(0));
  int32_t verbose = 0;
  for (auto _ : state) {
    const int r = kReference ? referenceDetectUnfixedTuples(b.window, b.alphabet.pulses, 3, kTuple, 2, 40,
                                                            181, level, b.chains, b.unfixed, verbose)
                             : detectUnfixedTuples(b.window, b.alphabet.pulses, 3, kTuple, 2, 40, 181, level,
                                                   b.chains, b.unfixed, verbose);
    benchmark::DoNotOptimize(r);
    benchmark::DoNotOptimize(b.chains->distance[0]);
  }
}

template <bool kReference>
void recognizeUnfixed(benchmark::State& state) {
  Bench& b = bench();
  const uint16_t level = static_cast<uint16_t>(state.range(0));
  int32_t verbose = 0;
  for (auto _ : state) {
    const int32_t r = kReference
                          ? referenceRecognizeUnfixedTuples(b.window, b.alphabet.pulses, kSizes, kSubsets, 3,
                                                            2, 40, 181, level, b.chains, b.unfixed, verbose)
                          : recognizeUnfixedTuples(b.window, b.alphabet.pulses, kSizes, kSubsets, 3, 2, 40,
                                                   181, level, b.chains, b.unfixed, verbose);
    benchmark::DoNotOptimize(r);
    benchmark::DoNotOptimize(b.chains->distance[0]);
  }
}

// Keeps each run's processor time per iteration for the ratio table (steadier than wall time on
// a shared machine).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> nsPerCall;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.iterations > 0) nsPerCall[r.benchmark_name()] = r.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

BENCHMARK(detectFixed<false>)->Arg(100)->Arg(75)->Unit(benchmark::kMicrosecond);
BENCHMARK(detectFixed<true>)->Arg(100)->Arg(75)->Unit(benchmark::kMicrosecond);
BENCHMARK(recognizeFixed<false>)->Arg(100)->Arg(75)->Unit(benchmark::kMicrosecond);
BENCHMARK(recognizeFixed<true>)->Arg(100)->Arg(75)->Unit(benchmark::kMicrosecond);
BENCHMARK(detectUnfixed<false>)->Arg(100)->Arg(75)->Unit(benchmark::kMicrosecond);
BENCHMARK(detectUnfixed<true>)->Arg(100)->Arg(75)->Unit(benchmark::kMicrosecond);
BENCHMARK(recognizeUnfixed<false>)->Arg(100)->Arg(75)->Unit(benchmark::kMicrosecond);
BENCHMARK(recognizeUnfixed<true>)->Arg(100)->Arg(75)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n%-18s %6s %14s %14s %8s\n", "solver", "level", "production us", "reference us", "ratio");
  for (const char* name : {"detectFixed", "recognizeFixed", "detectUnfixed", "recognizeUnfixed"})
    for (const char* level : {"100", "75"}) {
      const std::string fast = std::string(name) + "<false>/" + level;
      const std::string slow = std::string(name) + "<true>/" + level;
      if (reporter.nsPerCall.count(fast) == 0 || reporter.nsPerCall.count(slow) == 0) continue;
      const double f = reporter.nsPerCall[fast], s = reporter.nsPerCall[slow];
      std::printf("%-18s %6s %14.1f %14.1f %8.1f\n", name, level, f, s, s / f);
    }
  benchmark::Shutdown();
  return 0;
}
