// The statistical simulation over its default grid: production solvers on one thread and on
// every core, and the literal reference solvers on a reduced grid, in trials per second.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/headless_window.h"
#include "signal/random_seeds.h"
#include "signal/series_header.h"
#include "simulation/production_solvers.h"
#include "simulation/rest_err_header.h"
#include "simulation/simulation_driver.h"
#include "simulation/worker_pool.h"
#include "tests/support/reference_detection.h"
#include "tests/support/reference_tuples.h"
#include "tests/support/series_factory.h"

namespace {

const SimulationSolvers& referenceSolvers() {
  static const SimulationSolvers solvers = [] {
    SimulationSolvers s;
    s.detectFixedPulses = &referenceDetectFixedPulses;
    s.detectUnfixedPulses = &referenceDetectUnfixedPulses;
    s.recognizeFixedPulses = &referenceRecognizeFixedPulses;
    s.recognizeUnfixedPulses = &referenceRecognizeUnfixedPulses;
    s.detectFixedTuples = &referenceDetectFixedTuples;
    s.detectUnfixedTuples = &referenceDetectUnfixedTuples;
    s.recognizeFixedTuples = &referenceRecognizeFixedTuples;
    s.recognizeUnfixedTuples = &referenceRecognizeUnfixedTuples;
    return s;
  }();
  return solvers;
}

// Solvers that find nothing: what a simulation costs besides solving (making the series,
// noise, copies, measures).
int findNothing(MessageSink&, const PulseHeader*, uint16_t, const uint16_t*, uint16_t, uint16_t, uint16_t,
                ChainsHeader*, SeriesHeader* series) {
  series->wRestoredQuantity = 0;
  return 1;
}
const SimulationSolvers& idleSolvers() {
  static const SimulationSolvers solvers = [] {
    SimulationSolvers s;
    s.detectFixedPulses = &findNothing;
    return s;
  }();
  return solvers;
}

double processCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

struct Grid {
  uint16_t firstPulses;
  uint16_t pulseStep;
  uint16_t pulseCount;
  uint16_t levelStep;
  uint16_t levelCount;
  uint16_t repeats;
  uint32_t trials() const { return uint32_t{pulseCount} * levelCount * repeats; }
};

// The start settings: 1200 samples, Tmin 40, Tmax 181, pulse counts 6 .. 30, levels 0 .. 140.
constexpr Grid kDefaultGrid{6, 1, 25, 5, 29, 100};

// One whole simulation per iteration; gives the trials per second.
// With passOver every cell is passed over: only the trials' schedule and seeds are worked out,
// the part of a run that stays on one thread.
void simulate(benchmark::State& state, const Grid& grid, uint16_t seriesType, uint16_t taskType,
              std::vector<uint16_t> required, const SimulationSolvers& solvers, unsigned threads,
              bool passOver = false) {
  HeadlessWindow window;
  TestAlphabet alphabet;
  RandomSeeds seeds;
  SeriesHeader* series = getCutOffSeriesHeader(window, 20, 20, 40, 181, 1200, nullptr);
  RestErrHeader* errors = getRestErrHeader(window, grid.pulseCount, grid.levelCount, grid.repeats, nullptr);
  SimulationTimes times;
  SimulationSettings settings;
  settings.workerThreads = threads;
  settings.solvers = &solvers;
  if (passOver) settings.computeCell = [](uint32_t) { return false; };
  int64_t checksum = 0;
  const double processCpuStart = processCpuSeconds();
  for (auto _ : state) {
    initRestErrHeader(window, grid.pulseCount, grid.firstPulses, grid.pulseStep, grid.levelCount, 0,
                      grid.levelStep, grid.repeats, errors);
    if (statCutoffTrawling(window, errors, 20, alphabet.pulses, static_cast<uint16_t>(required.size()),
                           required.data(), seriesType, taskType, 100, 100, series, seeds, times,
                           settings) != 1) {
      state.SkipWithError("the simulation failed");
      break;
    }
    for (uint16_t k = 0; k < grid.levelCount; ++k) checksum += errors->lpErrors[k][grid.pulseCount - 1];
  }
  benchmark::DoNotOptimize(checksum);
  const double trials = static_cast<double>(grid.trials()) * static_cast<double>(state.iterations());
  state.counters["trials_per_s"] = benchmark::Counter(trials, benchmark::Counter::kIsRate);
  // CPU seconds of every thread of the process during the runs (the benchmark's own CPU time
  // is the calling thread's alone).
  state.counters["process_cpu_s"] = processCpuSeconds() - processCpuStart;
  state.counters["threads"] = settings.workerThreads == 0 ? std::thread::hardware_concurrency() : threads;
  freeSeriesHeader(window, series);
  freeRestErrHeader(window, errors);
}

// Detection on series type 1 (known number of whole pulses).
constexpr Grid kDetectionReferenceGrid{6, 1, 25, 70, 3, 1};  // every pulse count, 3 levels, 1 repeat
void BM_DetectionProduction1(benchmark::State& s) {
  simulate(s, kDefaultGrid, 1, 1, {1}, productionSolvers(), 1);
}
void BM_DetectionProduction2(benchmark::State& s) {
  simulate(s, kDefaultGrid, 1, 1, {1}, productionSolvers(), 2);
}
void BM_DetectionProductionAll(benchmark::State& s) {
  simulate(s, kDefaultGrid, 1, 1, {1}, productionSolvers(), 0);
}
void BM_DetectionScheduleOnly(benchmark::State& s) {
  simulate(s, kDefaultGrid, 1, 1, {1}, productionSolvers(), 1, true);
}
// What handing the batches of the default grid to two workers costs when the trials cost
// nothing: 725 cells of 100 trials in batches of 64 (the batch size for two workers).
void BM_EmptyBatchesTwoWorkers(benchmark::State& state) {
  WorkerPool pool(2);
  std::atomic<uint32_t> sum{0};
  for (auto _ : state) {
    for (uint32_t cell = 0; cell < 725; ++cell) {
      for (uint32_t first = 0; first < 100; first += 64) {
        pool.run(std::min<uint32_t>(64, 100 - first) + 1, [&](uint32_t i, unsigned) { sum += i; });
      }
    }
  }
  benchmark::DoNotOptimize(sum.load());
  state.counters["trials_per_s"] =
      benchmark::Counter(72500.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
void BM_DetectionWithoutSolving(benchmark::State& s) {
  simulate(s, kDefaultGrid, 1, 1, {1}, idleSolvers(), 1);
}
void BM_DetectionReference(benchmark::State& s) {
  simulate(s, kDetectionReferenceGrid, 1, 1, {1}, referenceSolvers(), 1);
}

// Recognition among 4 etalons on series type 4 (unknown number of whole pulses), reduced.
constexpr Grid kRecognitionGrid{6, 4, 7, 10, 15, 20};
constexpr Grid kRecognitionReferenceGrid{6, 4, 7, 70, 3, 1};
void BM_RecognitionProduction1(benchmark::State& s) {
  simulate(s, kRecognitionGrid, 4, 2, {1, 3, 5, 7}, productionSolvers(), 1);
}
void BM_RecognitionProductionAll(benchmark::State& s) {
  simulate(s, kRecognitionGrid, 4, 2, {1, 3, 5, 7}, productionSolvers(), 0);
}
void BM_RecognitionReference(benchmark::State& s) {
  simulate(s, kRecognitionReferenceGrid, 4, 2, {1, 3, 5, 7}, referenceSolvers(), 1);
}

// Keeps every run's rate so the ratios can be printed at the end.
class RateReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const auto it = run.counters.find("trials_per_s");
      if (it != run.counters.end()) measured[run.benchmark_name()] = it->second.value;
      const auto cpu = run.counters.find("process_cpu_s");
      if (cpu != run.counters.end()) {
        processCpu[run.benchmark_name()] = cpu->second.value;
        callerCpu[run.benchmark_name()] = run.GetAdjustedCPUTime() / 1e3;  // reported in ms
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> measured;
  std::map<std::string, double> processCpu;  // seconds, every thread
  std::map<std::string, double> callerCpu;   // seconds, the calling thread
};

}  // namespace

BENCHMARK(BM_DetectionProduction1)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DetectionProduction2)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DetectionScheduleOnly)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmptyBatchesTwoWorkers)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DetectionProductionAll)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DetectionWithoutSolving)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DetectionReference)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecognitionProduction1)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecognitionProductionAll)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecognitionReference)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RateReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto rate = [&](const char* name) {
    const auto it = reporter.measured.find(std::string(name) + "/iterations:1/real_time");
    return it == reporter.measured.end() ? 0.0 : it->second;
  };
  const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
  for (const char* task : {"Detection", "Recognition"}) {
    const std::string base = std::string("BM_") + task;
    const double one = rate((base + "Production1").c_str());
    const double all = rate((base + "ProductionAll").c_str());
    const double reference = rate((base + "Reference").c_str());
    if (one <= 0) continue;
    std::printf("%-11s trials/s: production 1 thread %.0f, all %u threads %.0f, reference %.1f\n", task, one,
                std::thread::hardware_concurrency(), all, reference);
    std::printf("%-11s production 1 thread / reference: %.1fx; all threads / 1 thread: %.2fx\n", task,
                ratio(one, reference), ratio(all, one));
  }
  // Scaling of the default detection grid. The serial part of a run is its schedule (planned on
  // one thread, though beside the trials) and the hand-over of every batch; its share of the
  // one-thread run gives Amdahl's bound. The share implied by the measured 2-thread speed-up
  // (Karp-Flatt) is printed as well: on a busy machine it also holds what other work took.
  const double one = rate("BM_DetectionProduction1");
  const double two = rate("BM_DetectionProduction2");
  const double schedule = rate("BM_DetectionScheduleOnly");
  const double handOver = rate("BM_EmptyBatchesTwoWorkers");
  if (one > 0 && two > 0 && schedule > 0 && handOver > 0) {
    const double serial = one / schedule + one / handOver;  // serial seconds per one-thread second
    const auto amdahl = [](double f, double cores) { return 1.0 / (f + (1.0 - f) / cores); };
    const double speedUp = two / one;
    const double karpFlatt = 2.0 / speedUp - 1.0;
    std::printf("Detection   default grid: 1 thread %.0f trials/s, 2 threads %.0f trials/s: %.2fx\n", one,
                two, speedUp);
    std::printf(
        "Detection   serial share %.4f (schedule %.4f, hand-over %.4f): Amdahl 16 cores %.1fx, 64 cores "
        "%.1fx\n",
        serial, one / schedule, one / handOver, amdahl(serial, 16), amdahl(serial, 64));
    std::printf("Detection   share implied by the 2-thread speed-up %.4f: 16 cores %.1fx, 64 cores %.1fx\n",
                karpFlatt, amdahl(std::max(karpFlatt, 0.0), 16), amdahl(std::max(karpFlatt, 0.0), 64));
    // On a machine shared with other work the wall-clock ratio mostly measures the others. The
    // CPU seconds do not: the 2-thread run's busier thread bounds its time on two free cores.
    const std::string k1 = "BM_DetectionProduction1/iterations:1/real_time";
    const std::string k2 = "BM_DetectionProduction2/iterations:1/real_time";
    const double cpu1 = reporter.processCpu[k1];
    const double all2 = reporter.processCpu[k2];
    const double caller2 = reporter.callerCpu[k2];
    const double busier = std::max(caller2, all2 - caller2);
    if (cpu1 > 0 && busier > 0) {
      std::printf(
          "Detection   CPU seconds: 1 thread %.2f; 2 threads %.2f (%.2f + %.2f): on two free cores %.2fx\n",
          cpu1, all2, caller2, all2 - caller2, cpu1 / busier);
    }
  }
  benchmark::Shutdown();
  return 0;
}
