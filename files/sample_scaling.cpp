#include "files/sample_scaling.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "processing/working_limits.h"

namespace {

std::string quoted(const std::string& source) { return "\"" + source + "\": "; }

std::string seriesPlace(const ScalingRequest& r, size_t i) {
  return r.seriesPosition ? r.seriesPosition(i) : "sample " + std::to_string(i + 1);
}

std::string etalonPlace(const ScalingRequest& r, size_t k, size_t i) {
  return r.etalonPosition ? r.etalonPosition(k, i)
                          : "etalon " + std::to_string(k + 1) + ", sample " + std::to_string(i + 1);
}

// Index of the first value that is NaN or infinite, or values.size().
size_t firstNonFinite(std::span<const double> values) {
  for (size_t i = 0; i < values.size(); ++i) {
    if (!std::isfinite(values[i])) return i;
  }
  return values.size();
}

std::string describeBad(double v) { return std::isnan(v) ? "not a number" : "infinite"; }

// The largest absolute value, or NaN when a value is NaN or infinite: one pass without
// branches serves both the check and the factor.
double peakOf(std::span<const double> values) {
  double peak = 0;
  bool finite = true;
  for (double v : values) {
    const double a = std::fabs(v);
    finite &= a <= std::numeric_limits<double>::max();
    peak = a > peak ? a : peak;
  }
  return finite ? peak : std::numeric_limits<double>::quiet_NaN();
}

// The limits a factor must respect, for the peaks of the given values.
struct Limits {
  double seriesPeak = 0;
  double etalonPeak = 0;
  bool hasEtalons = false;
  int32_t otherEtalonPeak = 0;
  uint64_t seriesSize = 0;

  enum class Verdict { kFits, kSampleLimit, kCriterionLimit };

  // round(peak x factor) as a 64-bit value, or -1 beyond the sample limit.
  static int64_t scaledPeak(double peak, double factor) {
    const double scaled = std::round(peak * factor);
    if (!(scaled <= kMaxScaledSample)) return -1;
    return static_cast<int64_t>(scaled);
  }

  int64_t criterionBound(int64_t x, int64_t s) const {
    return static_cast<int64_t>(seriesSize) * s * (s + 2 * x);
  }

  Verdict check(double factor, int64_t* x = nullptr, int64_t* s = nullptr) const {
    const int64_t sx = scaledPeak(seriesPeak, factor);
    const int64_t se = hasEtalons ? scaledPeak(etalonPeak, factor) : 0;
    if (sx < 0 || se < 0) return Verdict::kSampleLimit;
    const int64_t sPeak = se > otherEtalonPeak ? se : otherEtalonPeak;
    if (x != nullptr) *x = sx;
    if (s != nullptr) *s = sPeak;
    return criterionBound(sx, sPeak) > kMaxCriterion ? Verdict::kCriterionLimit : Verdict::kFits;
  }

