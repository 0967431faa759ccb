#pragma once
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

struct RestErrHeader;
struct SeriesHeader;
struct PulseHeader;

// The numbers behind one statistical chart, computed from the error tables without any
// drawing, so that they can be checked on their own.

// Chart kinds: 0/1 restoring error, 2/3 detection error, 4/5 recognition error
// (componentwise / aggregate), 12/13 recognition error with the theoretical bounds.
bool isKnownChartKind(int32_t kind);
// Whether a kind draws one curve per pulse count (0, 2, 4, 12).
bool isComponentwiseChartKind(int32_t kind);

// Title line of a chart kind; empty for an unknown kind.
std::string chartTitle(int32_t kind);

// Energies of the etalons behind a simulation (the "etEnergy=..., Rmin=..., Rmax=..." line).
struct ChartEnergies {
  int64_t etEnergy = 0;
  int64_t rMin = 0;
  int64_t rMax = 0;
};

// Sum of the squares of an etalon's samples.
int64_t etalonEnergy(const PulseHeader& etalon);

// Cross-correlation of `second` against `first` at shift d: the sum over u < L - |d| of
// second[u] x first[u + d], with first[u + d] read as 0 when u + d < 0.
int64_t etalonCrossCorrelation(const PulseHeader& first, const PulseHeader& second, int32_t shift);

// etEnergy, Rmin, Rmax of a simulation. For task 40 on a tuple series they come from the
// selected subsets of `series` (largest energy; smallest and largest cross-correlation
// between etalons of different subsets); otherwise etEnergy is the energy of the series'
// first pulse's etalon, Rmin the smallest cross-correlation between the first two required
// etalons over the shifts -L..L (starting at 0), and Rmax 0. `alphabet` holds etalon n at
// entry n - 1, `alphabetSize` entries; numbers outside it are skipped.
ChartEnergies chartEnergies(const RestErrHeader& errors, const SeriesHeader& series,
                            const PulseHeader* alphabet, uint16_t alphabetSize, const uint16_t* requiredList,
                            uint16_t requiredCount);

// The curves of one chart: one per pulse count (componentwise kinds) or a single one
// (aggregate kinds), each with one value per noise level; `labels` holds the pulse count
// written at the end of each componentwise curve. `upper` is the upper bound U in
// thousandths before the range rule. The two bound curves of kinds 12 and 13 start at
// the second level (their first entry is NaN, as is every level whose noise is 0).
struct ChartCurves {
  std::vector<std::vector<double>> curves;
  std::vector<int32_t> labels;
  std::vector<std::vector<double>> bounds;
  uint32_t upper = 0;
  int64_t normalizer = 1;  // N0 of the restoring error
};

// Everything a chart needs from the error tables and the series. A normaliser or a
// Tmax - L of 0 or below is taken as 1, a repeat count of 0 as 1 (no division by zero).
ChartCurves chartCurves(int32_t kind, const RestErrHeader& errors, const SeriesHeader& series,
                        const ChartEnergies& energies);

// The range Z of the chart, in thousandths: the power of ten above U, divided by 5 when it
// is at least 5 U, then halved (twice at most) while it is at least 2 U. A fixed upper
// bound above 0 gives trunc(bound x 1000) instead (limited to 1 .. 10^9).
int64_t chartRange(uint32_t upper, bool fixedUpperBound, double upperBound);

// Label i (0 .. 5) of the vertical axis: i x Z / 5 thousandths, "%.2f" when Z exceeds 49,
// else "%.3f".
std::string chartAxisLabel(int64_t range, int32_t index);

// Height in pixels above the plot's bottom of value v on a plot `plotHeight` high for
// range Z: trunc(v x 1000 x height / Z), limited to +-4 x height so that wild values stay
// drawable.
int32_t chartValueHeight(double value, int64_t range, int32_t plotHeight);

// "elapsed time h:mm:ss" of a run from `start` to `end` (0 when end is before start).
std::string elapsedTimeText(int64_t start, int64_t end);

// The standard 24-character calendar text of a time, "Wed Jan  2 02:03:55 1980", in
// local time, independent of the process locale.
std::string calendarText(std::time_t time);
