#include "display/column_extremes.h"

#include <algorithm>

uint64_t columnFirstSample(uint64_t column, uint64_t samples, uint64_t columns) {
  if (columns == 0) return 0;
  // samples = q * columns + r, so c * samples / columns = c * q + c * r / columns, where c * r
  // stays below columns squared and cannot overflow for any sensible number of columns.
  const uint64_t q = samples / columns, r = samples % columns;
  const unsigned __int128 part = static_cast<unsigned __int128>(column) * r / columns;
  return column * q + static_cast<uint64_t>(part);
}

uint64_t columnOfSample(uint64_t i, uint64_t samples, uint64_t columns) {
  if (samples == 0 || columns == 0) return 0;
  // The first sample of column c is at most i exactly when c * samples < (i + 1) * columns.
  const unsigned __int128 bound = static_cast<unsigned __int128>(i + 1) * columns - 1;
  const uint64_t c = static_cast<uint64_t>(bound / samples);
  return std::min(c, columns - 1);
}

std::vector<ColumnExtremes> columnExtremes(std::span<const int16_t> samples, size_t columns) {
  std::vector<ColumnExtremes> out;
  if (samples.empty() || columns == 0) return out;
  out.resize(columns);
  const uint64_t n = samples.size();
  for (size_t c = 0; c < columns; ++c) {
    const uint64_t first = columnFirstSample(c, n, columns);
    const uint64_t end = columnFirstSample(c + 1, n, columns);
    if (first >= end) {
      // An empty run (fewer samples than columns): the sample the next run begins with.
      const int16_t v = samples[first];
      out[c] = ColumnExtremes{v, v};
      continue;
    }
    const auto [low, high] = std::minmax_element(samples.begin() + static_cast<ptrdiff_t>(first),
                                                 samples.begin() + static_cast<ptrdiff_t>(end));
    out[c] = ColumnExtremes{*low, *high};
  }
  return out;
}
