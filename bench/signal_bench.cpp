#include <benchmark/benchmark.h>

#include <vector>

#include "platform/headless_window.h"
#include "signal/random_seeds.h"
#include "signal/random_source.h"
#include "signal/series_header.h"
#include "signal/series_maker.h"
#include "tests/support/series_factory.h"

// One Gaussian draw by table lookup against the twelve literal generator steps.
static void BM_GaussTable(benchmark::State& state) {
  uint16_t seed = 10597;
  int32_t sum = 0;
  for (auto _ : state) sum += gaussRandom(seed, 0, 20);
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_GaussTable);

static void BM_GaussStepwise(benchmark::State& state) {
  uint16_t seed = 10597;
  int32_t sum = 0;
  for (auto _ : state) sum += gaussRandomStepwise(seed, 0, 20);
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_GaussStepwise);

// A whole series of the start settings: placement, cut-offs and noise.
static void BM_MakeSeriesWithNoise(benchmark::State& state) {
  TestAlphabet alphabet;
  HeadlessWindow window(8, 8);
  RandomSeeds seeds;
  std::vector<uint16_t> sequence(30, 3);
  SeriesHeader* header = nullptr;
  for (auto _ : state) {
    header = getCutOffSeries(window, 20, alphabet.pulses, 20, 40, 181, 1200, 18, sequence.data(), 128, 75,
                             header, seeds);
    addNoise(window, 20, 128, header, seeds.seedNoise);
    benchmark::DoNotOptimize(header->lpNoisyData[600]);
  }
  freeSeriesHeader(window, header);
}
BENCHMARK(BM_MakeSeriesWithNoise);
BENCHMARK_MAIN();
