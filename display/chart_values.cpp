#include "display/chart_values.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "display/text_format.h"
#include "signal/pulse_header.h"
#include "signal/series_header.h"
#include "simulation/rest_err_header.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

const PulseHeader* etalonOf(const PulseHeader* alphabet, uint16_t alphabetSize, int32_t number) {
  if (alphabet == nullptr || number < 1 || number > alphabetSize) return nullptr;
  const PulseHeader& etalon = alphabet[number - 1];
  return etalon.lpData != nullptr ? &etalon : nullptr;
}

// Smallest and largest cross-correlation of two etalons over the shifts -L .. L.
void correlationExtremes(const PulseHeader& first, const PulseHeader& second, int64_t& low, int64_t& high) {
  const int32_t length = std::min(first.wSize, second.wSize);
  for (int32_t d = -length; d <= length; ++d) {
    const int64_t r = etalonCrossCorrelation(first, second, d);
    low = std::min(low, r);
    high = std::max(high, r);
  }
}

int32_t cell(int32_t** table, uint16_t level, uint16_t pulse) {
  return table != nullptr && table[level] != nullptr ? table[level][pulse] : 0;
}

// The two theoretical bounds of the recognition error charts (kinds 12 and 13) over the noise
// levels: the upper from the etalon energy and the pulse correlation, the lower from the saved
// energy (whole pulses) or the tuple correlation.
void addRecognitionBounds(ChartCurves& chart, const RestErrHeader& errors, const SeriesHeader& series,
                          const ChartEnergies& energies) {
  const uint16_t levels = errors.wNoiseLevels;
  const bool tupleLike = errors.wSeriesType == 36 || errors.wTaskType == 40;
  int64_t x = energies.etEnergy;
  int64_t rMax = energies.rMax;
  if (!tupleLike) {
    rMax = 0;
    x = (int64_t{errors.wMakingEnergyLevel} * energies.etEnergy + 50) / 100;
    // ... or the smallest squared sample of the first pulse's etalon, when larger.
    if (const PulseHeader* first = series.lpFirstPulse;
        first != nullptr && first->lpData != nullptr && first->wSize > 0) {
      int64_t smallest = INT64_MAX;
      for (uint16_t i = 0; i < first->wSize; ++i)
        smallest = std::min<int64_t>(smallest, int64_t{first->lpData[i]} * first->lpData[i]);
      x = std::max(x, smallest);
    }
  }
  const double d1 = static_cast<double>((4 * (energies.etEnergy - energies.rMin) + 4) / 8);
  const double d2 = static_cast<double>((4 * (x - rMax) + 8) / 16);
  std::vector<double> upperCurve(levels, kNaN), lowerCurve(levels, kNaN);
  for (uint16_t k = 1; k < levels; ++k) {
    const double s = errors.lpNoiseLevel != nullptr ? errors.lpNoiseLevel[k] : 0;
    if (s == 0) continue;
    upperCurve[k] = 0.5 - 0.5 * std::sqrt(std::max(0.0, 1.0 - std::exp(-series.wMaxPulses * d1 / (s * s))));
    lowerCurve[k] = 0.5 * std::exp(-series.wMinPulses * d2 / (s * s));
  }
  chart.bounds.push_back(std::move(upperCurve));
  chart.bounds.push_back(std::move(lowerCurve));
}

}  // namespace

bool isKnownChartKind(int32_t kind) { return (kind >= 0 && kind <= 5) || kind == 12 || kind == 13; }

bool isComponentwiseChartKind(int32_t kind) { return kind == 0 || kind == 2 || kind == 4 || kind == 12; }

std::string chartTitle(int32_t kind) {
  switch (kind) {
    case 0:
      return " restored error, componentwise case";
    case 1:
      return " restored error, agregate form";
    case 2:
      return " detection error, componentwise case";
    case 3:
      return " detection error, agregate form";
    case 4:
    case 12:
      return " recognition error, componentwise case";
    case 5:
    case 13:
      return " recognition error, agregate form";
    default:
      return "";
  }
}

int64_t etalonEnergy(const PulseHeader& etalon) {
  int64_t energy = 0;
  if (etalon.lpData == nullptr) return 0;
  for (uint16_t i = 0; i < etalon.wSize; ++i) energy += int64_t{etalon.lpData[i]} * etalon.lpData[i];
  return energy;
}

int64_t etalonCrossCorrelation(const PulseHeader& first, const PulseHeader& second, int32_t shift) {
  if (first.lpData == nullptr || second.lpData == nullptr) return 0;
  const int32_t length = std::min(first.wSize, second.wSize);
  int64_t sum = 0;
  for (int32_t u = 0; u < length - std::abs(shift); ++u) {
    const int32_t v = u + shift;
    if (v < 0 || v >= length) continue;
    sum += int64_t{second.lpData[u]} * first.lpData[v];
  }
  return sum;
}

