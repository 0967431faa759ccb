// The module's default detection called directly from C++: the same run (givenDataRun on the
// workbench's default series, built-in alphabet) repeated, for comparing with the module's
// overhead. Prints the seconds per call.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "batch/options.h"
#include "batch/workbench_runs.h"
#include "batch/workbench_start.h"
#include "files/sample_scaling.h"
#include "files/user_data.h"
#include "signal/series_header.h"

int main(int argc, char** argv) {
  const int repeats = argc > 1 ? std::atoi(argv[1]) : 200;
  const bool withChecks = argc > 2;
  WorkbenchStart start(nullptr);
  OrderedJson made;
  const SeriesSettings series = checkSeries(SeriesOptions{});
  if (!seriesRun(start, series, made).ok) return 1;
  GivenData data;
  data.series.assign(start.series->lpNoisyData, start.series->lpNoisyData + start.series->dwSeriesSize);
  ProcessOptions options;
  options.series.pulses = start.series->wImpulseQuantity;
  const ProcessSettings settings = checkProcess(options);
  const auto begin = std::chrono::steady_clock::now();
  int64_t sink = 0;
  for (int i = 0; i < repeats; ++i) {
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
      o.givenSeries = true;
      checkProcess(o);
    }
    OrderedJson doc;
    if (!givenDataRun(start, settings, data, doc).ok) return 1;
    sink += doc["wRestoredQuantity"].get<int64_t>();
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  std::printf("%.9f %lld\n", seconds / repeats, static_cast<long long>(sink));
  return 0;
}