  // The largest factor below `factor` that fits, shortened to four significant digits when
  // that still fits; 0 when none does.
  double largestFitting(double factor) const {
    if (check(0) != Verdict::kFits) return 0;
    // Positive doubles are ordered as their bit patterns: a search over the patterns finds the
    // largest fitting factor in at most 64 steps, whatever the size of `factor` (1e308 too).
    uint64_t loBits = 0;
    uint64_t hiBits = 0;
    std::memcpy(&hiBits, &factor, sizeof factor);
    while (hiBits - loBits > 1) {
      const uint64_t midBits = loBits + (hiBits - loBits) / 2;
      double mid = 0;
      std::memcpy(&mid, &midBits, sizeof mid);
      (check(mid) == Verdict::kFits ? loBits : hiBits) = midBits;
    }
    double lo = 0;
    std::memcpy(&lo, &loBits, sizeof lo);
    if (lo <= 0) return lo;
    const int digits = static_cast<int>(std::floor(std::log10(lo)));
    double shortened = lo;
    if (digits <= 3) {
      const double m = std::pow(10.0, 3 - digits);  // an exact power of ten up to 10^22
      shortened = std::floor(lo * m) / m;
    } else {
      const double p = std::pow(10.0, digits - 3);
      shortened = std::floor(lo / p) * p;
    }
    return shortened > 0 && check(shortened) == Verdict::kFits ? shortened : lo;
  }
};

std::string etalonCountProblem(size_t count, const std::string& quotedSource) {
  return quotedSource + std::to_string(count) + " etalons; 1 to " + std::to_string(kMaxUserEtalons) +
         " are allowed";
}

std::string etalonLengthProblem(size_t length, const std::string& quotedSource) {
  return quotedSource + "etalons of " + std::to_string(length) + " samples; " +
         std::to_string(kMinUserEtalonLength) + " to " + std::to_string(kMaxUserEtalonLength) +
         " samples are allowed";
}

// Whether every value is an integer within the 16-bit sample limit.
bool integerSamples(std::span<const double> values) {
  bool all = true;
  for (double v : values) all &= std::nearbyint(v) == v && std::fabs(v) <= kMaxScaledSample;
  return all;
}

// The factor that keeps a recording's resolution: 1 for integer samples within 16 bits (a
// 16-bit recording is never scaled), else the one that takes the largest magnitude of series
// and etalons to the 16-bit limit (finer samples, or 24- and 32-bit ones scaled down only as
// far as 16 bits need).
double ownResolutionFactor(std::span<const double> series,
                           const std::vector<std::span<const double>>& etalons, const Limits& limits) {
  bool integers = integerSamples(series);
  for (const auto& e : etalons) integers = integers && integerSamples(e);
  if (integers) return 1.0;
  const double peak = std::max(limits.seriesPeak, limits.etalonPeak);
  if (!(peak > 0)) return 1.0;
  // Just below the limit, so that rounding the peak stays within it.
  double factor = kMaxScaledSample / peak;
  while (factor > 0 && limits.check(factor) == Limits::Verdict::kSampleLimit)
    factor = std::nextafter(factor, 0.0);
  return factor;
}

bool checkEtalons(const ScalingRequest& r, std::string& error) {
  const std::string etalonName = quoted(r.etalonSource.empty() ? r.source : r.etalonSource);
  const size_t count = r.etalons.size() > r.declaredEtalonCount ? r.etalons.size() : r.declaredEtalonCount;
  if (r.etalons.empty()) return true;
  if (count > kMaxUserEtalons) {
    error = etalonCountProblem(count, etalonName);
    return false;
  }
  const size_t length = r.etalons[0].size();
  for (size_t k = 1; k < r.etalons.size(); ++k) {
    if (r.etalons[k].size() != length) {
      error = etalonName + "etalon " + std::to_string(k + 1) + " has " + std::to_string(r.etalons[k].size()) +
              " samples, etalon 1 has " + std::to_string(length) + "; all etalons must be of one length";
      return false;
    }
  }
  if (length < kMinUserEtalonLength || length > kMaxUserEtalonLength) {
    error = etalonLengthProblem(length, etalonName);
    return false;
  }
  if (length > r.series.size()) {
    error = etalonName + "etalons of " + std::to_string(length) + " samples are longer than the series of " +
            std::to_string(r.series.size()) + " samples";
    return false;
  }
  for (size_t k = 0; k < r.etalons.size(); ++k) {
    const size_t bad = firstNonFinite(r.etalons[k]);
    if (bad < length) {
      error = etalonName + etalonPlace(r, k, bad) + ": value is " + describeBad(r.etalons[k][bad]);
      return false;
    }
  }
  return true;
}

// round(v) with halves away from zero, for |v| within the 16-bit sample limit (checked
// before): exact, and without a library call per sample.
inline int16_t roundedSample(double v) {
  const auto whole = static_cast<int32_t>(v);  // towards zero
  const double rest = v - whole;               // exact for values this small
  return static_cast<int16_t>(rest >= 0.5 ? whole + 1 : rest <= -0.5 ? whole - 1 : whole);
}

std::string withThousands(int64_t v) {
  const std::string digits = std::to_string(v < 0 ? -v : v);
  std::string text = v < 0 ? "-" : "";
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
    text += digits[i];
  }
  return text;
}

}  // namespace

