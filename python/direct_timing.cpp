// The module's default detection called directly from C++: the same run (givenDataRun on the
// workbench's default series, built-in alphabet) repeated, for comparing with the module's
// overhead. Prints the seconds per call.
//
//   detection_direct_timing [REPEATS [checks [fresh]]]
//
// checks: each call also scales float64 values and checks the options, as the module's solve
// does; fresh: each call also starts a fresh workbench, as the module-level solve() does
// (Workbench.solve keeps one).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "batch/options.h"
#include "batch/workbench_runs.h"
#include "batch/workbench_start.h"
#include "files/sample_scaling.h"
#include "files/user_data.h"
#include "signal/series_header.h"

int main(int argc, char** argv) {
  const int repeats = argc > 1 ? std::atoi(argv[1]) : 200;
  const bool withChecks = argc > 2;
  const bool fresh = argc > 3;
  WorkbenchStart kept(nullptr);
  OrderedJson made;
  const SeriesSettings series = checkSeries(SeriesOptions{});
  if (!seriesRun(kept, series, made).ok) return 1;
  GivenData data;
  data.series.assign(kept.series->lpNoisyData, kept.series->lpNoisyData + kept.series->dwSeriesSize);
  ProcessOptions options;
  options.series.pulses = kept.series->wImpulseQuantity;
  const ProcessSettings settings = checkProcess(options);
  const auto begin = std::chrono::steady_clock::now();
  int64_t sink = 0;
  for (int i = 0; i < repeats; ++i) {
    std::optional<WorkbenchStart> own;
    if (fresh) own.emplace(nullptr);
    WorkbenchStart& start = fresh ? *own : kept;
    GivenData scaledData;
    ProcessSettings checkedSettings;
    if (withChecks) {
      std::vector<double> values(data.series.begin(), data.series.end());
      ScalingRequest request;
      request.series = values;
      request.scale = 1.0;
      request.otherEtalonPeak = alphabetPeak(start.alphabet, 0, 20);
      ScaledSamples scaled;
      std::string error;
      if (!scaleSamples(request, scaled, error)) return 1;
      ProcessOptions o = options;
      o.series.length = static_cast<int64_t>(scaled.series.size());
      o.givenSeries = true;
      checkedSettings = checkProcess(o);
      scaledData.series = std::move(scaled.series);
    }
    OrderedJson doc;
    if (!givenDataRun(start, withChecks ? checkedSettings : settings, withChecks ? scaledData : data, doc).ok)
      return 1;
    sink += doc["wRestoredQuantity"].get<int64_t>();
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  std::printf("%.9f %lld\n", seconds / repeats, static_cast<long long>(sink));
  return 0;
}
