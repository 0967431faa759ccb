#pragma once
// Scaling of a user's real-valued series and etalons to the 16-bit samples the solvers take.
//
// This is the one place where a user's values (from a text, sound or .npy file, or from a
// numpy array handed to the Python module) become integer samples; every caller goes
// through scaleSamples() and nothing else.
//
//   bool scaleSamples(const ScalingRequest& request, ScaledSamples& out, std::string& error);
//
// Input (ScalingRequest):
//   series        the series' values (double, any finite value), 1 .. 32,767 of them.
//   etalons       optional; each entry one etalon's values. When given: 1 .. 20 etalons, all of
//                 one length, at least 2 and at most kMaxUserEtalonLength samples, and not longer
//                 than the series.
//   scale         optional user factor (finite, > 0). Absent: amplitude / peak, where peak is the
//                 series' largest absolute value (factor 1 when the series is all zeros).
//   amplitude     the amplitude setting (the workbench's wAmplitude, 128 at start).
//   otherEtalonPeak  largest absolute sample of the built-in etalons that stay in use beside
//                 the given ones (0 when none do); it enters the criterion check unscaled.
//   source        name used at the start of every message ("rec.wav", "array").
//   etalonSource  name used instead in the messages about the etalons alone (count, lengths,
//                 values) when they come from another file; empty: source.
//   seriesPosition(i)      names sample i (0-based) of the series: "line 17", "sample 5".
//                          Absent: "sample i+1".
//   etalonPosition(k, i)   names sample i of etalon k: "line 3, value 5". Absent:
//                          "etalon k+1, sample i+1".
//   segmentHint   how the caller lets the user pick a part of a long series; it ends the
//                 too-long message ("--from N --count M" by default).
//   declaredSeriesSize, declaredEtalonCount  the full sizes when a reader kept only the start
//                 (0 otherwise; callers with whole arrays leave them at 0).
//
// Output (ScaledSamples): series and etalons as int16_t, each value round(v x factor) with
// halves away from zero; etalons row-major (etalon k is etalons[k x etalonLength ..]);
// the factor used; the scaled peaks.
//
// Refusals (false, out untouched, one line in error that starts with "\"source\": "):
//   - a NaN or infinite value, naming its position through the callbacks;
//   - an empty series; a series over 32,767 samples (names the limit and segmentHint);
//   - etalon count outside 1..20, etalons of unequal lengths, shorter than 2 samples, longer
//     than kMaxUserEtalonLength or than the series;
//   - a user factor that is not a finite positive number;
//   - an etalon that rounds to fewer than 2 non-zero samples (all zeros, or one spike): names
//     the factor, and scaleHint with the smallest factor that keeps its two largest values;
//   - a factor that would take a scaled value beyond +-32,767 (the 16-bit sample limit), or
//     a solver criterion beyond 2,147,483,647: a chain's criterion sums s x (s - 2x) over the
//     samples its pulses cover, at most N x S x (S + 2X) for a series of N samples with peak X
//     and etalons with peak S. The message names the limit and the largest factor that fits.
//
// The function allocates only after the sizes are checked and never throws for bad values
// (std::bad_alloc may still escape for the output vectors of a series within the limits).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "processing/working_limits.h"

// Number of etalons a user may give: they replace etalons 1..K of the 20 of the alphabet.
constexpr size_t kMaxUserEtalons = 20;
// Shortest and longest etalon a user may give.
constexpr size_t kMinUserEtalonLength = 2;
constexpr size_t kMaxUserEtalonLength = 32767;
// Largest absolute value of a scaled sample.
constexpr int32_t kMaxScaledSample = 32767;
// Largest value a solver criterion may reach.
constexpr int64_t kMaxCriterion = 2147483647;

struct ScalingRequest {
  std::span<const double> series;
  std::vector<std::span<const double>> etalons;
  std::optional<double> scale;
  int16_t amplitude = 128;
  int32_t otherEtalonPeak = 0;
  std::string source = "input";
  std::string etalonSource;  // names the etalons in their own messages; empty: source
  std::function<std::string(size_t index)> seriesPosition;
  std::function<std::string(size_t etalon, size_t index)> etalonPosition;
  std::string segmentHint = "--from N --count M";
  // How the caller lets the user give a factor; it ends the message about an etalon that
  // rounds to fewer than two non-zero samples.
  std::string scaleHint = "--scale";
  // Readers stop storing values beyond the limits; when they do, these give the full sizes
  // (0: the sizes of series and etalons are the full sizes).
  size_t declaredSeriesSize = 0;
  size_t declaredEtalonCount = 0;
  // Longest series taken (the long-recording path takes up to 2^31 - 1 samples).
  size_t seriesLimit = kMaxSolverSeriesSize;
  // The samples go to solvers with 64-bit criteria: no criterion check, and without a user
  // factor, given etalons keep the recording's resolution (integer samples within 16 bits
  // as they are, others to the full 16-bit range); built-in etalons keep the amplitude mapping.
  bool wideCriteria = false;
};

struct ScaledSamples {
  std::vector<int16_t> series;
  std::vector<int16_t> etalons;  // etalonCount x etalonLength, row-major
  size_t etalonCount = 0;
  size_t etalonLength = 0;
  double factor = 1.0;
  int32_t seriesPeak = 0;  // largest absolute scaled series sample
  int32_t etalonPeak = 0;  // largest absolute scaled etalon sample (0 without etalons)
};

// The refusal of a series of `samples` values by scaleSamples under the series limit `limit`
// ("\"array\": 40000 samples, more than ..."), empty when their number fits; a caller holding
// values that still need a copy asks it first, so that nothing is copied for a series that
// cannot be taken.
std::string seriesSizeProblem(size_t samples, size_t limit, const std::string& source,
                              const std::string& segmentHint);

// The same for `count` etalons of `length` samples each (the checks of count and length alone).
std::string etalonSizeProblem(size_t count, size_t length, const std::string& source);

// Checks and scales the request as described above. Returns true and fills out, or false
// with a one-line reason in error (out untouched).
bool scaleSamples(const ScalingRequest& request, ScaledSamples& out, std::string& error);

// A double as the messages and outputs show it: shortest text that reads back to the same
// value, with a decimal point whatever the locale.
std::string formatFactor(double value);
