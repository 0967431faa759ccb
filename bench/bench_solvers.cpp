// Time per call of each detection and recognition solver and of its literal reference on
// default-size series, and the ratio of the two.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/headless_window.h"
#include "processing/chains_header.h"
#include "processing/fixed_detection.h"
#include "processing/recognition.h"
#include "processing/unfixed_detection.h"
#include "signal/random_seeds.h"
#include "signal/series_header.h"
#include "signal/series_maker.h"
#include "tests/support/reference_detection.h"
#include "tests/support/series_factory.h"

namespace {

using SolverFn = int64_t (*)(MessageSink&, const PulseHeader*, uint16_t, const uint16_t*, uint16_t, uint16_t,
                             uint16_t, ChainsHeader*, SeriesHeader*);

template <auto F>
int64_t call(MessageSink& w, const PulseHeader* a, uint16_t l, const uint16_t* list, uint16_t t0, uint16_t t1,
             uint16_t level, ChainsHeader* c, SeriesHeader* s) {
  return F(w, a, l, list, t0, t1, level, c, s);
}

struct SolverEntry {
  const char* name;
  bool unknownNumber;
  SolverFn production;
  SolverFn reference;
};

const SolverEntry kSolvers[] = {
    {"detectFixedPulses", false, call<detectFixedPulses>, call<referenceDetectFixedPulses>},
    {"detectUnfixedPulses", true, call<detectUnfixedPulses>, call<referenceDetectUnfixedPulses>},
    {"recognizeFixedPulses", false, call<recognizeFixedPulses>, call<referenceRecognizeFixedPulses>},
    {"recognizeUnfixedPulses", true, call<recognizeUnfixedPulses>, call<referenceRecognizeUnfixedPulses>},
};

constexpr uint16_t kLength = 20;
constexpr uint16_t kTmin = 40;
constexpr uint16_t kTmax = 181;
constexpr uint32_t kSeriesSize = 1200;

// One default-size series: 18 pulses (or a drawn number), noise 20, cut off at the level.
struct Setup {
  HeadlessWindow window;
  TestAlphabet alphabet{20, kLength, 128};
  RandomSeeds seeds;
  SeriesHeader* series = nullptr;
  ChainsHeader* chains = nullptr;
  std::vector<uint16_t> list;

  Setup(bool unknownNumber, uint16_t level, size_t listSize) {
    const uint16_t candidates[] = {3, 5, 7, 9};
    list.assign(candidates, candidates + listSize);
    std::vector<uint16_t> sequence(64);
    for (size_t k = 0; k < sequence.size(); ++k) sequence[k] = list[k % list.size()];
    series = unknownNumber ? getRandomCountSeries(window, 20, alphabet.pulses, kLength, kTmin, kTmax,
                                                  kSeriesSize, sequence.data(), 128, level, nullptr, seeds)
                           : getCutOffSeries(window, 20, alphabet.pulses, kLength, kTmin, kTmax, kSeriesSize,
                                             18, sequence.data(), 128, level, nullptr, seeds);
    addNoise(window, 20, 128, series, seeds.seedNoise);
    chains = getChainsHeader(window, 10, series->wMaxPulses, nullptr);
  }
  ~Setup() {
    freeChainsHeader(window, chains);
    freeSeriesHeader(window, series);
  }
};

void runSolver(benchmark::State& state, const SolverEntry& entry, bool reference, uint16_t level,
               size_t listSize) {
  Setup s(entry.unknownNumber, level, listSize);
  const SolverFn fn = reference ? entry.reference : entry.production;
  for (auto _ : state) {
    const int64_t r = fn(s.window, s.alphabet.pulses, static_cast<uint16_t>(s.list.size()), s.list.data(),
                         kTmin, kTmax, level, s.chains, s.series);
    benchmark::DoNotOptimize(r);
    benchmark::DoNotOptimize(s.chains->distance[0]);
  }
}

// Keeps the time per call of every run to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    // CPU time: the machine may be shared while the benchmark runs.
    for (const Run& r : runs)
      seconds_[r.benchmark_name()] = r.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(r.time_unit);
    ConsoleReporter::ReportRuns(runs);
  }
  const std::map<std::string, double>& seconds() const { return seconds_; }

 private:
  std::map<std::string, double> seconds_;
};

std::string caseName(const SolverEntry& e, bool reference, uint16_t level, size_t listSize) {
  return std::string(reference ? "reference/" : "production/") + e.name + "/level" + std::to_string(level) +
         "/list" + std::to_string(listSize);
}

}  // namespace

int main(int argc, char** argv) {
  const uint16_t levels[] = {100, 75};
  const size_t lists[] = {1, 4};
  for (const SolverEntry& e : kSolvers)
    for (uint16_t level : levels)
      for (size_t listSize : lists)
        for (bool reference : {false, true})
          benchmark::RegisterBenchmark(caseName(e, reference, level, listSize).c_str(),
                                       [&e, reference, level, listSize](benchmark::State& st) {
                                         runSolver(st, e, reference, level, listSize);
                                       })
              ->Unit(benchmark::kMicrosecond);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n%-46s %14s %14s %8s\n", "solver", "production ms", "reference ms", "ratio");
  for (const SolverEntry& e : kSolvers)
    for (uint16_t level : levels)
      for (size_t listSize : lists) {
        const auto p = reporter.seconds().find(caseName(e, false, level, listSize));
        const auto r = reporter.seconds().find(caseName(e, true, level, listSize));
        if (p == reporter.seconds().end() || r == reporter.seconds().end()) continue;
        const std::string label =
            std::string(e.name) + " level " + std::to_string(level) + " list " + std::to_string(listSize);
        std::printf("%-46s %14.3f %14.3f %8.1f\n", label.c_str(), p->second * 1e3, r->second * 1e3,
                    r->second / p->second);
      }
  benchmark::Shutdown();
  return 0;
}
