#include "python/direct_run.h"

#include <chrono>
#include <optional>
#include <vector>

#include "batch/options.h"
#include "batch/workbench_runs.h"
#include "batch/workbench_start.h"
#include "files/sample_scaling.h"
#include "files/user_data.h"
#include "signal/series_header.h"

DirectRunTiming timeDirectRuns(int repeats, bool checks, bool fresh) {
  DirectRunTiming timing;
  WorkbenchStart kept(nullptr);
  OrderedJson made;
  const SeriesSettings series = checkSeries(SeriesOptions{});
  if (!seriesRun(kept, series, made).ok) return timing;
  GivenData data;
  data.series.assign(kept.series->lpNoisyData, kept.series->lpNoisyData + kept.series->dwSeriesSize);
  ProcessOptions options;
  options.series.pulses = kept.series->wImpulseQuantity;
  const ProcessSettings settings = checkProcess(options);
  const auto begin = std::chrono::steady_clock::now();
  for (int i = 0; i < repeats; ++i) {
    std::optional<WorkbenchStart> own;
    if (fresh) own.emplace(nullptr);
    WorkbenchStart& start = fresh ? *own : kept;
    GivenData scaledData;
    ProcessSettings checkedSettings;
    if (checks) {
      std::vector<double> values(data.series.begin(), data.series.end());
      ScalingRequest request;
      request.series = values;
      request.scale = 1.0;
      request.otherEtalonPeak = alphabetPeak(start.alphabet, 0, 20);
      ScaledSamples scaled;
      std::string error;
      if (!scaleSamples(request, scaled, error)) return timing;
      ProcessOptions o = options;
      o.series.length = static_cast<int64_t>(scaled.series.size());
      o.givenSeries = true;
      checkedSettings = checkProcess(o);
      scaledData.series = std::move(scaled.series);
    }
    OrderedJson doc;
    if (!givenDataRun(start, checks ? checkedSettings : settings, checks ? scaledData : data, doc).ok)
      return timing;
    timing.restored += doc["wRestoredQuantity"].get<int64_t>();
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  timing.secondsPerCall = repeats > 0 ? seconds / repeats : 0;
  timing.ok = true;
  return timing;
}
