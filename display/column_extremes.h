#pragma once
// A recording longer than its picture is wide is drawn one pixel column at a time: each column
// shows the least and the greatest sample of the run of samples it covers, so that no peak is
// lost however many samples fall on one column. Pure functions over plain data.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The least and greatest sample of one column's run.
struct ColumnExtremes {
  int16_t low = 0;
  int16_t high = 0;
  bool operator==(const ColumnExtremes&) const = default;
};

// The first sample of column c when `samples` samples are spread over `columns` columns as
// evenly as whole samples allow: floor(c * samples / columns), exact for any sizes.
uint64_t columnFirstSample(uint64_t column, uint64_t samples, uint64_t columns);

// The column whose run holds sample i: the last column whose first sample is at most i.
// Needs i < samples and columns > 0.
uint64_t columnOfSample(uint64_t i, uint64_t samples, uint64_t columns);

// The extremes of every column: column c covers the samples from columnFirstSample(c) up to
// (without) columnFirstSample(c + 1). With fewer samples than columns some runs are empty; such a
// column shows the sample columnFirstSample(c), the one the next column with a run begins with,
// so that every column has a value. No samples or no columns: no columns.
std::vector<ColumnExtremes> columnExtremes(std::span<const int16_t> samples, size_t columns);