ChartEnergies chartEnergies(const RestErrHeader& errors, const SeriesHeader& series,
                            const PulseHeader* alphabet, uint16_t alphabetSize, const uint16_t* requiredList,
                            uint16_t requiredCount) {
  ChartEnergies result;
  const bool tupleSeries = errors.wSeriesType == 36 || errors.wSeriesType == 40;
  if (tupleSeries && errors.wTaskType == 40 && series.selectedSubsetList != nullptr &&
      series.selectedSubsetSize != nullptr) {
    for (uint16_t i = 0; i < series.wSelectedSubsets; ++i)
      for (int16_t a = 0; a < series.selectedSubsetSize[i]; ++a)
        if (const PulseHeader* e = etalonOf(alphabet, alphabetSize, series.selectedSubsetList[i][a]))
          result.etEnergy = std::max(result.etEnergy, etalonEnergy(*e));
    for (uint16_t i = 0; i < series.wSelectedSubsets; ++i)
      for (uint16_t j = static_cast<uint16_t>(i + 1); j < series.wSelectedSubsets; ++j)
        for (int16_t a = 0; a < series.selectedSubsetSize[i]; ++a)
          for (int16_t b = 0; b < series.selectedSubsetSize[j]; ++b) {
            const PulseHeader* first = etalonOf(alphabet, alphabetSize, series.selectedSubsetList[i][a]);
            const PulseHeader* second = etalonOf(alphabet, alphabetSize, series.selectedSubsetList[j][b]);
            if (first != nullptr && second != nullptr)
              correlationExtremes(*first, *second, result.rMin, result.rMax);
          }
    return result;
  }
  if (series.lpFirstPulse != nullptr) result.etEnergy = etalonEnergy(*series.lpFirstPulse);
  if (requiredList != nullptr && requiredCount > 0) {
    const PulseHeader* first = etalonOf(alphabet, alphabetSize, requiredList[0]);
    const PulseHeader* second = etalonOf(alphabet, alphabetSize, requiredList[requiredCount > 1 ? 1 : 0]);
    int64_t ignoredHigh = 0;
    if (first != nullptr && second != nullptr) correlationExtremes(*first, *second, result.rMin, ignoredHigh);
  }
  return result;
}