std::string formatFactor(double value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

// Why etalon k, scaled by factor, is refused: it rounds to fewer than two non-zero samples, and a
// pulse shape needs at least two. Names the smallest factor that keeps its two largest values
// (when the etalon has two non-zero values at all).
static std::string etalonTooFlat(const ScalingRequest& r, size_t k, size_t nonZero, double factor) {
  double first = 0, second = 0;
  for (double v : r.etalons[k]) {
    const double a = std::fabs(v);
    if (a > first) {
      second = first;
      first = a;
    } else if (a > second) {
      second = a;
    }
  }
  const std::string name = r.etalonSource.empty() ? r.source : r.etalonSource;
  std::string text = quoted(name) + "etalon " + std::to_string(k + 1) + " rounds to " +
                     std::to_string(nonZero) + (nonZero == 1 ? " non-zero sample" : " non-zero samples") +
                     " with factor " + formatFactor(factor) + "; a pulse shape needs at least 2";
  if (second > 0 && std::isfinite(0.5 / second))
    text += ": give " + r.scaleHint + " of at least " + formatFactor(0.5 / second) +
            ", or an etalon cut from the series at its own scale";
  else
    text += ": give an etalon with at least 2 non-zero values";
  return text;
}

std::string seriesSizeProblem(size_t samples, size_t limit, const std::string& source,
                              const std::string& segmentHint) {
  if (samples <= limit) return {};
  return quoted(source) + std::to_string(samples) + " samples, more than the " + withThousands(limit) +
         (limit > kMaxSolverSeriesSize ? " a recording may have" : " the solvers take") +
         "; choose a part with " + segmentHint;
}

std::string etalonSizeProblem(size_t count, size_t length, const std::string& source) {
  if (count > kMaxUserEtalons) return etalonCountProblem(count, quoted(source));
  if (count > 0 && (length < kMinUserEtalonLength || length > kMaxUserEtalonLength))
    return etalonLengthProblem(length, quoted(source));
  return {};
}

bool scaleSamples(const ScalingRequest& r, ScaledSamples& out, std::string& error) {
  const size_t n = r.series.size();
  const size_t full = n > r.declaredSeriesSize ? n : r.declaredSeriesSize;
  if (full == 0) {
    error = quoted(r.source) + "no samples";
    return false;
  }
  if (full > r.seriesLimit) {
    error = seriesSizeProblem(full, r.seriesLimit, r.source, r.segmentHint);
    return false;
  }
  const double seriesPeak = peakOf(r.series);
  if (std::isnan(seriesPeak)) {
    const size_t bad = firstNonFinite(r.series);
    error = quoted(r.source) + seriesPlace(r, bad) + ": value is " + describeBad(r.series[bad]);
    return false;
  }
  if (!checkEtalons(r, error)) return false;

  Limits limits;
  limits.seriesPeak = seriesPeak;
  limits.hasEtalons = !r.etalons.empty();
  for (const auto& etalon : r.etalons) {
    const double p = peakOf(etalon);
    limits.etalonPeak = p > limits.etalonPeak ? p : limits.etalonPeak;
  }
  limits.otherEtalonPeak = r.otherEtalonPeak < 0 ? 0 : r.otherEtalonPeak;
  limits.seriesSize = n;

  double factor = 1.0;
  if (r.scale) {
    factor = *r.scale;
    if (!std::isfinite(factor) || factor <= 0) {
      error = quoted(r.source) + "scale factor " + formatFactor(factor) + " is not a positive finite number";
      return false;
    }
  } else if (r.wideCriteria && limits.hasEtalons) {
    factor = ownResolutionFactor(r.series, r.etalons, limits);
  } else {
    factor = limits.seriesPeak > 0 ? r.amplitude / limits.seriesPeak : 1.0;
    if (!(factor > 0) || !std::isfinite(factor)) factor = 1.0;
  }

  int64_t x = 0, s = 0;
  Limits::Verdict verdict = limits.check(factor, &x, &s);
  // 64-bit criteria hold every chain of 16-bit samples; the solver checks its own bound.
  if (r.wideCriteria && verdict == Limits::Verdict::kCriterionLimit) verdict = Limits::Verdict::kFits;
  if (verdict != Limits::Verdict::kFits) {
    // The texts are made only for a refusal: formatting a factor costs more than scaling.
    const std::string which = r.scale ? "factor " + formatFactor(factor)
                                      : "the default factor " + formatFactor(factor) + " (amplitude " +
                                            std::to_string(r.amplitude) + " over the series' peak " +
                                            formatFactor(limits.seriesPeak) + ")";
    const double fitting = limits.largestFitting(factor);
    const std::string fits = fitting > 0 ? "; a factor up to " + formatFactor(fitting) + " fits"
                                         : "; no factor fits beside the built-in etalons";
    if (verdict == Limits::Verdict::kSampleLimit) {
      error = quoted(r.source) + which + " takes values beyond the 16-bit sample limit " +
              withThousands(kMaxScaledSample) + fits;
    } else {
      error = quoted(r.source) + which +
              " would overflow the solvers' 32-bit criteria: " + std::to_string(n) + " samples x " +
              std::to_string(s) + " x (" + std::to_string(s) + " + 2 x " + std::to_string(x) +
              ") = " + withThousands(limits.criterionBound(x, s)) + " is beyond " +
              withThousands(kMaxCriterion) + fits;
    }
    return false;
  }

  ScaledSamples result;
  result.factor = factor;
  result.series.resize(n);
  for (size_t i = 0; i < n; ++i) result.series[i] = roundedSample(r.series[i] * factor);
  result.seriesPeak = static_cast<int32_t>(x);
  if (limits.hasEtalons) {
    result.etalonCount = r.etalons.size();
    result.etalonLength = r.etalons[0].size();
    result.etalons.resize(result.etalonCount * result.etalonLength);
    size_t j = 0;
    for (const auto& etalon : r.etalons) {
      for (double v : etalon) result.etalons[j++] = roundedSample(v * factor);
    }
    for (size_t k = 0; k < result.etalonCount; ++k) {
      const int16_t* row = result.etalons.data() + k * result.etalonLength;
      const auto nonZero = std::count_if(row, row + result.etalonLength, [](int16_t v) { return v != 0; });
      if (nonZero < 2) {
        error = etalonTooFlat(r, k, static_cast<size_t>(nonZero), factor);
        return false;
      }
    }
    result.etalonPeak = static_cast<int32_t>(Limits::scaledPeak(limits.etalonPeak, factor));
  }
  out = std::move(result);
  return true;
}
