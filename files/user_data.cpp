#include "files/user_data.h"

#include <cstdlib>

#include "files/series_files.h"
#include "signal/pulse_header.h"

int32_t alphabetPeak(const PulseHeader* alphabet, uint16_t from, uint16_t count) {
  int32_t peak = 0;
  for (uint16_t k = from; alphabet != nullptr && k < count; ++k) {
    for (uint16_t i = 0; alphabet[k].lpData != nullptr && i < alphabet[k].wSize; ++i) {
      const int32_t v = std::abs(int32_t{alphabet[k].lpData[i]});
      peak = v > peak ? v : peak;
    }
  }
  return peak;
}

bool loadUserData(const UserDataRequest& request, UserData& out, std::string& error) {
  SeriesValues series;
  SeriesReadOptions options = request.options;
  options.keepAtMost = request.seriesLimit;
  if (!readSeriesFile(request.seriesPath, options, series, error)) return false;
  EtalonValues etalons;
  if (!request.etalonsPath.empty() && !readEtalonsFile(request.etalonsPath, etalons, error)) return false;

  ScalingRequest scaling;
  scaling.series = series.values;
  scaling.declaredSeriesSize = series.totalSize;
  scaling.source = request.seriesPath;
  scaling.etalonSource = request.etalonsPath;
  scaling.seriesPosition = [&series](size_t i) { return series.position(i); };
  scaling.scale = request.scale;
  scaling.amplitude = request.amplitude;
  scaling.segmentHint = request.segmentHint;
  scaling.seriesLimit = request.seriesLimit;
  const size_t length = series.totalSize > series.values.size() ? series.totalSize : series.values.size();
  scaling.wideCriteria =
      request.wideCriteria && (!request.wideOnlyBeyondWorkbench || length > kMaxSolverSeriesSize);
  for (const auto& row : etalons.rows) scaling.etalons.emplace_back(row);
  scaling.declaredEtalonCount = etalons.totalRows;
  scaling.etalonPosition = [&etalons](size_t k, size_t i) { return etalons.position(k, i); };
  // Built-in etalons that stay in use: all without given etalons, those after the given
  // ones when the lengths agree, none when the given etalons stand alone.
  const size_t given = etalons.rows.size();
  const uint16_t alphabetLength =
      request.alphabet != nullptr && request.alphabetCount > 0 ? request.alphabet[0].wSize : 0;
  if (given == 0) {
    scaling.otherEtalonPeak = alphabetPeak(request.alphabet, 0, request.alphabetCount);
  } else if (etalons.rows[0].size() == alphabetLength && given < request.alphabetCount) {
    scaling.otherEtalonPeak =
        alphabetPeak(request.alphabet, static_cast<uint16_t>(given), request.alphabetCount);
  }

  ScaledSamples scaled;
  if (!scaleSamples(scaling, scaled, error)) return false;
  out.scaled = std::move(scaled);
  out.seriesPath = request.seriesPath;
  out.etalonsPath = request.etalonsPath;
  out.first = series.first;
  out.count = series.values.size();
  return true;
}