ChartCurves chartCurves(int32_t kind, const RestErrHeader& errors, const SeriesHeader& series,
                        const ChartEnergies& energies) {
  ChartCurves chart;
  const uint16_t pulses = errors.wVariousPulses;
  const uint16_t levels = errors.wNoiseLevels;
  const double repeats = errors.repeats > 0 ? errors.repeats : 1;
  const int64_t n0 = 2 * int64_t{series.wMaxPulses} * (energies.etEnergy - energies.rMin);
  chart.normalizer = n0 > 0 ? n0 : 1;
  const double normalizer = static_cast<double>(chart.normalizer);
  const int64_t span = int64_t{series.wTmax} - series.wImpulseSize;
  const double spanSquared = span > 0 ? static_cast<double>(span) * static_cast<double>(span) : 1.0;
  const double p = pulses > 0 ? pulses : 1;

  auto perPulse = [&](auto value) {
    for (uint16_t m = 0; m < pulses; ++m) {
      std::vector<double> curve(levels);
      for (uint16_t k = 0; k < levels; ++k) curve[k] = value(k, m);
      chart.curves.push_back(std::move(curve));
      chart.labels.push_back(errors.wPulseValues != nullptr ? errors.wPulseValues[m] : 0);
    }
  };
  auto pooled = [&](auto value) {
    std::vector<double> curve(levels, 0.0);
    for (uint16_t k = 0; k < levels; ++k)
      for (uint16_t m = 0; m < pulses; ++m) curve[k] += value(k, m);
    return curve;
  };

  switch (kind) {
    case 0: {
      perPulse([&](uint16_t k, uint16_t m) { return cell(errors.lpErrors, k, m) / normalizer; });
      int64_t largest = 0;
      for (uint16_t m = 0; m < pulses; ++m)
        for (uint16_t k = 0; k < levels; ++k)
          largest = std::max<int64_t>(largest, cell(errors.lpErrors, k, m));
      chart.upper = static_cast<uint32_t>(
          std::min<int64_t>(std::max<int64_t>(largest * 1000 / chart.normalizer, 50), UINT32_MAX));
      break;
    }
    case 1: {
      const std::vector<double> sums =
          pooled([&](uint16_t k, uint16_t m) { return cell(errors.lpErrors, k, m) / normalizer; });
      double largest = 0.079;
      for (double s : sums) largest = std::max(largest, s);
      largest = std::max(largest, 0.49 * p);
      chart.upper = static_cast<uint32_t>(std::min(1000.0 * largest / p, 4e9));
      std::vector<double> mean(sums);
      for (double& v : mean) v /= p;
      chart.curves.push_back(std::move(mean));
      break;
    }
    case 2: {
      perPulse([&](uint16_t k, uint16_t m) {
        return std::sqrt(std::max(0.0, cell(errors.lpFragmentErrors, k, m) / repeats / spanSquared));
      });
      double largest = 0.3;
      for (const auto& curve : chart.curves)
        for (double v : curve) largest = std::max(largest, v);
      chart.upper = static_cast<uint32_t>(std::min(std::max(1000.0 * largest, 50.0), 4e9));
      break;
    }
    case 3: {
      std::vector<double> curve = pooled(
          [&](uint16_t k, uint16_t m) { return static_cast<double>(cell(errors.lpFragmentErrors, k, m)); });
      double largest = 0.0;
      for (double& v : curve) {
        v = std::sqrt(std::max(0.0, v / (p * spanSquared * repeats)));
        largest = std::max(largest, v);
      }
      largest = std::max(largest, 0.24);
      chart.upper = static_cast<uint32_t>(std::min(std::max(1000.0 * largest, 50.0), 4e9));
      chart.curves.push_back(std::move(curve));
      break;
    }
    case 4:
    case 12:
      perPulse([&](uint16_t k, uint16_t m) { return cell(errors.lpRecognitionErrors, k, m) / repeats; });
      chart.upper = 500;
      break;
    case 5:
    case 13: {
      std::vector<double> curve = pooled([&](uint16_t k, uint16_t m) {
        return static_cast<double>(cell(errors.lpRecognitionErrors, k, m));
      });
      for (double& v : curve) v /= p * repeats;
      chart.curves.push_back(std::move(curve));
      chart.upper = 500;
      break;
    }
    default:
      chart.upper = 500;
      break;
  }

  if (kind == 12 || kind == 13) addRecognitionBounds(chart, errors, series, energies);
  return chart;
}

int64_t chartRange(uint32_t upper, bool fixedUpperBound, double upperBound) {
  if (fixedUpperBound && upperBound > 0) {
    const double z = std::trunc(std::min(upperBound * 1000.0, 1e9));
    if (z >= 1) return static_cast<int64_t>(z);
  }
  int64_t range = 1;
  for (uint32_t u = upper; u > 0; u /= 10) range *= 10;
  const int64_t u = upper;
  if (range >= 5 * u) range /= 5;
  if (range >= 2 * u) range /= 2;
  if (range >= 2 * u) range /= 2;
  return range > 0 ? range : 1;
}

std::string chartAxisLabel(int64_t range, int32_t index) {
  const double value = static_cast<double>(index) * static_cast<double>(range) / 5.0 / 1000.0;
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, range > 49 ? 2 : 3);
  return result.ec == std::errc() ? std::string(buffer, result.ptr) : std::string("?");
}

int32_t chartValueHeight(double value, int64_t range, int32_t plotHeight) {
  if (!std::isfinite(value) || range <= 0) return 0;
  const double height = value * 1000.0 * plotHeight / static_cast<double>(range);
  const double limit = 4.0 * std::max(plotHeight, 1);
  return static_cast<int32_t>(std::trunc(std::clamp(height, -limit, limit)));
}

std::string elapsedTimeText(int64_t start, int64_t end) {
  const int64_t seconds = end > start ? end - start : 0;
  const int64_t minutes = seconds / 60 % 60;
  const int64_t secs = seconds % 60;
  return formatText("elapsed time %lld:%lld%lld:%lld%lld", static_cast<long long>(seconds / 3600),
                    static_cast<long long>(minutes / 10), static_cast<long long>(minutes % 10),
                    static_cast<long long>(secs / 10), static_cast<long long>(secs % 10));
}

std::string calendarText(std::time_t time) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm parts{};
  if (localtime_r(&time, &parts) == nullptr || parts.tm_wday < 0 || parts.tm_wday > 6 || parts.tm_mon < 0 ||
      parts.tm_mon > 11)
    return "??? ??? ?? ??:??:?? ????";
  return formatText("%s %s%3d %02d:%02d:%02d %d", kDays[parts.tm_wday], kMonths[parts.tm_mon], parts.tm_mday,
                    parts.tm_hour, parts.tm_min, parts.tm_sec, parts.tm_year + 1900);
}
